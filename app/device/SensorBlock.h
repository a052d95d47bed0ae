#pragma once

#include <windows.h>

// The block that the sensor server publishes its readings in. Only two fields
// are read here; the other bytes belong to the sensor server.
inline constexpr char kSensorBlockName[] = "korvan_hardware_mapfile";
inline constexpr DWORD kSensorBlockSize = 584;
inline constexpr DWORD kCpuTemperatureOffset = 152;
inline constexpr DWORD kRunningIndicatorOffset = 156;

// Creates the named block, or opens it when the sensor server came first, and
// maps a read-only view of all of it. The handle stays stored even when the view
// fails, so that the caller can see what was attempted.
bool MapSensorBlock(HANDLE& mappingHandle, void*& viewAddress, bool& createdNew);

float ReadCpuTemperature(const void* block);
// Greater than 0 while the sensor server is publishing.
float ReadRunningIndicator(const void* block);

struct DisplayTemperature {
    bool publish;
    int value;
};

// Truncates a published temperature toward zero and caps it at 99. Exactly 0
// (a block nobody has written yet) and NaN publish nothing; values beyond the
// 32-bit range are clamped rather than left to an undefined conversion.
DisplayTemperature ToDisplayTemperature(float celsius);
