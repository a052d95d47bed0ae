#include "CommandLine.h"
#include "HostSensors.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::variant<TemperatureSource, CommandLineError> Parse(std::vector<std::wstring> arguments) {
    return ParseCommandLine(arguments);
}

TEST(SensorHostCommandLine, AcceptsOneSource) {
    const auto none = Parse({});
    ASSERT_TRUE(std::holds_alternative<TemperatureSource>(none));
    const auto* host = std::get_if<HostSensorSource>(&std::get<TemperatureSource>(none));
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->classFolder.empty());

    const auto fixed = Parse({L"--temp", L"-4.25"});
    ASSERT_TRUE(std::holds_alternative<TemperatureSource>(fixed));
    EXPECT_EQ(std::get<FixedSource>(std::get<TemperatureSource>(fixed)).celsius, -4.25f);

    const auto wave = Parse({L"--wave", L"35", L"85.5", L"12"});
    ASSERT_TRUE(std::holds_alternative<TemperatureSource>(wave));
    const WaveSource& w = std::get<WaveSource>(std::get<TemperatureSource>(wave));
    EXPECT_EQ(w.minimum, 35.0f);
    EXPECT_EQ(w.maximum, 85.5f);
    EXPECT_EQ(w.periodSeconds, 12.0f);

    // A flat wave is a fixed value, not a mistake.
    EXPECT_TRUE(std::holds_alternative<TemperatureSource>(Parse({L"--wave", L"50", L"50", L"1"})));

    const auto tree = Parse({L"--sensor-root", LR"(C:\fake sys\class)"});
    ASSERT_TRUE(std::holds_alternative<TemperatureSource>(tree));
    EXPECT_EQ(std::get<HostSensorSource>(std::get<TemperatureSource>(tree)).classFolder,
              fs::path(LR"(C:\fake sys\class)"));
}

TEST(SensorHostCommandLine, RejectsMistakesWithAMessageThatNamesThem) {
    const struct {
        std::vector<std::wstring> arguments;
        std::string mentions;
    } cases[] = {
        {{L"--tmp", L"40"}, "\"--tmp\""},
        {{L"40"}, "\"40\""},
        {{L"--temp"}, "--temp needs 1 value"},
        {{L"--temp", L"abc"}, "\"abc\" is not a finite number"},
        {{L"--temp", L"42x"}, "\"42x\""},
        {{L"--temp", L""}, "\"\""},
        {{L"--temp", L" 42"}, "\" 42\""},
        {{L"--temp", L"nan"}, "\"nan\""},
        {{L"--temp", L"-inf"}, "\"-inf\""},
        {{L"--temp", L"1e39"}, "\"1e39\""},                       // beyond a float
        {{L"--temp", L"\xFF14\xFF12"}, "is not a finite number"}, // full-width digits
        {{L"--wave", L"30", L"60"}, "--wave needs 3 values"},
        {{L"--wave", L"30", L"nan", L"5"}, "\"nan\""},
        {{L"--wave", L"60", L"30", L"5"}, "minimum \"60\" is above the maximum \"30\""},
        {{L"--wave", L"30", L"60", L"0"}, "period \"0\""},
        {{L"--wave", L"30", L"60", L"-2"}, "period \"-2\""},
        {{L"--temp", L"40", L"--temp", L"41"}, "only one of"},
        {{L"--temp", L"40", L"--wave", L"30", L"60", L"5"}, "only one of"},
        {{L"--sensor-root", L"C:\\x", L"--temp", L"40"}, "only one of"},
        {{L"--sensor-root"}, "--sensor-root needs 1 value"},
        {{L"--sensor-root", L""}, "needs a folder name"},
    };
    for (const auto& c : cases) {
        const auto result = Parse(c.arguments);
        const auto* error = std::get_if<CommandLineError>(&result);
        ASSERT_NE(error, nullptr) << "accepted: " << c.mentions;
        EXPECT_NE(error->message.find(c.mentions), std::string::npos) << error->message;
    }
}

