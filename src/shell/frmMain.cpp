#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <cstdio>
#include <utility>

#include "comm/ui/frmOptions.h"
#include "platform/SystemError.h"
#include "settings/RecoveryCopy.h"
#include "shell/PropertyEdit.h"
#include "shell/QtPropertyEditors.h"
#include "shell/SettingPanes.h"
#include "shell/frmAbout.h"
#include "shell/frmProvision.h"

// The icons live in a static library: without a reference the linker would
// leave them out of the program.
static void InitShellResources() {
    Q_INIT_RESOURCE(magtune);
}

namespace magtune::shell {

namespace {

constexpr int kClickMarkMs = 500;
constexpr int kToolbarIconSize = 24;
constexpr int kClockMs = 1000;
constexpr int kRowRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

QIcon Icon(const QString& name) {
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// "&1. " + name: the access key stays, an "&" in the name is shown as it is.
QString RecentCaption(const std::string& caption) {
    constexpr std::size_t kPrefix = 4;
    const QString name =
        QFile::decodeName(caption.substr(std::min(kPrefix, caption.size())).c_str());
    return QString::fromStdString(caption.substr(0, kPrefix)) +
           QString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// What the program has to say while the system ends it.
class StandardErrorPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        std::fprintf(stderr, "magtune: %s\n", message.text.c_str());
        return message.defaultButton;
    }
    void beep() override {}
};

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}

}  // namespace

frmMain::frmMain(AppState& state, const MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      services_(services),
      scale_(LogicalDpi()),
      editors_(nullptr),
      panes_(new SettingPanes(this)),
      tmrClick(new QTimer(this)),
      clock_(new QTimer(this)) {
    InitShellResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(common::kApplicationTitle));
    setMinimumWidth(scale_.toPixels(kMinimumWindowWidth));

    openSetting_ =
        std::make_unique<settings::OpenSetting>(state_.store, services_.prompter, services_.files,
                                                services_.fileDialog, *this, state_.settingFolder);
    ownEditors_ =
        std::make_unique<QtPropertyEditors>(state_.store, services_.prompter, services_.help, this);
    editors_ = ownEditors_.get();

    panes_->setScale(scale_);
    setCentralWidget(panes_);
    tvSettings = panes_->tree();
    lvProperty = panes_->list();
    tvSettings->setIconSize(QSize(16, 16));
    lvProperty->setIconSize(QSize(16, 16));
    lvProperty->installEventFilter(this);

    connect(tvSettings, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto selected = tvSettings->selectedItems();
        if (!selected.isEmpty()) {
            selectNode(selected.constFirst());
        }
    });
    connect(tvSettings, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { selectNode(node); });
    connect(tvSettings, &QTreeWidget::itemCollapsed, this, &frmMain::nodeCollapsed);
    connect(lvProperty, &QTreeWidget::itemClicked, this, &frmMain::rowClicked);
    connect(lvProperty, &QTreeWidget::itemDoubleClicked, this, &frmMain::rowDoubleClicked);

    tmrClick->setObjectName(QStringLiteral("tmrClick"));
    tmrClick->setSingleShot(true);
    tmrClick->setInterval(kClickMarkMs);
    connect(tmrClick, &QTimer::timeout, this, [this] { markedRow_ = -1; });

    createMenus();
    createToolBar();
    createStatusBar();
    // Nothing is open yet: the commands that need a setting start disabled.
    openSetting_->CloseSetting();
}

frmMain::~frmMain() = default;

// ---- Construction ----

QAction* frmMain::addCommand(QMenu* menu, const char* name, const char* caption, Handler handler,
                             const char* icon) {
    auto* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (icon != nullptr) {
        deferredIcons_.emplace_back(action, QString::fromLatin1(icon));
    }
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
}

QAction* frmMain::addSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

