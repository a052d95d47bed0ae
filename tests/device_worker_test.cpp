#include "DisplayLink.h"
#include "SimulatedDisplay.h"
#include "display_reset.h"
#include "fake_sensor_server.h"
#include "worker_host.h"

#include <Manager.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Veneer::Manager;

constexpr char kPathA[] =
    R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr char kPathB[] =
    R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#7&4d5e6f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr float kUntouched = -1.0f;

void AttachDisplay(const std::string& path) {
    simdisplay::Interface device;
    device.path = path;
    simdisplay::Attach(device);
}

// Polls instead of sleeping a fixed time, so a slow machine only takes longer.
bool WaitUntil(const std::function<bool()>& condition, Clock::duration limit = 10s) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        Sleep(5);
    }
    return true;
}

size_t ReportCount() {
    return simdisplay::SentReports().size();
}

std::vector<unsigned char> TemperatureReport(unsigned char tens, unsigned char units) {
    std::vector<unsigned char> bytes(65, 0);
    bytes[0] = 0x07;
    bytes[1] = bytes[2] = 0xFF;
    bytes[4] = tens;
    bytes[5] = units;
    return bytes;
}

class DeviceWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDisplays();
        Manager::SetCPUTemp(kUntouched);
    }
    void TearDown() override {
        host.Stop();
        ResetDisplays();
    }

    void StartPublishing(float celsius) {
        ASSERT_TRUE(server.Ready());
        server.PublishTemperature(celsius);
        host.Start(16, 1);
        host.worker.QueueTask(kReconnectTask);
        ASSERT_TRUE(WaitUntil([] { return ReportCount() > 0; }));
    }

    FakeSensorServer server;
    WorkerHost host;
};

TEST_F(DeviceWorkerTest, StartUpTasksRunInQueuedOrderSoTheFirmwareCheckFindsTheDisplayOpen) {
    AttachDisplay(kPathA);
    std::mutex lock;
    std::vector<std::pair<int, int>> seen; // task code, open displays at that moment
    for (int code : {kStartupSoftwareCheckTask, kStartupFirmwareCheckTask}) {
        host.worker.SetTask(code, [&, code] {
            std::lock_guard guard(lock);
            seen.emplace_back(code, DisplayLink::Instance().DeviceCount());
        });
    }
    host.Start(16, 1);
    for (int code : {kStartupSoftwareCheckTask, kReconnectTask, kStartupFirmwareCheckTask})
        host.worker.QueueTask(code);

    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard guard(lock);
        return seen.size() == 2;
    }));
    const std::vector<std::pair<int, int>> expected{{kStartupSoftwareCheckTask, 0},
                                                    {kStartupFirmwareCheckTask, 1}};
    EXPECT_EQ(seen, expected);
}

TEST_F(DeviceWorkerTest, WithoutABlockTheWorkerPollsQuicklyPublishesNothingAndStillRunsTasks) {
    AttachDisplay(kPathA);
    host.Start(16, 1);
    // A cycle that paused a whole second would need twenty seconds for this.
    ASSERT_TRUE(WaitUntil([&] { return host.cycles >= 20; }));
    EXPECT_EQ(host.worker.SensorBlock(), nullptr);
    EXPECT_EQ(ReportCount(), 0u);
    EXPECT_EQ(Manager::GetCPUTemp(), kUntouched);

    std::atomic<bool> ran = false;
    host.worker.SetTask(kSoftwareCheckTask, [&] { ran = true; });
    host.worker.QueueTask(kSoftwareCheckTask);
    EXPECT_TRUE(WaitUntil([&] { return ran.load(); }, 2s));
}

