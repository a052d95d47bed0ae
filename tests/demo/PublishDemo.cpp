// Shows the temperature path end to end: starts the sensor server beside this
// program and runs the device worker against two simulated displays, printing
// the temperature handed to the UI library and the report each display received.
//   ThermolinkDemo.exe [seconds] [sensor server arguments...]

#include "AppFolders.h"
#include "DisplayLink.h"
#include "SimulatedDisplay.h"
#include "worker_host.h"

#include <Manager.h>

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

ProcessHandle StartSensorServer(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ModuleFolder() + L"SensorHost.exe\" " + arguments;
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

    // The program's start-up queue: software check (not built yet, so dropped),
    // reconnect, firmware check.
    WorkerHost host;
    host.worker.SetTask(kStartupFirmwareCheckTask, [] {
        DisplayLink& link = DisplayLink::Instance();
        std::printf("displays open: %d\n", link.DeviceCount());
        int version = 0;
        if (link.QueryFirmwareVersion(version))
            std::printf("firmware of the first display: %d.%02X\n", version >> 8, version & 0xFF);
    });
    host.Start(16, 1);
    for (int code : {kStartupSoftwareCheckTask, kReconnectTask, kStartupFirmwareCheckTask})
        host.worker.QueueTask(code);

    const DWORD end = GetTickCount() + seconds * 1000;
    size_t shown = 0;
    while (GetTickCount() < end) {
        const auto reports = simdisplay::SentReports();
        for (; shown < reports.size(); ++shown) {
            const auto& report = reports[shown];
            const int display = report.path == first.path ? 1 : 2;
            if (report.bytes.size() > 1 && report.bytes[1] == 0xFD)
                std::printf("display %d asked for its version: %s\n", display,
                            Hex(report.bytes, 8).c_str());
            else
                std::printf("library shows %2.0f, display %d got %s\n",
                            Veneer::Manager::GetCPUTemp(), display, Hex(report.bytes, 8).c_str());
        }
        std::fflush(stdout);
        Sleep(50);
    }
    host.Stop();
    return 0;
}
