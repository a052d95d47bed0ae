#pragma once

#include "CThreadBasic.h"
#include "TaskQueue.h"

#include <MWindow.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>

// What the device worker does in each cycle: one queued task, or, with nothing
// queued, one publication tick that hands the temperature to the window and the
// displays. The main window owns one and calls Run from its thread's Run; the
// tasks that belong to other parts of the program are added with SetTask.
class DeviceWorker {
public:
    using Task = std::function<void()>;

    // The window is repainted after each new temperature; the thread's pauses
    // end at once when it is stopped.
    DeviceWorker(Veneer::MWindow& window, const CThreadBasic& thread);
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Set before the thread starts; a code without a task is dropped when taken.
    void SetTask(int code, Task task);
    // From any thread.
    void QueueTask(int code);
    TaskQueue& Tasks() { return m_tasks; }

    // One worker cycle.
    void Run();

    // The mapped sensor block, null until a reconnect has mapped it.
    const void* SensorBlock() const { return m_sensorBlock.load(); }

private:
    void Reconnect();
    void PublicationTick();

    Veneer::MWindow& m_window;
    const CThreadBasic& m_thread;
    TaskQueue m_tasks;
    std::map<int, Task> m_handlers;
    HANDLE m_mappingHandle = nullptr;
    void* m_viewAddress = nullptr;
    // Read by the window thread's sensor-server watchdog.
    std::atomic<const void*> m_sensorBlock = nullptr;
};
