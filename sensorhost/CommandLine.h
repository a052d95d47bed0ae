#pragma once

#include "Wave.h"

#include <filesystem>
#include <span>
#include <string>
#include <variant>

struct FixedSource {
    float celsius;
};

// The machine's own sensors, read from a Linux sysfs class folder. An empty
// folder stands for the platform's default.
struct HostSensorSource {
    std::filesystem::path classFolder;
};

using TemperatureSource = std::variant<FixedSource, WaveSource, HostSensorSource>;

struct CommandLineError {
    std::string message; // UTF-8, one line
};

inline constexpr char kUsage[] =
    "usage: SensorHost [--temp <celsius> | --wave <min> <max> <seconds> | --sensor-root <folder>]";

// Takes the arguments without the program name. Without any, the host's sensors are read.
std::variant<TemperatureSource, CommandLineError>
ParseCommandLine(std::span<const std::wstring> arguments);
