#include "SensorBlock.h"

#include <cmath>
#include <limits>

namespace {

float ReadFloatAt(const void* block, DWORD offset) {
    // One aligned 4-byte load: the sensor server writes while we read.
    return *reinterpret_cast<const volatile float*>(static_cast<const BYTE*>(block) + offset);
}

} // namespace

bool MapSensorBlock(HANDLE& mappingHandle, void*& viewAddress, bool& createdNew) {
    mappingHandle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       kSensorBlockSize, kSensorBlockName);
    if (!mappingHandle)
        return false;
    createdNew = GetLastError() == 0;
    viewAddress = MapViewOfFile(mappingHandle, FILE_MAP_READ, 0, 0, kSensorBlockSize);
    return viewAddress != nullptr;
}

float ReadCpuTemperature(const void* block) {
    return ReadFloatAt(block, kCpuTemperatureOffset);
}

float ReadRunningIndicator(const void* block) {
    return ReadFloatAt(block, kRunningIndicatorOffset);
}

DisplayTemperature ToDisplayTemperature(float celsius) {
    constexpr int kMaximum = 99;
    if (celsius == 0.0f || std::isnan(celsius))
        return {false, 0};
    if (celsius >= static_cast<float>(kMaximum))
        return {true, kMaximum};
    // -2^31 is exactly representable; anything below it would not convert.
    constexpr float kLowest = static_cast<float>(std::numeric_limits<int>::min());
    if (celsius <= kLowest)
        return {true, std::numeric_limits<int>::min()};
    return {true, static_cast<int>(celsius)};
}
