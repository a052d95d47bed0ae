#include "HostSensors.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 4> kCpuChips = {"coretemp", "k10temp", "zenpower",
                                                       "cpu_thermal"};
// Intel's package sensor, then AMD's die temperature before its control
// temperature, which some models report with an offset.
constexpr std::array<std::string_view, 3> kPackageLabels = {"Package id 0", "Tdie", "Tctl"};
constexpr std::array<std::string_view, 3> kCpuZones = {"x86_pkg_temp", "cpu-thermal",
                                                       "cpu_thermal"};

// Ranks of a sensor, best first; a package sensor ranks by its label's place above.
constexpr int kOtherCpuChipSensor = static_cast<int>(kPackageLabels.size());
constexpr int kCpuZone = kOtherCpuChipSensor + 1;
constexpr int kOtherZone = kCpuZone + 1;

struct Candidate {
    std::tuple<int, int, int> order; // rank, then folder and sensor number
    fs::path file;
};

std::optional<std::string> ReadFirstLine(const fs::path& file) {
    std::ifstream stream(file);
    std::string line;
    if (!std::getline(stream, line))
        return std::nullopt;
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

template <size_t N>
std::optional<int> IndexIn(const std::array<std::string_view, N>& names, std::string_view name) {
    const auto found = std::ranges::find(names, name);
    if (found == names.end())
        return std::nullopt;
    return static_cast<int>(found - names.begin());
}

// The number N of a name made of prefix, N and suffix ("hwmon3", "temp2_input").
std::optional<int> NumberIn(std::wstring_view name, std::wstring_view prefix,
                            std::wstring_view suffix) {
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return std::nullopt;
    const std::wstring_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    constexpr size_t kMaxDigits = 6;
    if (digits.size() > kMaxDigits ||
        !std::ranges::all_of(digits, [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return std::nullopt;
    int number = 0;
    for (const wchar_t digit : digits)
        number = number * 10 + (digit - L'0');
    return number;
}

struct NumberedEntry {
    int number;
    fs::path path;
};

std::vector<NumberedEntry> NumberedEntries(const fs::path& folder, std::wstring_view prefix,
                                           std::wstring_view suffix) {
    std::vector<NumberedEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (const auto number = NumberIn(it->path().filename().wstring(), prefix, suffix))
            entries.push_back({*number, it->path()});
    }
    return entries;
}

void AddHwmonCandidates(const fs::path& classFolder, std::vector<Candidate>& candidates) {
    for (const auto& chip : NumberedEntries(classFolder / "hwmon", L"hwmon", L"")) {
        const std::optional<std::string> chipName = ReadFirstLine(chip.path / "name");
        if (!chipName || !IndexIn(kCpuChips, *chipName))
            continue;
        for (const auto& input : NumberedEntries(chip.path, L"temp", L"_input")) {
            const fs::path label = chip.path / ("temp" + std::to_string(input.number) + "_label");
            const std::optional<std::string> labelText = ReadFirstLine(label);
            const std::optional<int> package =
                labelText ? IndexIn(kPackageLabels, *labelText) : std::nullopt;
            const int rank = package.value_or(kOtherCpuChipSensor);
            candidates.push_back({{rank, chip.number, input.number}, input.path});
        }
    }
}

void AddThermalZoneCandidates(const fs::path& classFolder, std::vector<Candidate>& candidates) {
    for (const auto& zone : NumberedEntries(classFolder / "thermal", L"thermal_zone", L"")) {
        const std::optional<std::string> type = ReadFirstLine(zone.path / "type");
        const int rank = type && IndexIn(kCpuZones, *type) ? kCpuZone : kOtherZone;
        candidates.push_back({{rank, zone.number, 0}, zone.path / "temp"});
    }
}

// The kernel reports whole millidegrees Celsius.
std::optional<float> ReadMillidegrees(const fs::path& file) {
    const std::optional<std::string> text = ReadFirstLine(file);
    if (!text)
        return std::nullopt;
    long long millidegrees = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, millidegrees);
    if (error != std::errc{} || stop != end)
        return std::nullopt;
    return static_cast<float>(static_cast<double>(millidegrees) / 1000.0);
}

} // namespace

fs::path DefaultSensorClassFolder() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool underWine = ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    // Only under Wine: on Windows, Z: may be a network drive that is slow to answer.
    return underWine ? fs::path(LR"(Z:\sys\class)") : fs::path();
}

std::optional<HostReading> ReadHostCpuTemperature(const fs::path& classFolder) {
    if (classFolder.empty())
        return std::nullopt;
    std::vector<Candidate> candidates;
    AddHwmonCandidates(classFolder, candidates);
    AddThermalZoneCandidates(classFolder, candidates);
    std::ranges::sort(candidates, {}, &Candidate::order);
    for (const Candidate& candidate : candidates) {
        if (const std::optional<float> celsius = ReadMillidegrees(candidate.file))
            return HostReading{*celsius, candidate.file};
    }
    return std::nullopt;
}
