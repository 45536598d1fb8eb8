#include "settings/OpenSetting.h"

#include <utility>

#include "settings/SettingFile.h"

namespace magtune::settings {

namespace {

constexpr char kSeparator = '/';
constexpr const char* kUntitled = "Untitled";
constexpr const char* kReady = "Ready";

constexpr SettingCommand kFormulaCommands[] = {
    SettingCommand::FormulaAdd, SettingCommand::FormulaDelete, SettingCommand::FormulaUp,
    SettingCommand::FormulaDown};
constexpr SettingCommand kFileCommands[] = {SettingCommand::Save, SettingCommand::SaveAs,
                                            SettingCommand::Close, SettingCommand::Download};

}  // namespace

OpenSetting::OpenSetting(SettingStore& store, common::Prompter& prompter,
                         platform::FileSystem& files, FileDialog& dialog, SettingWindow& window,
                         std::string programFolder)
    : store_(store),
      prompter_(prompter),
      files_(files),
      dialog_(dialog),
      window_(window),
      programFolder_(std::move(programFolder)) {}

common::Answer OpenSetting::QuerySaveChanges() {
    if (!store_.Modified) {
        return common::Answer::No;
    }
    bool fromFile = !CurrentFile.empty();
    if (!fromFile && CurrentDevice.empty()) {
        return common::Answer::No;
    }
    std::string question = fromFile ? "Save " + CurrentFile + "?"
                                    : "Setting is changed. Download to " + CurrentDevice + "?";
    common::Answer answer =
        prompter_.question(question, common::kApplicationTitle, common::MessageButtons::YesNoCancel,
                           common::Answer::Yes);
    if (answer != common::Answer::Yes && answer != common::Answer::No) {
        return common::Answer::Cancel;
    }
    // A setting that could not be kept stays open, so that nothing is lost.
    if (answer == common::Answer::Yes &&
        !(fromFile ? Save() : downloadSetting && downloadSetting())) {
        return common::Answer::Cancel;
    }
    CloseSetting();
    return answer;
}

void OpenSetting::New() {
    if (QuerySaveChanges() == common::Answer::Cancel) {
        return;
    }
    window_.clearSettingView();
    CurrentDevice.clear();
    CurrentFile = UntitledPath();
    EnableOpenSettingCommands();
    store_.settings.ResetToDefaults();
    window_.buildSettingTree();
    store_.Modified = false;
    RefreshCaption();
    window_.setStatusText(kReady);
}

void OpenSetting::Open() {
    if (QuerySaveChanges() == common::Answer::Cancel) {
        return;
    }
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = "Open";
    request.defaultExtension = "cfg";
    request.filter = "Setting Files (*.cfg)|*.cfg";
    request.initialFolder = InitialFolder();
    request.fileMustExist = true;
    request.pathMustExist = true;
    request.hideReadOnly = true;
    auto path = dialog_.choose(request);
    if (!path) {
        return;
    }
    // The path is kept as chosen: on a case-sensitive file system an upper
    // case copy would name another file, or none.
    OpenFile(*path);
}

void OpenSetting::OpenFile(const std::string& path) {
    if (!OpenSettingFile(path)) {
        ForgetRecent(path);
    }
}

bool OpenSetting::OpenSettingFile(const std::string& path) {
    if (QuerySaveChanges() == common::Answer::Cancel) {
        return true;
    }
    switch (ReadSettingFile(files_, path, store_, prompter_)) {
        case SettingFileRead::CannotOpen:
            prompter_.warning("Failed to open " + path + ".");
            return false;
        case SettingFileRead::WrongLength:
            prompter_.warning("Incorrect file format.");
            return false;
        case SettingFileRead::Ok:
            break;
    }
    window_.clearSettingView();
    window_.setStatusText(kReady);
    CurrentDevice.clear();
    CurrentFile = path;
    EnableOpenSettingCommands();
    recentList.AddRecent(path, InterfaceCode::SettingFile);
    RefreshRecentMenu();
    window_.buildSettingTree();
    store_.Modified = false;
    RefreshCaption();
    return true;
}

bool OpenSetting::Save() {
    if (CurrentFile.empty() && CurrentDevice.empty()) {
        return false;
    }
    if (NeedsSaveAs()) {
        return SaveAs();
    }
    if (!WriteSettingFile(files_, CurrentFile, store_, prompter_)) {
        return false;
    }
    store_.Modified = false;
    RefreshCaption();
    return true;
}

bool OpenSetting::SaveAs() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "Save as";
    request.defaultExtension = "cfg";
    request.filter = "Setting File(*.cfg) | *.cfg";
    request.initialFolder = InitialFolder();
    request.promptBeforeOverwrite = true;
    request.pathMustExist = true;
    request.hideReadOnly = true;
    auto path = dialog_.choose(request);
    if (!path) {
        return false;
    }
    // Written first, so that a failed write leaves the open setting as it was.
    if (!WriteSettingFile(files_, *path, store_, prompter_)) {
        return false;
    }
    CurrentFile = *path;
    CurrentDevice.clear();
    store_.Modified = false;
    RefreshCaption();
    recentList.AddRecent(CurrentFile, InterfaceCode::SettingFile);
    RefreshRecentMenu();
    return true;
}

