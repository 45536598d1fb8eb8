#pragma once

#include <cstdint>

namespace magtune::comm {

// The keyboard wedge library's exports that the wedge transfers call, with
// the library's own conventions (1 success, 0 failure with a last-error
// text). The program binds the loaded zebapi; tests script them.
class WedgeLibraryCalls {
  public:
    virtual ~WedgeLibraryCalls() = default;

    virtual std::int32_t ZebLoadDriver0() = 0;
    virtual std::int32_t ZebUnloadDriver() = 0;
    virtual std::int32_t ZebEnableEcho(std::int32_t on) = 0;
    virtual std::int32_t ZebSetDelay(std::int32_t delay) = 0;
    virtual std::int32_t ZebSendData(const unsigned char* data, std::int32_t count) = 0;
    virtual std::int32_t ZebGetEchoChars(char* keys, char* scans, std::int32_t size) = 0;
    virtual std::int32_t ZebGetLastError(char* text, std::int32_t size) = 0;
};

}  // namespace magtune::comm
