// Shows the temperature path end to end: starts the sensor server beside this
// program, maps its block, and once a second sends the display temperature to
// two simulated displays, printing the report bytes each display received.
//   ThermolinkDemo.exe [seconds] [sensor server arguments...]

#include "DisplayLink.h"
#include "SensorBlock.h"
#include "SimulatedDisplay.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ProcessCloser {
    void operator()(HANDLE process) const {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
};
using ProcessHandle = std::unique_ptr<void, ProcessCloser>;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

ProcessHandle StartSensorServer(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ProgramFolder() + L"SensorHost.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return ProcessHandle(process.hProcess);
}

std::string Hex(const std::vector<unsigned char>& bytes, size_t count) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < count && i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
        text += byte;
    }
    return text + "...";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
    std::wstring serverArguments = L"--wave 35 85 12";
    if (argc > 2) {
        serverArguments.clear();
        for (int i = 2; i < argc; ++i)
            serverArguments += std::wstring(i > 2 ? L" " : L"") + argv[i];
    }

    simdisplay::Interface first;
    first.path = R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#demo&1#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    simdisplay::Interface second = first;
    second.path =
        R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#demo&2#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    simdisplay::Attach(first);
    simdisplay::Attach(second);

    ProcessHandle server = StartSensorServer(serverArguments);
    if (!server) {
        std::fprintf(stderr, "could not start SensorHost.exe beside this program\n");
        return 1;
    }
    std::printf("sensor server started: SensorHost.exe %ls\n", serverArguments.c_str());

    DisplayLink& link = DisplayLink::Instance();
    ReconnectDisplays(link);
    std::printf("displays open: %d\n", link.DeviceCount());
    int version = 0;
    if (link.QueryFirmwareVersion(version))
        std::printf("firmware of the first display: %d.%02X\n", version >> 8, version & 0xFF);

    HANDLE mapping = nullptr;
    void* view = nullptr;
    bool createdNew = false;
    if (!MapSensorBlock(mapping, view, createdNew)) {
        std::fprintf(stderr, "could not map the sensor block\n");
        return 1;
    }

    const DWORD end = GetTickCount() + seconds * 1000;
    size_t shown = simdisplay::SentReports().size();
    while (GetTickCount() < end) {
        const float celsius = ReadCpuTemperature(view);
        const DisplayTemperature shownValue = ToDisplayTemperature(celsius);
        if (!shownValue.publish) {
            Sleep(16);
            continue;
        }
        link.SendReport(BuildTemperatureReport(shownValue.value).data());
        const auto reports = simdisplay::SentReports();
        for (; shown < reports.size(); ++shown) {
            const bool firstDisplay = reports[shown].path == first.path;
            std::printf("%6.2f C -> %2d -> display %d got %s\n", celsius, shownValue.value,
                        firstDisplay ? 1 : 2, Hex(reports[shown].bytes, 8).c_str());
        }
        std::fflush(stdout);
        Sleep(1000);
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
}
