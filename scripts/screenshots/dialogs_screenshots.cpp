// Renders the value editor, the string input and the options dialogs to PNG
// files: dialogs_screenshots <output folder>.
#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <QWidget>
#include <cstdio>

#include "comm/ui/frmOptions.h"
#include "settings/ui/frmEdit.h"
#include "settings/ui/frmInput.h"

namespace {

using namespace magtune;

class SilentPrompter : public Prompter {
  public:
    Answer show(const Message& message) override { return message.defaultButton; }
    void beep() override {}
};

class NoHelp : public HelpViewer {
  public:
    void showTopic(const std::string&) override {}
};

bool Save(QWidget& dialog, const QDir& folder, const QString& name) {
    dialog.show();
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!dialog.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
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
    NoHelp help;
    bool ok = true;

    SettingStore store;
    store.EditGroup = "Magnetic Reader";
    store.EditItem = "Output Only When All Tracks Have Correct Data";
    frmEdit edit(store, prompter);
    ok &= Save(edit, folder, QStringLiteral("frmEdit.png"));

    store.EditGroup = "Magnetic Reader";
    store.EditItem = "Track 1 Output Sequence";
    InputBlock block{"<t>ID<r>", "Delimiter/Text", 2, 0, false};
    frmInput input(store, block, prompter, help);
    ok &= Save(input, folder, QStringLiteral("frmInput.png"));

    CommOptions options;
    frmOptions usb(options, prompter);
    ok &= Save(usb, folder, QStringLiteral("frmOptions-usb.png"));
    frmOptions serial(options, prompter);
    serial.findChild<QTabBar*>(QStringLiteral("tbsOptions"))->setCurrentIndex(1);
    ok &= Save(serial, folder, QStringLiteral("frmOptions-serial.png"));
    return ok ? 0 : 1;
}
