#pragma once

#include <deque>
#include <mutex>
#include <optional>

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
