#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include "platform/Paths.h"

namespace magtune::platform {

bool SharedLibrary::open(const std::string& fileName, std::string& error) {
    close();
    if (fileName.find('/') == std::string::npos) {
        for (const std::string& folder : HelperFolders()) {
            const std::string path = folder + "/" + fileName;
            handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle_ != nullptr) {
                return true;
            }
        }
    }
    handle_ = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = ::dlerror();
        error = text != nullptr ? text : "unknown error";
        return false;
    }
    return true;
}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

void SharedLibrary::close() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
    firstMissing_.clear();
}

}  // namespace magtune::platform
