// Measures the device worker with a simulated display and a sensor server that
// keeps changing its reading: how long a new reading takes to reach the display,
// how much processor time the worker uses, and whether handles leak.
//   worker_benchmark [publishing seconds] [idle seconds]

#include "DisplayLink.h"
#include "SimulatedDisplay.h"
#include "fake_sensor_server.h"
#include "worker_host.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Remembers the worker thread so that its processor time can be read.
class MeasuredHost : public WorkerHost {
public:
    ~MeasuredHost() override {
        Stop();
        if (m_thread)
            CloseHandle(m_thread);
    }
    double CpuSeconds() const {
        FILETIME created, exited, kernel, user;
        if (!m_thread || !GetThreadTimes(m_thread, &created, &exited, &kernel, &user))
            return -1;
        const auto ticks = [](FILETIME t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
    }

protected:
    void Run() override {
        if (!m_thread)
            DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_thread,
                            THREAD_QUERY_INFORMATION, FALSE, 0);
        WorkerHost::Run();
    }

private:
    HANDLE m_thread = nullptr;
};

// Probes the handle table itself: Wine reports no process handle count.
DWORD HandleCount() {
    constexpr std::uintptr_t kProbedValues = 1 << 16;
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < kProbedValues; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

void PrintSpread(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-34s min %7.1f  median %7.1f  max %7.1f ms  (%zu samples)\n", what,
                values.front(), values[values.size() / 2], values.back(), values.size());
}

struct Write {
    int value;
    Clock::time_point at;
};

} // namespace

int main(int argc, char** argv) {
    const int publishingSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 20;

    simdisplay::Interface display;
    display.path =
        R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#bench#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    simdisplay::Attach(display);
    FakeSensorServer server;
    if (!server.Ready()) {
        std::fprintf(stderr, "worker_benchmark: the sensor block could not be made\n");
        return 1;
    }

    const DWORD handlesBefore = HandleCount();
    std::vector<Write> writes;
    double publishingCpu = 0;
    double idleCpu = 0;
    DWORD handlesRunning = 0;
    {
        MeasuredHost host;
        host.Start(16, 1);
        host.worker.QueueTask(kReconnectTask);

        // Readings change at a period unrelated to the worker's, so that they
        // land at every phase of its one-second pause.
        int value = 20;
        const auto publishingEnd = Clock::now() + std::chrono::seconds(publishingSeconds);
        while (Clock::now() < publishingEnd) {
            server.PublishTemperature(static_cast<float>(value) + 0.4f);
            writes.push_back({value, Clock::now()});
            value = value == 89 ? 20 : value + 1;
            Sleep(1337);
        }
        handlesRunning = HandleCount();
        publishingCpu = host.CpuSeconds();

        server.PublishTemperature(0.0f);
        Sleep(1100); // lets the last tick's pause end
        const double idleStart = host.CpuSeconds();
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        idleCpu = host.CpuSeconds() - idleStart;
        host.Stop();
    }
    const DWORD handlesAfter = HandleCount();

    const auto reports = simdisplay::SentReports();
    std::vector<double> latencies;
    for (size_t i = 0; i < writes.size(); ++i) {
        const auto until = i + 1 < writes.size() ? writes[i + 1].at : Clock::time_point::max();
        const auto reached = std::find_if(reports.begin(), reports.end(), [&](const auto& report) {
            return report.sentAt >= writes[i].at && report.sentAt < until &&
                   report.bytes[4] == writes[i].value / 10 &&
                   report.bytes[5] == writes[i].value % 10;
        });
        if (reached != reports.end())
            latencies.push_back(Milliseconds(reached->sentAt - writes[i].at).count());
    }
    std::vector<double> periods;
    for (size_t i = 1; i < reports.size(); ++i)
        periods.push_back(Milliseconds(reports[i].sentAt - reports[i - 1].sentAt).count());

    std::printf("Device worker, %d s publishing and %d s with nothing to publish\n",
                publishingSeconds, idleSeconds);
    PrintSpread("block write -> report at display", latencies);
    std::printf("%-34s %zu of %zu writes\n", "writes that reached the display", latencies.size(),
                writes.size());
    PrintSpread("time between reports", periods);
    std::printf("%-34s %.0f ms per minute\n", "worker CPU time while publishing",
                publishingCpu * 60e3 / publishingSeconds);
    std::printf("%-34s %.0f ms per minute\n", "worker CPU time while polling",
                idleSeconds > 0 ? idleCpu * 60e3 / idleSeconds : 0.0);
    std::printf("%-34s %lu at start, %lu while running, %lu at end\n", "process handles",
                handlesBefore, handlesRunning, handlesAfter);
    return 0;
}
