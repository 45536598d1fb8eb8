// Renders the keyboard wedge transfer forms and the test pad to PNG files:
// magtune_screenshots_wedge <output folder>.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>

#include "ScreenshotSupport.h"
#include "comm/ui/frmDnld.h"
#include "comm/ui/frmTest.h"
#include "comm/ui/frmUpld.h"
#include "platform/Clock.h"
#include "settings/InterfaceCode.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

// The forms are drawn without being shown, so their transfer never starts
// and the library is never called.
class NoLibrary : public comm::WedgeLibraryCalls {
  public:
    std::int32_t ZebLoadDriver0() override { return 0; }
    std::int32_t ZebUnloadDriver() override { return 0; }
    std::int32_t ZebEnableEcho(std::int32_t) override { return 0; }
    std::int32_t ZebSetDelay(std::int32_t) override { return 0; }
    std::int32_t ZebSendData(const unsigned char*, std::int32_t) override { return 0; }
    std::int32_t ZebGetEchoChars(char*, char*, std::int32_t) override { return -1; }
    std::int32_t ZebGetLastError(char*, std::int32_t) override { return 0; }
};

bool Progress(comm::frmWedgeTransfer& form, const char* status, int percent, const QDir& folder,
              const QString& name) {
    form.setStatus(status);
    form.setProgress(percent);
    return screenshots::Drawn(form, folder, name);
}

}  // namespace

int main(int argc, char* argv[]) {
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        screenshots::SilentPrompter prompter;
        NoLibrary library;
        settings::ConfigurationImage image{};
        bool ok = true;
        {
            comm::frmDnld download(library, platform::SystemClock(), prompter, 5, image);
            ok &= Progress(download, "Connecting to device ...", 0, folder,
                           QStringLiteral("frmDnld-connect.png"));
            ok &= Progress(download, "Sending data, please wait ...", 50, folder,
                           QStringLiteral("frmDnld.png"));
        }
        {
            comm::frmUpld upload(library, platform::SystemClock(), prompter, 5, image);
            ok &= Progress(upload, "Receiving data, please wait ...", 50, folder,
                           QStringLiteral("frmUpld.png"));
            ok &=
                Progress(upload, "Upload succeed", 100, folder, QStringLiteral("frmUpld-done.png"));
        }
        for (const auto& [interface, name] :
             {std::pair{settings::InterfaceCode::KeyboardWedge, QStringLiteral("frmTest.png")},
              std::pair{settings::InterfaceCode::Usb, QStringLiteral("frmTest-usb.png")}}) {
            comm::frmTest pad(interface);
            pad.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"))
                ->setPlainText(QStringLiteral("%B4111111111111111^CARDHOLDER/TEST^2512101?\n"
                                              ";4111111111111111=2512101?\n"));
            ok &= screenshots::Drawn(pad, folder, name);
        }
        return ok;
    });
}
