#pragma once

#include <filesystem>
#include <optional>

// The folder whose hwmon\ and thermal\ subfolders hold the machine's sensors.
// Under Wine that is the Linux host's /sys/class through drive Z:. On Windows
// the only general source is the ACPI thermal zone behind WMI, too heavy for a
// stand-in: there is no real source there and the result is empty.
std::filesystem::path DefaultSensorClassFolder();

struct HostReading {
    float celsius;
    std::filesystem::path file; // the sensor file the value came from
};

// Reads the CPU temperature from a sysfs class folder, best sensor first: a CPU
// package sensor, another sensor of a CPU chip, a CPU thermal zone, any thermal
// zone. Sensors that cannot be read are passed over. Nothing when no sensor can
// be read, or for an empty path.
std::optional<HostReading> ReadHostCpuTemperature(const std::filesystem::path& classFolder);
