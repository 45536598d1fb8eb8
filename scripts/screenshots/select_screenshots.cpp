// Renders the interface selection dialogs, the port properties dialog and
// the serial transfer forms to PNG files: select_screenshots <output folder>.
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <cstdio>

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

class SilentPrompter : public Prompter {
  public:
    Answer show(const Message& message) override { return message.defaultButton; }
    void beep() override {}
};

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

bool Write(QWidget& window, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool Shown(QWidget& dialog, const QDir& folder, const QString& name) {
    dialog.show();
    QApplication::processEvents();
    return Write(dialog, folder, name);
}

// The transfer forms start their transfer when shown: they are laid out and
// drawn without being shown.
bool Drawn(QWidget& form, const QDir& folder, const QString& name) {
    form.ensurePolished();
    form.layout()->activate();
    form.adjustSize();
    return Write(form, folder, name);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    SilentPrompter prompter;
    NoFiles files;
    SettingStore store;
    SerialSession session;
    CommOptions options;
    TransferLog log(files, "USBLog.txt");
    SerialLink link(session, options, log, prompter);
    InterfaceDialogContext context{store, link, [](int) { return std::make_unique<IdlePort>(); }};
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
        frmComDn download(link, store.image);
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
    return ok ? 0 : 1;
}
