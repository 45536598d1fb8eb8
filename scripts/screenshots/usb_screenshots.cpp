// Renders the USB reader list and the USB transfer forms to PNG files:
// magtune_screenshots_usb <output folder>.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "ScreenshotSupport.h"
#include "comm/ui/frmUSB.h"
#include "comm/ui/frmUSBDnld.h"
#include "comm/ui/frmUSBUpld.h"
#include "platform/FileSystem.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

class NoWaits : public platform::Clock {
  public:
    std::uint64_t nowMs() override { return 0; }
    void sleepMs(std::uint32_t) override {}
};

// Two readers, the second one selected; every call succeeds.
class TwoReaders : public comm::UsbLibraryCalls {
  public:
    std::int32_t UsbHidGetAvailableDeviceList() override { return 2; }
    std::int32_t UsbHidReleaseDeviceList() override { return 1; }
    std::int32_t UsbHidEnumDeviceList(std::int32_t index, char* name,
                                      std::uint8_t* filter) override {
        std::strcpy(name, index == 0 ? "Tarvik USB Magnetic Stripe Reader" : "Tarvik MiniMag II");
        *filter = index == 1 ? 1 : 0;
        return 1;
    }
    std::int32_t UsbHidSelectDevice(std::int32_t) override { return 1; }
    std::int32_t UsbHidDeselectDevice() override { return 1; }
    std::int32_t UsbHidIsDeviceReady() override { return 1; }
    std::int32_t UsbHidSetDeviceControlCode(std::int32_t) override { return 1; }
    std::int32_t UsbHidSetDownloadChannel(std::int32_t) override { return 1; }
};

// Shows the form and lets its transfer run until it shows `status`.
void RunUntil(QWidget& form, const QString& status) {
    form.show();
    QElapsedTimer elapsed;
    elapsed.start();
    auto* label = form.findChild<QLabel*>(QStringLiteral("lblStatus"));
    while (label->text() != status && elapsed.elapsed() < 2000) {
        QApplication::processEvents();
    }
}

// The reader types one key into the form.
void Type(QWidget& form, char key) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_O, Qt::NoModifier, QString(QChar::fromLatin1(key)));
    QApplication::sendEvent(&form, &press);
}

}  // namespace

int main(int argc, char* argv[]) {
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        TwoReaders library;
        NoWaits clock;
        screenshots::SilentPrompter prompter;
        comm::CommOptions options;
        comm::TransferLog log(platform::RealFileSystem(), "/dev/null");
        const comm::UsbTransferContext context{library, clock, prompter, options, log, log};
        settings::ConfigurationImage image{};
        std::string selected;
        bool ok = true;

        comm::frmUSB list(library, clock, prompter, 0, selected);
        ok = screenshots::Shown(list, folder, QStringLiteral("frmUSB.png")) && ok;

        comm::frmUSBDnld download(context, image);
        RunUntil(download, QStringLiteral("Connecting to device ..."));
        ok =
            screenshots::Write(download, folder, QStringLiteral("frmUSBDnld-connecting.png")) && ok;
        Type(download, 'O');
        QApplication::processEvents();
        ok = screenshots::Write(download, folder, QStringLiteral("frmUSBDnld-sending.png")) && ok;

        comm::frmUSBUpld upload(context, image);
        RunUntil(upload, QStringLiteral("Connecting to device ..."));
        Type(upload, 'O');
        QApplication::processEvents();
        ok = screenshots::Write(upload, folder, QStringLiteral("frmUSBUpld-receiving.png")) && ok;
        return ok;
    });
}