void frmMain::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = addCommand(file, "mnuFileNew", "&New", &frmMain::fileNew, "new");
    mnuFileOpen = addCommand(file, "mnuFileOpen", "&Open...", &frmMain::fileOpen, "open");
    mnuFileClose = addCommand(file, "mnuFileClose", "&Close", &frmMain::fileClose);
    addSeparator(file, "mnuFileBar1");
    mnuFileSave = addCommand(file, "mnuFileSave", "&Save", &frmMain::fileSave, "save");
    mnuFileSaveAs = addCommand(file, "mnuFileSaveAs", "Save &As...", &frmMain::fileSaveAs);
    addSeparator(file, "mnuFileBar2");
    mnuFileExit = addCommand(file, "mnuFileExit", "E&xit", &frmMain::fileExit);
    mnuFileBar3 = addSeparator(file, "mnuFileBar3");
    mnuFileBar3->setVisible(false);
    for (std::size_t i = 0; i < mnuFileMRU.size(); ++i) {
        QAction* recent = file->addAction(QString());
        recent->setObjectName(QStringLiteral("mnuFileMRU%1").arg(i));
        recent->setVisible(false);
        connect(recent, &QAction::triggered, this, [this, i] { openRecent(i); });
        mnuFileMRU[i] = recent;
    }

    QMenu* setting = menuBar()->addMenu(QStringLiteral("&Settings"));
    setting->setObjectName(QStringLiteral("mnuSetting"));
    mnuSettingUpload =
        addCommand(setting, "mnuSettingUpload", "&Upload...", &frmMain::settingUpload, "upload");
    mnuSettingDownload = addCommand(setting, "mnuSettingDownload", "&Download...",
                                    &frmMain::settingDownload, "download");
    addSeparator(setting, "mnuSettingBar1");
    mnuSettingTest =
        addCommand(setting, "mnuSettingTest", "&Test Pad...", &frmMain::settingTest, "test");
    mnuSettingBar2 = addSeparator(setting, "mnuSettingBar2");
    mnuSettingProvision =
        addCommand(setting, "mnuSettingProvision", "&Provision...", &frmMain::settingProvision);
    mnuSettingBar2->setVisible(false);
    mnuSettingProvision->setVisible(false);

    QMenu* editing = menuBar()->addMenu(QStringLiteral("Data &Editing"));
    editing->setObjectName(QStringLiteral("mnuDataEditing"));
    mnuDataEditingAdd =
        addCommand(editing, "mnuDataEditingAdd", "&Add Formula...", &frmMain::formulaAdd, "add");
    mnuDataEditingDelete = addCommand(editing, "mnuDataEditingDelete", "&Delete Formula...",
                                      &frmMain::formulaDelete, "delete");
    mnuDataEditingUp =
        addCommand(editing, "mnuDataEditingUp", "Formula &Up", &frmMain::formulaUp, "up");
    mnuDataEditingDown =
        addCommand(editing, "mnuDataEditingDown", "Formula Dow&n", &frmMain::formulaDown, "down");

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    mnuToolsOptions =
        addCommand(tools, "mnuToolsOptions", "&Options...", &frmMain::toolsOptions, "options");

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuViewToolbar = view->addAction(QStringLiteral("&Toolbar"));
    mnuViewToolbar->setObjectName(QStringLiteral("mnuViewToolbar"));
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    connect(mnuViewToolbar, &QAction::toggled, this, &frmMain::viewToolbar);
    mnuViewStatusBar = view->addAction(QStringLiteral("Status &Bar"));
    mnuViewStatusBar->setObjectName(QStringLiteral("mnuViewStatusBar"));
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);
    connect(mnuViewStatusBar, &QAction::toggled, this, &frmMain::viewStatusBar);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents =
        addCommand(help, "mnuHelpContents", "Help &Topics", &frmMain::helpContents, "help");
    addSeparator(help, "mnuHelpBar");
    const std::string about = std::string("&About ") + common::kApplicationTitle + " ...";
    mnuHelpAbout = addCommand(help, "mnuHelpAbout", about.c_str(), &frmMain::helpAbout, "magtune");
}

