#include "SimulatedDisplay.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

struct hid_device_ {
    std::string path;
};

namespace simdisplay {
namespace {

struct State {
    std::mutex lock;
    std::vector<Interface> interfaces;
    std::vector<FeatureReport> sent;
    std::map<std::string, int> reads;
    std::map<std::string, bool> versionAsked;
    std::map<std::string, bool> wrongByteServed;
    int openHandles = 0;
};

State& state() {
    static State s;
    return s;
}

Interface* find(State& s, const std::string& path) {
    auto it = std::find_if(s.interfaces.begin(), s.interfaces.end(),
                           [&](const Interface& i) { return i.path == path; });
    return it == s.interfaces.end() ? nullptr : &*it;
}

wchar_t* copyWide(const std::wstring& text) {
    auto* copy = new wchar_t[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = L'\0';
    return copy;
}

} // namespace

void Reset() {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.interfaces.clear();
    s.sent.clear();
    s.reads.clear();
    s.versionAsked.clear();
    s.wrongByteServed.clear();
    s.openHandles = 0;
}

void Attach(const Interface& device) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.interfaces.push_back(device);
}

void Unplug(const std::string& path) {
    State& s = state();
    std::lock_guard guard(s.lock);
    if (Interface* device = find(s, path))
        device->sendFails = true;
}

std::vector<FeatureReport> SentReports() {
    State& s = state();
    std::lock_guard guard(s.lock);
    return s.sent;
}

int FeatureReadCount(const std::string& path) {
    State& s = state();
    std::lock_guard guard(s.lock);
    return s.reads[path];
}

int OpenHandleCount() {
    State& s = state();
    std::lock_guard guard(s.lock);
    return s.openHandles;
}

} // namespace simdisplay

using simdisplay::state;

extern "C" {

int hid_init(void) {
    // Made before the caller's link, the model is destroyed after it, so the
    // link's closing handles at exit still find it.
    state();
    return 0;
}

int hid_exit(void) {
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const simdisplay::Interface& device : s.interfaces) {
        if ((vendor_id && vendor_id != device.vendorId) ||
            (product_id && product_id != device.productId))
            continue;
        auto* info = new hid_device_info{};
        info->path = new char[device.path.size() + 1];
        std::memcpy(info->path, device.path.c_str(), device.path.size() + 1);
        info->vendor_id = device.vendorId;
        info->product_id = device.productId;
        info->serial_number = simdisplay::copyWide(L"");
        info->release_number = device.releaseNumber;
        info->manufacturer_string = simdisplay::copyWide(L"");
        info->product_string = simdisplay::copyWide(device.productName);
        info->usage_page = device.usagePage;
        info->usage = device.usage;
        info->interface_number = -1;
        info->bus_type = HID_API_BUS_USB;
        *tail = info;
        tail = &info->next;
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devices) {
    while (devices) {
        hid_device_info* next = devices->next;
        delete[] devices->path;
        delete[] devices->serial_number;
        delete[] devices->manufacturer_string;
        delete[] devices->product_string;
        delete devices;
        devices = next;
    }
}

hid_device* hid_open_path(const char* path) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    const simdisplay::Interface* device = simdisplay::find(s, path);
    if (!device || device->openFails)
        return nullptr;
    ++s.openHandles;
    return new hid_device{path};
}

void hid_close(hid_device* dev) {
    if (!dev)
        return;
    auto& s = state();
    {
        std::lock_guard guard(s.lock);
        --s.openHandles;
    }
    delete dev;
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    const simdisplay::Interface* device = simdisplay::find(s, dev->path);
    if (!device || device->productNameFails || maxlen == 0)
        return -1;
    const size_t count = std::min(device->productName.size(), maxlen - 1);
    std::copy_n(device->productName.begin(), count, string);
    string[count] = L'\0';
    return 0;
}

int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    s.sent.push_back({dev->path, std::vector<unsigned char>(data, data + length),
                      std::chrono::steady_clock::now()});
    const simdisplay::Interface* device = simdisplay::find(s, dev->path);
    if (!device || device->sendFails)
        return -1;
    if (length >= 2 && data[0] == 0x07 && data[1] == 0xFD)
        s.versionAsked[dev->path] = true;
    return static_cast<int>(length);
}

int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    ++s.reads[dev->path];
    const simdisplay::Interface* device = simdisplay::find(s, dev->path);
    if (!device || device->sendFails || !s.versionAsked[dev->path] || length < 3 ||
        device->versionReply == simdisplay::VersionReply::Never)
        return -1;
    std::fill_n(data, length, 0);
    if (device->versionReply == simdisplay::VersionReply::WrongFirstByteOnce &&
        !s.wrongByteServed[dev->path]) {
        s.wrongByteServed[dev->path] = true;
        data[0] = 0x05;
        data[1] = 0xEE;
        data[2] = 0xEE;
        return static_cast<int>(length);
    }
    data[0] = 0x07;
    data[1] = static_cast<unsigned char>(device->firmwareVersion >> 8);
    data[2] = static_cast<unsigned char>(device->firmwareVersion & 0xFF);
    return static_cast<int>(length);
}

} // extern "C"
