#include "DeviceNotifications.h"

#include "DisplayLink.h"
#include "TaskQueue.h"

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string>

namespace {

constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr GUID kDiskInterface = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr GUID kHidInterface = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID kNetInterface = {
    0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

constexpr wchar_t kDisplayIds[] = L"VID_3E5B&PID_6C21";

// The filter record the system expects: header, class and an empty name.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};

} // namespace

void RegisterDeviceNotifications(HWND window) {
    for (const GUID& interfaceClass :
         {kUsbDeviceInterface, kDiskInterface, kHidInterface, kNetInterface}) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = interfaceClass;
        RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

bool IsDisplayInterface(const wchar_t* path) {
    HANDLE raw = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return false;
    std::unique_ptr<void, FileCloser> file(raw);

    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    HidD_GetAttributes(raw, &attributes);

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(raw, &preparsed))
        return false;
    HIDP_CAPS caps{};
    const bool isVendorInterface = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS &&
                                   caps.UsagePage == kDisplayUsagePage &&
                                   caps.Usage == kDisplayUsage;
    HidD_FreePreparsedData(preparsed);
    return isVendorInterface;
}

void OnDeviceInterfaceEvent(const DEV_BROADCAST_DEVICEINTERFACE_W* broadcast, unsigned event,
                            TaskQueue& tasks, InterfaceProbe isDisplayInterface) {
    if (!broadcast)
        return;
    std::wstring name = broadcast->dbcc_name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    if (name.find(kDisplayIds) == std::wstring::npos)
        return;
    if (event == DBT_DEVICEARRIVAL && isDisplayInterface(broadcast->dbcc_name))
        tasks.Push(kReconnectTask);
    tasks.Push(kReconnectTask);
}
