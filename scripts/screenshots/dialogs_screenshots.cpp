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
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        screenshots::SilentPrompter prompter;
        screenshots::NoHelp help;
        bool ok = true;

        settings::SettingStore store;
        store.EditGroup = "Magnetic Reader";
        store.EditItem = "Output Only When All Tracks Have Correct Data";
        settings::frmEdit edit(store, prompter);
        ok &= screenshots::Shown(edit, folder, QStringLiteral("frmEdit.png"));

        store.EditGroup = "Magnetic Reader";
        store.EditItem = "Track 1 Output Sequence";
        settings::InputBlock block{"<t>ID<r>", "Delimiter/Text", 2, 0, false};
        settings::frmInput input(store, block, prompter, help);
        ok &= screenshots::Shown(input, folder, QStringLiteral("frmInput.png"));

        comm::CommOptions options;
        comm::frmOptions usb(options, prompter);
        ok &= screenshots::Shown(usb, folder, QStringLiteral("frmOptions-usb.png"));
        comm::frmOptions serial(options, prompter);
        serial.findChild<QTabBar*>(QStringLiteral("tbsOptions"))->setCurrentIndex(1);
        ok &= screenshots::Shown(serial, folder, QStringLiteral("frmOptions-serial.png"));
        return ok;
    });
}
