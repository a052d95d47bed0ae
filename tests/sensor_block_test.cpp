#include "SensorBlock.h"
#include "fake_sensor_server.h"
#include "sensor_block_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TEST(SensorBlock, CreatesTheZeroFilledBlockWhenNoSensorServerRuns) {
    SensorBlockReader reader;
    ASSERT_TRUE(reader.Map());
    EXPECT_TRUE(reader.createdNew);
    EXPECT_EQ(ReadCpuTemperature(reader.view), 0.0f);
    EXPECT_EQ(ReadRunningIndicator(reader.view), 0.0f);
    EXPECT_FALSE(ToDisplayTemperature(ReadCpuTemperature(reader.view)).publish);

    // A sensor server started later attaches to our block and its values show.
    FakeSensorServer server;
    ASSERT_TRUE(server.Ready());
    server.Publish(kCpuTemperatureOffset, 51.5f);
    server.Publish(kRunningIndicatorOffset, 1.0f);
    EXPECT_EQ(ReadCpuTemperature(reader.view), 51.5f);
    EXPECT_GT(ReadRunningIndicator(reader.view), 0.0f);
}

TEST(SensorBlock, AttachesToTheBlockOfARunningSensorServer) {
    FakeSensorServer server;
    ASSERT_TRUE(server.Ready());
    server.Publish(kCpuTemperatureOffset, 42.7f);
    server.Publish(kRunningIndicatorOffset, 3.0f);

    SensorBlockReader reader;
    ASSERT_TRUE(reader.Map());
    EXPECT_FALSE(reader.createdNew);
    EXPECT_EQ(ReadCpuTemperature(reader.view), 42.7f);
    EXPECT_EQ(ReadRunningIndicator(reader.view), 3.0f);
    EXPECT_EQ(ToDisplayTemperature(ReadCpuTemperature(reader.view)).value, 42);
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(SensorBlock, ABlockShorterThanExpectedStaysUnmapped) {
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine rounds a section up to whole pages and maps past its end";
    FakeSensorServer server(100);
    ASSERT_TRUE(server.Ready());

    SensorBlockReader reader;
    EXPECT_FALSE(reader.Map());
    EXPECT_EQ(reader.view, nullptr);
    // The handle stays stored; a later attempt opens the mapping again.
    EXPECT_NE(reader.mapping, nullptr);
}

TEST(SensorBlock, ANameHeldByAnotherKindOfObjectLeavesTheBlockUnmapped) {
    HANDLE clash = CreateMutexA(nullptr, FALSE, kSensorBlockName);
    ASSERT_NE(clash, nullptr);

    SensorBlockReader reader;
    EXPECT_FALSE(reader.Map());
    EXPECT_EQ(reader.mapping, nullptr);
    EXPECT_EQ(reader.view, nullptr);
    CloseHandle(clash);

    // Once the name is free the next attempt succeeds.
    EXPECT_TRUE(reader.Map());
}

TEST(DisplayTemperature, TruncatesTowardZeroAndCapsAt99) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr int intMin = std::numeric_limits<int>::min();
    struct Case {
        float celsius;
        bool publish;
        int value;
    };
    const Case cases[] = {
        {49.9f, true, 49},    {100.7f, true, 99},     {99.9f, true, 99},
        {150.0f, true, 99},   {98.99f, true, 98},     {0.4f, true, 0},
        {-0.4f, true, 0},     {-3.7f, true, -3},      {0.0f, false, 0},
        {-0.0f, false, 0},    {inf, true, 99},        {1e30f, true, 99},
        {-inf, true, intMin}, {-1e30f, true, intMin}, {-2147483648.0f, true, intMin},
    };
    for (const Case& c : cases) {
        const DisplayTemperature t = ToDisplayTemperature(c.celsius);
        EXPECT_EQ(t.publish, c.publish) << c.celsius;
        if (c.publish) {
            EXPECT_EQ(t.value, c.value) << c.celsius;
        }
    }
}

TEST(DisplayTemperature, NotANumberPublishesNothing) {
    EXPECT_FALSE(ToDisplayTemperature(std::nanf("")).publish);
    EXPECT_FALSE(ToDisplayTemperature(-std::nanf("")).publish);
}

} // namespace
