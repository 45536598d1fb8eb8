#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "comm/WedgeLibraryCalls.h"

namespace magtune::wedge {

// zebapi as the program uses it: loaded by name on the first call, from the
// program's helper folders (HelperFolders()), else the library search path, and kept
// loaded for the rest of the process (its hook and buffers live there).
// When it cannot be loaded every call fails, and ZebGetLastError tells why.
class ZebApiLibrary : public comm::WedgeLibraryCalls {
  public:
    // The file name looked for; a path with a slash is taken as it is.
#ifdef _WIN32
    static constexpr const char* kFileName = "zebapi.dll";
#else
    static constexpr const char* kFileName = "libzebapi.so";
#endif

    explicit ZebApiLibrary(std::string fileName = kFileName);
    ~ZebApiLibrary() override;

    std::int32_t ZebLoadDriver0() override;
    std::int32_t ZebUnloadDriver() override;
    std::int32_t ZebEnableEcho(std::int32_t on) override;
    std::int32_t ZebSetDelay(std::int32_t delay) override;
    std::int32_t ZebSendData(const unsigned char* data, std::int32_t count) override;
    std::int32_t ZebGetEchoChars(char* keys, char* scans, std::int32_t size) override;
    std::int32_t ZebGetLastError(char* text, std::int32_t size) override;

    // Hands one key event of the user-interface thread to the library's
    // keyboard hook; true when it was captured and must be swallowed. Never
    // loads the library: before the first transfer every key passes on.
    bool keyboardHook(std::uint8_t virtualKey, std::uint8_t scanCode, bool down);

  private:
    struct Functions;
    const Functions* load();

    std::string fileName_;
    // The library itself stays loaded for the life of the process; only the
    // table of its functions belongs to this object.
    std::unique_ptr<Functions> functions_;
    std::string loadError_;
};

}  // namespace magtune::wedge
