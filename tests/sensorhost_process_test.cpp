// SensorHost.exe run as its own process, read through the application's own
// block reader where it can be.

#include "SensorBlock.h"
#include "child_process.h"
#include "sensor_block_reader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous: a slow machine under load still passes, a hang still fails.
constexpr auto kPatience = 15s;

struct ViewUnmapper {
    void operator()(void* view) const { UnmapViewOfFile(view); }
};

bool WaitFor(const std::function<bool()>& condition) {
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// SensorHost.exe from the test's own folder.
class SensorHostProcess : public ChildProcess {
public:
    explicit SensorHostProcess(const std::wstring& arguments)
        : ChildProcess(L"\"" + ProgramFolder() + L"SensorHost.exe\" " + arguments) {}
};

// The test's own view of the block, writable so that a test can plant values.
struct BlockView {
    Handle mapping;
    std::unique_ptr<void, ViewUnmapper> view;

    float At(DWORD offset) const {
        float value = 0.0f;
        std::memcpy(&value, static_cast<const BYTE*>(view.get()) + offset, sizeof value);
        return value;
    }
    void Plant(DWORD offset, float value) {
        std::memcpy(static_cast<BYTE*>(view.get()) + offset, &value, sizeof value);
    }
};

BlockView CreateBlock() {
    BlockView block;
    block.mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           kSensorBlockSize, kSensorBlockName));
    if (block.mapping)
        block.view.reset(
            MapViewOfFile(block.mapping.get(), FILE_MAP_WRITE, 0, 0, kSensorBlockSize));
    return block;
}

// Opens only: succeeds once somebody else has created the block.
BlockView OpenExistingBlock() {
    BlockView block;
    block.mapping.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, kSensorBlockName));
    if (block.mapping)
        block.view.reset(MapViewOfFile(block.mapping.get(), FILE_MAP_READ, 0, 0, kSensorBlockSize));
    return block;
}

bool BlockExists() {
    return Handle(OpenFileMappingA(FILE_MAP_READ, FALSE, kSensorBlockName)) != nullptr;
}

TEST(SensorHostProcess, PublishesAFixedTemperatureToTheApplicationWithinTwoSeconds) {
    SensorBlockReader reader;
    ASSERT_TRUE(reader.Map());
    ASSERT_TRUE(reader.createdNew) << "a block was left over from elsewhere";

    const Clock::time_point start = Clock::now();
    SensorHostProcess host(L"--temp 42.7");
    ASSERT_TRUE(host.Started());
    ASSERT_TRUE(WaitFor([&] { return ReadRunningIndicator(reader.view) > 0.0f; }));
    const auto delay = Clock::now() - start;
    EXPECT_LE(delay, 2s) << std::chrono::duration_cast<std::chrono::milliseconds>(delay).count()
                         << " ms";
    EXPECT_EQ(ReadCpuTemperature(reader.view), 42.7f);
    EXPECT_EQ(ToDisplayTemperature(ReadCpuTemperature(reader.view)).value, 42);

    // Still publishing a second later, until the application terminates it.
    EXPECT_FALSE(host.ExitCodeWithin(1500ms));
    EXPECT_EQ(ReadCpuTemperature(reader.view), 42.7f);
}

TEST(SensorHostProcess, CreatesTheBlockAndPublishesAMovingWaveWithinItsEnds) {
    ASSERT_FALSE(BlockExists());
    SensorHostProcess host(L"--wave 30 60 4");
    ASSERT_TRUE(host.Started());
    BlockView block;
    ASSERT_TRUE(WaitFor([&] { return (block = OpenExistingBlock()).view != nullptr; }));

    std::set<float> seen;
    const bool moved = WaitFor([&] {
        if (block.At(kRunningIndicatorOffset) > 0.0f) {
            const float celsius = block.At(kCpuTemperatureOffset);
            EXPECT_GE(celsius, 30.0f);
            EXPECT_LE(celsius, 60.0f);
            seen.insert(celsius);
        }
        return seen.size() >= 3;
    });
    EXPECT_TRUE(moved) << seen.size() << " distinct values";
}