void frmMain::addButton(const char* key, const char* tip, Handler handler) {
    const QString name = QString::fromLatin1(key);
    // Blank until the drawn icon comes (loadIcons), at the size it will have.
    QAction* button = tbToolBar->addAction(blankIcon_, name);
    deferredIcons_.emplace_back(button, name.toLower());
    button->setObjectName(name);
    button->setData(name);
    button->setToolTip(QString::fromLatin1(tip));
    buttons_[name] = button;
    buttonHandlers_[name] = handler;
}

void frmMain::createToolBar() {
    tbToolBar = addToolBar(QStringLiteral("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
    QPixmap blank(kToolbarIconSize, kToolbarIconSize);
    blank.fill(Qt::transparent);
    blankIcon_ = QIcon(blank);
    addButton("New", "New", &frmMain::fileNew);
    addButton("Open", "Open", &frmMain::fileOpen);
    addButton("Save", "Save", &frmMain::fileSave);
    tbToolBar->addSeparator();
    addButton("Download", "Download Settings", &frmMain::settingDownload);
    addButton("Upload", "Upload Settings", &frmMain::settingUpload);
    addButton("Test", "Test Pad", &frmMain::settingTest);
    tbToolBar->addSeparator();
    addButton("Add", "Add Formula", &frmMain::formulaAdd);
    addButton("Delete", "Delete Formula", &frmMain::formulaDelete);
    addButton("Up", "Formula Up", &frmMain::formulaUp);
    addButton("Down", "Formula Down", &frmMain::formulaDown);
    tbToolBar->addSeparator();
    addButton("Help", "Help", &frmMain::helpContents);
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::toolbarButtonClick);
}

void frmMain::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    const char* names[] = {"sbPanelText", "sbPanelDate", "sbPanelTime"};
    for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString::fromLatin1(names[i]));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
        statusPanels_[i] = panel;
    }
    bar->addWidget(statusPanels_[0], 1);
    bar->addPermanentWidget(statusPanels_[1]);
    bar->addPermanentWidget(statusPanels_[2]);
    statusPanels_[0]->setText(QStringLiteral("Ready"));
    updateClock();
    clock_->setInterval(kClockMs);
    connect(clock_, &QTimer::timeout, this, &frmMain::updateClock);
    clock_->start();
}

void frmMain::updateClock() {
    const QLocale locale;
    statusPanels_[1]->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
    statusPanels_[2]->setText(locale.toString(QTime::currentTime(), QLocale::ShortFormat));
}

// ---- Load and close ----

DisplayMetrics frmMain::displayMetrics() const {
    DisplayMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        metrics.screenWidthTwips = screen->geometry().width() * scale_.twipsPerPixel();
        metrics.screenHeightTwips = screen->geometry().height() * scale_.twipsPerPixel();
    }
    // Sizes are the window's inner size, which is also its client width.
    metrics.frameWidthTwips = 0;
    return metrics;
}

bool frmMain::load() {
    const std::string problem = services_.preferences.load();
    if (!problem.empty()) {
        services_.prompter.warning(problem);
    }
    const DisplayMetrics metrics = displayMetrics();
    // What the load cleans up or creates is saved once the window is up.
    if (LoadPreferences(services_.preferences, services_.prompter, metrics, preferences_, false) !=
        PreferencesLoadOutcome::Loaded) {
        return false;
    }
    applyLayout(preferences_.window, DefaultWindowLayout(metrics));
    ApplyPreferences(preferences_, state_);
    openSetting_->recentList = preferences_.recent;
    openSetting_->RefreshRecentMenu();
    state_.store.settings.ResetToDefaults();
    if (!recoveryPath_.empty()) {
        // Asked once the window is up, with the window as the question's
        // background.
        QTimer::singleShot(0, this, &frmMain::offerRecoveryCopy);
    }
    return true;
}

void frmMain::setRecoveryCopyPath(std::string path) {
    recoveryPath_ = std::move(path);
}

void frmMain::closeForShutdown() {
    if (shuttingDown_) {
        return;
    }
    shuttingDown_ = true;
    close();
}

