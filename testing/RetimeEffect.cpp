#include "testing/RetimeEffect.h"

#include "testing/OZText.h"

namespace quillo::testing {

std::string RetimeEffect::channelData() const {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ozml version=\"5.0\">\n"
        "<parameter name=\"Retiming\" id=\"1\" flags=\"0\">\n";
    xml += ozCurveParameter("Speed", 2, 100.0, speedPercent);
    xml += ozCurveParameter("Reverse", 3, 0.0, reversed ? 1.0 : 0.0);
    xml += ozCurveParameter("Frame Sampling", 4, 0.0, frameSampling);
    xml += "<parameter name=\"Time Map\" id=\"5\" flags=\"0\">\n<curve type=\"1\" default=\"0\">\n";
    for (const auto& keypoint : timeMap) {
        xml += "<keypoint interpolation=\"1\" flags=\"0\"><time>" + std::to_string(keypoint.timelineTime.value()) +
               " " + std::to_string(keypoint.timelineTime.timescale()) + " 1 0</time><value>" +
               ozNumber(keypoint.sourceSeconds) + "</value>";
        if (keypoint.inputTangent)
            xml += "<inputTangentValue>" + ozNumber(*keypoint.inputTangent) + "</inputTangentValue>";
        if (keypoint.outputTangent) {
            xml += "<outputTangentValue>" + ozNumber(*keypoint.outputTangent) + "</outputTangentValue>";
        }
        xml += "</keypoint>\n";
    }
    xml += "</curve>\n</parameter>\n</parameter>\n</ozml>\n";
    return xml;
}

}  // namespace quillo::testing
