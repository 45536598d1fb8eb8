#include <windows.h>

#include "platform/Process.h"

namespace magtune::platform {
namespace {

bool Plain(const std::string& argument) {
    if (argument.empty()) {
        return false;
    }
    for (char c : argument) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The quoting the C run-time's command-line parser undoes: backslashes are
// literal unless they stand before a quote.
void AppendQuoted(std::string& line, const std::string& argument) {
    line.push_back('"');
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            line.append(backslashes * 2 + 1, '\\');
        } else {
            line.append(backslashes, '\\');
        }
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, '\\');
    line.push_back('"');
}

}  // namespace

std::optional<Process> Process::spawn(const std::vector<std::string>& argv, SystemError& error,
                                      ProgramLookup lookup, int /*standardError*/) {
    if (argv.empty() || argv[0].empty()) {
        error = {"CreateProcess", ERROR_INVALID_PARAMETER};
        return std::nullopt;
    }
    std::string line;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        if (i > 0) {
            line.push_back(' ');
        }
        if (i == 0 || Plain(argv[i])) {
            // The program's name as given: CreateProcess reads it up to the
            // first blank unless it is quoted.
            if (i == 0 && argv[0].find(' ') != std::string::npos) {
                AppendQuoted(line, argv[0]);
            } else {
                line += argv[i];
            }
        } else {
            AppendQuoted(line, argv[i]);
        }
    }
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const char* application = lookup == ProgramLookup::AsGiven ? argv[0].c_str() : nullptr;
    if (!::CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        error = {"CreateProcess", static_cast<int>(::GetLastError())};
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    Process process(static_cast<pid_t>(info.dwProcessId));
    process.ended_ = false;
    process.handle_ = std::shared_ptr<void>(info.hProcess, [](void* h) { ::CloseHandle(h); });
    return process;
}

bool Process::running() {
    if (ended_ || !handle_) {
        return false;
    }
    if (::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT) {
        return true;
    }
    ended_ = true;
    return false;
}

bool Process::waitEnded(std::uint32_t timeoutMs) {
    if (ended_ || !handle_) {
        return true;
    }
    if (::WaitForSingleObject(handle_.get(), timeoutMs) == WAIT_TIMEOUT) {
        return false;
    }
    ended_ = true;
    return true;
}

void Process::kill() {
    if (!ended_ && handle_) {
        ::TerminateProcess(handle_.get(), 1);
        ::WaitForSingleObject(handle_.get(), INFINITE);
        ended_ = true;
    }
}

}  // namespace magtune::platform
