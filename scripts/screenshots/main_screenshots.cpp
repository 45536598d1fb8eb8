// Renders the main window with each setting group selected, and the About
// box, to PNG files: magtune_screenshots_main <output folder>.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ScreenshotSupport.h"
#include "common/HelpViewer.h"
#include "platform/FilePreferencesStore.h"
#include "settings/FileDialog.h"
#include "shell/AppState.h"
#include "shell/MainWindowServices.h"
#include "shell/PropertyEdit.h"
#include "shell/frmAbout.h"
#include "shell/frmMain.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

class NoFileDialog : public FileDialog {
  public:
    std::optional<std::string> choose(const FileDialogRequest&) override { return std::nullopt; }
};

// Two formulas and both track sequences, so that every group shows more
// than its defaults.
void FillSetting(SettingStore& store, Prompter& prompter) {
    Formula account;
    account.empty = false;
    account.inputIds[21] = 1;
    account.minLength = 10;
    account.maxLength = 40;
    account.outputs.push_back({false, OutputKind::Literal, "ACC:", {}, {}});
    Formula terminator;
    terminator.empty = false;
    MatchQualifier match;
    match.empty = false;
    match.kind = MatchKind::AnyPosition;
    match.matchString = "<d><d>=";
    terminator.matches.push_back(match);
    terminator.outputs.push_back({false, OutputKind::Literal, "<r><n>", {}, {}});
    AddFormula(store.settings.dataEditing, account, prompter);
    AddFormula(store.settings.dataEditing, terminator, prompter);
    StoreTrackSequence(store, store.settings.Track1OutputSequence,
                       {{0x31, ""}, {0, "^"}, {0x32, ""}});
    StoreTrackSequence(store, store.settings.Track2OutputSequence, {{0x31, ""}, {0, "="}});
    store.settings.ReceiveTerminator.currentText = "<r>";
    store.settings.ReceiveTerminator.byte = 0x0D;
    store.Modified = true;
}

}  // namespace

int main(int argc, char* argv[]) {
    return RunScreenshots(argc, argv, [](const QDir& folder) {
        QTemporaryDir scratch;
        SilentPrompter prompter;
        NoHelp help;
        NoFileDialog dialogs;
        FilePreferencesStore preferences(
            scratch.filePath(QStringLiteral("registry.reg")).toStdString());
        AppState state("/home/user/magtune", "/home/user/magtune");
        MainWindowServices services{prompter, help, dialogs, preferences, RealFileSystem()};

        frmMain window(state, services);
        if (!window.load()) {
            return false;
        }
        window.resize(860, 520);
        bool ok = Shown(window, folder, QStringLiteral("frmMain-start.png"));

        window.openSetting().New();
        FillSetting(state.store, prompter);
        window.openSetting().RefreshCaption();
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvSettings"));
        const QTreeWidgetItem* root = tree->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* group = root->child(i);
            tree->setCurrentItem(group);
            const QString name = group->text(0).replace(QLatin1Char(' '), QLatin1Char('-'));
            ok &= Shown(window, folder, QStringLiteral("frmMain-%1.png").arg(name));
        }

        frmAbout about(&window);
        ok &= Shown(about, folder, QStringLiteral("frmAbout.png"));
        return ok;
    });
}