void OpenSetting::Close() {
    if (QuerySaveChanges() != common::Answer::Cancel) {
        CloseSetting();
    }
}

void OpenSetting::CloseSetting() {
    window_.clearSettingView();
    CurrentFile.clear();
    CurrentDevice.clear();
    RefreshCaption();
    window_.setStatusText(kReady);
    for (SettingCommand command : kFileCommands) {
        window_.setCommandEnabled(command, false);
    }
    for (SettingCommand command : kFormulaCommands) {
        window_.setCommandEnabled(command, false);
    }
}

void OpenSetting::OpenRecent(std::size_t index) {
    if (index >= RecentList::kSize || recentList.entries[index].Name.empty()) {
        return;
    }
    // A copy: opening moves the entries.
    RecentEntry entry = recentList.entries[index];
    if (entry.Interface == InterfaceCode::SettingFile) {
        if (!OpenSettingFile(entry.Name)) {
            ForgetRecent(entry.Name);
        }
        return;
    }
    // Without uploads (a front end that has none) the entry is kept for later.
    if (entry.Interface < InterfaceCode::Rs232 || entry.Interface > InterfaceCode::Usb ||
        !uploadRecent) {
        return;
    }
    if (uploadRecent(entry)) {
        store_.CurrentInterface = entry.Interface;
    } else {
        ForgetRecent(entry.Name);
    }
}

void OpenSetting::AcceptUpload(const std::string& deviceName, std::int32_t interface,
                               std::int32_t currentComIndex, const DcbBytes& portSettings) {
    store_.UnpackImage(prompter_);
    window_.clearSettingView();
    window_.setStatusText(kReady);
    CurrentFile.clear();
    CurrentDevice = deviceName;
    EnableOpenSettingCommands();
    recentList.AddRecent(CurrentDevice, interface, currentComIndex, portSettings);
    RefreshRecentMenu();
    window_.buildSettingTree();
    store_.Modified = false;
    RefreshCaption();
}

void OpenSetting::RestoreChanged(const ConfigurationImage& image, const std::string& file,
                                 const std::string& device) {
    store_.image = image;
    store_.UnpackImage(prompter_);
    window_.clearSettingView();
    window_.setStatusText(kReady);
    CurrentFile = file;
    CurrentDevice = file.empty() ? device : std::string();
    EnableOpenSettingCommands();
    window_.buildSettingTree();
    store_.Modified = true;
    RefreshCaption();
}

void OpenSetting::NoteDownloadSucceeded() {
    if (!CurrentDevice.empty() && store_.Modified) {
        store_.Modified = false;
        RefreshCaption();
    }
}

std::string OpenSetting::Caption() const {
    const std::string& name = !CurrentFile.empty() ? CurrentFile : CurrentDevice;
    if (name.empty()) {
        return common::kApplicationTitle;
    }
    return name + " - " + common::kApplicationTitle + (store_.Modified ? "*" : "");
}

void OpenSetting::RefreshCaption() {
    window_.setCaption(Caption());
}

void OpenSetting::RefreshRecentMenu() {
    window_.showRecentMenu(recentList.Menu());
}

std::string OpenSetting::UntitledPath() const {
    std::string folder = programFolder_;
    if (folder.empty() || folder.back() != kSeparator) {
        folder += kSeparator;
    }
    return folder + kUntitled;
}

bool OpenSetting::NeedsSaveAs() const {
    // From a device there is no file to write yet; after New only the
    // placeholder itself. A file the user named Untitled.cfg is a file like
    // any other.
    return CurrentFile.empty() || CurrentFile == UntitledPath();
}

std::string OpenSetting::InitialFolder() const {
    auto slash = CurrentFile.find_last_of(kSeparator);
    if (slash == std::string::npos) {
        return programFolder_;
    }
    return CurrentFile.substr(0, slash + 1);
}

void OpenSetting::EnableOpenSettingCommands() {
    for (SettingCommand command : kFileCommands) {
        window_.setCommandEnabled(command, true);
    }
    for (SettingCommand command : kFormulaCommands) {
        window_.setCommandEnabled(command, false);
    }
}

void OpenSetting::ForgetRecent(const std::string& name) {
    recentList.RemoveRecent(name);
    RefreshRecentMenu();
}

}  // namespace magtune::settings
