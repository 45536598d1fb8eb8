#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ProvisionSession.h"
#include "dataedit/FormulaCommands.h"
#include "settings/OpenSetting.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingWindow.h"
#include "shell/AppState.h"
#include "shell/MainWindowServices.h"
#include "shell/PaneLayout.h"
#include "shell/Preferences.h"
#include "shell/PropertyEditors.h"
#include "shell/TransferCommands.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace magtune::shell {

class SettingPanes;

// The program's main window: the setting tree and property list with the
// splitter between them, the menus and toolbar that start every command,
// and the status bar. It owns the open setting (file, device or none) and
// the recent list, reads the preferences when it loads and writes them when
// it closes.
class frmMain : public QMainWindow, public settings::SettingWindow {
    Q_OBJECT

  public:
    frmMain(AppState& state, const MainWindowServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Main window load: reads the preferences (window layout, options,
    // recent list), fills the recent menu, disables the commands that need
    // an open setting and resets the settings to their defaults. False when
    // the preferences could not be set up (the error was shown); the
    // program then ends.
    bool load();

    settings::OpenSetting& openSetting() { return *openSetting_; }

    // Where a changed setting is kept when the program is ended without
    // being asked (closeForShutdown), and offered back at the next load.
    // None without a path.
    void setRecoveryCopyPath(std::string path);
    // Closes the window as the end of the system or session does: no
    // question (a changed setting goes to the recovery copy), the other
    // windows closed, the preferences written, the devices released.
    void closeForShutdown();

    // The Settings menu commands and the uploads and downloads that the file
    // commands ask for; without them those commands do nothing.
    void setTransferCommands(TransferCommands* commands);
    // The readers that Settings > Provision reaches; without them the
    // command stays hidden.
    void setProvisionMachine(app::ProvisionSession::Machine machine);
    // Work that waits until the window has drawn its first frame (at once
    // when it has).
    void whenFirstFrameShown(std::function<void()> work);
    // The property list's editors (the desktop's dialogs unless replaced).
    void setPropertyEditors(PropertyEditors* editors);

    // The window's position and size, splitter and list column widths, in
    // twips.
    WindowLayout windowLayout() const;
    const TwipScale& scale() const { return scale_; }

    // The file commands' view of the window.
    void clearSettingView() override;
    void buildSettingTree() override;
    void setCaption(const std::string& caption) override;
    void setStatusText(const std::string& text) override;
    void setCommandEnabled(settings::SettingCommand command, bool enabled) override;
    void showRecentMenu(const settings::RecentMenu& menu) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // No menu for hiding the toolbar: View > Toolbar does that, with its tick.
    QMenu* createPopupMenu() override { return nullptr; }

  private:
    using Handler = void (frmMain::*)();

    void createMenus();
    void createToolBar();
    void createStatusBar();
    QAction* addCommand(QMenu* menu, const char* name, const char* caption, Handler handler,
                        const char* icon = nullptr);
    QAction* addSeparator(QMenu* menu, const char* name);
    void addButton(const char* key, const char* tip, Handler handler);
    void toolbarButtonClick(QAction* button);

    void fileNew();
    void fileOpen();
    void fileClose();
    void fileSave();
    void fileSaveAs();
    void fileExit();
    void openRecent(std::size_t index);
    void settingUpload();
    void settingDownload();
    void settingTest();
    void settingProvision();
    void formulaAdd();
    void formulaDelete();
    void formulaUp();
    void formulaDown();
    void toolsOptions();
    void viewToolbar(bool visible);
    void viewStatusBar(bool visible);
    void helpContents();
    void helpAbout();

    // A tree node was selected: status path, Data Editing commands, rows.
    void selectNode(QTreeWidgetItem* node);
    // Refills the list with the current node's rows and selects the 1-based
    // row `select` (none for 0).
    void showNode(std::size_t select);
    void nodeCollapsed(QTreeWidgetItem* node);
    void rowClicked(QTreeWidgetItem* item);
    void rowDoubleClicked(QTreeWidgetItem* item);
    void editRow(QTreeWidgetItem* item);
    const settings::PropertyRow* rowOf(const QTreeWidgetItem* item) const;
    std::size_t selectedFormulaRow() const;
    void afterFormulaCommand(const dataedit::FormulaEditResult& result);
    void setFormulaCommandsEnabled(bool enabled);

    void applyLayout(const WindowLayout& layout, const WindowLayout& defaults);
    DisplayMetrics displayMetrics() const;
    void savePreferences(common::Prompter& prompter);
    void offerRecoveryCopy();
    void keepRecoveryCopy();
    void closeOtherWindows();
    void updateClock();
    // What the first frame does not wait for: the window's, menus' and
    // toolbar's icons, saving what the preferences' load cleaned up, and the
    // work handed to whenFirstFrameShown.
    void afterFirstFrame();
    void loadIcons();

    AppState& state_;
    MainWindowServices services_;
    TwipScale scale_;
    std::unique_ptr<settings::OpenSetting> openSetting_;
    std::unique_ptr<PropertyEditors> ownEditors_;
    PropertyEditors* editors_;
    TransferCommands* transfers_ = nullptr;
    app::ProvisionSession::Machine provisionMachine_;
    // What the provisioning window was last left with, for its next opening.
    std::optional<std::pair<app::ProvisionChoice, bool>> provisionChoice_;
    Preferences preferences_;
    std::string recoveryPath_;
    bool shuttingDown_ = false;

    std::vector<settings::PropertyRow> rows_;  // the list's rows, by position
    QString currentNode_;                      // the tree node the list shows
    int markedRow_ = -1;                       // the row clicked less than 500 ms ago

    SettingPanes* panes_;
    QTreeWidget* tvSettings;
    QTreeWidget* lvProperty;
    QToolBar* tbToolBar = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
    QTimer* tmrClick;
    QTimer* clock_;

    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileClose = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuFileBar3 = nullptr;
    std::array<QAction*, 4> mnuFileMRU{};
    QAction* mnuSettingUpload = nullptr;
    QAction* mnuSettingDownload = nullptr;
    QAction* mnuSettingTest = nullptr;
    QAction* mnuSettingBar2 = nullptr;
    QAction* mnuSettingProvision = nullptr;
    QAction* mnuDataEditingAdd = nullptr;
    QAction* mnuDataEditingDelete = nullptr;
    QAction* mnuDataEditingUp = nullptr;
    QAction* mnuDataEditingDown = nullptr;
    QAction* mnuToolsOptions = nullptr;
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Toolbar buttons by key, and what each key runs.
    std::map<QString, QAction*> buttons_;
    std::map<QString, Handler> buttonHandlers_;
    QIcon blankIcon_;
    std::vector<std::pair<QAction*, QString>> deferredIcons_;
    bool firstFrameShown_ = false;
    std::vector<std::function<void()>> afterFirstFrame_;
};

}  // namespace magtune::shell
