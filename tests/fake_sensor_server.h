#pragma once

#include "SensorBlock.h"

#include <cstring>

// Stands in for a sensor server: owns a writable mapping of the block.
class FakeSensorServer {
public:
    explicit FakeSensorServer(DWORD size = kSensorBlockSize) {
        m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                       kSensorBlockName);
        m_view = static_cast<BYTE*>(MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, size));
    }
    ~FakeSensorServer() {
        UnmapViewOfFile(m_view);
        CloseHandle(m_mapping);
    }
    FakeSensorServer(const FakeSensorServer&) = delete;
    FakeSensorServer& operator=(const FakeSensorServer&) = delete;

    bool Ready() const { return m_view != nullptr; }
    void Publish(DWORD offset, float value) { std::memcpy(m_view + offset, &value, sizeof value); }
    void PublishTemperature(float celsius) { Publish(kCpuTemperatureOffset, celsius); }

private:
    HANDLE m_mapping = nullptr;
    BYTE* m_view = nullptr;
};
