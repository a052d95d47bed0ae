#include "CRect.h"
#include "CString.h"
#include "MObject.h"
#include "MWindow.h"
#include "Manager.h"
#include "veneer_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using Veneer::CPoint;
using Veneer::CRect;
using Veneer::CSize;
using Veneer::CString;
using Veneer::Manager;
using Veneer::MObject;
using Veneer::MWindow;

namespace {

constexpr UINT kProbe = WM_APP + 1;

// Records what reaches the object; a test may answer messages itself.
class RecordingWindow : public MWindow {
public:
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (handler) {
            if (const std::optional<LRESULT> answer = handler(*this, message, wParam, lParam))
                return *answer;
        }
        return MWindow::OnWindowMessage(message, wParam, lParam);
    }
    BOOL OnInitDialog() override {
        initCalls.push_back(GetSafeHwnd());
        messagesBeforeInit = messages.size();
        return TRUE;
    }
    void OnDestroyMessage(HWND window) override {
        destroyed.push_back(window);
        handleAtDestroy = GetSafeHwnd();
        userDataAtDestroy = GetWindowLongPtrW(window, GWLP_USERDATA);
    }
    bool Saw(UINT message) const {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }
    // Lets a test put the object into states it cannot otherwise reach.
    void SetHandle(HWND window) { m_hwnd = window; }

    std::function<std::optional<LRESULT>(RecordingWindow&, UINT, WPARAM, LPARAM)> handler;
    std::vector<UINT> messages;
    std::vector<HWND> initCalls;
    std::size_t messagesBeforeInit = 0;
    std::vector<HWND> destroyed;
    HWND handleAtDestroy = nullptr;
    LONG_PTR userDataAtDestroy = -1;
};

class VeneerWindow : public testing::Test {
protected:
    void SetUp() override { Manager::SetInstance(GetModuleHandleW(nullptr)); }
};

// Every message sent to a window procedure of this thread, for seeing what the
// object was not shown.
std::vector<std::pair<HWND, UINT>> g_sent;

LRESULT CALLBACK RecordSent(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    g_sent.emplace_back(sent->hwnd, sent->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(VeneerWindow, RoutesEveryMessageFromCreationToDestruction) {
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordSent, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RecordingWindow window;
    const HWND handle =
        window.Create(nullptr, L"Routing", WS_OVERLAPPEDWINDOW, 0, CRect(10, 10, 310, 210));
    UnhookWindowsHookEx(hook);
    ASSERT_NE(handle, nullptr);

    // The system spoke to the window before WM_NCCREATE; the object heard none of it.
    const auto nccreate =
        std::find(g_sent.begin(), g_sent.end(), std::pair(handle, UINT{WM_NCCREATE}));
    ASSERT_NE(nccreate, g_sent.end());
    EXPECT_NE(std::find(g_sent.begin(), nccreate, std::pair(handle, UINT{WM_GETMINMAXINFO})),
              nccreate);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(window.GetSafeHwnd(), handle);
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));

    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_TRUE(window.Saw(WM_DESTROY));
    EXPECT_FALSE(window.Saw(WM_NCDESTROY));
    EXPECT_EQ(window.destroyed, std::vector<HWND>{handle});
    // Detached before it was told.
    EXPECT_EQ(window.handleAtDestroy, nullptr);
    EXPECT_EQ(window.userDataAtDestroy, 0);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);

    // The object outlives its window and can make another.
    const HWND again = window.Create(nullptr);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(window.initCalls.size(), 2u);
    window.DestroyWindow();
}

TEST_F(VeneerWindow, CreateReturnsTheLiveWindowAndInitialisesOnce) {
    RecordingWindow window;
    const HWND first = window.Create(nullptr, L"Once", WS_POPUP, 0, CRect(0, 0, 100, 100));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(window.Create(nullptr, L"Twice", WS_POPUP, 0, CRect(0, 0, 50, 50)), first);
    EXPECT_EQ(window.Create(nullptr), first);
    EXPECT_EQ(window.initCalls, std::vector<HWND>{first});
    // OnInitDialog comes after the window procedure handled WM_CREATE.
    const auto create = std::find(window.messages.begin(), window.messages.end(), UINT{WM_CREATE});
    EXPECT_LT(create - window.messages.begin(),
              static_cast<std::ptrdiff_t>(window.messagesBeforeInit));
    window.DestroyWindow();
}

