#include "DeviceWorker.h"

#include "DisplayLink.h"
#include "SensorBlock.h"

#include <Manager.h>

namespace {

constexpr DWORD kPublicationPauseMs = 1000;

} // namespace

DeviceWorker::DeviceWorker(Veneer::MWindow& window, const CThreadBasic& thread)
    : m_window(window), m_thread(thread) {
    m_handlers[kReconnectTask] = [this] {
        Reconnect();
    };
}

DeviceWorker::~DeviceWorker() {
    if (m_viewAddress)
        UnmapViewOfFile(m_viewAddress);
    if (m_mappingHandle)
        CloseHandle(m_mappingHandle);
}

void DeviceWorker::SetTask(int code, Task task) {
    m_handlers[code] = std::move(task);
}

void DeviceWorker::QueueTask(int code) {
    m_tasks.Push(code);
}

void DeviceWorker::Run() {
    const std::optional<int> code = m_tasks.Pop();
    if (!code) {
        PublicationTick();
        return;
    }
    if (auto handler = m_handlers.find(*code); handler != m_handlers.end())
        handler->second();
}

void DeviceWorker::Reconnect() {
    ReconnectDisplays(DisplayLink::Instance());
    if (m_sensorBlock.load())
        return;
    // A mapping whose view failed last time is let go before trying again.
    if (m_mappingHandle) {
        CloseHandle(m_mappingHandle);
        m_mappingHandle = nullptr;
    }
    bool createdNew = false;
    if (MapSensorBlock(m_mappingHandle, m_viewAddress, createdNew))
        m_sensorBlock = m_viewAddress;
}

void DeviceWorker::PublicationTick() {
    const void* block = m_sensorBlock.load();
    if (!block)
        return;
    const DisplayTemperature temperature = ToDisplayTemperature(ReadCpuTemperature(block));
    if (!temperature.publish)
        return;

    Veneer::Manager::SetCPUTemp(static_cast<float>(temperature.value));
    RECT client{};
    m_window.GetClientRect(&client);
    m_window.InvalidateRect(client, FALSE);

    const DisplayReport report = BuildTemperatureReport(temperature.value);
    DisplayLink::Instance().SendReport(report.data());
    m_thread.Pause(kPublicationPauseMs);
}
