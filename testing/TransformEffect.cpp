#include "testing/TransformEffect.h"

#include "testing/OZText.h"

namespace quillo::testing {

std::string TransformEffect::channelData() const {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ozml version=\"5.0\">\n"
        "<parameter name=\"Transform\" id=\"1\" flags=\"0\">\n"
        "<parameter name=\"Position\" id=\"2\" flags=\"0\">\n";
    xml += ozCurveParameter("X", 3, 0.0, positionX);
    xml += ozCurveParameter("Y", 4, 0.0, positionY);
    xml += ozCurveParameter("Z", 5, 0.0, positionZ);
    xml += "</parameter>\n<parameter name=\"Rotation\" id=\"6\" flags=\"0\">\n";
    xml += ozCurveParameter("X", 7, 0.0, 0.0);
    xml += ozCurveParameter("Y", 8, 0.0, 0.0);
    xml += ozCurveParameter("Z", 9, 0.0, rotation);
    xml += "</parameter>\n<parameter name=\"Scale\" id=\"10\" flags=\"0\">\n";
    xml += ozCurveParameter("Scale X", 11, 1.0, scaleX);
    xml += ozCurveParameter("Scale Y", 12, 1.0, scaleY);
    xml += "</parameter>\n<parameter name=\"Anchor\" id=\"13\" flags=\"0\">\n";
    xml += ozCurveParameter("X", 14, 0.0, anchorX);
    xml += ozCurveParameter("Y", 15, 0.0, anchorY);
    xml += "</parameter>\n</parameter>\n</ozml>\n";
    return xml;
}

}  // namespace quillo::testing
