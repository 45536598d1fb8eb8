#pragma once

#include <string>

namespace magtune::platform {

// A shared library opened at run time and the exports looked up in it. It is
// not closed when this object goes: the libraries the program loads keep
// process-wide state (a channel to a server, a keyboard hook) that must
// outlive whoever loaded them, so only close() unloads.
class SharedLibrary {
  public:
    // Opens the library. A name without a slash is looked for in the
    // HelperFolders(), then on the library search path; a path with a slash
    // is taken as it is. False when it cannot be opened, with the loader's
    // reason in `error`.
    bool open(const std::string& fileName, std::string& error);

    // Looks up an export; a missing one leaves `function` null and the first
    // such name in firstMissing().
    template <typename Function>
    void resolve(const char* name, Function& function) {
        function = reinterpret_cast<Function>(symbol(name));
        if (function == nullptr && firstMissing_.empty()) {
            firstMissing_ = name;
        }
    }
    // Empty while every export resolved so far was found.
    const std::string& firstMissing() const { return firstMissing_; }

    void close();

  private:
    void* symbol(const char* name) const;

    void* handle_ = nullptr;
    std::string firstMissing_;
};

}  // namespace magtune::platform
