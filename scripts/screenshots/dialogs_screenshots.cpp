// Renders the value editor, the string input and the options dialogs to PNG
// files: magtune_screenshots_dialogs <output folder>.
#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <QWidget>

#include "ScreenshotSupport.h"
#include "comm/ui/frmOptions.h"
#include "settings/ui/frmEdit.h"
#include "settings/ui/frmInput.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

}  // namespace

int main(int argc, char* argv[]) {
    return RunScreenshots(argc, argv, [](const QDir& folder) {
        SilentPrompter prompter;
        NoHelp help;
        bool ok = true;

        SettingStore store;
        store.EditGroup = "Magnetic Reader";
        store.EditItem = "Output Only When All Tracks Have Correct Data";
        frmEdit edit(store, prompter);
        ok &= Shown(edit, folder, QStringLiteral("frmEdit.png"));

        store.EditGroup = "Magnetic Reader";
        store.EditItem = "Track 1 Output Sequence";
        InputBlock block{"<t>ID<r>", "Delimiter/Text", 2, 0, false};
        frmInput input(store, block, prompter, help);
        ok &= Shown(input, folder, QStringLiteral("frmInput.png"));

        CommOptions options;
        frmOptions usb(options, prompter);
        ok &= Shown(usb, folder, QStringLiteral("frmOptions-usb.png"));
        frmOptions serial(options, prompter);
        serial.findChild<QTabBar*>(QStringLiteral("tbsOptions"))->setCurrentIndex(1);
        ok &= Shown(serial, folder, QStringLiteral("frmOptions-serial.png"));
        return ok;
    });
}
