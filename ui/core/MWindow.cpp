#include "MWindow.h"

#include "Manager.h"

#include <initializer_list>
#include <string>

namespace Veneer {

namespace {

constexpr wchar_t kDefaultTitle[] = L"MWindow";
constexpr DWORD kDefaultStyle = 0x80B;
constexpr CRect kDefaultRect(0, 0, 800, 600);
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
// Recomputes the frame only: no size, move, z-order change or activation.
constexpr UINT kFrameOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
// Super-classed windows keep their object in this property, because the class
// procedure they inherit may use the user data for itself.
constexpr wchar_t kControlProperty[] = L"Control";
constexpr UINT kNoWindow = 0xFFFFFFFF;

BOOL Registered(ATOM atom) {
    return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

MWindow* AttachedObject(HWND window, bool superClassed) {
    if (superClassed)
        return static_cast<MWindow*>(GetPropW(window, kControlProperty));
    return reinterpret_cast<MWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Attach(HWND window, bool superClassed, MWindow* object) {
    if (superClassed)
        SetPropW(window, kControlProperty, object);
    else
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

void Detach(HWND window, bool superClassed) {
    if (superClassed)
        RemovePropW(window, kControlProperty);
    else
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

BOOL ChangeStyle(HWND window, int index, DWORD remove, DWORD add, UINT positionFlags) {
    const auto old = static_cast<DWORD>(GetWindowLongW(window, index));
    const DWORD updated = (old & ~remove) | add;
    if (updated == old)
        return FALSE;
    SetWindowLongW(window, index, static_cast<LONG>(updated));
    if (positionFlags != 0)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, positionFlags | kFrameOnly);
    return TRUE;
}

using PointConversion = BOOL(WINAPI*)(HWND, LPPOINT);

// The bottom-right corner is converted only when the top-left one was.
BOOL ConvertCorners(HWND window, RECT* rect, PointConversion convert) {
    POINT topLeft{rect->left, rect->top};
    if (!convert(window, &topLeft))
        return FALSE;
    rect->left = topLeft.x;
    rect->top = topLeft.y;
    POINT bottomRight{rect->right, rect->bottom};
    if (!convert(window, &bottomRight))
        return FALSE;
    rect->right = bottomRight.x;
    rect->bottom = bottomRight.y;
    return TRUE;
}

} // namespace

// The routing shared by WndProc and ControlProc; they differ only in where the
// object is kept.
LRESULT MWindow::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool superClassed) {
    MWindow* object = nullptr;
    if (message == WM_NCCREATE) {
        // Null when someone created a window of our class without an object.
        object = static_cast<MWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (object) {
            Attach(window, superClassed, object);
            object->m_hwnd = window;
        }
    } else {
        object = AttachedObject(window, superClassed);
        if (object && message == WM_NCDESTROY) {
            const LRESULT result =
                CallWindowProcW(object->m_prev_proc, window, message, wParam, lParam);
            Detach(window, superClassed);
            object->m_hwnd = nullptr;
            object->OnDestroyMessage(window);
            return result;
        }
    }
    if (!object)
        return DefWindowProcW(window, message, wParam, lParam);
    return object->OnWindowMessage(message, wParam, lParam);
}

MWindow::MWindow() noexcept
    : m_hwnd_parent(nullptr), m_hwnd(nullptr), m_prev_proc(DefWindowProcW) {}

// A window that outlives its object would otherwise route its messages into freed
// memory. A copy refers to the same window but is not the attached object, so its
// destruction leaves the attachment alone.
MWindow::~MWindow() {
    if (!HasLiveWindow())
        return;
    for (const bool superClassed : {false, true}) {
        if (AttachedObject(m_hwnd, superClassed) == this)
            Detach(m_hwnd, superClassed);
    }
}

const wchar_t* MWindow::GetWindowClassName() {
    return L"MWindow";
}

const wchar_t* MWindow::GetSuperClassName() {
    return nullptr;
}

BOOL MWindow::ShowWindow(int command) {
    return HasHandle() ? ::ShowWindow(m_hwnd, command) : FALSE;
}

LRESULT MWindow::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(m_prev_proc, m_hwnd, message, wParam, lParam);
}

BOOL MWindow::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL MWindow::OnInitDialog() {
    return TRUE;
}

void MWindow::OnDestroyMessage(HWND) {}

HWND MWindow::Create(HWND parent) {
    return Create(parent, kDefaultRect);
}

HWND MWindow::Create(HWND parent, CRect rect) {
    return Create(parent, kDefaultTitle, kDefaultStyle, 0, rect, nullptr);
}

HWND MWindow::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, CRect rect) {
    return Create(parent, title, style, exStyle, rect, nullptr);
}

HWND MWindow::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, CRect rect,
                     HMENU menu) {
    if (HasLiveWindow())
        return m_hwnd;
    m_hwnd_parent = parent;
    const BOOL registered = GetSuperClassName() ? RegisterSuperClass() : RegisterWindowClass();
    if (!registered)
        return nullptr;
    // The window procedure stores the handle during creation already; a window
    // destroyed before CreateWindowExW returns leaves null here.
    m_hwnd = CreateWindowExW(exStyle, GetWindowClassName(), title, style, rect.left, rect.top,
                             rect.Width(), rect.Height(), parent, menu, Manager::m_hInstance, this);
    OnInitDialog();
    return m_hwnd;
}

