#pragma once

#include <windows.h>
#include <dbt.h>

#include "TaskQueue.h"

// Asks for arrival and removal notices of USB, disk, HID and network interfaces.
// The notification handles live as long as the window.
void RegisterDeviceNotifications(HWND window);

// True when the interface path is the display's vendor interface.
bool IsDisplayInterface(const wchar_t* path);

using InterfaceProbe = bool (*)(const wchar_t* path);

// Queues a reconnect for every arrival or removal of one of the display's
// interfaces, and a second one when the arriving interface is the vendor one.
void OnDeviceInterfaceEvent(const DEV_BROADCAST_DEVICEINTERFACE_W* broadcast, unsigned event,
                            TaskQueue& tasks,
                            InterfaceProbe isDisplayInterface = IsDisplayInterface);
