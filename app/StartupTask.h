#pragma once

#include <objbase.h>

#include <functional>
#include <iosfwd>

// Creates a COM object the way CoCreateInstance does; tests put fakes behind it.
using TaskServiceFactory = std::function<HRESULT(REFCLSID, IUnknown*, DWORD, REFIID, void**)>;

// Registers the logon task "TEMP StartupTask" that starts Thermolink.exe from the program's
// folder with the highest run level. The calling thread must have initialised COM. Returns 0
// once registration was attempted, even if it failed, and 1 when an earlier step failed; every
// failure is written to the error stream.
int RegisterStartupTask();
int RegisterStartupTask(const TaskServiceFactory& createInstance, std::ostream& errors);
