#include "settings/RecoveryCopy.h"

#include <algorithm>
#include <array>

#include "platform/Paths.h"

namespace magtune::settings {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'M', 'T', 'R', 'C'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kMaxText = 0xFFFF;

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    const std::size_t size = std::min(text.size(), kMaxText);
    out.push_back(static_cast<std::uint8_t>(size & 0xFF));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

// Reads a text at `pos` and moves past it; false when the bytes run out.
bool TakeText(std::span<const std::uint8_t> bytes, std::size_t& pos, std::string& text) {
    if (bytes.size() - pos < 2) {
        return false;
    }
    const std::size_t size = bytes[pos] | static_cast<std::size_t>(bytes[pos + 1]) << 8;
    pos += 2;
    if (bytes.size() - pos < size) {
        return false;
    }
    text.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    pos += size;
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeRecoveryCopy(const RecoveryCopy& copy) {
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    out.push_back(kVersion);
    PutText(out, copy.file);
    PutText(out, copy.device);
    out.insert(out.end(), copy.image.begin(), copy.image.end());
    return out;
}

std::optional<RecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kMagic.size() + 1 ||
        !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()) ||
        bytes[kMagic.size()] != kVersion) {
        return std::nullopt;
    }
    RecoveryCopy copy;
    std::size_t pos = kMagic.size() + 1;
    if (!TakeText(bytes, pos, copy.file) || !TakeText(bytes, pos, copy.device) ||
        bytes.size() - pos != kImageSize) {
        return std::nullopt;
    }
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end(), copy.image.begin());
    return copy;
}

std::string DefaultRecoveryCopyPath() {
    return platform::UserFilePath(platform::UserStateFolder(), "recovery.mtrc");
}

bool WriteRecoveryCopy(platform::FileSystem& files, const std::string& path,
                       const RecoveryCopy& copy, platform::SystemError& error) {
    return files.createFolders(platform::ParentFolder(path), error) &&
           files.writeFileAtomically(path, EncodeRecoveryCopy(copy), error);
}

std::optional<RecoveryCopy> ReadRecoveryCopy(platform::FileSystem& files, const std::string& path) {
    if (!files.fileExists(path)) {
        return std::nullopt;
    }
    platform::SystemError error;
    const auto bytes = files.readFile(path, error);
    return bytes ? DecodeRecoveryCopy(*bytes) : std::nullopt;
}

}  // namespace magtune::settings