TEST(SensorHostWave, StartsLowPeaksAtHalfPeriodAndRepeats) {
    const WaveSource wave{35.0f, 85.0f, 12.0f};
    EXPECT_FLOAT_EQ(WaveValue(wave, 0.0), 35.0f);
    EXPECT_FLOAT_EQ(WaveValue(wave, 3.0), 60.0f);
    EXPECT_FLOAT_EQ(WaveValue(wave, 6.0), 85.0f);
    EXPECT_FLOAT_EQ(WaveValue(wave, 9.0), 60.0f);
    EXPECT_FLOAT_EQ(WaveValue(wave, 12.0), 35.0f);
    EXPECT_FLOAT_EQ(WaveValue(wave, 1.0), WaveValue(wave, 1.0 + 12.0 * 1000));
    // Each second of a slow wave moves it, but never by a jump.
    for (double t = 0.0; t < 12.0; t += 1.0) {
        const float step = std::abs(WaveValue(wave, t + 1.0) - WaveValue(wave, t));
        EXPECT_GT(step, 0.0f) << t;
        EXPECT_LT(step, 15.0f) << t;
    }
}

TEST(SensorHostWave, StaysWithinItsEnds) {
    const WaveSource waves[] = {
        {35.0f, 85.0f, 12.0f}, {-20.5f, -3.25f, 0.7f}, {-1e30f, 3e38f, 3.0f},
        {50.0f, 50.0f, 1.0f},  {0.1f, 0.3f, 1e-3f},
    };
    for (const WaveSource& wave : waves) {
        std::set<float> seen;
        for (int i = 0; i <= 10000; ++i) {
            const double t = i * 0.0137 * wave.periodSeconds;
            const float value = WaveValue(wave, t);
            ASSERT_GE(value, wave.minimum) << t;
            ASSERT_LE(value, wave.maximum) << t;
            seen.insert(value);
        }
        EXPECT_EQ(seen.size() > 1, wave.minimum < wave.maximum) << wave.minimum;
    }
}

// A sysfs class folder of its own, written into the temporary folder.
class FakeSensorTree {
public:
    FakeSensorTree() {
        static int count = 0;
        m_root =
            fs::temp_directory_path() /
            ("sensorhost-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
        fs::create_directories(m_root);
    }
    ~FakeSensorTree() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    const fs::path& Root() const { return m_root; }
    void Write(const fs::path& relative, const std::string& content) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative) << content;
    }

private:
    fs::path m_root;
};

using Files = std::vector<std::pair<std::string, std::string>>;