BOOL MWindow::RegisterWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = kClassStyle;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = Manager::m_hInstance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = GetWindowClassName();
    return Registered(RegisterClassW(&windowClass));
}

BOOL MWindow::RegisterSuperClass() {
    const wchar_t* superClass = GetSuperClassName();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(nullptr, superClass, &windowClass) &&
        !GetClassInfoExW(Manager::m_hInstance, superClass, &windowClass))
        return FALSE;
    m_prev_proc = windowClass.lpfnWndProc;
    windowClass.hInstance = Manager::m_hInstance;
    windowClass.lpfnWndProc = ControlProc;
    windowClass.lpszClassName = GetWindowClassName();
    return Registered(RegisterClassExW(&windowClass));
}

LRESULT CALLBACK MWindow::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(window, message, wParam, lParam, false);
}

LRESULT CALLBACK MWindow::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(window, message, wParam, lParam, true);
}

UINT MWindow::ShowModal(int showCommand) {
    if (!HasLiveWindow())
        return kNoWindow;
    const HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    UINT endCode = 0;
    ::ShowWindow(m_hwnd, showCommand);
    ::EnableWindow(owner, FALSE);

    MSG message{};
    bool quit = false;
    while (::IsWindow(m_hwnd)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (message.message == WM_CLOSE && message.hwnd == m_hwnd) {
            endCode = static_cast<UINT>(message.wParam);
            ::EnableWindow(owner, TRUE);
            ::SetFocus(owner);
        }
        if (!PreTranslateMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    ::EnableWindow(owner, TRUE);
    ::SetFocus(owner);
    // An outer loop has to see the quit message too.
    if (quit)
        PostQuitMessage(static_cast<int>(message.wParam));
    return endCode;
}

HWND MWindow::GetSafeHwnd() const {
    return m_hwnd;
}

HWND MWindow::GetParentHwnd() const {
    return m_hwnd_parent;
}

DWORD MWindow::GetStyle() const {
    return HasHandle() ? static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)) : 0;
}

DWORD MWindow::GetExStyle() const {
    return HasHandle() ? static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE)) : 0;
}

BOOL MWindow::ModifyStyle(DWORD remove, DWORD add, UINT positionFlags) {
    return HasHandle() ? ChangeStyle(m_hwnd, GWL_STYLE, remove, add, positionFlags) : FALSE;
}

