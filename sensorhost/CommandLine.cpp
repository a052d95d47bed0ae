#include "CommandLine.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

std::string ToUtf8(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

std::string Quoted(std::wstring_view text) {
    // Appended rather than "\"" + text: gcc 12 at -O3 warns falsely about the latter.
    std::string quoted(1, '"');
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

// from_chars reads "nan" and "inf" as well, which no temperature or period may be.
std::optional<float> ParseFiniteNumber(std::wstring_view text) {
    std::string ascii;
    for (const wchar_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    float value = 0.0f;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct Option {
    std::wstring_view name;
    size_t valueCount;
};

constexpr Option kOptions[] = {{L"--temp", 1}, {L"--wave", 3}, {L"--sensor-root", 1}};

CommandLineError Error(std::string message) {
    return {std::move(message)};
}

} // namespace

std::variant<TemperatureSource, CommandLineError>
ParseCommandLine(std::span<const std::wstring> arguments) {
    std::optional<TemperatureSource> source;
    for (size_t next = 0; next < arguments.size();) {
        const std::wstring& name = arguments[next++];
        const auto option = std::ranges::find(kOptions, name, &Option::name);
        if (option == std::end(kOptions))
            return Error("unknown option " + Quoted(name));
        if (source)
            return Error("only one of --temp, --wave and --sensor-root can be given");
        if (arguments.size() - next < option->valueCount)
            return Error(ToUtf8(name) + " needs " + std::to_string(option->valueCount) +
                         (option->valueCount == 1 ? " value" : " values"));
        const auto values = arguments.subspan(next, option->valueCount);
        next += option->valueCount;

        if (name == L"--sensor-root") {
            if (values[0].empty())
                return Error("--sensor-root needs a folder name");
            source = HostSensorSource{values[0]};
            continue;
        }
        std::vector<float> numbers;
        for (const std::wstring& value : values) {
            const std::optional<float> number = ParseFiniteNumber(value);
            if (!number)
                return Error(ToUtf8(name) + ": " + Quoted(value) + " is not a finite number");
            numbers.push_back(*number);
        }
        if (name == L"--temp") {
            source = FixedSource{numbers[0]};
            continue;
        }
        const WaveSource wave{numbers[0], numbers[1], numbers[2]};
        if (wave.minimum > wave.maximum)
            return Error("--wave: the minimum " + Quoted(values[0]) + " is above the maximum " +
                         Quoted(values[1]));
        if (wave.periodSeconds <= 0.0f)
            return Error("--wave: the period " + Quoted(values[2]) + " must be above 0 seconds");
        source = wave;
    }
    return source.value_or(HostSensorSource{});
}
