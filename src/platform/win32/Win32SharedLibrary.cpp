#include <windows.h>

#include "platform/Paths.h"
#include "platform/SharedLibrary.h"
#include "platform/SystemError.h"

namespace magtune::platform {

bool SharedLibrary::open(const std::string& fileName, std::string& error) {
    close();
    // Only beside the program, never from the current folder or the search
    // path first, where anyone could plant a library of the same name.
    if (fileName.find_first_of("/\\") == std::string::npos) {
        for (const std::string& folder : HelperFolders()) {
            const std::string path = folder + "\\" + fileName;
            handle_ = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            if (handle_ != nullptr) {
                return true;
            }
        }
    }
    handle_ = ::LoadLibraryExA(fileName.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle_ == nullptr) {
        const DWORD code = ::GetLastError();
        error = SystemMessageText(static_cast<int>(code));
        if (error.empty()) {
            error = "error " + std::to_string(code);
        }
        return false;
    }
    return true;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void SharedLibrary::close() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
    firstMissing_.clear();
}

}  // namespace magtune::platform