TEST_F(VeneerWindow, ShortCreateFormsUseTheDefaultTitleStyleAndRectangle) {
    struct Case {
        const char* name;
        std::function<HWND(MWindow&, HWND)> create;
        CRect expected;
    };
    const Case cases[] = {
        {"parent only", [](MWindow& w, HWND p) { return w.Create(p); }, {0, 0, 800, 600}},
        {"parent and rectangle",
         [](MWindow& w, HWND p) { return w.Create(p, CRect(5, 6, 305, 206)); },
         {5, 6, 305, 206}},
    };
    RecordingWindow owner;
    ASSERT_NE(owner.Create(nullptr, L"Owner", WS_POPUP, 0, CRect(0, 0, 10, 10)), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        const HWND handle = c.create(window, owner.GetSafeHwnd());
        ASSERT_NE(handle, nullptr);
        CString title;
        window.GetWindowTextW(title);
        EXPECT_STREQ(title.c_str(), L"MWindow");
        EXPECT_EQ(window.GetStyle() & 0xFFFF, 0x80Bu);
        EXPECT_EQ(window.GetParentHwnd(), owner.GetSafeHwnd());
        EXPECT_EQ(GetWindow(handle, GW_OWNER), owner.GetSafeHwnd());
        CRect rect;
        window.GetWindowRect(&rect);
        EXPECT_EQ(rect, c.expected);
        window.DestroyWindow();
    }

    RecordingWindow withMenu;
    const HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 100, L"Exit");
    const HWND handle =
        withMenu.Create(nullptr, L"Menu", WS_OVERLAPPEDWINDOW, 0, CRect(0, 0, 300, 200), menu);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetMenu(handle), menu);
    withMenu.DestroyWindow();
    owner.DestroyWindow();
}

TEST_F(VeneerWindow, AFailedCreationStillRunsOnInitDialogWithoutAWindow) {
    RecordingWindow window;
    window.handler = [](RecordingWindow&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CREATE)
            return -1;
        return std::nullopt;
    };
    EXPECT_EQ(window.Create(nullptr, L"Refused", WS_POPUP, 0, CRect(0, 0, 10, 10)), nullptr);
    EXPECT_EQ(window.initCalls, std::vector<HWND>{nullptr});
    EXPECT_EQ(window.destroyed.size(), 1u);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
}

class OnceClassWindow : public RecordingWindow {
public:
    const wchar_t* GetWindowClassName() override { return L"VeneerTestOnce"; }
};

