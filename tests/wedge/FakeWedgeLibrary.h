#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "comm/TransferView.h"
#include "comm/WedgeEcho.h"
#include "comm/WedgeLibraryCalls.h"

namespace magtune::test {

// The wedge library as the transfers see it: every call is recorded, the
// echo is whatever `reader` typed in answer to the bytes sent, and the calls
// named in `failing` fail with `errorText`.
class FakeWedgeLibrary : public comm::WedgeLibraryCalls {
  public:
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> sends;
    std::deque<std::uint8_t> echo;  // scan codes not yet read
    std::function<void(FakeWedgeLibrary&, const std::vector<std::uint8_t>&)> reader;
    std::set<std::string> failing;
    std::string errorText = "Send data to keyboard port failed! (2k)";
    std::int32_t oversizedReads = 0;  // reads that report a too small buffer
    std::size_t maxPerRead = 0;       // codes one read returns at most (0: all)

    // The reader types a character: its key once down and once up.
    void type(const std::string& characters) {
        for (char c : characters) {
            const auto key = wedge::KeyStrokeForCharacter(c);
            echo.push_back(key->scanCode);
            echo.push_back(key->scanCode);
        }
    }

    std::int32_t ZebLoadDriver0() override { return result("ZebLoadDriver0"); }
    std::int32_t ZebUnloadDriver() override { return result("ZebUnloadDriver"); }
    std::int32_t ZebEnableEcho(std::int32_t on) override {
        return result("ZebEnableEcho(" + std::to_string(on) + ")");
    }
    std::int32_t ZebSetDelay(std::int32_t delay) override {
        return result("ZebSetDelay(" + std::to_string(delay) + ")");
    }
    std::int32_t ZebSendData(const unsigned char* data, std::int32_t count) override {
        if (!result("ZebSendData(" + std::to_string(count) + ")")) {
            return 0;
        }
        sends.emplace_back(data, data + count);
        if (reader) {
            reader(*this, sends.back());
        }
        return 1;
    }
    std::int32_t ZebGetEchoChars(char* keys, char* scans, std::int32_t size) override {
        keys[0] = scans[0] = '\0';
        if (echo.empty()) {
            return 0;
        }
        if (oversizedReads > 0) {
            --oversizedReads;
            return size + 1;
        }
        auto n = std::min<std::size_t>(echo.size(), static_cast<std::size_t>(size - 1));
        if (maxPerRead != 0) {
            n = std::min(n, maxPerRead);
        }
        for (std::size_t i = 0; i < n; ++i) {
            scans[i] = static_cast<char>(echo.front());
            keys[i] = static_cast<char>(wedge::VirtualKeyForScanCode(echo.front()));
            echo.pop_front();
        }
        keys[n] = scans[n] = '\0';
        return static_cast<std::int32_t>(n);
    }
    std::int32_t ZebGetLastError(char* text, std::int32_t size) override {
        const auto needed = static_cast<std::int32_t>(errorText.size() + 1);
        if (size >= needed) {
            std::memcpy(text, errorText.c_str(), errorText.size() + 1);
        }
        return needed;
    }

  private:
    std::int32_t result(const std::string& call) {
        calls.push_back(call);
        return failing.count(call) != 0 ? 0 : 1;
    }
};

class RecordedView : public comm::TransferView {
  public:
    std::vector<std::string> statuses;
    std::vector<int> progress;
    bool busy = false;

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setBusy(bool on) override { busy = on; }
};

}  // namespace magtune::test
