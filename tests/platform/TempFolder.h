#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace magtune::test {

// A fresh folder below the system's temporary folder, removed afterwards.
class TempFolder {
  public:
    TempFolder() : TempFolder("magtune-") {}
    explicit TempFolder(const std::string& prefix) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() /
                                   (prefix + std::to_string(random()) + std::to_string(attempt));
            std::error_code error;
            // create_directory is false for a folder that already exists.
            if (std::filesystem::create_directory(candidate, error)) {
                // The owner's alone, as mkdtemp makes it.
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
                path = candidate.string();
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path.empty()) {
            std::filesystem::remove_all(path, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
            hadOld_ = true;
        }
        Set(name, value);
    }
    ~ScopedEnv() { Set(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    static void Set(const char* name, const char* value) {
#ifdef _WIN32
        ::_putenv_s(name, value ? value : "");
#else
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
#endif
    }

    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace magtune::test
