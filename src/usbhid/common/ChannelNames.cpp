#include "usbhid/common/ChannelNames.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace magtune::usbhid {

namespace {

std::uint64_t Fnv1a64(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace

std::string NameBase(const std::string& folder) {
    std::string base = folder;
    // Windows folders are cut by backslashes, POSIX ones by slashes.
    std::replace(base.begin(), base.end(), '/', '_');
    std::replace(base.begin(), base.end(), '\\', '_');
    if (base.size() <= kMaxNameBase) {
        return base;
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a64(folder)));
    const std::size_t tail = kMaxNameBase - 17;
    return std::string(hash) + "_" + base.substr(base.size() - tail);
}

const char* ChannelGuid(ChannelObject object) {
    switch (object) {
        case ChannelObject::RequestEvent:
            return "{10B07095-D345-4cb9-B16E-9CCC6711E9DF}";
        case ChannelObject::ReplyEvent:
            return "{D22271AE-A2FE-4743-801E-501F0A6DDC35}";
        case ChannelObject::QuitEvent:
            return "{C3AAA99B-DD57-4a98-89F0-1B99DC700429}";
        case ChannelObject::ReadyEvent:
            return "{B042D1B9-7E03-4203-894C-39BF050A8CE4}";
        case ChannelObject::RequestBlock:
            return "{FF605E43-1EA6-4254-914C-23C054B79A55}";
        case ChannelObject::ServerMutex:
            return "{919CCE97-5F08-44dd-B546-CF18C1A11563}";
    }
    return "";
}

std::string ChannelObjectPath(const std::string& runtimeFolder, const std::string& nameBase,
                              ChannelObject object) {
    return runtimeFolder + "/" + nameBase + ChannelGuid(object);
}

std::string ServerLockPath(const std::string& runtimeFolder, const std::string& nameBase) {
    return ChannelObjectPath(runtimeFolder, nameBase, ChannelObject::ServerMutex) + ".lock";
}

}  // namespace magtune::usbhid
