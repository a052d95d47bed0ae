#include "CThreadBasic.h"

#include <process.h>

CThreadBasic::~CThreadBasic() {
    Stop();
}

void CThreadBasic::Start(unsigned intervalMs, int loop) {
    if (m_running != 0)
        return;
    m_interval = intervalMs;
    m_loopMode = loop;
    m_startTick = GetTickCount();
    m_doneEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_doneEvent || !m_stopEvent) {
        CloseEvents();
        return;
    }
    m_running = 1;
    const uintptr_t thread = _beginthreadex(nullptr, 0, ThreadProcedure, this, 0, nullptr);
    if (thread == 0) {
        // Without a thread nobody would ever signal the done event: stay stopped,
        // so that a later Start may try again and Stop does not wait in vain.
        m_running = 0;
        CloseEvents();
        return;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}

void CThreadBasic::Stop() {
    if (m_running == 0)
        return;
    m_running = 0;
    SetEvent(m_stopEvent);
    // No time limit: a worker still inside Run would otherwise go on using an
    // owner that is about to be destroyed. Every pause wakes on the stop event,
    // so this waits only for the step in progress.
    WaitForSingleObject(m_doneEvent, INFINITE);
    CloseEvents();
}

bool CThreadBasic::Pause(DWORD milliseconds) const {
    return WaitForSingleObject(m_stopEvent, milliseconds) == WAIT_TIMEOUT;
}

void CThreadBasic::CloseEvents() {
    for (HANDLE* event : {&m_doneEvent, &m_stopEvent}) {
        if (*event)
            CloseHandle(*event);
        *event = nullptr;
    }
}

unsigned __stdcall CThreadBasic::ThreadProcedure(void* argument) {
    auto* thread = static_cast<CThreadBasic*>(argument);
    if (thread->m_loopMode != 0) {
        while (thread->m_running != 0) {
            thread->Run();
            thread->Pause(thread->m_interval);
        }
    } else {
        thread->Run();
    }
    // The owner may be destroyed as soon as the event is set.
    const DWORD startTick = thread->m_startTick;
    SetEvent(thread->m_doneEvent);
    return startTick;
}