void frmMain::offerRecoveryCopy() {
    const auto copy = settings::ReadRecoveryCopy(services_.files, recoveryPath_);
    if (!copy) {
        return;
    }
    const std::string& name = copy->file.empty() ? copy->device : copy->file;
    const common::Answer answer = services_.prompter.question(
        std::string(common::kApplicationTitle) + " was ended before the changes to " + name +
            " were saved. Restore the changed setting?",
        common::kApplicationTitle, common::MessageButtons::YesNo, common::Answer::Yes);
    if (shuttingDown_) {
        return;  // ended while asking: the copy waits for the next start
    }
    if (answer == common::Answer::Yes) {
        openSetting_->RestoreChanged(copy->image, copy->file, copy->device);
    }
    platform::SystemError error;
    services_.files.removeFile(recoveryPath_, error);
}

void frmMain::keepRecoveryCopy() {
    const settings::OpenSetting& open = *openSetting_;
    if (recoveryPath_.empty() || !state_.store.Modified ||
        (open.CurrentFile.empty() && open.CurrentDevice.empty())) {
        return;
    }
    state_.store.PackImage();
    platform::SystemError error;
    if (!settings::WriteRecoveryCopy(services_.files, recoveryPath_,
                                     {state_.store.image, open.CurrentFile, open.CurrentDevice},
                                     error)) {
        std::fprintf(stderr, "magtune: the changed setting could not be kept in %s: %s\n",
                     recoveryPath_.c_str(), platform::SystemMessageText(error.code).c_str());
    }
}

void frmMain::applyLayout(const WindowLayout& layout, const WindowLayout& defaults) {
    QRect frame(scale_.toPixels(layout.MainLeft), scale_.toPixels(layout.MainTop),
                scale_.toPixels(layout.MainWidth), scale_.toPixels(layout.MainHeight));
    // A window stored on a screen that is gone comes back where a first
    // start puts it, instead of out of the user's reach.
    if (QGuiApplication::screenAt(frame.center()) == nullptr) {
        frame.moveTo(scale_.toPixels(defaults.MainLeft), scale_.toPixels(defaults.MainTop));
    }
    move(frame.topLeft());
    resize(frame.size());
    panes_->setSplitterPosition(layout.Splitter);
    lvProperty->setColumnWidth(0, scale_.toPixels(layout.Column1Width));
    lvProperty->setColumnWidth(1, scale_.toPixels(layout.Column2Width));
}

WindowLayout frmMain::windowLayout() const {
    WindowLayout layout;
    layout.MainLeft = scale_.toTwips(pos().x());
    layout.MainTop = scale_.toTwips(pos().y());
    layout.MainWidth = scale_.toTwips(width());
    layout.MainHeight = scale_.toTwips(height());
    layout.Splitter = panes_->splitterLeft();
    layout.Column1Width = scale_.toTwips(lvProperty->columnWidth(0));
    layout.Column2Width = scale_.toTwips(lvProperty->columnWidth(1));
    return layout;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (shuttingDown_) {
        // Nobody is there to answer the save question: the changes are kept
        // aside and offered at the next start.
        keepRecoveryCopy();
    } else if (openSetting_->QuerySaveChanges() == common::Answer::Cancel) {
        event->ignore();
        return;
    }
    closeOtherWindows();
    // A message box would hold up the shutdown: failures go to stderr then.
    StandardErrorPrompter shutdownMessages;
    savePreferences(shuttingDown_ ? static_cast<common::Prompter&>(shutdownMessages)
                                  : services_.prompter);
    if (transfers_ != nullptr) {
        transfers_->releaseDevices();
    }
    event->accept();
}

void frmMain::savePreferences(common::Prompter& prompter) {
    const bool minimized = isMinimized();
    if (!minimized) {
        preferences_.window = windowLayout();
    }
    CollectPreferences(state_, preferences_);
    preferences_.recent = openSetting_->recentList;
    SavePreferences(services_.preferences, prompter, preferences_, minimized);
}

