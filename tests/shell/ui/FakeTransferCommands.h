#pragma once

#include <string>
#include <vector>

#include "shell/TransferCommands.h"

namespace magtune::test {

// Records which Settings command ran; downloads and uploads report what the
// test set.
class FakeTransferCommands : public shell::TransferCommands {
  public:
    std::vector<std::string> calls;
    bool downloadResult = false;
    bool uploadResult = false;

    void upload() override { calls.push_back("upload"); }
    void download() override { calls.push_back("download"); }
    void testPad() override { calls.push_back("testPad"); }
    bool downloadSetting() override {
        calls.push_back("downloadSetting");
        return downloadResult;
    }
    bool uploadRecent(const settings::RecentEntry& entry) override {
        calls.push_back("uploadRecent " + entry.Name);
        return uploadResult;
    }
    void releaseDevices() override { calls.push_back("releaseDevices"); }
};

}  // namespace magtune::test
