#pragma once

#include <optional>
#include <string>

namespace magtune::settings {

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string title;
    std::string filter;  // "Setting Files (*.cfg)|*.cfg"
    std::string defaultExtension;
    std::string initialFolder;
    std::string fileName;
    bool fileMustExist = false;
    bool pathMustExist = false;
    bool promptBeforeOverwrite = false;
    bool hideReadOnly = false;
};

// The system's open-file and save-file dialogs.
class FileDialog {
  public:
    virtual ~FileDialog() = default;

    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> choose(const FileDialogRequest& request) = 0;
};

}  // namespace magtune::settings
