#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/Console.h"

namespace magtune::platform {
namespace {

HANDLE HandleOf(int fd) {
    if (fd == 0) {
        return ::GetStdHandle(STD_INPUT_HANDLE);
    }
    if (fd == 1) {
        return ::GetStdHandle(STD_OUTPUT_HANDLE);
    }
    if (fd == 2) {
        return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// A console's handle is signalled by any input event (the mouse, a change
// of focus, a key going up); only a typed character is input to read.
InputWait WaitForConsoleKey(HANDLE handle, int timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD waited = ::WaitForSingleObject(handle, left);
        if (waited == WAIT_TIMEOUT) {
            return InputWait::TimedOut;
        }
        if (waited != WAIT_OBJECT_0) {
            return InputWait::Failed;
        }
        INPUT_RECORD record{};
        DWORD count = 0;
        if (!::PeekConsoleInputA(handle, &record, 1, &count)) {
            return InputWait::Failed;
        }
        if (count == 0) {
            continue;
        }
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
            record.Event.KeyEvent.uChar.AsciiChar != 0) {
            return InputWait::Ready;
        }
        ::ReadConsoleInputA(handle, &record, 1, &count);
    }
}

// A pipe has no handle to wait on for data: it is looked at every 10 ms.
InputWait WaitForPipe(HANDLE handle, int timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) {
            // The writer is gone: the read that follows sees the end.
            return ::GetLastError() == ERROR_BROKEN_PIPE ? InputWait::Ready : InputWait::Failed;
        }
        if (available > 0) {
            return InputWait::Ready;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return InputWait::TimedOut;
        }
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)));
    }
}

}  // namespace

InputWait WaitForInput(int fd, int timeoutMs) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        return InputWait::Failed;
    }
    switch (::GetFileType(handle)) {
        case FILE_TYPE_CHAR:
            if (IsConsole(handle)) {
                return WaitForConsoleKey(handle, timeoutMs);
            }
            return InputWait::Ready;  // the NUL device and the like
        case FILE_TYPE_PIPE:
            return WaitForPipe(handle, timeoutMs);
        case FILE_TYPE_DISK:
            return InputWait::Ready;
        default:
            return InputWait::Failed;
    }
}

long ReadInput(int fd, char* buffer, std::size_t size) {
    const HANDLE handle = HandleOf(fd);
    DWORD n = 0;
    if (!::ReadFile(handle, buffer, static_cast<DWORD>(size), &n, nullptr)) {
        return ::GetLastError() == ERROR_OPERATION_ABORTED ? -1 : 0;
    }
    return static_cast<long>(n);
}

bool IsTerminal(int fd) {
    return IsConsole(HandleOf(fd));
}

std::size_t TerminalColumns(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(HandleOf(fd), &info)) {
        return 0;
    }
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

namespace {

// The console's input mode before a RawKeyInput changed it, put back also
// when Ctrl+C or closing the window ends the program.
std::atomic<HANDLE> savedConsole{nullptr};
DWORD savedMode = 0;

BOOL WINAPI RestoreOnEnd(DWORD /*type*/) {
    if (HANDLE console = savedConsole.load()) {
        ::SetConsoleMode(console, savedMode);
    }
    return FALSE;  // the next handler, or the system's end of the program
}

}  // namespace

RawKeyInput::RawKeyInput(int fd) : fd_(fd) {
    const HANDLE handle = HandleOf(fd_);
    DWORD mode = 0;
    if (savedConsole.load() != nullptr || !::GetConsoleMode(handle, &mode)) {
        return;
    }
    savedMode = mode;
    savedConsole = handle;
    ::SetConsoleCtrlHandler(RestoreOnEnd, TRUE);
    if (!::SetConsoleMode(handle,
                          mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT))) {
        savedConsole = nullptr;
        ::SetConsoleCtrlHandler(RestoreOnEnd, FALSE);
        return;
    }
    ::FlushConsoleInputBuffer(handle);
    changed_ = true;
}

RawKeyInput::~RawKeyInput() {
    if (!changed_) {
        return;
    }
    ::SetConsoleMode(HandleOf(fd_), savedMode);
    savedConsole = nullptr;
    ::SetConsoleCtrlHandler(RestoreOnEnd, FALSE);
}

namespace {

std::atomic<DWORD> interruptType{0};
constexpr DWORD kNoInterrupt = 0xFFFFFFFFu;

BOOL WINAPI OnInterrupt(DWORD type) {
    interruptType = type;
    return TRUE;
}

}  // namespace

InterruptFlag::InterruptFlag() {
    interruptType = kNoInterrupt;
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

InterruptFlag::~InterruptFlag() {
    ::SetConsoleCtrlHandler(OnInterrupt, FALSE);
    interruptType = kNoInterrupt;
}

bool InterruptFlag::raised() {
    return interruptType.load() != kNoInterrupt;
}

const char* InterruptFlag::cause() {
    switch (interruptType.load()) {
        case CTRL_C_EVENT:
            return "Ctrl+C";
        case CTRL_BREAK_EVENT:
            return "Ctrl+Break";
        case CTRL_CLOSE_EVENT:
            return "closing the console window";
        default:
            return "the system's request to end";
    }
}

// The system runs console handlers on a thread of their own: the worker
// threads never see an interrupt anyway.
struct InterruptWatch::State {
    HANDLE event = nullptr;
};

namespace {

std::atomic<HANDLE> watchEvent{nullptr};

BOOL WINAPI OnWatchedInterrupt(DWORD /*type*/) {
    if (HANDLE event = watchEvent.load()) {
        ::SetEvent(event);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

InterruptWatch::InterruptWatch() : state_(std::make_unique<State>()) {
    state_->event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    watchEvent = state_->event;
    ::SetConsoleCtrlHandler(OnWatchedInterrupt, TRUE);
}

InterruptWatch::~InterruptWatch() {
    ::SetConsoleCtrlHandler(OnWatchedInterrupt, FALSE);
    watchEvent = nullptr;
    if (state_->event != nullptr) {
        ::CloseHandle(state_->event);
    }
}

bool InterruptWatch::wait(int ms) {
    if (state_->event == nullptr) {
        ::Sleep(static_cast<DWORD>(ms));
        return false;
    }
    return ::WaitForSingleObject(state_->event, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

}  // namespace magtune::platform
