#include "platform/FilePreferencesStore.h"

#include <cerrno>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/RegFile.h"

namespace magtune::platform {
FilePreferencesStore::FilePreferencesStore(std::string path, FileSystem& fileSystem)
    : path_(std::move(path)), fileSystem_(fileSystem) {}

std::string FilePreferencesStore::DefaultPath() {
    const char* own = std::getenv("MAGTUNE_REGISTRY_FILE");
    if (own != nullptr && own[0] != '\0') {
        return own;
    }
    return UserFilePath(UserConfigFolder(), "registry.reg");
}

std::string FilePreferencesStore::load() {
    tree_ = RegistryTree();
    pending_.clear();
    if (!fileSystem_.fileExists(path_)) {
        return {};
    }
    SystemError error;
    auto bytes = fileSystem_.readFile(path_, error);
    std::string reason;
    if (!bytes) {
        reason = SystemMessageText(error.code);
    } else {
        RegFileContents contents = ParseRegFile(*bytes);
        if (contents.ok) {
            tree_ = std::move(contents.tree);
            return {};
        }
        reason = contents.problem;
        if (contents.line != 0) {
            reason += " (line " + std::to_string(contents.line) + ")";
        }
    }
    std::string backup = path_ + ".bak";
    std::string text = "The preferences file \"" + path_ + "\" could not be read: " + reason + ".";
    SystemError moveError;
    if (fileSystem_.moveFile(path_, backup, moveError)) {
        text += "\nIt was kept as \"" + backup + "\"; the default preferences are used.";
    } else {
        text +=
            "\nThe default preferences are used; the file will be replaced when they are saved.";
    }
    return text;
}

RegistryTree::Key* FilePreferencesStore::existingKey(const std::string& key, const char* function,
                                                     SystemError& error) {
    std::vector<std::string> names;
    if (!RegistryTree::SplitPath(key, names)) {
        error = {function, EINVAL};
        return nullptr;
    }
    RegistryTree::Key* found = tree_.find(key);
    if (found == nullptr) {
        error = {function, ENOENT};
    }
    return found;
}

bool FilePreferencesStore::createKey(const std::string& key, SystemError& error) {
    if (tree_.find(key) != nullptr) {
        return true;
    }
    if (tree_.create(key) == nullptr) {
        error = {"RegCreateKeyEx", EINVAL};
        return false;
    }
    pending_.push_back([key](RegistryTree& tree) { tree.create(key); });
    return true;
}

bool FilePreferencesStore::openKey(const std::string& key, SystemError& error) {
    return existingKey(key, "RegOpenKeyEx", error) != nullptr;
}

bool FilePreferencesStore::keyExists(const std::string& key) {
    return tree_.find(key) != nullptr;
}

bool FilePreferencesStore::enumValues(const std::string& key, std::size_t nameBufferChars,
                                      std::vector<std::string>& names, SystemError& error) {
    names.clear();
    const RegistryTree::Key* found = existingKey(key, "RegEnumValue", error);
    if (found == nullptr) {
        return false;
    }
    bool fits = true;
    for (const auto& value : found->values) {
        names.push_back(value.name);
        if (nameBufferChars != 0 && value.name.size() >= nameBufferChars) {
            fits = false;
        }
    }
    if (!fits) {
        error = {"RegEnumValue", kRegNameTooLong};
    }
    return fits;
}

bool FilePreferencesStore::enumKeys(const std::string& key, std::vector<std::string>& names,
                                    SystemError& error) {
    names.clear();
    const RegistryTree::Key* found = existingKey(key, "RegEnumKeyEx", error);
    if (found == nullptr) {
        return false;
    }
    for (const auto& sub : found->subKeys) {
        names.push_back(sub.name);
    }
    return true;
}

bool FilePreferencesStore::queryValue(const std::string& key, const std::string& name,
                                      RegValue& value, SystemError& error) {
    const RegistryTree::Key* found = existingKey(key, "RegQueryValueEx", error);
    if (found == nullptr) {
        return false;
    }
    const RegistryTree::Value* v = found->findValue(name);
    if (v == nullptr) {
        error = {"RegQueryValueEx", ENOENT};
        return false;
    }
    value = v->value;
    return true;
}

bool FilePreferencesStore::setValue(const std::string& key, const std::string& name,
                                    const RegValue& value, SystemError& error) {
    RegistryTree::Key* found = existingKey(key, "RegSetValueEx", error);
    if (found == nullptr) {
        return false;
    }
    if (!RegistryTree::ValidValueName(name)) {
        error = {"RegSetValueEx", EINVAL};
        return false;
    }
    found->setValue(name, value);
    pending_.push_back([key, name, value](RegistryTree& tree) {
        if (RegistryTree::Key* k = tree.create(key)) {
            k->setValue(name, value);
        }
    });
    return true;
}

bool FilePreferencesStore::deleteValue(const std::string& key, const std::string& name,
                                       SystemError& error) {
    RegistryTree::Key* found = existingKey(key, "RegDeleteValue", error);
    if (found == nullptr) {
        return false;
    }
    if (!found->removeValue(name)) {
        error = {"RegDeleteValue", ENOENT};
        return false;
    }
    pending_.push_back([key, name](RegistryTree& tree) {
        if (RegistryTree::Key* k = tree.find(key)) {
            k->removeValue(name);
        }
    });
    return true;
}

bool FilePreferencesStore::deleteKey(const std::string& key, SystemError& error) {
    if (existingKey(key, "RegDeleteKey", error) == nullptr) {
        return false;
    }
    if (!tree_.remove(key)) {
        error = {"RegDeleteKey", EACCES};
        return false;
    }
    pending_.push_back([key](RegistryTree& tree) { tree.remove(key); });
    return true;
}

bool FilePreferencesStore::save(SystemError& error) {
    if (pending_.empty()) {
        return true;
    }
    // Start from what is on disk now, so that changes another store saved
    // since our load survive; without a readable file our own view is all
    // there is.
    RegistryTree merged = tree_;
    SystemError readError;
    if (fileSystem_.fileExists(path_)) {
        if (auto bytes = fileSystem_.readFile(path_, readError)) {
            RegFileContents contents = ParseRegFile(*bytes);
            if (contents.ok) {
                merged = std::move(contents.tree);
                for (const auto& change : pending_) {
                    change(merged);
                }
            }
        }
    }
    // A failure here shows up as the write's own failure.
    SystemError folderError;
    fileSystem_.createFolders(ParentFolder(path_), folderError);
    std::string text = FormatRegFile(merged);
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size());
    if (!fileSystem_.writeFileAtomically(path_, bytes, error)) {
        return false;
    }
    tree_ = std::move(merged);
    pending_.clear();
    return true;
}

}  // namespace magtune::platform
