#pragma once

#include <hidapi.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr int kDisplayVendorId = 0x3E5B;
inline constexpr int kDisplayProductId = 0x6C21;
inline constexpr unsigned short kDisplayUsagePage = 0xFF01;
inline constexpr unsigned short kDisplayUsage = 0x0001;
inline constexpr unsigned char kDisplayReportId = 0x07;

using DisplayReport = std::array<unsigned char, 64>;

// Report 07 FF FF with the hundreds, tens and units digits of the temperature.
// The display shows digits only, so a negative temperature sends zeros.
DisplayReport BuildTemperatureReport(int displayTemperature);
// Report 07 FD: asks the display for its firmware version.
DisplayReport BuildVersionRequest();

struct DisplayFilter {
    int vendorId;
    int productId;
};

struct HidDeviceCloser {
    void operator()(hid_device* handle) const { hid_close(handle); }
};
using HidDeviceHandle = std::unique_ptr<hid_device, HidDeviceCloser>;

struct DisplayDevice {
    int index;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::string path;
    std::wstring productName;
    HidDeviceHandle handle;
    int releaseNumber;
};

// The process-wide link to every attached display's vendor interface.
class DisplayLink {
public:
    static DisplayLink& Instance();

    void ClearFilters();
    void AddFilter(int vendorId, int productId);
    void CloseAll();
    void OpenMatching();
    // Sends the report to every open display; false only while the link is closed.
    bool SendReport(const unsigned char report[64]);
    // Asks the first display, reading its reply at most twice; version is
    // written only when a valid reply came.
    bool QueryFirmwareVersion(int& version);
    // Safe to call from any thread while the worker rebuilds the list.
    int DeviceCount() const;

    void SetOpened(bool opened) { m_opened = opened ? 1 : 0; }

    DisplayLink(const DisplayLink&) = delete;
    DisplayLink& operator=(const DisplayLink&) = delete;

private:
    DisplayLink();
    ~DisplayLink();

    const DisplayFilter* FindFilter(unsigned short vendorId, unsigned short productId) const;

    int m_opened = 0;
    std::vector<DisplayDevice> m_devices;
    std::vector<DisplayFilter> m_filters;
    std::atomic<int> m_deviceCount = 0;
};

// The reconnect pass: forgets every display and opens each attached one again,
// so that plugged and unplugged displays are both taken into account.
void ReconnectDisplays(DisplayLink& link);