BOOL MWindow::ModifyExStyle(DWORD remove, DWORD add, UINT positionFlags) {
    return HasHandle() ? ChangeStyle(m_hwnd, GWL_EXSTYLE, remove, add, positionFlags) : FALSE;
}

BOOL MWindow::GetClientRect(RECT* rect) const {
    return HasLiveWindow() ? ::GetClientRect(m_hwnd, rect) : FALSE;
}

BOOL MWindow::GetWindowRect(RECT* rect) const {
    return HasLiveWindow() ? ::GetWindowRect(m_hwnd, rect) : FALSE;
}

void MWindow::SetWindowTextW(const wchar_t* text) {
    if (HasLiveWindow())
        ::SetWindowTextW(m_hwnd, text);
}

void MWindow::GetWindowTextW(CString& text) const {
    if (!HasLiveWindow())
        return;
    std::wstring buffer(static_cast<std::size_t>(::GetWindowTextLengthW(m_hwnd)) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hwnd, buffer.data(), static_cast<int>(buffer.size()));
    text = CString(buffer.c_str(), static_cast<std::size_t>(copied));
}

int MWindow::GetWindowTextLengthW() const {
    return HasLiveWindow() ? ::GetWindowTextLengthW(m_hwnd) : -1;
}

BOOL MWindow::EnableWindow(BOOL enable) {
    return HasLiveWindow() ? ::EnableWindow(m_hwnd, enable) : FALSE;
}

BOOL MWindow::IsWindowEnabled() const {
    return HasLiveWindow() ? ::IsWindowEnabled(m_hwnd) : FALSE;
}

BOOL MWindow::IsWindowVisible() const {
    return HasLiveWindow() ? ::IsWindowVisible(m_hwnd) : FALSE;
}

BOOL MWindow::IsIconic() const {
    return HasLiveWindow() ? ::IsIconic(m_hwnd) : FALSE;
}

void MWindow::InvalidateRect(CRect rect, BOOL erase) {
    if (HasLiveWindow())
        ::InvalidateRect(m_hwnd, &rect, erase);
}

HWND MWindow::SetCapture() {
    return HasLiveWindow() ? ::SetCapture(m_hwnd) : nullptr;
}

HWND MWindow::SetFocus() {
    return HasLiveWindow() ? ::SetFocus(m_hwnd) : nullptr;
}

BOOL MWindow::ReleaseCapture() {
    return HasLiveWindow() ? ::ReleaseCapture() : FALSE;
}

UINT_PTR MWindow::SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC procedure) {
    return HasLiveWindow() ? ::SetTimer(m_hwnd, id, milliseconds, procedure) : 0;
}

BOOL MWindow::KillTimer(UINT_PTR id) {
    return HasLiveWindow() ? ::KillTimer(m_hwnd, id) : FALSE;
}

BOOL MWindow::ClientToScreen(POINT* point) const {
    return HasLiveWindow() ? ::ClientToScreen(m_hwnd, point) : FALSE;
}

BOOL MWindow::ScreenToClient(POINT* point) const {
    return HasLiveWindow() ? ::ScreenToClient(m_hwnd, point) : FALSE;
}

BOOL MWindow::ClientToScreen(RECT* rect) const {
    return HasLiveWindow() ? ConvertCorners(m_hwnd, rect, ::ClientToScreen) : FALSE;
}

BOOL MWindow::ScreenToClient(RECT* rect) const {
    return HasLiveWindow() ? ConvertCorners(m_hwnd, rect, ::ScreenToClient) : FALSE;
}

BOOL MWindow::SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    return HasLiveWindow() ? ::SetWindowPos(m_hwnd, insertAfter, x, y, width, height, flags)
                           : FALSE;
}

BOOL MWindow::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    return HasLiveWindow() ? ::MoveWindow(m_hwnd, x, y, width, height, repaint) : FALSE;
}

BOOL MWindow::MoveWindow(const RECT* rect, BOOL repaint) {
    return MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                      repaint);
}