TEST_F(VeneerWindow, AClassIsRegisteredOnceForAllItsObjects) {
    OnceClassWindow first;
    OnceClassWindow second;
    EXPECT_TRUE(first.RegisterWindowClass());
    WNDCLASSEXW registered{};
    registered.cbSize = sizeof(registered);
    ASSERT_TRUE(GetClassInfoExW(Manager::m_hInstance, L"VeneerTestOnce", &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(registered.lpfnWndProc, &MWindow::WndProc);
    EXPECT_EQ(registered.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(registered.hbrBackground, nullptr);

    SetLastError(0);
    EXPECT_TRUE(second.RegisterWindowClass());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    const HWND a = first.Create(nullptr, L"a", WS_POPUP, 0, CRect(0, 0, 10, 10));
    const HWND b = second.Create(nullptr, L"b", WS_POPUP, 0, CRect(0, 0, 10, 10));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    first.DestroyWindow();
    second.DestroyWindow();
}

class EditWindow : public RecordingWindow {
public:
    explicit EditWindow(const wchar_t* superClass = L"EDIT") : m_super(superClass) {}
    const wchar_t* GetWindowClassName() override { return L"VeneerTestEdit"; }
    const wchar_t* GetSuperClassName() override { return m_super; }

private:
    const wchar_t* m_super;
};

TEST_F(VeneerWindow, ASuperClassedWindowKeepsItsObjectInAPropertyAndTheSystemProcedure) {
    // The second object finds the class registered already and must still learn
    // the procedure of the system class.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EditWindow edit;
        const HWND handle = edit.Create(nullptr, L"text", WS_POPUP, 0, CRect(0, 0, 100, 20));
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(GetPropW(handle, L"Control"), &edit);
        EXPECT_NE(GetWindowLongPtrW(handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&edit));

        edit.SendMessageW(EM_SETLIMITTEXT, 7, 0);
        EXPECT_EQ(edit.SendMessageW(EM_GETLIMITTEXT, 0, 0), 7);
        EXPECT_TRUE(edit.Saw(EM_GETLIMITTEXT));
        EXPECT_EQ(edit.GetWindowTextLengthW(), 4);

        edit.DestroyWindow();
        EXPECT_EQ(edit.destroyed, std::vector<HWND>{handle});
        EXPECT_FALSE(edit.Saw(WM_NCDESTROY));
        EXPECT_EQ(edit.GetSafeHwnd(), nullptr);
    }

    EditWindow unknown(L"NoSuchVeneerClass");
    EXPECT_FALSE(unknown.RegisterSuperClass());
    EXPECT_EQ(unknown.Create(nullptr, L"x", WS_POPUP, 0, CRect(0, 0, 10, 10)), nullptr);
}

TEST_F(VeneerWindow, AWindowWithoutAnObjectGetsTheDefaultProcedure) {
    // A window of the library's class made by someone else, with no object.
    RecordingWindow registrar;
    ASSERT_TRUE(registrar.RegisterWindowClass());
    const HWND plain = CreateWindowExW(0, L"MWindow", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, Manager::m_hInstance, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(SendMessageW(plain, WM_GETTEXTLENGTH, 0, 0), 5);
    EXPECT_TRUE(DestroyWindow(plain));

    // An object deleted while its window lives; a copy of it goes first.
    auto window = std::make_unique<RecordingWindow>();
    const HWND handle = window->Create(nullptr, L"orphan", WS_POPUP, 0, CRect(0, 0, 10, 10));
    ASSERT_NE(handle, nullptr);
    { RecordingWindow copy(*window); }
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(window.get()));
    SendMessageW(handle, kProbe, 0, 0);
    EXPECT_TRUE(window->Saw(kProbe));

    window.reset();
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), 0);
    EXPECT_EQ(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0), 6);
    EXPECT_TRUE(DestroyWindow(handle));
}

// A window that ignores its first `ignoredCloses` WM_CLOSE messages; kProbe makes
// it send itself a WM_CLOSE, which never passes through the modal loop.
void MakeModal(RecordingWindow& window, int ignoredCloses) {
    window.handler = [ignoredCloses](RecordingWindow& self, UINT message, WPARAM,
                                     LPARAM) mutable -> std::optional<LRESULT> {
        if (message == WM_CLOSE && ignoredCloses > 0) {
            --ignoredCloses;
            return 0;
        }
        if (message == kProbe)
            return self.SendMessageW(WM_CLOSE, 9, 0);
        return std::nullopt;
    };
}

