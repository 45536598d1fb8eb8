#pragma once

#include <string>

namespace magtune::readersim {

// A symbolic link to the simulator's device (for instance a COM port name in
// the ports folder), removed again when the simulator ends.
class DeviceLink {
  public:
    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;
    ~DeviceLink() { remove(); }

    // Points `link` at `target` through a temporary link and a rename, so a
    // stale link is replaced without the name ever missing. Never replaces
    // anything but a symbolic link; false with a message.
    bool create(const std::string& link, const std::string& target, std::string& error);
    // Removes the link unless another simulator has taken it over meanwhile.
    void remove();

  private:
    std::string link_;
    std::string target_;
};

}  // namespace magtune::readersim
