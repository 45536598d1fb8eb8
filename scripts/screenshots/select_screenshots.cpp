// Renders the interface selection dialogs, the port properties dialog and
// the serial transfer forms to PNG files: magtune_screenshots_select <output folder>.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include "ScreenshotSupport.h"
#include "comm/ui/frmComDn.h"
#include "comm/ui/frmComTest.h"
#include "comm/ui/frmComUp.h"
#include "platform/Clock.h"
#include "shell/PortSettingsChoices.h"
#include "shell/PortSettingsDialog.h"
#include "shell/frmOpen.h"
#include "shell/frmSave.h"
#include "shell/frmSelect.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

// A port that is there and does nothing, so that Properties is enabled.
class IdlePort : public SerialPort {
  public:
    bool getState(PortSettings&, SystemError&) override { return true; }
    bool setState(const PortSettings&, SystemError&) override { return true; }
    bool setTimeouts(const CommTimeouts&, SystemError&) override { return true; }
    bool purge(SystemError&) override { return true; }
    bool read(std::span<std::uint8_t>, std::size_t& received, SystemError&) override {
        received = 0;
        return true;
    }
    bool write(std::span<const std::uint8_t> data, std::size_t& written, SystemError&) override {
        written = data.size();
        return true;
    }
    void close() override {}
    std::string devicePath() const override { return "/dev/null"; }
};

class NoFiles : public FileSystem {
  public:
    std::optional<std::vector<std::uint8_t>> readFile(const std::string&, SystemError&) override {
        return std::nullopt;
    }
    bool writeFileAtomically(const std::string&, std::span<const std::uint8_t>,
                             SystemError&) override {
        return true;
    }
    bool appendToFile(const std::string&, std::span<const std::uint8_t>, SystemError&) override {
        return true;
    }
    bool truncateFile(const std::string&, SystemError&) override { return true; }
    bool fileExists(const std::string&) override { return false; }
    bool removeFile(const std::string&, SystemError&) override { return true; }
};

}  // namespace

int main(int argc, char* argv[]) {
    return RunScreenshots(argc, argv, [](const QDir& folder) {
        SilentPrompter prompter;
        NoFiles files;
        SettingStore store;
        SerialSession session;
        CommOptions options;
        TransferLog log(files, "USBLog.txt");
        SerialLink link(session, options, log, prompter);
        InterfaceDialogContext context{store, link, [](int) {
                                           return ComPortOpening{std::make_unique<IdlePort>(), {}};
                                       }};
        bool ok = true;

        store.CurrentInterface = InterfaceCode::Rs232;
        session.CurrentComIndex = 2;
        {
            frmOpen open(context, "MSR 100");
            ok &= Shown(open, folder, QStringLiteral("frmOpen.png"));
            open.reject();
        }
        store.CurrentInterface = InterfaceCode::Usb;
        {
            frmSave save(context);
            ok &= Shown(save, folder, QStringLiteral("frmSave.png"));
            save.reject();
        }
        store.CurrentInterface = InterfaceCode::Rs232;
        session.CurrentComIndex = 0;
        {
            frmSelect select(context);
            ok &= Shown(select, folder, QStringLiteral("frmSelect.png"));
            select.reject();
        }
        {
            PortSettings block;
            block.DCBlength = PortSettings::kByteSize;
            RestorePortDefaults(block);
            PortSettingsDialog properties(QStringLiteral("COM3"), block);
            ok &= Shown(properties, folder, QStringLiteral("PortSettingsDialog.png"));
        }

        session.DeviceName = "MSR 100";
        {
            frmComDn download(link, SystemClock(), store.image);
            download.setStatus("Downloading to device ...");
            download.setProgress(50);
            ok &= Drawn(download, folder, QStringLiteral("frmComDn.png"));
        }
        {
            frmComUp upload(link, SystemClock(), store.image);
            upload.setStatus("Upload setting from MSR 100 ...");
            upload.setProgress(50);
            ok &= Drawn(upload, folder, QStringLiteral("frmComUp.png"));
        }
        {
            frmComTest pad(link);
            pad.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"))
                ->setPlainText(QStringLiteral("%B4111111111111111^CARDHOLDER/TEST^2512101?\n"
                                              ";4111111111111111=2512101?\n"));
            ok &= Drawn(pad, folder, QStringLiteral("frmComTest.png"));
        }
        return ok;
    });
}