TEST_F(DeviceWorkerTest, ATickPublishesToTheLibraryTheWindowAndTheDisplay) {
    AttachDisplay(kPathA);
    ASSERT_TRUE(host.Create(nullptr, L"worker host", WS_POPUP | WS_VISIBLE, 0,
                            Veneer::CRect(0, 0, 120, 60)));
    ValidateRect(host.GetSafeHwnd(), nullptr);

    StartPublishing(42.7f);
    const auto reports = simdisplay::SentReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, kPathA);
    EXPECT_EQ(reports[0].bytes, TemperatureReport(4, 2));
    EXPECT_EQ(Manager::GetCPUTemp(), 42.0f);
    RECT dirty{};
    EXPECT_TRUE(GetUpdateRect(host.GetSafeHwnd(), &dirty, FALSE));
    EXPECT_EQ(Veneer::CRect(dirty), Veneer::CRect(0, 0, 120, 60));
    host.Stop();
    host.DestroyWindow();
}

TEST_F(DeviceWorkerTest, ZeroPublishesNothingAndTheLastValueStays) {
    AttachDisplay(kPathA);
    StartPublishing(42.7f);
    for (float zero : {0.0f, -0.0f}) {
        SCOPED_TRACE(std::signbit(zero) ? "-0.0" : "0.0");
        server.PublishTemperature(zero);
        // Past the pause of the tick in progress, then many quick cycles.
        const int cycles = host.cycles;
        ASSERT_TRUE(WaitUntil([&] { return host.cycles >= cycles + 20; }));
        EXPECT_EQ(ReportCount(), 1u);
        EXPECT_EQ(Manager::GetCPUTemp(), 42.0f);
    }
}

TEST_F(DeviceWorkerTest, EveryDisplayReceivesEachReport) {
    AttachDisplay(kPathA);
    AttachDisplay(kPathB);
    StartPublishing(37.2f);
    ASSERT_TRUE(WaitUntil([] { return ReportCount() >= 4; }));
    const auto reports = simdisplay::SentReports();
    for (size_t tick = 0; tick < 2; ++tick) {
        SCOPED_TRACE(tick);
        const auto& first = reports[2 * tick];
        const auto& second = reports[2 * tick + 1];
        EXPECT_NE(first.path, second.path);
        EXPECT_EQ(first.bytes, TemperatureReport(3, 7));
        EXPECT_EQ(second.bytes, TemperatureReport(3, 7));
    }
}

TEST_F(DeviceWorkerTest, CodesWithoutATaskAreTakenAndDropped) {
    AttachDisplay(kPathA);
    std::atomic<int> marks = 0;
    host.worker.SetTask(kSoftwareCheckTask, [&] { ++marks; });
    host.Start(16, 1);
    for (int code : {2, 0, -1, 9, 1000}) {
        SCOPED_TRACE(code);
        const int before = marks;
        host.worker.QueueTask(code);
        host.worker.QueueTask(kSoftwareCheckTask);
        ASSERT_TRUE(WaitUntil([&] { return marks == before + 1; }));
        EXPECT_TRUE(host.worker.Tasks().Empty());
        EXPECT_EQ(DisplayLink::Instance().DeviceCount(), 0);
        EXPECT_EQ(host.worker.SensorBlock(), nullptr);
    }
}

TEST_F(DeviceWorkerTest, AReconnectQueuedDuringATickRunsAfterItsPause) {
    AttachDisplay(kPathA);
    StartPublishing(50.0f);
    // The tick that sent this report is now in its pause.
    AttachDisplay(kPathB);
    host.worker.QueueTask(kReconnectTask);
    ASSERT_TRUE(WaitUntil([] {
        for (const auto& report : simdisplay::SentReports())
            if (report.path == kPathB)
                return true;
        return false;
    }));

    // The tick in progress finished with one display; the next one saw both.
    const auto reports = simdisplay::SentReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].path, kPathA);
    EXPECT_EQ(reports[1].path, kPathA);
    EXPECT_EQ(reports[2].path, kPathB);
    EXPECT_GE(reports[1].sentAt - reports[0].sentAt, 900ms);
}