BOOL MWindow::DestroyWindow() {
    return HasLiveWindow() ? ::DestroyWindow(m_hwnd) : FALSE;
}

LRESULT MWindow::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    return HasHandle() ? ::SendMessageW(m_hwnd, message, wParam, lParam) : 0;
}

LRESULT MWindow::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    return HasHandle() ? ::PostMessageW(m_hwnd, message, wParam, lParam) : 0;
}

// The icons are not freed here: the window keeps using them.
void MWindow::SetIcon(UINT resourceId) {
    if (!HasLiveWindow())
        return;
    const auto load = [resourceId](int width, int height) {
        return reinterpret_cast<LPARAM>(LoadImageW(Manager::m_hInstance,
                                                   MAKEINTRESOURCEW(resourceId), IMAGE_ICON, width,
                                                   height, LR_DEFAULTCOLOR));
    };
    SendMessageW(WM_SETICON, ICON_BIG,
                 load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    SendMessageW(WM_SETICON, ICON_SMALL,
                 load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
}

void MWindow::CenterWindow(MWindow* other) {
    if (!HasLiveWindow())
        return;
    const bool child = (GetStyle() & WS_CHILD) != 0;
    HWND reference = nullptr;
    if (other && other->m_hwnd)
        reference = other->m_hwnd;
    else
        reference = child ? ::GetParent(m_hwnd) : ::GetWindow(m_hwnd, GW_OWNER);

    CRect window;
    ::GetWindowRect(m_hwnd, &window);
    const LONG width = window.Width();
    const LONG height = window.Height();

    CRect area;
    CRect centre;
    if (child) {
        const HWND parent = ::GetParent(m_hwnd);
        ::GetClientRect(parent, &area);
        ::GetClientRect(reference, &centre);
        ::MapWindowPoints(reference, parent, reinterpret_cast<POINT*>(&centre), 2);
    } else {
        if (reference) {
            const auto style = static_cast<DWORD>(GetWindowLongW(reference, GWL_STYLE));
            if (!(style & WS_VISIBLE) || (style & WS_MINIMIZE))
                reference = nullptr;
        }
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(reference ? reference : m_hwnd, MONITOR_DEFAULTTONEAREST),
                        &monitor);
        area = monitor.rcWork;
        if (reference)
            ::GetWindowRect(reference, &centre);
        else
            centre = area;
    }

    // Clamped to the far edges first, so that a window larger than the area ends
    // up at the area's left and top.
    const auto place = [](LONG centreLow, LONG centreHigh, LONG size, LONG areaLow, LONG areaHigh) {
        LONG position = (centreLow + centreHigh) / 2 - size / 2;
        if (position + size > areaHigh)
            position = areaHigh - size;
        if (position < areaLow)
            position = areaLow;
        return position;
    };
    const LONG x = place(centre.left, centre.right, width, area.left, area.right);
    const LONG y = place(centre.top, centre.bottom, height, area.top, area.bottom);
    ::SetWindowPos(m_hwnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MWindow::BringToTop() {
    if (!HasLiveWindow())
        return;
    const DWORD ownThread = GetWindowThreadProcessId(m_hwnd, nullptr);
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    if (foregroundThread == ownThread) {
        SetForegroundWindow(m_hwnd);
    } else {
        AttachThreadInput(foregroundThread, ownThread, TRUE);
        AllowSetForegroundWindow(ASFW_ANY);
        SetForegroundWindow(m_hwnd);
        AttachThreadInput(foregroundThread, ownThread, FALSE);
    }
    ::ShowWindow(m_hwnd, (GetStyle() & WS_MINIMIZE) ? SW_RESTORE : SW_SHOW);
}

bool MWindow::HasHandle() const {
    return m_hwnd && m_hwnd != INVALID_HANDLE_VALUE;
}

bool MWindow::HasLiveWindow() const {
    return ::IsWindow(m_hwnd);
}

} // namespace Veneer
