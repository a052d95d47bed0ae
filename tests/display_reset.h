#pragma once

#include "DisplayLink.h"
#include "SimulatedDisplay.h"

// The link outlives each test: opens it so that closing takes effect, closes
// it, and forgets every simulated display.
inline void ResetDisplays() {
    ReconnectDisplays(DisplayLink::Instance());
    DisplayLink::Instance().CloseAll();
    simdisplay::Reset();
}
