#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The folder of the running test program, with a trailing backslash.
inline std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.rfind(L'\\') + 1);
}

// A program started by a test, its standard output and error collected through
// one pipe; terminated at the end if it still runs.
class ChildProcess {
public:
    explicit ChildProcess(std::wstring commandLine) {
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
            return;
        m_output.reset(readEnd);
        // Closed here once the child holds its copy, so reads end with the child.
        const Handle childEnd(writeEnd);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process))
            return;
        m_process.reset(process.hProcess);
        CloseHandle(process.hThread);
        m_processId = process.dwProcessId;
    }
    ~ChildProcess() {
        if (m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.get(), 0);
            WaitForSingleObject(m_process.get(), INFINITE);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_processId; }

    std::optional<DWORD> ExitCodeWithin(std::chrono::milliseconds patience) const {
        if (WaitForSingleObject(m_process.get(), static_cast<DWORD>(patience.count())) !=
            WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(m_process.get(), &code);
        return code;
    }

    // Everything the program wrote; returns once it has ended.
    std::string Output() const {
        std::string text;
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(m_output.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            text.append(buffer, read);
        return text;
    }

private:
    Handle m_process;
    Handle m_output;
    DWORD m_processId = 0;
};
