#include "DeviceLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace magtune::readersim {

bool DeviceLink::create(const std::string& link, const std::string& target, std::string& error) {
    struct stat info {};
    if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = link + " exists and is not a symbolic link; not replaced";
        return false;
    }
    // The ports folder of a new account does not exist yet; the link makes
    // it, as the README's first try expects.
    if (const auto slash = link.find_last_of('/'); slash != std::string::npos && slash > 0) {
        platform::SystemError folderError;
        const std::string folder = link.substr(0, slash);
        if (!platform::RealFileSystem().createFolders(folder, folderError)) {
            error = "cannot create the folder " + folder + " for the link " + link + ": " +
                    platform::SystemMessageText(folderError.code);
            return false;
        }
    }
    const std::string temp = link + ".sim" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = "cannot create the link " + link + ": " + platform::SystemMessageText(errno);
        return false;
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        error = "cannot create the link " + link + ": " + platform::SystemMessageText(errno);
        ::unlink(temp.c_str());
        return false;
    }
    link_ = link;
    target_ = target;
    return true;
}

void DeviceLink::remove() {
    if (link_.empty()) {
        return;
    }
    std::vector<char> buffer(target_.size() + 2);
    const ssize_t n = ::readlink(link_.c_str(), buffer.data(), buffer.size());
    if (n >= 0 && std::string(buffer.data(), static_cast<std::size_t>(n)) == target_) {
        ::unlink(link_.c_str());
    }
    link_.clear();
}

}  // namespace magtune::readersim
