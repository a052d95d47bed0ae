#pragma once

#include "CRect.h"
#include "CString.h"
#include "VeneerApi.h"

#include <windows.h>

namespace Veneer {

// One native window: registers its class, creates the window with itself as the
// creation parameter and routes every message of that window to OnWindowMessage.
// The object never owns the window's lifetime, nor the window the object's.
class VENEER_API MWindow {
public:
    MWindow() noexcept;
    MWindow(const MWindow&) = default;
    MWindow& operator=(const MWindow&) = default;

    // Leaves the native window alive but detaches this object from it.
    virtual ~MWindow();
    virtual const wchar_t* GetWindowClassName();
    // Null for a class of our own; otherwise the class to super-class.
    virtual const wchar_t* GetSuperClassName();
    virtual BOOL ShowWindow(int command);
    virtual LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Non-zero consumes the message in ShowModal's loop.
    virtual BOOL PreTranslateMessage(MSG* message);
    // Runs once per Create that asked the system for a window, even if none came.
    virtual BOOL OnInitDialog();
    // The window's last message has been handled; this object is already detached.
    virtual void OnDestroyMessage(HWND window);

    HWND Create(HWND parent);
    HWND Create(HWND parent, CRect rect);
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, CRect rect);
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, CRect rect,
                HMENU menu);

    BOOL RegisterWindowClass();
    BOOL RegisterSuperClass();

    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The wParam of the last WM_CLOSE posted to this window while the loop ran;
    // 0xFFFFFFFF when there is no window to run.
    UINT ShowModal(int showCommand);

    HWND GetSafeHwnd() const;
    HWND GetParentHwnd() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT positionFlags);
    BOOL ModifyExStyle(DWORD remove, DWORD add, UINT positionFlags);
    BOOL GetClientRect(RECT* rect) const;
    BOOL GetWindowRect(RECT* rect) const;
    void SetWindowTextW(const wchar_t* text);
    void GetWindowTextW(CString& text) const;
    int GetWindowTextLengthW() const;
    BOOL EnableWindow(BOOL enable);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    void InvalidateRect(CRect rect, BOOL erase);
    HWND SetCapture();
    HWND SetFocus();
    BOOL ReleaseCapture();
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC procedure);
    BOOL KillTimer(UINT_PTR id);
    BOOL ClientToScreen(POINT* point) const;
    BOOL ScreenToClient(POINT* point) const;
    BOOL ClientToScreen(RECT* rect) const;
    BOOL ScreenToClient(RECT* rect) const;
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags);
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint);
    BOOL MoveWindow(const RECT* rect, BOOL repaint);
    BOOL DestroyWindow();
    LRESULT SendMessageW(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PostMessageW(UINT message, WPARAM wParam, LPARAM lParam);
    void SetIcon(UINT resourceId);
    void CenterWindow(MWindow* other);
    void BringToTop();

protected:
    HWND m_hwnd_parent;
    HWND m_hwnd;
    // Where unhandled messages go: DefWindowProcW, or the super class's own procedure.
    WNDPROC m_prev_proc;

private:
    static LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         bool superClassed);
    // Not null and not the all-ones value; no IsWindow check.
    bool HasHandle() const;
    bool HasLiveWindow() const;
};

} // namespace Veneer