void frmMain::closeOtherWindows() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible()) {
            (*it)->close();
        }
    }
}

void frmMain::setTransferCommands(TransferCommands* commands) {
    transfers_ = commands;
    if (commands == nullptr) {
        openSetting_->downloadSetting = nullptr;
        openSetting_->uploadRecent = nullptr;
        return;
    }
    openSetting_->downloadSetting = [commands] { return commands->downloadSetting(); };
    openSetting_->uploadRecent = [commands](const settings::RecentEntry& entry) {
        return commands->uploadRecent(entry);
    };
}

void frmMain::setProvisionMachine(app::ProvisionSession::Machine machine) {
    provisionMachine_ = std::move(machine);
    const bool available = static_cast<bool>(provisionMachine_.readers);
    mnuSettingBar2->setVisible(available);
    mnuSettingProvision->setVisible(available);
}

void frmMain::setPropertyEditors(PropertyEditors* editors) {
    editors_ = editors != nullptr ? editors : ownEditors_.get();
}

// ---- The file commands' view of the window ----

void frmMain::clearSettingView() {
    tvSettings->clear();
    lvProperty->clear();
    rows_.clear();
    currentNode_.clear();
    markedRow_ = -1;
}

void frmMain::buildSettingTree() {
    tvSettings->clear();
    auto* root = new QTreeWidgetItem(tvSettings, {QString::fromUtf8(settings::kRootText)});
    root->setData(0, kKeyRole, QString::fromUtf8(settings::kRootKey));
    root->setIcon(0, Icon(QStringLiteral("tree-root")));
    QIcon group = Icon(QStringLiteral("tree-group"));
    group.addFile(QStringLiteral(":/icons/tree-group-open.svg"), QSize(), QIcon::Selected);
    for (const settings::CatalogueGroup& entry : settings::SettingCatalogue) {
        auto* node = new QTreeWidgetItem(root, {QString::fromUtf8(entry.text)});
        node->setIcon(0, group);
    }
    root->setExpanded(true);
}

void frmMain::setCaption(const std::string& caption) {
    setWindowTitle(QFile::decodeName(caption.c_str()));
}

void frmMain::setStatusText(const std::string& text) {
    statusPanels_[0]->setText(QFile::decodeName(text.c_str()));
}

void frmMain::setCommandEnabled(settings::SettingCommand command, bool enabled) {
    QAction* item = nullptr;
    const char* button = nullptr;
    switch (command) {
        case settings::SettingCommand::Save:
            item = mnuFileSave;
            button = "Save";
            break;
        case settings::SettingCommand::SaveAs:
            item = mnuFileSaveAs;
            break;
        case settings::SettingCommand::Close:
            item = mnuFileClose;
            break;
        case settings::SettingCommand::Download:
            item = mnuSettingDownload;
            button = "Download";
            // Provisioning sends the open setting, as a download does.
            mnuSettingProvision->setEnabled(enabled);
            break;
        case settings::SettingCommand::FormulaAdd:
            item = mnuDataEditingAdd;
            button = "Add";
            break;
        case settings::SettingCommand::FormulaDelete:
            item = mnuDataEditingDelete;
            button = "Delete";
            break;
        case settings::SettingCommand::FormulaUp:
            item = mnuDataEditingUp;
            button = "Up";
            break;
        case settings::SettingCommand::FormulaDown:
            item = mnuDataEditingDown;
            button = "Down";
            break;
    }
    if (item != nullptr) {
        item->setEnabled(enabled);
    }
    if (button != nullptr) {
        buttons_.at(QString::fromLatin1(button))->setEnabled(enabled);
    }
}

void frmMain::showRecentMenu(const settings::RecentMenu& menu) {
    mnuFileBar3->setVisible(menu.separatorVisible);
    for (std::size_t i = 0; i < mnuFileMRU.size(); ++i) {
        const auto& caption = menu.captions[i];
        mnuFileMRU[i]->setVisible(caption.has_value());
        mnuFileMRU[i]->setText(caption ? RecentCaption(*caption) : QString());
    }
}

