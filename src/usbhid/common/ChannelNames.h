#pragma once

#include <string>

namespace magtune::usbhid {

// The named objects through which the client library and the server meet.
enum class ChannelObject {
    RequestEvent,
    ReplyEvent,
    QuitEvent,
    ReadyEvent,
    RequestBlock,
    ServerMutex,
};

// The part of every object name that ties it to the folder of the
// executable: the folder with each slash and backslash replaced by "_". A
// client and a server meet only when both executables lie in the same
// folder.
//
// The system limits file names to 255 bytes, so a NameBase longer than
// kMaxNameBase characters becomes 16 hexadecimal digits of the 64-bit FNV-1a
// hash of the whole folder path, "_", and the last characters of the long
// NameBase, kMaxNameBase in all.
// Two folders of equal tails still get distinct names through the hash.
std::string NameBase(const std::string& folder);
inline constexpr std::size_t kMaxNameBase = 200;

// The object's fixed GUID text.
const char* ChannelGuid(ChannelObject object);

// Every object lives in the user's private runtime folder, so each user has
// a namespace of its own, as each session has on Windows.
//
// Runtime folder, "/", NameBase, GUID: the file of an event or of the
// shared memory block.
std::string ChannelObjectPath(const std::string& runtimeFolder, const std::string& nameBase,
                              ChannelObject object);

// The file whose lock stands for ServerMutex: the ServerMutex path with
// ".lock".
std::string ServerLockPath(const std::string& runtimeFolder, const std::string& nameBase);

// The server's file name, looked for in the helper folders of the host
// executable (its own folder first, see HelperFolders()).
inline constexpr const char* kServerFileName = "OruUsbHidCtrlSrv64";

}  // namespace magtune::usbhid
