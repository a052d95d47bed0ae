// SensorHost: publishes a CPU temperature in the shared sensor block once a
// second, from its command line or from the machine's sensors.
//
// A GUI-subsystem program, so that no console window opens when the
// application starts it; diagnostics still go to the standard error handle
// it was given. A hidden top-level window takes polite stops (WM_CLOSE, as
// sent by taskkill without /f); TerminateProcess needs nothing of ours.

#include "CommandLine.h"
#include "HostSensors.h"
#include "SensorBlockWriter.h"
#include "Wave.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr Clock::duration kPublishPeriod = std::chrono::seconds(1);
constexpr int kExitBadCommandLine = 2;
constexpr int kExitNoBlock = 1;
constexpr wchar_t kWindowClass[] = L"SensorHostWindow";

// Straight to the handle: a GUI program's C runtime may not have set up stderr.
void WriteLine(std::string_view text) {
    const HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
    if (!stream || stream == INVALID_HANDLE_VALUE)
        return;
    const std::string line = std::string(text) + "\n";
    DWORD written = 0;
    WriteFile(stream, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void WriteDiagnostic(std::string_view text) {
    WriteLine("SensorHost: " + std::string(text));
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::vector<std::wstring> Arguments() {
    struct LocalFreer {
        void operator()(LPWSTR* memory) const { LocalFree(memory); }
    };
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    if (!arguments || count < 1)
        return {};
    return {arguments.get() + 1, arguments.get() + count};
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window lives as long as the process; the system destroys it at exit.
bool CreateStopWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) &&
           CreateWindowExW(0, kWindowClass, L"SensorHost", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

// Dispatches messages until the deadline. Returns the exit code once the
// program has been asked to quit.
std::optional<int> HandleMessagesUntil(Clock::time_point deadline) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return std::nullopt;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

// The temperature of each tick. For the machine's sensors it says on stderr
// which one it reads, once per change rather than every second.
class TemperatureReader {
public:
    explicit TemperatureReader(TemperatureSource source) : m_source(std::move(source)) {
        auto* host = std::get_if<HostSensorSource>(&m_source);
        if (host && host->classFolder.empty())
            host->classFolder = DefaultSensorClassFolder();
    }

    float Read(double elapsedSeconds) {
        if (const auto* fixed = std::get_if<FixedSource>(&m_source))
            return fixed->celsius;
        if (const auto* wave = std::get_if<WaveSource>(&m_source))
            return WaveValue(*wave, elapsedSeconds);
        return ReadHost(std::get<HostSensorSource>(m_source).classFolder);
    }

private:
    float ReadHost(const std::filesystem::path& classFolder) {
        const std::optional<HostReading> reading = ReadHostCpuTemperature(classFolder);
        const std::string report = reading
                                       ? "reading the CPU temperature from " + Utf8(reading->file)
                                       : "no CPU temperature sensor found; publishing 0";
        if (report != m_lastReport) {
            WriteDiagnostic(report);
            m_lastReport = report;
        }
        return reading ? reading->celsius : 0.0f;
    }

    TemperatureSource m_source;
    std::string m_lastReport;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const std::vector<std::wstring> arguments = Arguments();
    auto parsed = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
        WriteDiagnostic(error->message);
        WriteLine(kUsage);
        return kExitBadCommandLine;
    }
    if (!CreateStopWindow(instance))
        WriteDiagnostic("no window for polite stops (error " + std::to_string(GetLastError()) +
                        "); only TerminateProcess ends this program");
    SensorBlockWriter block;
    if (!block.IsMapped()) {
        WriteDiagnostic("cannot map the shared block (error " + std::to_string(block.Error()) +
                        ")");
        return kExitNoBlock;
    }

    TemperatureReader reader(std::get<TemperatureSource>(std::move(parsed)));
    const Clock::time_point start = Clock::now();
    Clock::time_point nextTick = start;
    for (;;) {
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        block.Publish(reader.Read(elapsed.count()));
        // After a stall, carry on from now instead of publishing the missed ticks in a burst.
        nextTick = std::max(nextTick + kPublishPeriod, Clock::now());
        if (const std::optional<int> exitCode = HandleMessagesUntil(nextTick)) {
            block.MarkStopped();
            return *exitCode;
        }
    }
}
