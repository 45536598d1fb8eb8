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
class IdlePort : public platform::SerialPort {
  public:
    bool getState(platform::PortSettings&, platform::SystemError&) override { return true; }
    bool setState(const platform::PortSettings&, platform::SystemError&) override { return true; }
    bool setTimeouts(const platform::CommTimeouts&, platform::SystemError&) override {
        return true;
    }
    bool purge(platform::SystemError&) override { return true; }
    bool read(std::span<std::uint8_t>, std::size_t& received, platform::SystemError&) override {
        received = 0;
        return true;
    }
    bool write(std::span<const std::uint8_t> data, std::size_t& written,
               platform::SystemError&) override {
        written = data.size();
        return true;
    }
    void close() override {}
    std::string devicePath() const override { return "/dev/null"; }
};

class NoFiles : public platform::FileSystem {
  public:
    std::optional<std::vector<std::uint8_t>> readFile(const std::string&,
                                                      platform::SystemError&) override {
        return std::nullopt;
    }
    bool writeFileAtomically(const std::string&, std::span<const std::uint8_t>,
                             platform::SystemError&) override {
        return true;
    }
    bool appendToFile(const std::string&, std::span<const std::uint8_t>,
                      platform::SystemError&) override {
        return true;
    }
    bool truncateFile(const std::string&, platform::SystemError&) override { return true; }
    bool fileExists(const std::string&) override { return false; }
    bool removeFile(const std::string&, platform::SystemError&) override { return true; }
};

}  // namespace

int main(int argc, char* argv[]) {
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        screenshots::SilentPrompter prompter;
        NoFiles files;
        settings::SettingStore store;
        comm::SerialSession session;
        comm::CommOptions options;
        comm::TransferLog log(files, "USBLog.txt");
        comm::SerialLink link(session, options, log, prompter);
        shell::InterfaceDialogContext context{
            store, link, [](int) {
                return shell::ComPortOpening{std::make_unique<IdlePort>(), {}};
            }};
        bool ok = true;

        store.CurrentInterface = settings::InterfaceCode::Rs232;
        session.CurrentComIndex = 2;
        {
            shell::frmOpen open(context, "MSR 100");
            ok &= screenshots::Shown(open, folder, QStringLiteral("frmOpen.png"));
            open.reject();
        }
        store.CurrentInterface = settings::InterfaceCode::Usb;
        {
            shell::frmSave save(context);
            ok &= screenshots::Shown(save, folder, QStringLiteral("frmSave.png"));
            save.reject();
        }
        store.CurrentInterface = settings::InterfaceCode::Rs232;
        session.CurrentComIndex = 0;
        {
            shell::frmSelect select(context);
            ok &= screenshots::Shown(select, folder, QStringLiteral("frmSelect.png"));
            select.reject();
        }
        {
            platform::PortSettings block;
            block.DCBlength = platform::PortSettings::kByteSize;
            shell::RestorePortDefaults(block);
            shell::PortSettingsDialog properties(QStringLiteral("COM3"), block);
            ok &= screenshots::Shown(properties, folder, QStringLiteral("PortSettingsDialog.png"));
        }

        session.DeviceName = "MSR 100";
        {
            comm::frmComDn download(link, platform::SystemClock(), store.image);
            download.setStatus("Downloading to device ...");
            download.setProgress(50);
            ok &= screenshots::Drawn(download, folder, QStringLiteral("frmComDn.png"));
        }
        {
            comm::frmComUp upload(link, platform::SystemClock(), store.image);
            upload.setStatus("Upload setting from MSR 100 ...");
            upload.setProgress(50);
            ok &= screenshots::Drawn(upload, folder, QStringLiteral("frmComUp.png"));
        }
        {
            comm::frmComTest pad(link);
            pad.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"))
                ->setPlainText(QStringLiteral("%B4111111111111111^CARDHOLDER/TEST^2512101?\n"
                                              ";4111111111111111=2512101?\n"));
            ok &= screenshots::Drawn(pad, folder, QStringLiteral("frmComTest.png"));
        }
        return ok;
    });
}
