#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/HostMessages.h"
#include "platform/NamedSemaphore.h"
#include "platform/Process.h"
#include "platform/SharedMemoryBlock.h"
#include "usbhid/common/ChannelNames.h"
#include "usbhid/common/RequestBlock.h"

namespace magtune::usbhid {

// The library's side of the channel to OruUsbHidCtrlSrv64: the named
// objects, the mapped request block and the server it started.
class ClientChannel {
  public:
    static constexpr int kServerStartAttempts = 5;
    static constexpr std::uint32_t kReadyWaitMs = 5000;
    // How long an old server of the same folder, or ours at the end, gets
    // to quit.
    static constexpr std::uint32_t kQuitWaitMs = 1000;
    // How often a waiting request looks whether the server still lives.
    static constexpr std::uint32_t kLivenessCheckMs = 100;

    ClientChannel() = default;
    ClientChannel(const ClientChannel&) = delete;
    ClientChannel& operator=(const ClientChannel&) = delete;
    ~ClientChannel() { disconnect(); }

    // Meets a freshly started server of the host executable's folder;
    // nothing when already connected.
    bool connect();
    // Valid while connected.
    RequestBlock& block() const { return *block_; }
    // Hands the request in the block to the server and waits for its reply.
    // A server that ends meanwhile fails the call and drops the connection,
    // so that the next call starts a new server.
    bool transact();
    // Asks the server to quit and releases everything.
    void disconnect();

  private:
    bool findRuntimeFolder();
    std::string objectPath(ChannelObject object) const;
    bool createObjects();
    void endOldServer();
    bool startServer();
    void release();
    void removeNamesUnlessServed();
    // Shows what the server wrote to its standard error, line by line, and
    // passes on what is not a message of its own; `ended` flushes a last
    // line without a line break.
    void forwardServerOutput(int fd, bool ended = false);

    bool connected_ = false;
    std::string folder_;
    std::string runtimeFolder_;
    std::string nameBase_;
    std::string lockPath_;
    platform::HostMessagePrompter messages_{"OruUsbHidCtrl"};
    bool toldNoRuntimeFolder_ = false;
    int serverOutput_ = -1;  // the read end of the server's standard error
    std::string serverLine_;
    platform::NamedSemaphore requestEvent_;
    platform::NamedSemaphore replyEvent_;
    platform::NamedSemaphore quitEvent_;
    platform::NamedSemaphore readyEvent_;
    platform::SharedMemoryBlock mapping_;
    RequestBlock* block_ = nullptr;
    std::optional<platform::Process> server_;
};

}  // namespace magtune::usbhid
