// Converts between frame counts and timecode labels at one of the timeline rates:
//   quillotodo-timecode RATE FRAMES...               one label per frame count
//   quillotodo-timecode --to-frames RATE TEXT...     one frame count (or "none") per label
// RATE is a rate's case name: fps23_976, fps24, fps25, fps29_97df, fps29_97ndf, ... fps60.

#include "BrimlockCore/Timecode/FrameRate.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"
#include "Platform/Foundation/IntegerText.h"

#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

int usage() {
    std::cerr << "usage: quillotodo-timecode RATE FRAMES...\n"
                 "       quillotodo-timecode --to-frames RATE TEXT...\n";
    return 2;
}

std::optional<brimlock::FrameRate> rateNamed(std::string_view name) {
    for (const auto& row : brimlock::kFrameRateTable) {
        if (row.caseName == name) return row.rate;
    }
    return std::nullopt;
}

// Frame counts are written bare or with "-": a "+" is refused, unlike in timecodes.
std::optional<std::int64_t> frameCount(std::string_view text) {
    if (text.starts_with('+')) return std::nullopt;
    return platform::parseDecimalInteger<std::int64_t>(text);
}

}  // namespace

int main(int argc, char** argv) {
    const bool toFrames = argc > 1 && std::strcmp(argv[1], "--to-frames") == 0;
    const int rateIndex = toFrames ? 2 : 1;
    if (argc <= rateIndex || (!toFrames && argv[1][0] == '-' && argv[1][1] == '-')) return usage();
    const auto rate = rateNamed(argv[rateIndex]);
    if (!rate) {
        std::cerr << "quillotodo-timecode: unknown rate " << argv[rateIndex] << '\n';
        return 1;
    }
    for (int i = rateIndex + 1; i < argc; ++i) {
        if (toFrames) {
            const auto frames = brimlock::TimecodeCalculator::timecodeToFrames(argv[i], *rate);
            if (frames) {
                std::cout << *frames << '\n';
            } else {
                std::cout << "none\n";
            }
            continue;
        }
        const auto frames = frameCount(argv[i]);
        if (!frames) {
            std::cerr << "quillotodo-timecode: not a frame count: " << argv[i] << '\n';
            return 1;
        }
        std::cout << brimlock::TimecodeCalculator::framesToTimecode(*frames, *rate) << '\n';
    }
    return 0;
}
