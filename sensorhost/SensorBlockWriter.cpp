#include "SensorBlockWriter.h"

#include "SensorBlock.h"

#include <atomic>

namespace {

constexpr float kRunning = 1.0f;
constexpr float kStopped = 0.0f;

// One aligned 4-byte store: the application reads while we write, without a lock.
void Store(void* block, DWORD offset, float value) {
    float& field = *reinterpret_cast<float*>(static_cast<BYTE*>(block) + offset);
    std::atomic_ref<float>(field).store(value, std::memory_order_release);
}

} // namespace

SensorBlockWriter::SensorBlockWriter()
    : m_mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   kSensorBlockSize, kSensorBlockName)) {
    if (m_mapping)
        m_view.reset(MapViewOfFile(m_mapping.get(), FILE_MAP_WRITE, 0, 0, kSensorBlockSize));
    if (!m_view)
        m_error = GetLastError();
}

void SensorBlockWriter::Publish(float celsius) {
    // The temperature first, so that a reader who sees us running sees it too.
    Store(m_view.get(), kCpuTemperatureOffset, celsius);
    Store(m_view.get(), kRunningIndicatorOffset, kRunning);
}

void SensorBlockWriter::MarkStopped() {
    Store(m_view.get(), kRunningIndicatorOffset, kStopped);
}
