#pragma once

#include <cerrno>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ReaderTransport.h"
#include "comm/CommFakes.h"
#include "shell/ComPortOpener.h"
#include "shell/InterfaceDialogs.h"
#include "shell/PortConfigDialog.h"

namespace magtune::test {

// COM ports of a test: an index with a FakeSerialPort opens it, any other
// index is held by another program.
struct FakeComPorts {
    std::map<int, FakeSerialPort*> available;
    std::vector<int> opened;

    // What the system says of a port held by another program.
    static std::string refusal(int index) {
        return platform::PortNotAvailableText(platform::ComPortPlace(index, {}), EBUSY, {});
    }

    shell::ComPortOpener opener() {
        return [this](int index) {
            opened.push_back(index);
            shell::ComPortOpening opening;
            auto it = available.find(index);
            if (it == available.end()) {
                opening.refusal = refusal(index);
                return opening;
            }
            it->second->closed = false;
            opening.port = std::make_unique<PortHandle>(*it->second);
            return opening;
        };
    }
};

// The port configuration dialog: records what it was shown and answers from
// a script (nullopt = Cancel; an empty script cancels).
class FakePortConfigDialog : public shell::PortConfigDialog {
  public:
    struct Shown {
        std::string portName;
        platform::PortSettings settings;
    };
    std::vector<Shown> shown;
    std::deque<std::optional<platform::PortSettings>> answers;

    std::optional<platform::PortSettings> configure(
        const std::string& portName, const platform::PortSettings& settings) override {
        shown.push_back({portName, settings});
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The selection dialogs: each run calls `choose` (which plays the user's
// choice into the state) and returns its result.
class FakeInterfaceDialogs : public shell::InterfaceDialogs {
  public:
    std::vector<shell::SelectionDialogKind> runs;
    std::function<bool(shell::SelectionDialogKind)> choose;

    bool run(shell::SelectionDialogKind kind) override {
        runs.push_back(kind);
        return choose ? choose(kind) : false;
    }
};

// A transport whose windows only record that they ran; `onUpload` and
// `onDownload` play the transfer.
class FakeTransport : public app::ReaderTransport {
  public:
    std::vector<std::string> calls;
    bool deviceChosen = true;
    std::function<bool()> onDownload = [] { return true; };
    // Writes what the reader delivers.
    std::function<bool(settings::ConfigurationImage&)> onUpload =
        [](settings::ConfigurationImage&) { return true; };

    bool chooseDevice() override {
        calls.push_back("choose");
        return deviceChosen;
    }
    bool download(const settings::ConfigurationImage& image) override {
        calls.push_back("download");
        downloaded = image;
        return onDownload();
    }
    bool upload(settings::ConfigurationImage& image) override {
        calls.push_back("upload");
        return onUpload(image);
    }
    settings::ConfigurationImage downloaded{};
    void testPad() override { calls.push_back("test"); }
    void releaseDevices() override { calls.push_back("release"); }
};

}  // namespace magtune::test
