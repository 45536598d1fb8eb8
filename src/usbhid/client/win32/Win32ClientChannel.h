#pragma once

#include <cstdint>
#include <string>

#include "usbhid/common/RequestBlock.h"

namespace magtune::usbhid {

// The library's side of the channel to OruUsbHidCtrlSrv64 on Windows: the
// four named events and the paging-file mapping of the request block, named
// NameBase + GUID after the folder of the host executable, and the server
// it started from that folder.
class Win32ClientChannel {
  public:
    static constexpr int kServerStartAttempts = 5;
    static constexpr std::uint32_t kReadyWaitMs = 5000;
    // How long an old server of the same folder, or ours at the end, gets
    // to quit.
    static constexpr std::uint32_t kQuitWaitMs = 1000;

    Win32ClientChannel() = default;
    Win32ClientChannel(const Win32ClientChannel&) = delete;
    Win32ClientChannel& operator=(const Win32ClientChannel&) = delete;
    ~Win32ClientChannel() { disconnect(); }

    // Creates the objects and starts the server; nothing when connected.
    bool connect();
    RequestBlock& block() const { return *block_; }
    // Signals the request and waits for the reply without a time limit.
    bool transact();
    // Asks the server to quit and closes everything.
    void disconnect();

  private:
    bool startServer(const std::string& folder);
    void closeAll();

    bool connected_ = false;
    void* events_[4] = {};  // request, reply, quit, ready
    void* mapping_ = nullptr;
    RequestBlock* block_ = nullptr;
};

}  // namespace magtune::usbhid
