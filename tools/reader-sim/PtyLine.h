#pragma once

#include <string>

namespace magtune::readersim {

// The reader's end of a pseudo-terminal: the master side, and a slave
// descriptor that the reader keeps open itself. The PC side may open and
// close the device many times; while one slave descriptor stays open the
// master never sees a hang-up and the line keeps the settings the PC gave
// it, as a real port does.
class PtyLine {
  public:
    PtyLine() = default;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine() { close(); }

    // A new terminal, raw, at `baudRate`, its master non-blocking and in
    // packet mode; false with a message.
    bool open(unsigned baudRate, std::string& error);
    // Closing the master is what the PC side sees as a hang-up.
    void close();

    int master() const { return master_; }
    // What the PC side opens.
    const std::string& devicePath() const { return devicePath_; }
    // The rate the PC side set last (0 when it cannot be read or is split).
    unsigned lineBaud() const;
    // Bytes the reader sent that the PC side has not read yet.
    int unreadByPc() const;

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
};

}  // namespace magtune::readersim
