#pragma once

#include "CThreadBasic.h"
#include "DeviceWorker.h"

#include <MWindow.h>

#include <atomic>

// Owns the worker the way the main window does: a window that is repainted
// after each temperature, and the thread whose Run is the worker's cycle.
class WorkerHost : public Veneer::MWindow, public CThreadBasic {
public:
    WorkerHost() : worker(*this, *this) {}
    ~WorkerHost() override { Stop(); }

    DeviceWorker worker;
    std::atomic<int> cycles = 0;

protected:
    void Run() override {
        ++cycles;
        worker.Run();
    }
};
