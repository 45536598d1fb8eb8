#include "wedge/CharDeviceBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace magtune::wedge {

namespace {

struct SendBlock {
    std::uint32_t delay;
    std::uint32_t count;
    std::uint64_t address;
};
static_assert(sizeof(SendBlock) == 16);

class CharDeviceDriver : public WedgeDriver {
  public:
    explicit CharDeviceDriver(int fd) : fd_(fd) {}
    ~CharDeviceDriver() override { ::close(fd_); }
    CharDeviceDriver(const CharDeviceDriver&) = delete;
    CharDeviceDriver& operator=(const CharDeviceDriver&) = delete;

    bool send(std::uint32_t delay, std::span<const std::uint8_t> data, int& error) override {
        SendBlock block{delay, static_cast<std::uint32_t>(data.size()),
                        reinterpret_cast<std::uintptr_t>(data.data())};
        return request(CharDeviceBackend::kSendRequest, &block, error);
    }

    bool version(std::array<std::uint32_t, 3>& words, int& error) override {
        words.fill(0);
        return request(CharDeviceBackend::kVersionRequest, words.data(), error);
    }

  private:
    bool request(unsigned long code, void* argument, int& error) {
        int result = 0;
        do {
            result = ::ioctl(fd_, code, argument);
        } while (result < 0 && errno == EINTR);
        if (result < 0) {
            error = errno;
            return false;
        }
        return true;
    }

    int fd_;
};

std::string DefaultDriverFile() {
    utsname system{};
    const std::string release = ::uname(&system) == 0 ? system.release : "";
    return "/lib/modules/" + release + "/extra/zebdrv2k.ko";
}

}  // namespace

std::string CharDeviceBackend::DevicePath(OsFamily family) {
    const char* own = std::getenv("ZEBAPI_DEVICE");
    if (own != nullptr && own[0] != '\0') {
        return own;
    }
    return family == OsFamily::Nt ? "/dev/zebdrv2k" : "/dev/zebdrv.vxd";
}

CharDeviceBackend::CharDeviceBackend(std::string moduleFolder, std::string driverFile)
    : moduleFolder_(std::move(moduleFolder)),
      driverFile_(driverFile.empty() ? DefaultDriverFile() : std::move(driverFile)) {}

bool CharDeviceBackend::serviceInstalled() {
    struct stat st {};
    return ::stat(moduleFolder_.c_str(), &st) == 0;
}

std::optional<std::string> CharDeviceBackend::driverFile() {
    return driverFile_;
}

std::unique_ptr<WedgeDriver> CharDeviceBackend::open(OsFamily family, int& error) {
    const std::string path = DevicePath(family);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    // Not shared: a second opener finds the port taken, as with the
    // driver's exclusive open elsewhere.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<CharDeviceDriver>(fd);
}

}  // namespace magtune::wedge
