#pragma once

#include "CString.h"
#include "VeneerApi.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace Veneer {

class MWindow;

// Process-wide settings of the library; never instantiated.
class VENEER_API Manager {
public:
    Manager() = delete;

    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void InitGdiplus();
    static void UnInitGdiplus();
    static void SetFont(const CString& name, int size);
    static void SetFontName(const CString& name);
    static void SetFontWidth(int size);
    static CString GetFontName();
    static int GetFontWidth();
    static void SetScaleValue(float scale);
    static float GetScaleValue();
    // value × scale, truncated toward zero; clamped to the int range.
    static int GetScaleValue(int value);
    // May be called from any thread; the painter reads it on the window thread.
    static void SetCPUTemp(float temperature);
    static float GetCPUTemp();
    static Gdiplus::ARGB GetSelectColor();
    static CString GetTheme();
    static void AddWnd(MWindow* window);
    static void DeleteWnd(MWindow* window);
    static void MessageLoop();
    // 1 while Alt+F4 is held; the message itself is not looked at.
    static BOOL PreTranslateMessage(MSG* message);

    static HINSTANCE m_hInstance;
    static Gdiplus::GdiplusStartupInput m_gdiplusStartupInput;
    static ULONG_PTR m_gdiplusToken;
    static CString m_fontname;
    // Used as the character height of text controls, whatever the name says.
    static int m_fontwidth;
    static float m_scale_value;
    static Gdiplus::ARGB m_select_color;
    static float m_cpu_temp;
    static UINT m_uControlID;
};

VENEER_API void M_Trace(const wchar_t* format, ...);
// The executable's folder followed by skins\ and the theme, with a trailing backslash.
VENEER_API CString GetSkinPath();

} // namespace Veneer