// ---- Commands ----

void frmMain::toolbarButtonClick(QAction* button) {
    const auto handler = buttonHandlers_.find(button->data().toString());
    if (handler != buttonHandlers_.end()) {
        (this->*(handler->second))();
    }
}

void frmMain::fileNew() {
    openSetting_->New();
}

void frmMain::fileOpen() {
    openSetting_->Open();
}

void frmMain::fileClose() {
    openSetting_->Close();
}

void frmMain::fileSave() {
    openSetting_->Save();
}

void frmMain::fileSaveAs() {
    openSetting_->SaveAs();
}

void frmMain::fileExit() {
    close();
}

void frmMain::openRecent(std::size_t index) {
    openSetting_->OpenRecent(index);
}

void frmMain::settingUpload() {
    if (transfers_ != nullptr) {
        transfers_->upload();
    }
}

void frmMain::settingDownload() {
    if (transfers_ != nullptr) {
        transfers_->download();
    }
}

void frmMain::settingTest() {
    if (transfers_ != nullptr) {
        transfers_->testPad();
    }
}

void frmMain::settingProvision() {
    if (!provisionMachine_.readers) {
        return;
    }
    const std::string name = !openSetting_->CurrentFile.empty() ? openSetting_->CurrentFile
                                                                : openSetting_->CurrentDevice;
    frmProvision dialog(state_.store, name, state_.store.Modified, provisionMachine_,
                        services_.prompter, services_.fileDialog, services_.files, this);
    if (provisionChoice_) {
        dialog.setChoice(provisionChoice_->first, provisionChoice_->second);
    }
    dialog.exec();
    provisionChoice_.emplace(dialog.choice(), dialog.verify());
}

void frmMain::formulaAdd() {
    afterFormulaCommand(
        AddFormulaCommand(state_.store, currentNode_.toStdString(), *editors_, services_.prompter));
}

void frmMain::formulaDelete() {
    afterFormulaCommand(
        DeleteFormulaCommand(state_.store, selectedFormulaRow(), services_.prompter));
}

void frmMain::formulaUp() {
    afterFormulaCommand(FormulaUpCommand(state_.store, selectedFormulaRow(), services_.prompter));
}

void frmMain::formulaDown() {
    afterFormulaCommand(FormulaDownCommand(state_.store, selectedFormulaRow(), services_.prompter));
}

void frmMain::afterFormulaCommand(const dataedit::FormulaEditResult& result) {
    if (!result.applied) {
        return;
    }
    showNode(result.selectRow);
    openSetting_->RefreshCaption();
}

void frmMain::toolsOptions() {
    comm::frmOptions dialog(state_.options, services_.prompter, state_.TransferLogFolder, this,
                            services_.preferences.path());
    dialog.exec();
}

void frmMain::viewToolbar(bool visible) {
    tbToolBar->setVisible(visible);
}

void frmMain::viewStatusBar(bool visible) {
    statusBar()->setVisible(visible);
}

void frmMain::helpContents() {
    services_.help.showTopic(common::kHelpContentsTopic);
}

void frmMain::helpAbout() {
    frmAbout dialog(this);
    dialog.exec();
}

// ---- Tree and property list ----

void frmMain::setFormulaCommandsEnabled(bool enabled) {
    for (settings::SettingCommand command :
         {settings::SettingCommand::FormulaAdd, settings::SettingCommand::FormulaDelete,
          settings::SettingCommand::FormulaUp, settings::SettingCommand::FormulaDown}) {
        setCommandEnabled(command, enabled);
    }
}

void frmMain::selectNode(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    currentNode_ = node->text(0);
    showNode(0);
}