TEST_F(VeneerWindow, ShowModalReturnsTheLastPostedCloseCodeAndPassesQuitOn) {
    struct Case {
        const char* name;
        int ignoredCloses;
        std::function<void(HWND)> post;
        UINT expected;
        std::optional<WPARAM> quit; // re-posted exit code
    };
    const Case cases[] = {
        {"yes", 0, [](HWND w) { PostMessageW(w, WM_CLOSE, IDYES, 0); }, IDYES, {}},
        {"cancel", 0, [](HWND w) { PostMessageW(w, WM_CLOSE, IDCANCEL, 0); }, IDCANCEL, {}},
        {"the last of two",
         1,
         [](HWND w) {
             PostMessageW(w, WM_CLOSE, IDYES, 0);
             PostMessageW(w, WM_CLOSE, IDNO, 0);
         },
         IDNO,
         {}},
        {"closed by a sent message", 0, [](HWND w) { PostMessageW(w, kProbe, 0, 0); }, 0, {}},
        {"quit", 0, [](HWND) { PostQuitMessage(5); }, 0, 5},
        {"quit after a refused close", 1,
         [](HWND w) {
             PostMessageW(w, WM_CLOSE, IDYES, 0);
             PostQuitMessage(3);
         },
         IDYES, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        MakeModal(window, c.ignoredCloses);
        const HWND handle = window.Create(nullptr, L"Modal", WS_POPUP, 0, CRect(0, 0, 50, 50));
        ASSERT_NE(handle, nullptr);
        c.post(handle);
        EXPECT_EQ(window.ShowModal(SW_SHOWNA), c.expected);
        EXPECT_EQ(IsWindow(handle), !c.quit ? FALSE : TRUE);

        MSG quit{};
        const bool reposted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(reposted, c.quit.has_value());
        if (reposted && c.quit) {
            EXPECT_EQ(quit.wParam, *c.quit);
        }
        window.DestroyWindow();
    }
}

TEST_F(VeneerWindow, ShowModalDisablesTheOwnerOnlyWhileItRuns) {
    RecordingWindow owner;
    ASSERT_NE(owner.Create(nullptr, L"Owner", WS_POPUP, 0, CRect(0, 0, 50, 50)), nullptr);
    RecordingWindow dialog;
    std::optional<BOOL> ownerEnabled;
    dialog.handler = [&](RecordingWindow& self, UINT message, WPARAM,
                         LPARAM) -> std::optional<LRESULT> {
        if (message == kProbe) {
            ownerEnabled = owner.IsWindowEnabled();
            self.PostMessageW(WM_CLOSE, IDOK, 0);
        }
        return std::nullopt;
    };
    ASSERT_NE(dialog.Create(owner.GetSafeHwnd(), L"Dialog", WS_POPUP, 0, CRect(0, 0, 20, 20)),
              nullptr);
    dialog.PostMessageW(kProbe, 0, 0);
    EXPECT_EQ(dialog.ShowModal(SW_SHOWNA), static_cast<UINT>(IDOK));
    EXPECT_EQ(ownerEnabled, FALSE);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST_F(VeneerWindow, WrappersReturnTheirNeutralValueWithoutAWindow) {
    using Call = std::function<LONG_PTR(RecordingWindow&)>;
    const auto flag = [](BOOL b) {
        return static_cast<LONG_PTR>(b);
    };
    const auto handle = [](HWND h) {
        return reinterpret_cast<LONG_PTR>(h);
    };
    const auto number = [](auto n) {
        return static_cast<LONG_PTR>(n);
    };
    struct Case {
        const char* name;
        Call call;
        LONG_PTR neutral;
    };
    const Case cases[] = {
        {"ShowModal", [=](auto& w) { return number(w.ShowModal(SW_SHOW)); }, number(0xFFFFFFFFu)},
        {"ShowWindow", [=](auto& w) { return flag(w.ShowWindow(SW_SHOW)); }, 0},
        {"GetStyle", [=](auto& w) { return number(w.GetStyle()); }, 0},
        {"GetExStyle", [=](auto& w) { return number(w.GetExStyle()); }, 0},
        {"ModifyStyle", [=](auto& w) { return flag(w.ModifyStyle(0, WS_BORDER, 0)); }, 0},
        {"ModifyExStyle",
         [=](auto& w) { return flag(w.ModifyExStyle(0, WS_EX_TOPMOST, SWP_FRAMECHANGED)); }, 0},
        {"GetClientRect",
         [=](auto& w) {
             RECT r;
             return flag(w.GetClientRect(&r));
         },
         0},
        {"GetWindowRect",
         [=](auto& w) {
             RECT r;
             return flag(w.GetWindowRect(&r));
         },
         0},
        {"GetWindowTextLengthW", [=](auto& w) { return number(w.GetWindowTextLengthW()); }, -1},
        {"EnableWindow", [=](auto& w) { return flag(w.EnableWindow(TRUE)); }, 0},
        {"IsWindowEnabled", [=](auto& w) { return flag(w.IsWindowEnabled()); }, 0},
        {"IsWindowVisible", [=](auto& w) { return flag(w.IsWindowVisible()); }, 0},
        {"IsIconic", [=](auto& w) { return flag(w.IsIconic()); }, 0},
        {"SetCapture", [=](auto& w) { return handle(w.SetCapture()); }, 0},
        {"SetFocus", [=](auto& w) { return handle(w.SetFocus()); }, 0},
        {"ReleaseCapture", [=](auto& w) { return flag(w.ReleaseCapture()); }, 0},
        {"SetTimer", [=](auto& w) { return number(w.SetTimer(1, 10, nullptr)); }, 0},
        {"KillTimer", [=](auto& w) { return flag(w.KillTimer(1)); }, 0},
        {"ClientToScreen point",
         [=](auto& w) {
             POINT p{};
             return flag(w.ClientToScreen(&p));
         },
         0},
        {"ScreenToClient point",
         [=](auto& w) {
             POINT p{};
             return flag(w.ScreenToClient(&p));
         },
         0},
        {"ClientToScreen rect",
         [=](auto& w) {
             RECT r{};
             return flag(w.ClientToScreen(&r));
         },
         0},
        {"ScreenToClient rect",
         [=](auto& w) {
             RECT r{};
             return flag(w.ScreenToClient(&r));
         },
         0},
        {"SetWindowPos",
         [=](auto& w) { return flag(w.SetWindowPos(nullptr, 0, 0, 1, 1, SWP_NOZORDER)); }, 0},
        {"MoveWindow", [=](auto& w) { return flag(w.MoveWindow(0, 0, 1, 1, TRUE)); }, 0},
        {"MoveWindow rect",
         [=](auto& w) {
             RECT r{0, 0, 1, 1};
             return flag(w.MoveWindow(&r, TRUE));
         },
         0},
        {"DestroyWindow", [=](auto& w) { return flag(w.DestroyWindow()); }, 0},
        {"SendMessageW", [](auto& w) { return w.SendMessageW(WM_GETTEXTLENGTH, 0, 0); }, 0},
        {"PostMessageW", [](auto& w) { return w.PostMessageW(kProbe, 0, 0); }, 0},
    };
    for (const HWND state : {HWND{}, static_cast<HWND>(INVALID_HANDLE_VALUE)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " with handle " << state);
            RecordingWindow window;
            window.SetHandle(state);
            EXPECT_EQ(c.call(window), c.neutral);
        }
        RecordingWindow window;
        window.SetHandle(state);
        CString text(L"unchanged");
        window.GetWindowTextW(text);
        EXPECT_STREQ(text.c_str(), L"unchanged");
    }
    // Nothing was posted to the thread by a wrapper that should not have called.
    MSG stray{};
    EXPECT_FALSE(PeekMessageW(&stray, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(VeneerWindow, WrappersActOnTheirOwnWindow) {
    RecordingWindow window;
    ASSERT_NE(window.Create(nullptr, L"", WS_POPUP, 0, CRect(100, 50, 300, 150)), nullptr);

    window.SetWindowTextW(L"Température 42 °C");
    CString title;
    window.GetWindowTextW(title);
    EXPECT_STREQ(title.c_str(), L"Température 42 °C");
    EXPECT_EQ(window.GetWindowTextLengthW(), 17);

    RECT rect{1, 2, 30, 40};
    ASSERT_TRUE(window.ClientToScreen(&rect));
    EXPECT_EQ(CRect(rect), CRect(101, 52, 130, 90));
    ASSERT_TRUE(window.ScreenToClient(&rect));
    EXPECT_EQ(CRect(rect), CRect(1, 2, 30, 40));

    const RECT target{20, 30, 70, 100};
    EXPECT_TRUE(window.MoveWindow(&target, FALSE));
    CRect moved;
    window.GetWindowRect(&moved);
    EXPECT_EQ(moved, CRect(target));
    window.DestroyWindow();
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    BITMAP bitmap{};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    // A mask without a colour bitmap is twice the icon's height.
    return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST_F(VeneerWindow, SetIconGivesTheWindowABigAndASmallIconFromTheApplication) {
    RecordingWindow window;
    ASSERT_NE(window.Create(nullptr, L"Icon", WS_POPUP, 0, CRect(0, 0, 50, 50)), nullptr);
    // Icons are taken from the application's module; here one that has some.
    Manager::SetInstance(GetModuleHandleW(L"user32.dll"));
    window.SetIcon(32512);
    const auto icon = [&](WPARAM kind) {
        return IconSize(reinterpret_cast<HICON>(window.SendMessageW(WM_GETICON, kind, 0)));
    };
    const SIZE big = icon(ICON_BIG);
    const SIZE small = icon(ICON_SMALL);
    EXPECT_EQ(CSize(big), CSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    EXPECT_EQ(CSize(small), CSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    window.DestroyWindow();
}

TEST_F(VeneerWindow, ModifyStyleRecomputesTheFrameOnlyForARealChange) {
    struct Case {
        const char* name;
        bool extended;
        DWORD remove, add;
        UINT flags;
        BOOL changed;
        bool positioned;
    };
    const Case cases[] = {
        {"nothing to change", false, 0, 0, SWP_FRAMECHANGED, FALSE, false},
        {"removing a bit that is not set", false, WS_BORDER, 0, SWP_FRAMECHANGED, FALSE, false},
        {"adding the bit already set", false, 0, WS_POPUP, SWP_FRAMECHANGED, FALSE, false},
        {"a change without flags", false, 0, WS_BORDER, 0, TRUE, false},
        {"a change with flags", false, 0, WS_BORDER, SWP_FRAMECHANGED, TRUE, true},
        {"an extended change", true, 0, WS_EX_TOOLWINDOW, SWP_FRAMECHANGED, TRUE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        std::vector<UINT> positionFlags;
        window.handler = [&](RecordingWindow&, UINT message, WPARAM,
                             LPARAM lParam) -> std::optional<LRESULT> {
            if (message == WM_WINDOWPOSCHANGING)
                positionFlags.push_back(reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
            return std::nullopt;
        };
        ASSERT_NE(window.Create(nullptr, L"Style", WS_POPUP, 0, CRect(0, 0, 50, 50)), nullptr);
        const DWORD before = c.extended ? window.GetExStyle() : window.GetStyle();
        positionFlags.clear();

        const BOOL result = c.extended ? window.ModifyExStyle(c.remove, c.add, c.flags)
                                       : window.ModifyStyle(c.remove, c.add, c.flags);
        EXPECT_EQ(result, c.changed);
        const DWORD after = c.extended ? window.GetExStyle() : window.GetStyle();
        EXPECT_EQ(after, (before & ~c.remove) | c.add);
        ASSERT_EQ(positionFlags.size(), c.positioned ? 1u : 0u);
        if (c.positioned) {
            const UINT frameOnly =
                SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
            EXPECT_EQ(positionFlags[0] & frameOnly, frameOnly);
        }
        window.DestroyWindow();
    }
}

RECT WorkArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

TEST_F(VeneerWindow, CenterWindowCentresOnItsReferenceAndStaysInsideTheArea) {
    enum class Reference { None, Owner, HiddenOwner, MinimisedOwner, Other, Parent };
    struct Case {
        const char* name;
        Reference reference;
        CRect referenceRect;
        CSize size;
        // Expected top-left: screen coordinates, or the parent's client ones for a child.
        std::function<CPoint(const RECT& work)> expected;
    };
    const auto workCentre = [](CSize size) {
        return [size](const RECT& w) {
            return CPoint((w.left + w.right) / 2 - size.cx / 2,
                          (w.top + w.bottom) / 2 - size.cy / 2);
        };
    };
    const Case cases[] = {
        {"owner-less", Reference::None, {}, {300, 200}, workCentre({300, 200})},
        {"larger than the work area",
         Reference::None,
         {},
         {5000, 4000},
         [](const RECT& w) {
             return CPoint(w.left, w.top);
         }},
        {"on its owner, truncating",
         Reference::Owner,
         {100, 100, 501, 401},
         {101, 51},
         [](const RECT&) {
             return CPoint(250, 225);
         }},
        {"owner near the corner",
         Reference::Owner,
         {0, 0, 0, 0},
         {300, 200},
         [](const RECT& w) {
             return CPoint(w.right - 300, w.bottom - 200);
         }},
        {"hidden owner",
         Reference::HiddenOwner,
         {100, 100, 501, 401},
         {300, 200},
         workCentre({300, 200})},
        {"minimised owner",
         Reference::MinimisedOwner,
         {100, 100, 501, 401},
         {300, 200},
         workCentre({300, 200})},
        {"another window",
         Reference::Other,
         {200, 150, 600, 450},
         {200, 100},
         [](const RECT&) {
             return CPoint(300, 250);
         }},
        {"child in its parent",
         Reference::Parent,
         {40, 40, 440, 340},
         {100, 50},
         [](const RECT&) {
             return CPoint(150, 125);
         }},
    };
    const RECT work = WorkArea();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRect referenceRect = c.referenceRect;
        if (referenceRect.IsRectEmpty()) // straddles the work area's bottom-right corner
            referenceRect = CRect(CPoint(work.right - 100, work.bottom - 80), CSize(200, 160));
        RecordingWindow reference;
        ASSERT_NE(reference.Create(nullptr, L"Reference", WS_POPUP, 0, referenceRect), nullptr);
        if (c.reference == Reference::MinimisedOwner)
            reference.ShowWindow(SW_SHOWMINNOACTIVE);
        else if (c.reference != Reference::HiddenOwner)
            reference.ShowWindow(SW_SHOWNA);

        const bool child = c.reference == Reference::Parent;
        const bool owned = c.reference != Reference::None && c.reference != Reference::Other;
        RecordingWindow window;
        ASSERT_NE(window.Create(owned ? reference.GetSafeHwnd() : nullptr, L"Centred",
                                child ? WS_CHILD : WS_POPUP, 0, CRect(CPoint(7, 9), c.size)),
                  nullptr);
        window.CenterWindow(c.reference == Reference::Other ? &reference : nullptr);

        CRect placed;
        window.GetWindowRect(&placed);
        if (child)
            MapWindowPoints(nullptr, reference.GetSafeHwnd(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(CSize(placed.Width(), placed.Height()), c.size);
        const CPoint expected = c.expected(work);
        EXPECT_EQ(CPoint(placed.left, placed.top), expected);
        window.DestroyWindow();
        reference.DestroyWindow();
    }
}

TEST(VeneerObject, IsClassComparesTheClassNameExactly) {
    struct Named : MObject {
        const wchar_t* GetClassNameW() override { return L"MDialog"; }
    };
    Named named;
    MObject nameless;
    const std::tuple<MObject*, const wchar_t*, BOOL> cases[] = {
        {&named, L"MDialog", TRUE},   {&named, L"mdialog", FALSE}, {&named, L"MDialo", FALSE},
        {&named, L"MDialogX", FALSE}, {&named, nullptr, FALSE},    {&nameless, L"", FALSE},
    };
    for (const auto& [object, name, expected] : cases) {
        SCOPED_TRACE(testing::Message() << (name ? name : L"(null)"));
        EXPECT_EQ(object->IsClass(name), expected);
    }
}

} // namespace
