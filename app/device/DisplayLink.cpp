#include "DisplayLink.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kVersionQueryPauseMs = 16;
constexpr size_t kMaxDevicePathLength = 1023;
constexpr size_t kProductNameChars = 512;

} // namespace

DisplayReport BuildTemperatureReport(int displayTemperature) {
    DisplayReport report{};
    report[0] = kDisplayReportId;
    report[1] = 0xFF;
    report[2] = 0xFF;
    if (displayTemperature > 0) {
        report[3] = static_cast<unsigned char>(displayTemperature / 100 % 10);
        report[4] = static_cast<unsigned char>(displayTemperature / 10 % 10);
        report[5] = static_cast<unsigned char>(displayTemperature % 10);
    }
    return report;
}

DisplayReport BuildVersionRequest() {
    DisplayReport request{};
    request[0] = kDisplayReportId;
    request[1] = 0xFD;
    return request;
}

DisplayLink& DisplayLink::Instance() {
    static DisplayLink link;
    return link;
}

DisplayLink::DisplayLink() {
    // A failed start leaves a link that finds no devices.
    hid_init();
}

DisplayLink::~DisplayLink() {
    CloseAll();
    // Handles of a pass that never finished still close before the library ends.
    m_devices.clear();
    hid_exit();
}

void DisplayLink::ClearFilters() {
    m_filters.clear();
}

void DisplayLink::AddFilter(int vendorId, int productId) {
    m_filters.push_back({vendorId, productId});
}

void DisplayLink::CloseAll() {
    if (!m_opened)
        return;
    m_opened = 0;
    m_deviceCount = 0;
    m_devices.clear();
}

const DisplayFilter* DisplayLink::FindFilter(unsigned short vendorId,
                                             unsigned short productId) const {
    auto match = std::find_if(m_filters.begin(), m_filters.end(), [&](const DisplayFilter& f) {
        return f.vendorId == vendorId && f.productId == productId;
    });
    return match == m_filters.end() ? nullptr : &*match;
}

void DisplayLink::OpenMatching() {
    hid_device_info* devices = hid_enumerate(0, 0);
    for (const hid_device_info* entry = devices; entry; entry = entry->next) {
        if (!FindFilter(entry->vendor_id, entry->product_id) || !entry->path)
            continue;
        // A truncated path would name another device, or none.
        if (std::strlen(entry->path) > kMaxDevicePathLength)
            continue;
        HidDeviceHandle handle(hid_open_path(entry->path));
        if (!handle)
            continue;
        if (entry->usage_page != kDisplayUsagePage || entry->usage != kDisplayUsage)
            continue;

        std::wstring productName;
        wchar_t name[kProductNameChars] = {};
        if (hid_get_product_string(handle.get(), name, kProductNameChars) == 0) {
            name[kProductNameChars - 1] = L'\0';
            productName = name;
        }
        m_devices.push_back({static_cast<int>(m_devices.size()), entry->vendor_id,
                             entry->product_id, entry->path, std::move(productName),
                             std::move(handle), entry->release_number});
        m_deviceCount = static_cast<int>(m_devices.size());
    }
    hid_free_enumeration(devices);
}

bool DisplayLink::SendReport(const unsigned char report[64]) {
    if (!m_opened)
        return false;
    std::array<unsigned char, 65> buffer{};
    std::copy_n(report, 64, buffer.begin());
    for (const DisplayDevice& device : m_devices) {
        if (device.handle)
            hid_send_feature_report(device.handle.get(), buffer.data(), buffer.size());
    }
    return true;
}

bool DisplayLink::QueryFirmwareVersion(int& version) {
    if (!m_opened || m_devices.empty() || !m_devices.front().handle)
        return false;
    hid_device* handle = m_devices.front().handle.get();
    const DisplayReport request = BuildVersionRequest();

    Sleep(kVersionQueryPauseMs);
    if (hid_send_feature_report(handle, request.data(), request.size()) <= 0)
        return false;

    // The reply buffer starts as the request so that report 7 is asked for. A
    // read that fails leaves that request in the buffer, which is no version.
    DisplayReport reply;
    const auto readReply = [&] {
        reply = request;
        return hid_get_feature_report(handle, reply.data(), reply.size()) > 0 &&
               reply[0] == kDisplayReportId;
    };
    Sleep(kVersionQueryPauseMs);
    if (!readReply()) {
        Sleep(kVersionQueryPauseMs);
        if (!readReply())
            return false;
    }
    version = reply[1] * 256 + reply[2];
    return true;
}

int DisplayLink::DeviceCount() const {
    return m_deviceCount;
}

void ReconnectDisplays(DisplayLink& link) {
    link.ClearFilters();
    link.AddFilter(kDisplayVendorId, kDisplayProductId);
    link.CloseAll();
    link.OpenMatching();
    link.SetOpened(true);
}