// The machine's own sensors, read from a folder tree of the test's making.
TEST(SensorHostProcess, PublishesTheCpuSensorOfTheSensorTreeOrZeroWithoutOne) {
    const fs::path root =
        fs::temp_directory_path() / ("sensorhost-process-" + std::to_string(GetCurrentProcessId()));
    const struct {
        const char* name;
        bool withSensor;
        float celsius;
    } cases[] = {{"package sensor", true, 55.5f}, {"no sensor", false, 0.0f}};
    for (const auto& c : cases) {
        fs::remove_all(root);
        fs::create_directories(root / "hwmon" / "hwmon0");
        if (c.withSensor) {
            std::ofstream(root / "hwmon" / "hwmon0" / "name") << "coretemp\n";
            std::ofstream(root / "hwmon" / "hwmon0" / "temp1_label") << "Package id 0\n";
            std::ofstream(root / "hwmon" / "hwmon0" / "temp1_input") << "55500\n";
        }
        // A value that only a publication of the host can replace.
        BlockView block = CreateBlock();
        ASSERT_TRUE(block.view);
        block.Plant(kCpuTemperatureOffset, 99.0f);

        SensorHostProcess host(L"--sensor-root \"" + root.wstring() + L"\"");
        ASSERT_TRUE(host.Started());
        ASSERT_TRUE(WaitFor([&] { return block.At(kRunningIndicatorOffset) > 0.0f; })) << c.name;
        EXPECT_EQ(block.At(kCpuTemperatureOffset), c.celsius) << c.name;
    }
    fs::remove_all(root);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId)
        return TRUE;
    search.found = window;
    return FALSE;
}

TEST(SensorHostProcess, StopsWhenAskedToCloseAndClearsTheRunningIndicator) {
    SensorHostProcess host(L"--temp 40");
    ASSERT_TRUE(host.Started());
    BlockView block;
    ASSERT_TRUE(WaitFor([&] {
        block = OpenExistingBlock();
        return block.view && block.At(kRunningIndicatorOffset) > 0.0f;
    }));

    // What taskkill without /f does: WM_CLOSE to the process's top-level windows.
    WindowSearch search{host.Id(), nullptr};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.found, nullptr);
    ASSERT_TRUE(PostMessageW(search.found, WM_CLOSE, 0, 0));

    EXPECT_EQ(host.ExitCodeWithin(kPatience), std::optional<DWORD>(0));
    EXPECT_EQ(block.At(kRunningIndicatorOffset), 0.0f);
    EXPECT_EQ(block.At(kCpuTemperatureOffset), 40.0f);
}

TEST(SensorHostProcess, RejectsABadCommandLineWithoutPublishing) {
    const struct {
        const wchar_t* arguments;
        const char* mentions;
    } cases[] = {
        {L"--temperature 40", "unknown option \"--temperature\""},
        {L"--temp forty", "\"forty\" is not a finite number"},
        {L"--wave 60 30 5", "minimum \"60\" is above the maximum \"30\""},
        {L"--wave 30 60 0", "period \"0\""},
    };
    for (const auto& c : cases) {
        SensorHostProcess host(c.arguments);
        ASSERT_TRUE(host.Started());
        const std::optional<DWORD> exitCode = host.ExitCodeWithin(kPatience);
        ASSERT_TRUE(exitCode) << c.mentions;
        EXPECT_NE(*exitCode, 0u) << c.mentions;
        const std::string errors = host.Output();
        EXPECT_NE(errors.find(c.mentions), std::string::npos) << errors;
        EXPECT_NE(errors.find("usage: SensorHost"), std::string::npos) << errors;
        EXPECT_FALSE(BlockExists()) << c.mentions;
    }
}

} // namespace
