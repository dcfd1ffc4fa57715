#pragma once

#include "testing/AssetDescription.h"

#include <optional>
#include <string>

namespace quillo::testing {

enum class ClipForm {
    mediaComponent,  // an "FFAnchoredMediaComponent" that references its asset itself
    collection,      // an "FFAnchoredCollection" holding a media component under "containedItems"
};

struct ClipOptions {
    ClipForm form = ClipForm::mediaComponent;
    bool synchronized = false;                // "isSyncronized" true; a collection with video and audio
    bool compoundFlag = false;                // "isCompoundClip" true; a collection
    std::optional<std::string> videoAngle{};  // "videoAngle"
    std::optional<AssetRef> asset{};          // default: the event's asset named after the clip
    bool media = true;                        // false: no asset reference below the clip
};

}  // namespace quillo::testing
