#pragma once

namespace platform {

class FCPXTimeline;

// The editing application hosting the workflow extension.
class FCPXHost {
public:
    virtual ~FCPXHost() = default;

    // Owned by the host; nothing when it has none.
    virtual FCPXTimeline* timeline() = 0;
};

// The host of this process, as the extension's program installed it; nothing outside a host, which
// on this platform means: unless a stand-in host was installed.
FCPXHost* ProExtensionHostSingleton();
// Installs `host` (not owned; nullptr removes it) as the answer of ProExtensionHostSingleton().
void setProExtensionHostSingleton(FCPXHost* host);

}  // namespace platform
