#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/PreferencesStore.h"

namespace magtune::platform {

// The keys and values of the current user's registry in memory, with the
// registry's rules for names: compared without regard to (ASCII) case,
// kept in the case they were created with.
class RegistryTree {
  public:
    struct Value {
        std::string name;
        RegValue value;
    };
    struct Key {
        std::string name;
        std::vector<Value> values;  // in the order they were created
        std::vector<Key> subKeys;   // sorted by name

        Value* findValue(std::string_view name);
        const Value* findValue(std::string_view name) const;
        // Replaces a value of the same name in place, else appends.
        void setValue(std::string_view name, RegValue value);
        bool removeValue(std::string_view name);
    };

    // The registry's limits, in characters.
    static constexpr std::size_t kMaxKeyNameChars = 255;
    static constexpr std::size_t kMaxValueNameChars = 16383;

    static bool EqualNoCase(std::string_view a, std::string_view b);
    // Splits "A\\B\\C" into its names; "" is the root (no names). False for
    // an empty name, a name that is too long or holds zero, CR or LF.
    static bool SplitPath(std::string_view path, std::vector<std::string>& names);
    static bool ValidValueName(std::string_view name);

    Key& root() { return root_; }
    const Key& root() const { return root_; }

    // nullptr when the path is invalid or the key does not exist.
    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;
    // Creates the key and missing parents; nullptr only for an invalid path.
    Key* create(std::string_view path);
    // Removes the key with everything below it; false when it does not
    // exist or is the root.
    bool remove(std::string_view path);

  private:
    Key root_;
};

}  // namespace magtune::platform