TEST(SensorHostSensors, PicksTheBestCpuSensorAndConvertsMillidegrees) {
    const Files intelLaptop = {
        {"hwmon/hwmon0/name", "acpitz\n"},
        {"hwmon/hwmon0/temp1_input", "27800\n"},
        {"hwmon/hwmon1/name", "nvme\n"},
        {"hwmon/hwmon1/temp1_input", "39850\n"},
        {"hwmon/hwmon1/temp1_label", "Composite\n"},
        {"hwmon/hwmon10/name", "coretemp\n"},
        {"hwmon/hwmon10/temp2_input", "50000\n"},
        {"hwmon/hwmon10/temp2_label", "Core 0\n"},
        {"hwmon/hwmon10/temp1_input", "52500\n"},
        {"hwmon/hwmon10/temp1_label", "Package id 0\n"},
        {"thermal/thermal_zone0/type", "acpitz\n"},
        {"thermal/thermal_zone0/temp", "27800\n"},
        {"thermal/thermal_zone1/type", "x86_pkg_temp\n"},
        {"thermal/thermal_zone1/temp", "53000\n"},
    };
    const Files amd = {
        {"hwmon/hwmon2/name", "k10temp\n"},      {"hwmon/hwmon2/temp1_input", "71250\n"},
        {"hwmon/hwmon2/temp1_label", "Tctl\n"},  {"hwmon/hwmon2/temp2_input", "61250\n"},
        {"hwmon/hwmon2/temp2_label", "Tdie\n"},  {"hwmon/hwmon2/temp3_input", "40000\n"},
        {"hwmon/hwmon2/temp3_label", "Tccd1\n"},
    };
    const Files unlabelledChip = {
        {"hwmon/hwmon0/name", "cpu_thermal\n"},
        {"hwmon/hwmon0/temp1_input", "48312\n"},
        {"thermal/thermal_zone0/type", "cpu-thermal\n"},
        {"thermal/thermal_zone0/temp", "1\n"},
    };
    const Files zonesOnly = {
        {"thermal/thermal_zone0/type", "acpitz\n"},
        {"thermal/thermal_zone0/temp", "27800\n"},
        {"thermal/thermal_zone1/type", "x86_pkg_temp\n"},
        {"thermal/thermal_zone1/temp", "61000\n"},
    };
    const Files otherZoneAsLastResort = {
        {"hwmon/hwmon0/name", "nvme\n"},
        {"hwmon/hwmon0/temp1_input", "39850\n"},
        {"thermal/thermal_zone3/type", "acpitz\n"},
        {"thermal/thermal_zone3/temp", "-5500\n"},
    };
    const Files unreadablePackage = {
        {"hwmon/hwmon0/name", "coretemp\n"},
        {"hwmon/hwmon0/temp1_input", "N/A\n"},
        {"hwmon/hwmon0/temp1_label", "Package id 0\n"},
        {"hwmon/hwmon0/temp3_input", "47000"},
        {"hwmon/hwmon0/temp3_label", "Core 1\n"},
        {"hwmon/hwmon0/temp2_input", "\n"},
        {"hwmon/hwmon0/temp2_label", "Core 0\n"},
    };
    const struct {
        const char* name;
        const Files& files;
        float celsius;
        const char* file;
    } cases[] = {
        {"Intel package sensor", intelLaptop, 52.5f, "hwmon/hwmon10/temp1_input"},
        {"AMD die before control", amd, 61.25f, "hwmon/hwmon2/temp2_input"},
        {"CPU chip without labels", unlabelledChip, 48.312f, "hwmon/hwmon0/temp1_input"},
        {"CPU thermal zone", zonesOnly, 61.0f, "thermal/thermal_zone1/temp"},
        {"any thermal zone", otherZoneAsLastResort, -5.5f, "thermal/thermal_zone3/temp"},
        {"unreadable sensors passed over", unreadablePackage, 47.0f, "hwmon/hwmon0/temp3_input"},
    };
    for (const auto& c : cases) {
        FakeSensorTree tree;
        for (const auto& [path, content] : c.files)
            tree.Write(path, content);
        const std::optional<HostReading> reading = ReadHostCpuTemperature(tree.Root());
        ASSERT_TRUE(reading.has_value()) << c.name;
        EXPECT_FLOAT_EQ(reading->celsius, c.celsius) << c.name;
        EXPECT_EQ(reading->file, tree.Root() / fs::path(c.file).make_preferred()) << c.name;
    }
}

TEST(SensorHostSensors, FindsNothingWithoutACpuSensorOrThermalZone) {
    FakeSensorTree empty;
    EXPECT_FALSE(ReadHostCpuTemperature(empty.Root()));
    EXPECT_FALSE(ReadHostCpuTemperature(empty.Root() / "missing"));
    EXPECT_FALSE(ReadHostCpuTemperature(fs::path()));

    FakeSensorTree others;
    others.Write("hwmon/hwmon0/name", "nvme\n");
    others.Write("hwmon/hwmon0/temp1_input", "39850\n");
    others.Write("hwmon/hwmon1/name", "coretemp\n"); // its driver exposes no reading
    others.Write("thermal/cooling_device0/type", "Processor\n");
    EXPECT_FALSE(ReadHostCpuTemperature(others.Root()));
}

} // namespace
