#pragma once

#include <deque>
#include <mutex>
#include <optional>

// Codes of the device worker's tasks. Any other code is taken and dropped.
inline constexpr int kReconnectTask = 1;
inline constexpr int kSoftwareCheckTask = 3;
inline constexpr int kFirmwareCheckTask = 4;
inline constexpr int kStartupSoftwareCheckTask = 5;
inline constexpr int kStartupFirmwareCheckTask = 6;
inline constexpr int kSoftwareUpdateTask = 7;
inline constexpr int kFirmwareUpdateTask = 8;

// Task codes for the device worker, appended by the window thread and taken
// by the worker. The lock is held only for the list operation itself.
class TaskQueue {
public:
    void Push(int code);
    std::optional<int> Pop();
    bool Empty() const;

private:
    mutable std::mutex m_lock;
    std::deque<int> m_codes;
};
