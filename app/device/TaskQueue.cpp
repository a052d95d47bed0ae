#include "TaskQueue.h"

void TaskQueue::Push(int code) {
    std::lock_guard guard(m_lock);
    m_codes.push_back(code);
}

std::optional<int> TaskQueue::Pop() {
    std::lock_guard guard(m_lock);
    if (m_codes.empty())
        return std::nullopt;
    const int code = m_codes.front();
    m_codes.pop_front();
    return code;
}

bool TaskQueue::Empty() const {
    std::lock_guard guard(m_lock);
    return m_codes.empty();
}
