#include "shell/InstanceRequest.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <thread>

#include "platform/UnixSocket.h"

namespace magtune::shell {

std::vector<std::uint8_t> EncodeInstanceRequest(const std::string& absoluteFile) {
    // Built as one text first: GCC 12 at -O2 misreads a vector grown from
    // the header by an insert as an out-of-bounds copy.
    const std::string text = kInstanceRequestHeader + absoluteFile;
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

InstanceRequestReader::Status InstanceRequestReader::feed(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || status_ == Status::Invalid) {
        return status_;
    }
    if (status_ == Status::Complete) {
        return status_ = Status::Invalid;
    }
    received_.append(bytes.begin(), bytes.end());
    const std::string_view header = kInstanceRequestHeader;
    const std::size_t compared = std::min(received_.size(), header.size());
    if (received_.compare(0, compared, header.substr(0, compared)) != 0) {
        return status_ = Status::Invalid;
    }
    const std::size_t end = received_.find('\0', header.size());
    if (end == std::string::npos) {
        return status_ = received_.size() >= kInstanceRequestMaxSize ? Status::Invalid
                                                                     : Status::Incomplete;
    }
    file_ = received_.substr(header.size(), end - header.size());
    const bool alone = end + 1 == received_.size();
    const bool absolute = file_.empty() || file_.front() == '/';
    received_.clear();
    return status_ = alone && absolute ? Status::Complete : Status::Invalid;
}

std::optional<std::string> SettingFileArgument(const std::vector<std::string>& arguments) {
    // The toolkit's options that take the next argument as their value.
    static constexpr std::array<std::string_view, 15> kWithValue = {
        "platform",      "platformpluginpath",
        "platformtheme", "plugin",
        "qmljsdebugger", "qwindowgeometry",
        "qwindowicon",   "qwindowtitle",
        "session",       "style",
        "stylesheet",    "display",
        "geometry",      "title",
        "name"};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            return i + 1 < arguments.size() ? std::optional(arguments[i + 1]) : std::nullopt;
        }
        if (argument.size() < 2 || argument.front() != '-') {
            if (!argument.empty()) {
                return argument;
            }
            continue;
        }
        std::string_view name(argument);
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        if (name.find('=') == std::string_view::npos &&
            std::find(kWithValue.begin(), kWithValue.end(), name) != kWithValue.end()) {
            ++i;
        }
    }
    return std::nullopt;
}

std::string AbsoluteFilePath(const std::string& path, const std::string& workingFolder) {
    std::filesystem::path absolute(path);
    if (!absolute.is_absolute()) {
        absolute = std::filesystem::path(workingFolder) / absolute;
    }
    std::string cleaned = absolute.lexically_normal().string();
    if (cleaned.size() > 1 && cleaned.back() == '/') {
        cleaned.pop_back();
    }
    return cleaned;
}

bool HandOverToRunningInstance(const std::string& socketPath, const std::string& file,
                               int timeoutMs, std::string& problem) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto remainingMs = [deadline] {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        return std::max<int>(0, static_cast<int>(left.count()));
    };
    if (socketPath.empty()) {
        problem = "the user has no private runtime folder";
        return false;
    }
    platform::SystemError error;
    std::optional<platform::UnixSocket> socket;
    for (;;) {
        socket = platform::UnixSocket::connectTo(socketPath, error);
        if (socket || remainingMs() == 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, remainingMs())));
    }
    if (!socket) {
        problem = "cannot reach it at " + socketPath + " (" + error.function +
                  "(): " + platform::SystemMessageText(error.code) + ")";
        return false;
    }
    const std::vector<std::uint8_t> request = EncodeInstanceRequest(file);
    std::array<std::uint8_t, 1> receipt{};
    if (!socket->writeAll(request, remainingMs()) || !socket->readExact(receipt, remainingMs())) {
        problem = "it did not answer within " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    if (receipt[0] != kInstanceRequestTaken) {
        problem = "it refused the request";
        return false;
    }
    return true;
}

}  // namespace magtune::shell
