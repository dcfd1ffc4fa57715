#include "Platform/FCPXHost/FCPXHost.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<FCPXHost*> installedHost{nullptr};

}  // namespace

FCPXHost* ProExtensionHostSingleton() { return installedHost.load(); }

void setProExtensionHostSingleton(FCPXHost* host) { installedHost.store(host); }

}  // namespace platform
