#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Prompter.h"
#include "platform/FileSystem.h"
#include "settings/FileDialog.h"
#include "settings/RecentList.h"
#include "settings/SettingStore.h"
#include "settings/SettingWindow.h"

namespace magtune::settings {

// The setting that the main window has open (from a file, from a device, or
// none), with the file commands that open, save and close it and the recent
// list. The window and the dialogs are reached through interfaces, so the
// GUI, the command line and the tests drive the same logic.
//
// A changed setting is never closed unless it was saved, downloaded or given
// up by the user: a cancelled Save As, a failed write or a failed download
// turn the answer to the save question into Cancel.
class OpenSetting {
  public:
    // DownloadSetting of the interface dialogs: true when the reader took
    // the setting.
    using DownloadHook = std::function<bool()>;
    // Uploads from a recent device entry (RS232, keyboard wedge, USB),
    // opening its port first for RS232 and reporting its own failures; false
    // when no setting was delivered. A successful upload calls AcceptUpload.
    using UploadHook = std::function<bool(const RecentEntry& entry)>;

    OpenSetting(SettingStore& store, common::Prompter& prompter, platform::FileSystem& files,
                FileDialog& dialog, SettingWindow& window, std::string programFolder);

    std::string CurrentFile;    // empty unless the setting came from a file
    std::string CurrentDevice;  // empty unless the setting came from a device
    RecentList recentList;

    DownloadHook downloadSetting;
    UploadHook uploadRecent;

    // Asked before the open setting is replaced or closed; the caller stops
    // on Cancel. Yes means the setting was saved (or downloaded) and closed.
    common::Answer QuerySaveChanges();

    void New();
    void Open();
    // False only when the file is missing, unreadable or of the wrong size.
    bool OpenSettingFile(const std::string& path);
    // A file chosen outside the Open dialog (the command line, the file
    // manager) opened as Open opens a chosen one: a file that fails to open
    // also leaves the recent list.
    void OpenFile(const std::string& path);
    // True when the setting was written.
    bool Save();
    bool SaveAs();
    void Close();
    // Empties the window and forgets where the setting came from; the values
    // and Modified stay.
    void CloseSetting();
    // A click on recent menu item `index` (0-3).
    void OpenRecent(std::size_t index);

    // After an upload delivered a checked image into the store: unpacks it
    // and makes the device the open setting.
    void AcceptUpload(const std::string& deviceName, std::int32_t interface,
                      std::int32_t currentComIndex = 0, const DcbBytes& portSettings = {});
    // A changed setting kept when the program was ended without being
    // asked: opens it again under its old file or device name, still
    // changed, so that the user decides now whether to save it.
    void RestoreChanged(const ConfigurationImage& image, const std::string& file,
                        const std::string& device);
    // After a successful download: a setting from a device now equals the
    // device's, while one from a file stays changed.
    void NoteDownloadSucceeded();

    // The file or device name, " - ", the application title and a trailing
    // "*" while changed; the title alone when no setting is open.
    std::string Caption() const;
    void RefreshCaption();
    void RefreshRecentMenu();

    // Folder + "/Untitled", where New puts the setting until it is saved.
    std::string UntitledPath() const;

  private:
    bool NeedsSaveAs() const;
    std::string InitialFolder() const;
    void EnableOpenSettingCommands();
    void ForgetRecent(const std::string& name);

    SettingStore& store_;
    common::Prompter& prompter_;
    platform::FileSystem& files_;
    FileDialog& dialog_;
    SettingWindow& window_;
    std::string programFolder_;
};

}  // namespace magtune::settings
