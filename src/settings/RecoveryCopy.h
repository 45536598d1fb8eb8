#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "settings/ConfigurationImage.h"

namespace magtune::settings {

// A changed setting that the program could not ask about before it ended
// (the system or the session ended it with a signal): its image and where
// it came from, so that the next start can offer it back.
//
// The file holds, in this order: the 4 bytes "MTRC", a version byte (1),
// the setting file's path and the device name, each as a 16-bit
// little-endian length and that many bytes, and the 256 image bytes. Any
// other content is no recovery copy.
struct RecoveryCopy {
    ConfigurationImage image{};
    std::string file;    // the setting file it was open from, else empty
    std::string device;  // the reader it was uploaded from, else empty

    friend bool operator==(const RecoveryCopy&, const RecoveryCopy&) = default;
};

std::vector<std::uint8_t> EncodeRecoveryCopy(const RecoveryCopy& copy);
// nullopt for anything but a whole copy (truncated, extended, another file).
std::optional<RecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes);

// <user state folder>/recovery.mtrc
std::string DefaultRecoveryCopyPath();

// Written atomically, the folder created when missing: the old copy or the
// whole new one, never a part.
bool WriteRecoveryCopy(platform::FileSystem& files, const std::string& path,
                       const RecoveryCopy& copy, platform::SystemError& error);
// nullopt when there is none or it is broken.
std::optional<RecoveryCopy> ReadRecoveryCopy(platform::FileSystem& files, const std::string& path);

}  // namespace magtune::settings
