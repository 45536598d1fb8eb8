// usbhid_test_host: a program that loads libOruUsbHidCtrl the way Magtune
// does and calls its exports on command, one line in, one line out, so that
// the tests can run it from folders of their own.
//
//   count | release | selected | deselect | ready     -> result
//   enum I                                            -> result flag name
//   select I | set CODE | channel CODE                -> result
//   get                                               -> result code
//   buffered HEX                                      -> result
//   overlong                                          -> result (1033 bytes)
//   download | upload                                 -> succeeded, messages, image
//   messages                   -> what the libraries told the user, "|" before each
//   exit
//
// A transfer takes the reader's keys from the simulator that
// MAGTUNE_USB_SIM names, as magtune-cli does.

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "comm/SimulatorKeySource.h"
#include "comm/UsbTransfer.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LibraryMessageRoute.h"
#include "usbhid/client/OruUsbHidCtrl.h"
#include "usbhid/common/SimUsbWire.h"

namespace {

using namespace magtune;

// The linked library behind the interface the transfers use.
class LinkedUsbLibrary : public comm::UsbLibraryCalls {
  public:
    std::int32_t UsbHidGetAvailableDeviceList() override {
        return ::UsbHidGetAvailableDeviceList();
    }
    std::int32_t UsbHidReleaseDeviceList() override { return ::UsbHidReleaseDeviceList(); }
    std::int32_t UsbHidEnumDeviceList(std::int32_t index, char* name, std::uint8_t* flag) override {
        return ::UsbHidEnumDeviceList(index, name, flag);
    }
    std::int32_t UsbHidSelectDevice(std::int32_t index) override {
        return ::UsbHidSelectDevice(index);
    }
    std::int32_t UsbHidDeselectDevice() override { return ::UsbHidDeselectDevice(); }
    std::int32_t UsbHidIsDeviceReady() override { return ::UsbHidIsDeviceReady(); }
    std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) override {
        return ::UsbHidSetDeviceControlCode(code);
    }
    std::int32_t UsbHidSetDownloadChannel(std::int32_t channel) override {
        return ::UsbHidSetDownloadChannel(channel);
    }
};

// Collects the messages and declines every retry.
class LinePrompter : public common::Prompter {
  public:
    std::string texts;
    common::Answer show(const common::Message& message) override {
        texts += "|" + message.text;
        return message.buttons == common::MessageButtons::Ok ? common::Answer::Ok
                                                             : common::Answer::No;
    }
    void beep() override {}
};

class NoView : public comm::TransferView {
  public:
    void setStatus(const std::string&) override {}
    void setProgress(int) override {}
    void setBusy(bool) override {}
};

std::string Transfer(comm::UsbTransfer::Direction direction) {
    platform::SystemError error;
    const char* bus = std::getenv(usbhid::kUsbSimEnvironmentVariable);
    auto keys = comm::SimulatorKeySource::connect(bus ? bus : "", error);
    if (!keys) {
        return "no key source";
    }
    settings::ConfigurationImage image;
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(0x40 + i);
    }
    LinkedUsbLibrary library;
    LinePrompter prompter;
    NoView view;
    comm::CommOptions options;
    options.UsbDelay = 1;
    comm::TransferLog log(platform::RealFileSystem(), "/dev/null");
    comm::TransferLog dump(platform::RealFileSystem(), "/dev/null");
    if (direction == comm::UsbTransfer::Direction::Upload) {
        image.fill(0);
    }
    comm::UsbTransfer transfer(direction, library, platform::SystemClock(), prompter, view, options,
                               log, dump, image);
    const bool succeeded = comm::RunUsbTransfer(transfer, *keys, platform::SystemClock());
    char head[16];
    std::snprintf(head, sizeof head, "%02X%02X%02X", image[0], image[1], image[255]);
    return std::to_string(succeeded ? 1 : 0) + " " + head + prompter.texts;
}

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

LinePrompter libraryMessages;

std::string Run(const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    int argument = 0;
    if (command == "count") {
        return std::to_string(UsbHidGetAvailableDeviceList());
    }
    if (command == "release") {
        return std::to_string(UsbHidReleaseDeviceList());
    }
    if (command == "selected") {
        return std::to_string(UsbHidIsDeviceSelected());
    }
    if (command == "deselect") {
        return std::to_string(UsbHidDeselectDevice());
    }
    if (command == "ready") {
        return std::to_string(UsbHidIsDeviceReady());
    }
    if (command == "enum" && in >> argument) {
        char name[256];
        std::uint8_t flag = 7;
        const int result = UsbHidEnumDeviceList(argument, name, &flag);
        return std::to_string(result) + " " + std::to_string(flag) + " " + name;
    }
    if (command == "select" && in >> argument) {
        return std::to_string(UsbHidSelectDevice(argument));
    }
    if (command == "set" && in >> argument) {
        return std::to_string(UsbHidSetDeviceControlCode(argument));
    }
    if (command == "channel" && in >> argument) {
        return std::to_string(UsbHidSetDownloadChannel(argument));
    }
    if (command == "get") {
        std::uint8_t code = 7;
        const int result = UsbHidGetDeviceControlCode(&code);
        return std::to_string(result) + " " + std::to_string(code);
    }
    std::string hex;
    if (command == "buffered" && in >> hex) {
        const auto bytes = FromHex(hex);
        return std::to_string(
            UsbHidSetDeviceBufferedData(bytes.data(), static_cast<uint32_t>(bytes.size()), 0));
    }
    if (command == "download") {
        return Transfer(comm::UsbTransfer::Direction::Download);
    }
    if (command == "upload") {
        return Transfer(comm::UsbTransfer::Direction::Upload);
    }
    if (command == "messages") {
        return std::exchange(libraryMessages.texts, {});
    }
    if (command == "overlong") {
        const std::vector<std::uint8_t> bytes(1033, 0xEC);
        return std::to_string(UsbHidSetDeviceBufferedData(bytes.data(), 1033, 0));
    }
    return "?";
}

}  // namespace

int main() {
    const platform::LibraryMessageRoute route(libraryMessages);
    std::string line;
    while (std::getline(std::cin, line) && line != "exit") {
        std::cout << Run(line) << std::endl;
    }
    return 0;
}