void frmMain::showNode(std::size_t select) {
    const std::string node = currentNode_.toStdString();
    setStatusText(settings::NodePath(node));
    setFormulaCommandsEnabled(settings::FormulaCommandsEnabled(node));

    lvProperty->clear();
    markedRow_ = -1;
    tmrClick->stop();
    rows_ = settings::PropertyRows(node, state_.store.settings);
    const QIcon icon = Icon(QStringLiteral("property"));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const settings::PropertyRow& row = rows_[i];
        auto* item = new QTreeWidgetItem(lvProperty, {Text(row.label), Text(row.value)});
        item->setIcon(0, icon);
        item->setData(0, kRowRole, static_cast<int>(i));
        // Long labels and formulas are cut at the column's edge.
        item->setToolTip(0, item->text(0));
        item->setToolTip(1, item->text(1));
        if (row.placeholder) {
            QFont italic = item->font(0);
            italic.setItalic(true);
            item->setFont(0, italic);
            item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    if (select >= 1 && select <= rows_.size()) {
        QTreeWidgetItem* item = lvProperty->topLevelItem(static_cast<int>(select - 1));
        lvProperty->setCurrentItem(item);
        lvProperty->scrollToItem(item);
    }
}

void frmMain::nodeCollapsed(QTreeWidgetItem* node) {
    // Collapsing a node counts as a click on it.
    if (node->isSelected()) {
        selectNode(node);
    } else {
        tvSettings->setCurrentItem(node);
    }
}

const settings::PropertyRow* frmMain::rowOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return nullptr;
    }
    const int index = item->data(0, kRowRole).toInt();
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) {
        return nullptr;
    }
    return &rows_[static_cast<std::size_t>(index)];
}

std::size_t frmMain::selectedFormulaRow() const {
    const auto selected = lvProperty->selectedItems();
    if (selected.isEmpty()) {
        return 0;
    }
    const settings::PropertyRow* row = rowOf(selected.constFirst());
    return row != nullptr ? row->formulaRow : 0;
}

void frmMain::rowClicked(QTreeWidgetItem* item) {
    markedRow_ = item->data(0, kRowRole).toInt();
    tmrClick->start();
}

void frmMain::rowDoubleClicked(QTreeWidgetItem* item) {
    // Only a double-click on the row just clicked counts, not a slow one.
    if (markedRow_ >= 0 && item->data(0, kRowRole).toInt() == markedRow_) {
        editRow(item);
    }
}

void frmMain::editRow(QTreeWidgetItem* item) {
    const settings::PropertyRow* row = rowOf(item);
    if (row == nullptr || row->placeholder) {
        return;
    }
    // The row is copied: the list is rebuilt while it is in use.
    const settings::PropertyRow edited = *row;
    const std::size_t position = static_cast<std::size_t>(item->data(0, kRowRole).toInt()) + 1;
    if (!EditProperty(state_.store, currentNode_.toStdString(), edited, *editors_,
                      services_.prompter)) {
        return;
    }
    showNode(position);
    openSetting_->RefreshCaption();
}

bool frmMain::event(QEvent* event) {
    if (!firstFrameShown_ && event->type() == QEvent::Paint) {
        firstFrameShown_ = true;
        QTimer::singleShot(0, this, &frmMain::afterFirstFrame);
    }
    return QMainWindow::event(event);
}

void frmMain::whenFirstFrameShown(std::function<void()> work) {
    if (firstFrameShown_) {
        work();
    } else {
        afterFirstFrame_.push_back(std::move(work));
    }
}

void frmMain::afterFirstFrame() {
    for (auto& work : std::exchange(afterFirstFrame_, {})) {
        work();
    }
    // The drawn icons cost the SVG renderer's start, the save a sync to disk.
    loadIcons();
    SaveLoadCleanUp(services_.preferences, services_.prompter);
}

void frmMain::loadIcons() {
    setWindowIcon(Icon(QStringLiteral("magtune")));
    for (const auto& [action, name] : deferredIcons_) {
        action->setIcon(Icon(name));
    }
    deferredIcons_.clear();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvProperty && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const auto selected = lvProperty->selectedItems();
            if (!selected.isEmpty()) {
                editRow(selected.constFirst());
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace magtune::shell
