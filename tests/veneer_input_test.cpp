#include "CRect.h"
#include "MWindow.h"
#include "Manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <thread>
#include <vector>

using Veneer::CRect;
using Veneer::Manager;
using Veneer::MWindow;

namespace {

constexpr UINT kProbe = WM_APP + 1;

class CountingWindow : public MWindow {
public:
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbe)
            ++probes;
        return MWindow::OnWindowMessage(message, wParam, lParam);
    }
    int probes = 0;
};

void SendKey(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Keys held down through the system's input queue for as long as this lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<WORD> keys) : m_keys(keys) {
        for (WORD key : m_keys)
            SendKey(key, 0);
    }
    ~HeldKeys() {
        for (auto key = m_keys.rbegin(); key != m_keys.rend(); ++key)
            SendKey(*key, KEYEVENTF_KEYUP);
    }

private:
    std::vector<WORD> m_keys;
};

bool Eventually(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 200; ++tries) {
        if (condition())
            return true;
        Sleep(10);
    }
    return false;
}

void PostProbes(HWND window) {
    for (int i = 0; i < 3; ++i)
        PostMessageW(window, kProbe, 0, 0);
}

// Ends the thread's loop from outside, late enough for it to have read the input
// that the held keys queued; nothing dispatched on that thread could do it.
std::jthread QuitLater(DWORD threadId) {
    return std::jthread([threadId] {
        Sleep(300);
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    });
}

// The windows here are activated, and hiding or destroying an activated window
// waits two seconds for a window manager under Wine on a bare X server. They are
// left to the end of the test process instead.
class VeneerInput : public testing::Test {
protected:
    void SetUp() override { Manager::SetInstance(GetModuleHandleW(nullptr)); }
};

TEST_F(VeneerInput, MessageLoopDropsEveryMessageWhileAltF4IsHeldButStillEndsOnQuit) {
    CountingWindow window;
    const HWND handle =
        window.Create(nullptr, L"Keys", WS_POPUP | WS_VISIBLE, 0, CRect(0, 0, 100, 100));
    ASSERT_NE(handle, nullptr);
    // The keys' own messages come here; dispatched, Alt+F4 would close the window.
    SetForegroundWindow(handle);

    EXPECT_FALSE(Manager::PreTranslateMessage(nullptr));
    PostProbes(handle);
    PostQuitMessage(0);
    Manager::MessageLoop();
    EXPECT_EQ(window.probes, 3);

    {
        HeldKeys chord{VK_MENU, VK_F4};
        ASSERT_TRUE(Eventually([] { return Manager::PreTranslateMessage(nullptr) != FALSE; }));
        PostProbes(handle);
        const std::jthread quitter = QuitLater(GetCurrentThreadId());
        Manager::MessageLoop();
        EXPECT_EQ(window.probes, 3);
        EXPECT_TRUE(IsWindow(handle));
    }
    // Alt alone is not the chord.
    HeldKeys alt{VK_MENU};
    Sleep(50);
    GetAsyncKeyState(VK_F4); // clears "pressed since the last query"
    EXPECT_FALSE(Manager::PreTranslateMessage(nullptr));
}

TEST_F(VeneerInput, BringToTopShowsRestoresAndActivates) {
    const std::pair<const char*, int> cases[] = {{"hidden", SW_HIDE},
                                                 {"minimised", SW_SHOWMINNOACTIVE}};
    for (const auto& [name, show] : cases) {
        SCOPED_TRACE(name);
        CountingWindow window;
        ASSERT_NE(window.Create(nullptr, L"Top", WS_POPUP, 0, CRect(10, 10, 110, 110)), nullptr);
        window.ShowWindow(show);
        window.BringToTop();
        EXPECT_TRUE(window.IsWindowVisible());
        EXPECT_FALSE(window.IsIconic());
        EXPECT_EQ(GetForegroundWindow(), window.GetSafeHwnd());
    }
}

} // namespace
