#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace magtune::platform {
namespace {

int LastError() {
    return static_cast<int>(::GetLastError());
}

// Closes the handle when it goes.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        const bool ok = !valid() || ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool ReadAll(HANDLE file, std::vector<std::uint8_t>& data) {
    data.clear();
    std::uint8_t buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        data.insert(data.end(), buffer, buffer + n);
    }
}

std::string FileName(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

class Win32FileSystem : public FileSystem {
  public:
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      SystemError& error) override {
        Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = {"CreateFile", LastError()};
            return std::nullopt;
        }
        std::vector<std::uint8_t> data;
        if (!ReadAll(file.get(), data)) {
            error = {"ReadFile", LastError()};
            return std::nullopt;
        }
        return data;
    }

    // A temporary file beside the target, flushed, then moved over it, so
    // the target is the old file or the whole new one. A read-only target is
    // refused, as the system refuses to write it.
    bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                             SystemError& error) override {
        if (path.empty()) {
            error = {"CreateFile", ERROR_PATH_NOT_FOUND};
            return false;
        }
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                error = {"CreateFile", ERROR_ACCESS_DENIED};
                return false;
            }
            if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
                error = {"CreateFile", ERROR_ACCESS_DENIED};
                return false;
            }
        }
        const std::string folder = ParentFolder(path);
        std::string temp;
        HANDLE created = INVALID_HANDLE_VALUE;
        for (unsigned attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
            temp = UserFilePath(folder, "~" + FileName(path) + "." +
                                            std::to_string(::GetCurrentProcessId()) + "." +
                                            std::to_string(attempt) + ".tmp");
            created = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
            if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
        if (created == INVALID_HANDLE_VALUE) {
            error = {"CreateFile", LastError()};
            return false;
        }
        Handle file(created);
        auto fail = [&](const char* function) {
            const int code = LastError();
            file.close();
            ::DeleteFileA(temp.c_str());
            error = {function, code};
            return false;
        };
        if (!WriteAll(file.get(), data)) {
            return fail("WriteFile");
        }
        if (!::FlushFileBuffers(file.get())) {
            return fail("FlushFileBuffers");
        }
        if (!file.close()) {
            return fail("CloseHandle");
        }
        if (!::MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const int code = LastError();
            ::DeleteFileA(temp.c_str());
            error = {"MoveFileEx", code};
            return false;
        }
        return true;
    }

    bool appendToFile(const std::string& path, std::span<const std::uint8_t> data,
                      SystemError& error) override {
        Handle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = {"CreateFile", LastError()};
            return false;
        }
        if (!WriteAll(file.get(), data)) {
            error = {"WriteFile", LastError()};
            return false;
        }
        return true;
    }

    bool truncateFile(const std::string& path, SystemError& error) override {
        Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = {"CreateFile", LastError()};
            return false;
        }
        return true;
    }

    bool fileExists(const std::string& path) override {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool removeFile(const std::string& path, SystemError& error) override {
        if (!::DeleteFileA(path.c_str())) {
            error = {"DeleteFile", LastError()};
            return false;
        }
        return true;
    }

    bool moveFile(const std::string& from, const std::string& to, SystemError& error) override {
        if (!::MoveFileExA(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            error = {"MoveFileEx", LastError()};
            return false;
        }
        return true;
    }

    // Whether a file can be made there: tried, and removed again.
    bool folderWritable(const std::string& path) override {
        const std::string probe =
            UserFilePath(path, "~magtune." + std::to_string(::GetCurrentProcessId()) + ".probe");
        HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        ::CloseHandle(file);
        return true;
    }

    bool createFolders(const std::string& path, SystemError& error) override {
        int code = 0;
        if (!MakeFolders(path, code)) {
            error = {"CreateDirectory", code};
            return false;
        }
        return true;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace magtune::platform
