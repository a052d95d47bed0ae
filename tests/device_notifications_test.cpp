#include "DeviceNotifications.h"
#include "TaskQueue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kVendorInterface[] =
    LR"(\\?\HID#VID_3E5B&PID_6C21&MI_00#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr wchar_t kLowerCaseVendorInterface[] =
    LR"(\\?\hid#vid_3e5b&pid_6c21&mi_00#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr wchar_t kKeyboardInterface[] =
    LR"(\\?\HID#VID_3E5B&PID_6C21&MI_01&Col01#7&2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr wchar_t kUsbDevice[] =
    LR"(\\?\USB#VID_3E5B&PID_6C21#5&abcdef&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed})";
constexpr wchar_t kOtherDevice[] =
    LR"(\\?\HID#VID_046D&PID_C52B&MI_00#7&aa&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

std::vector<std::wstring> probed;

// Only the two vendor-interface paths above are the display's vendor interface.
bool FakeProbe(const wchar_t* path) {
    probed.emplace_back(path);
    return std::wstring(path) == kVendorInterface ||
           std::wstring(path) == kLowerCaseVendorInterface;
}

// A broadcast record with room for the interface name after its header.
std::vector<BYTE> Broadcast(const wchar_t* name) {
    const size_t chars = std::wcslen(name) + 1;
    std::vector<BYTE> buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + chars * sizeof(wchar_t));
    auto* header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
    header->dbcc_size = static_cast<DWORD>(buffer.size());
    header->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(header->dbcc_name, name, chars * sizeof(wchar_t));
    return buffer;
}

int Drain(TaskQueue& tasks) {
    int reconnects = 0;
    while (auto code = tasks.Pop()) {
        EXPECT_EQ(*code, kReconnectTask);
        ++reconnects;
    }
    return reconnects;
}

TEST(DeviceNotifications, QueuesReconnectsForTheDisplaysInterfaces) {
    struct Case {
        const wchar_t* name;
        unsigned event;
        int reconnects;
    };
    const Case cases[] = {
        {kVendorInterface, DBT_DEVICEARRIVAL, 2},
        {kLowerCaseVendorInterface, DBT_DEVICEARRIVAL, 2},
        {kKeyboardInterface, DBT_DEVICEARRIVAL, 1},
        {kUsbDevice, DBT_DEVICEARRIVAL, 1},
        {kVendorInterface, DBT_DEVICEREMOVECOMPLETE, 1},
        {kLowerCaseVendorInterface, DBT_DEVICEREMOVECOMPLETE, 1},
        {kKeyboardInterface, DBT_DEVICEREMOVECOMPLETE, 1},
        {kOtherDevice, DBT_DEVICEARRIVAL, 0},
        {kOtherDevice, DBT_DEVICEREMOVECOMPLETE, 0},
    };
    for (const Case& c : cases) {
        TaskQueue tasks;
        const auto broadcast = Broadcast(c.name);
        OnDeviceInterfaceEvent(
            reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(broadcast.data()), c.event,
            tasks, FakeProbe);
        EXPECT_EQ(Drain(tasks), c.reconnects) << c.event << ' ' << std::wstring(c.name).size();
    }
}

TEST(DeviceNotifications, ProbesOnlyArrivalsWithTheNameAsReceived) {
    probed.clear();
    TaskQueue tasks;
    for (unsigned event : {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}) {
        const auto broadcast = Broadcast(kLowerCaseVendorInterface);
        OnDeviceInterfaceEvent(
            reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(broadcast.data()), event,
            tasks, FakeProbe);
    }
    ASSERT_EQ(probed.size(), 1u);
    EXPECT_EQ(probed[0], kLowerCaseVendorInterface);
}

TEST(DeviceNotifications, ANullBroadcastQueuesNothing) {
    TaskQueue tasks;
    OnDeviceInterfaceEvent(nullptr, DBT_DEVICEARRIVAL, tasks, FakeProbe);
    EXPECT_TRUE(tasks.Empty());
}

TEST(DeviceNotifications, APathThatCannotBeOpenedIsNotTheDisplay) {
    EXPECT_FALSE(IsDisplayInterface(kVendorInterface));
    EXPECT_FALSE(IsDisplayInterface(L"C:\\no-such-folder\\no-such-device"));
}

TEST(TaskQueue, TakesCodesInTheOrderTheyCame) {
    TaskQueue tasks;
    EXPECT_FALSE(tasks.Pop());
    for (int code : {5, 1, 6})
        tasks.Push(code);
    EXPECT_EQ(tasks.Pop(), 5);
    EXPECT_EQ(tasks.Pop(), 1);
    EXPECT_EQ(tasks.Pop(), 6);
    EXPECT_TRUE(tasks.Empty());
}

} // namespace
