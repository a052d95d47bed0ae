#pragma once

#include <windows.h>

#include <atomic>

// A thread that calls Run once, or repeatedly with a pause in between, until
// stopped. The owner supplies Run and must call Stop before its own members go.
class CThreadBasic {
public:
    CThreadBasic() = default;
    CThreadBasic(const CThreadBasic&) = delete;
    CThreadBasic& operator=(const CThreadBasic&) = delete;

    // Does nothing while the thread runs.
    void Start(unsigned intervalMs, int loop);
    // Returns once the thread has left its loop, so that nothing of the owner is
    // used afterwards. Pauses taken through Pause end at once.
    void Stop();

    // Waits up to the given time; false when a stop was asked for meanwhile
    // (Pause(0) only asks). Long steps of Run pause through this so that a stop
    // never waits on them.
    bool Pause(DWORD milliseconds) const;

protected:
    // Not virtual: owners are never deleted through this base.
    ~CThreadBasic();

    virtual void Run() = 0;

private:
    static unsigned __stdcall ThreadProcedure(void* argument);
    void CloseEvents();

    HANDLE m_doneEvent = nullptr;
    std::atomic<int> m_running = 0;
    int m_loopMode = 0;
    unsigned m_interval = 1;
    DWORD m_startTick = 0;
    HANDLE m_stopEvent = nullptr;
};
