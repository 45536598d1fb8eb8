#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PreferencesStore.h"
#include "platform/RegistryTree.h"

namespace magtune::platform {

// The current user's registry kept in a registry export file (see
// RegFile.h), by default $XDG_CONFIG_HOME/magtune/registry.reg.
//
// Several stores may share the file (the program and the keyboard wedge
// library each keep one): save() reads the file again and applies only this
// store's own changes to it, so that one does not undo the other's.
class FilePreferencesStore : public PreferencesStore {
  public:
    explicit FilePreferencesStore(std::string path, FileSystem& fileSystem = RealFileSystem());

    // $MAGTUNE_REGISTRY_FILE when set, else registry.reg in the user's
    // configuration folder.
    static std::string DefaultPath();

    // Reads the file. A missing file is an empty registry. A file that
    // cannot be read or is no valid export is moved aside to path + ".bak",
    // the store starts empty, and the returned text tells the user so
    // (show it once); otherwise the text is empty.
    std::string load();

    const std::string& path() const { return path_; }

    bool createKey(const std::string& key, SystemError& error) override;
    bool openKey(const std::string& key, SystemError& error) override;
    bool keyExists(const std::string& key) override;
    bool enumValues(const std::string& key, std::size_t nameBufferChars,
                    std::vector<std::string>& names, SystemError& error) override;
    bool enumKeys(const std::string& key, std::vector<std::string>& names,
                  SystemError& error) override;
    bool queryValue(const std::string& key, const std::string& name, RegValue& value,
                    SystemError& error) override;
    bool setValue(const std::string& key, const std::string& name, const RegValue& value,
                  SystemError& error) override;
    bool deleteValue(const std::string& key, const std::string& name, SystemError& error) override;
    bool deleteKey(const std::string& key, SystemError& error) override;
    // Writes the whole file atomically; on failure the file is as it was
    // and the changes stay pending for the next save.
    bool save(SystemError& error) override;
    std::string location() const override { return path_; }

  private:
    using Change = std::function<void(RegistryTree&)>;

    RegistryTree::Key* existingKey(const std::string& key, const char* function,
                                   SystemError& error);

    std::string path_;
    FileSystem& fileSystem_;
    RegistryTree tree_;
    std::vector<Change> pending_;
};

}  // namespace magtune::platform
