#include "platform/RegistryTree.h"

#include <algorithm>

namespace magtune::platform {
namespace {

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
    });
}

bool HoldsForbidden(std::string_view name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos;
}

template <typename KeyT>
KeyT* FindSub(KeyT& key, std::string_view name) {
    for (auto& sub : key.subKeys) {
        if (RegistryTree::EqualNoCase(sub.name, name)) {
            return &sub;
        }
    }
    return nullptr;
}

template <typename KeyT>
KeyT* FindPath(KeyT& root, std::string_view path) {
    std::vector<std::string> names;
    if (!RegistryTree::SplitPath(path, names)) {
        return nullptr;
    }
    KeyT* key = &root;
    for (const auto& name : names) {
        key = FindSub(*key, name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

}  // namespace

bool RegistryTree::EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Fold(x) == Fold(y); });
}

bool RegistryTree::SplitPath(std::string_view path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty()) {
        return true;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find('\\', start);
        std::string_view name =
            path.substr(start, end == std::string_view::npos ? path.npos : end - start);
        if (name.empty() || name.size() > kMaxKeyNameChars || HoldsForbidden(name)) {
            names.clear();
            return false;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
}

bool RegistryTree::ValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameChars && !HoldsForbidden(name);
}

RegistryTree::Value* RegistryTree::Key::findValue(std::string_view name) {
    for (auto& value : values) {
        if (EqualNoCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

const RegistryTree::Value* RegistryTree::Key::findValue(std::string_view name) const {
    return const_cast<Key*>(this)->findValue(name);
}

void RegistryTree::Key::setValue(std::string_view name, RegValue value) {
    if (Value* existing = findValue(name)) {
        existing->value = std::move(value);
    } else {
        values.push_back({std::string(name), std::move(value)});
    }
}

bool RegistryTree::Key::removeValue(std::string_view name) {
    auto it = std::find_if(values.begin(), values.end(),
                           [&](const Value& v) { return EqualNoCase(v.name, name); });
    if (it == values.end()) {
        return false;
    }
    values.erase(it);
    return true;
}

RegistryTree::Key* RegistryTree::find(std::string_view path) {
    return FindPath(root_, path);
}

const RegistryTree::Key* RegistryTree::find(std::string_view path) const {
    return FindPath(root_, path);
}

RegistryTree::Key* RegistryTree::create(std::string_view path) {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) {
        return nullptr;
    }
    Key* key = &root_;
    for (auto& name : names) {
        Key* sub = FindSub(*key, name);
        if (sub == nullptr) {
            auto at = std::find_if(key->subKeys.begin(), key->subKeys.end(),
                                   [&](const Key& k) { return LessNoCase(name, k.name); });
            at = key->subKeys.insert(at, Key{std::move(name), {}, {}});
            sub = &*at;
        }
        key = sub;
    }
    return key;
}

bool RegistryTree::remove(std::string_view path) {
    std::vector<std::string> names;
    if (!SplitPath(path, names) || names.empty()) {
        return false;
    }
    Key* parent = &root_;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        parent = FindSub(*parent, names[i]);
        if (parent == nullptr) {
            return false;
        }
    }
    auto it = std::find_if(parent->subKeys.begin(), parent->subKeys.end(),
                           [&](const Key& k) { return EqualNoCase(k.name, names.back()); });
    if (it == parent->subKeys.end()) {
        return false;
    }
    parent->subKeys.erase(it);
    return true;
}

}  // namespace magtune::platform