// How the worker is busy when the owner stops it.
enum class InFlight { UninterruptibleTask, PausingTask, PublicationPause };

class DeviceWorkerStopTest : public ::testing::TestWithParam<InFlight> {
protected:
    void SetUp() override { ResetDisplays(); }
    void TearDown() override { ResetDisplays(); }
};

// Records when the worker last used its host; kept outside the host, which is
// gone by the time anything is checked.
std::atomic<Clock::rep> g_lastTouch = 0;

void Touch(WorkerHost& host) {
    RECT client;
    host.GetClientRect(&client);
    g_lastTouch = Clock::now().time_since_epoch().count();
}

TEST_P(DeviceWorkerStopTest, AfterStopReturnsTheWorkerNeverUsesItsHostAgain) {
    g_lastTouch = 0;
    FakeSensorServer server;
    ASSERT_TRUE(server.Ready());
    AttachDisplay(kPathA);
    auto* host = new WorkerHost;
    std::atomic<bool> started = false;

    switch (GetParam()) {
    case InFlight::UninterruptibleTask:
        // Longer than any fixed wait a stop might settle for, and deaf to it,
        // like a download blocked in a read.
        host->worker.SetTask(kSoftwareUpdateTask, [&, host] {
            started = true;
            Sleep(1200);
            Touch(*host);
        });
        host->Start(16, 1);
        host->worker.QueueTask(kSoftwareUpdateTask);
        break;
    case InFlight::PausingTask:
        host->worker.SetTask(kSoftwareUpdateTask, [&, host] {
            started = true;
            while (host->Pause(10))
                Touch(*host);
            Touch(*host);
        });
        host->Start(16, 1);
        host->worker.QueueTask(kSoftwareUpdateTask);
        break;
    case InFlight::PublicationPause:
        server.PublishTemperature(61.0f);
        host->Start(16, 1);
        host->worker.QueueTask(kReconnectTask);
        started = WaitUntil([] { return ReportCount() > 0; });
        break;
    }
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));

    host->Stop();
    const Clock::rep stopped = Clock::now().time_since_epoch().count();
    const size_t reportsAtStop = ReportCount();
    delete host;
    // Long enough for the uninterruptible task to finish, had the stop not waited.
    Sleep(500);

    EXPECT_LE(g_lastTouch.load(), stopped);
    EXPECT_EQ(ReportCount(), reportsAtStop);
}

INSTANTIATE_TEST_SUITE_P(InFlight, DeviceWorkerStopTest,
                         ::testing::Values(InFlight::UninterruptibleTask, InFlight::PausingTask,
                                           InFlight::PublicationPause),
                         [](const ::testing::TestParamInfo<InFlight>& info) {
                             switch (info.param) {
                             case InFlight::UninterruptibleTask:
                                 return "UninterruptibleTask";
                             case InFlight::PausingTask:
                                 return "PausingTask";
                             case InFlight::PublicationPause:
                                 return "PublicationPause";
                             }
                             return "Unknown";
                         });

// Counts its runs; nothing else.
class CountingThread : public CThreadBasic {
public:
    ~CountingThread() { Stop(); }
    std::atomic<int> runs = 0;

protected:
    void Run() override { ++runs; }
};

TEST(CThreadBasic, RunsOnceOutsideLoopModeAndIgnoresASecondStart) {
    CountingThread thread;
    thread.Start(16, 0);
    ASSERT_TRUE(WaitUntil([&] { return thread.runs == 1; }));
    thread.Start(16, 0);
    Sleep(100);
    EXPECT_EQ(thread.runs, 1);
    thread.Stop();

    // Stopped, it can be started again, now looping.
    thread.Start(1, 1);
    EXPECT_TRUE(WaitUntil([&] { return thread.runs >= 5; }));
    thread.Stop();
    const int runs = thread.runs;
    Sleep(50);
    EXPECT_EQ(thread.runs, runs);
}

} // namespace
