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

class NoFileDialog : public settings::FileDialog {
  public:
    std::optional<std::string> choose(const settings::FileDialogRequest&) override {
        return std::nullopt;
    }
};

// Two formulas and both track sequences, so that every group shows more
// than its defaults.
void FillSetting(settings::SettingStore& store, common::Prompter& prompter) {
    dataedit::Formula account;
    account.empty = false;
    account.inputIds[21] = 1;
    account.minLength = 10;
    account.maxLength = 40;
    account.outputs.push_back({false, dataedit::OutputKind::Literal, "ACC:", {}, {}});
    dataedit::Formula terminator;
    terminator.empty = false;
    dataedit::MatchQualifier match;
    match.empty = false;
    match.kind = dataedit::MatchKind::AnyPosition;
    match.matchString = "<d><d>=";
    terminator.matches.push_back(match);
    terminator.outputs.push_back({false, dataedit::OutputKind::Literal, "<r><n>", {}, {}});
    dataedit::AddFormula(store.settings.dataEditing, account, prompter);
    dataedit::AddFormula(store.settings.dataEditing, terminator, prompter);
    shell::StoreTrackSequence(store, store.settings.Track1OutputSequence,
                              {{0x31, ""}, {0, "^"}, {0x32, ""}});
    shell::StoreTrackSequence(store, store.settings.Track2OutputSequence, {{0x31, ""}, {0, "="}});
    store.settings.ReceiveTerminator.currentText = "<r>";
    store.settings.ReceiveTerminator.byte = 0x0D;
    store.Modified = true;
}

}  // namespace

int main(int argc, char* argv[]) {
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        QTemporaryDir scratch;
        screenshots::SilentPrompter prompter;
        screenshots::NoHelp help;
        NoFileDialog dialogs;
        platform::FilePreferencesStore preferences(
            scratch.filePath(QStringLiteral("registry.reg")).toStdString());
        shell::AppState state("/home/user/magtune", "/home/user/magtune");
        shell::MainWindowServices services{prompter, help, dialogs, preferences,
                                           platform::RealFileSystem()};

        shell::frmMain window(state, services);
        if (!window.load()) {
            return false;
        }
        window.resize(860, 520);
        bool ok = screenshots::Shown(window, folder, QStringLiteral("frmMain-start.png"));

        window.openSetting().New();
        FillSetting(state.store, prompter);
        window.openSetting().RefreshCaption();
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvSettings"));
        const QTreeWidgetItem* root = tree->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* group = root->child(i);
            tree->setCurrentItem(group);
            const QString name = group->text(0).replace(QLatin1Char(' '), QLatin1Char('-'));
            ok &= screenshots::Shown(window, folder, QStringLiteral("frmMain-%1.png").arg(name));
        }

        shell::frmAbout about(&window);
        ok &= screenshots::Shown(about, folder, QStringLiteral("frmAbout.png"));
        return ok;
    });
}
