#pragma once

#include <string>

#include "usbhid/common/ChannelNames.h"

namespace magtune::usbhid {

// The host executable's folder (its path, read into a buffer of 961
// characters, cut before the last backslash); empty when the path does not
// fit. The client library and the server build the channel's NameBase from
// it, so both must read it alike.
std::string HostFolder();

// The name of a channel object of the folder's NameBase: NameBase and GUID.
std::string ChannelObjectName(const std::string& nameBase, ChannelObject object);

}  // namespace magtune::usbhid
