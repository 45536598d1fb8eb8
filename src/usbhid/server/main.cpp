// OruUsbHidCtrlSrv64: started by libOruUsbHidCtrl from the program's folder
// or the installation's helper folder, answers its requests one at a time
// until it is asked to quit. Its channel is named after its own folder.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "platform/Clock.h"
#include "platform/FileLock.h"
#include "platform/NamedSemaphore.h"
#include "platform/Paths.h"
#include "platform/RuntimeFolder.h"
#include "platform/SharedMemoryBlock.h"
#include "usbhid/common/ChannelNames.h"
#include "usbhid/common/SimUsbWire.h"
#include "usbhid/server/LinuxUsbBackend.h"
#include "usbhid/server/SimulatorBackend.h"
#include "usbhid/server/StderrPrompter.h"
#include "usbhid/server/UsbHidServer.h"

namespace magtune::usbhid {
namespace {

// How often an idle server looks whether the program that started it is
// still there.
constexpr std::uint32_t kIdleCheckMs = 500;

std::unique_ptr<DeviceBackend> MakeBackend() {
    const char* simulator = std::getenv(kUsbSimEnvironmentVariable);
    if (simulator && *simulator) {
        return std::make_unique<SimulatorBackend>(simulator);
    }
    return std::make_unique<LinuxUsbBackend>(LinuxUsbBackend::ForThisSystem());
}

int Run() {
    // Messages go through a pipe to the program that started the server; a
    // program that is gone must not kill the server in the middle of a
    // request (it ends at its next idle look instead).
    ::signal(SIGPIPE, SIG_IGN);
    const pid_t starter = ::getppid();
    const std::string nameBase = NameBase(platform::ProgramFolder());
    StderrPrompter prompter;
    std::string problem;
    const auto runtimeFolder = platform::PrivateRuntimeFolder(problem);
    if (!runtimeFolder) {
        prompter.warning("No runtime folder of your own (" + problem + ").");
        return 1;
    }
    platform::SystemError error;
    // A second server for the folder ends at once without touching the
    // channel.
    auto serverMutex = platform::FileLock::open(ServerLockPath(*runtimeFolder, nameBase), error);
    if (!serverMutex || !serverMutex->tryLock()) {
        return 0;
    }
    auto openEvent = [&](ChannelObject object) {
        return platform::NamedSemaphore::open(ChannelObjectPath(*runtimeFolder, nameBase, object),
                                              error);
    };
    auto requestEvent = openEvent(ChannelObject::RequestEvent);
    auto replyEvent = openEvent(ChannelObject::ReplyEvent);
    auto quitEvent = openEvent(ChannelObject::QuitEvent);
    auto readyEvent = openEvent(ChannelObject::ReadyEvent);
    auto mapping = platform::SharedMemoryBlock::open(
        ChannelObjectPath(*runtimeFolder, nameBase, ChannelObject::RequestBlock), kRequestBlockSize,
        error);
    if (!requestEvent || !replyEvent || !quitEvent || !readyEvent || !mapping) {
        return 1;
    }
    RequestBlock& block = *std::launder(static_cast<RequestBlock*>(mapping->data()));

    const std::unique_ptr<DeviceBackend> backend = MakeBackend();
    UsbHidServer server(*backend, platform::SystemClock(), prompter);

    readyEvent->post();
    for (;;) {
        const auto woken = requestEvent->wait(kIdleCheckMs);
        if (quitEvent->tryWait() || woken == platform::NamedSemaphore::WaitResult::Failed) {
            break;
        }
        if (woken == platform::NamedSemaphore::WaitResult::Signalled) {
            server.handle(block);
            replyEvent->post();
        } else if (::getppid() != starter) {
            // Only the program that started a server ever talks to it; once
            // that program is gone, nobody will ask this one to quit.
            break;
        }
    }
    return 0;
}

}  // namespace
}  // namespace magtune::usbhid

int main() {
    return magtune::usbhid::Run();
}
