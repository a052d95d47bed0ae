#include "Manager.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <map>

#include <shlwapi.h>

namespace Veneer {

HINSTANCE Manager::m_hInstance = nullptr;
Gdiplus::GdiplusStartupInput Manager::m_gdiplusStartupInput;
ULONG_PTR Manager::m_gdiplusToken = 0;
// Constructed at load before the window registry below, destroyed after it.
CString Manager::m_fontname = L"Arial";
int Manager::m_fontwidth = 14;
float Manager::m_scale_value = 1.0f;
Gdiplus::ARGB Manager::m_select_color = 0xFFBD30FF;
float Manager::m_cpu_temp = 0.0f;
UINT Manager::m_uControlID = 0;

namespace {

// Keyed by object address; the values are always 0 and nothing reads them.
std::map<MWindow*, DWORD> s_windows;

} // namespace

void Manager::SetInstance(HINSTANCE instance) {
    m_hInstance = instance;
}

HINSTANCE Manager::GetInstance() {
    return m_hInstance;
}

void Manager::InitGdiplus() {
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr);
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    s_windows.clear();
}

void Manager::UnInitGdiplus() {
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
    CoUninitialize();
    OleUninitialize();
    s_windows.clear();
}

void Manager::SetFont(const CString& name, int size) {
    m_fontname = name;
    m_fontwidth = size;
}

void Manager::SetFontName(const CString& name) {
    m_fontname = name;
}

void Manager::SetFontWidth(int size) {
    m_fontwidth = size;
}

CString Manager::GetFontName() {
    return m_fontname;
}

int Manager::GetFontWidth() {
    return m_fontwidth;
}

void Manager::SetScaleValue(float scale) {
    m_scale_value = scale;
}

float Manager::GetScaleValue() {
    return m_scale_value;
}

int Manager::GetScaleValue(int value) {
    // A float outside the int range has no defined conversion; 2^31 is exact in float.
    constexpr float limit = 2147483648.0f;
    const float scaled = static_cast<float>(value) * m_scale_value;
    if (std::isnan(scaled))
        return 0;
    if (scaled >= limit)
        return INT_MAX;
    if (scaled < -limit)
        return INT_MIN;
    return static_cast<int>(scaled);
}

// The device worker writes while the painter reads; relaxed atomic access keeps
// that a plain aligned store and load without making it a data race.
void Manager::SetCPUTemp(float temperature) {
    std::atomic_ref(m_cpu_temp).store(temperature, std::memory_order_relaxed);
}

float Manager::GetCPUTemp() {
    return std::atomic_ref(m_cpu_temp).load(std::memory_order_relaxed);
}

Gdiplus::ARGB Manager::GetSelectColor() {
    return m_select_color;
}

CString Manager::GetTheme() {
    return L"theme1\\";
}

void Manager::AddWnd(MWindow* window) {
    s_windows.insert_or_assign(window, 0);
}

void Manager::DeleteWnd(MWindow* window) {
    s_windows.erase(window);
}

void Manager::MessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

BOOL Manager::PreTranslateMessage(MSG*) {
    return GetAsyncKeyState(VK_MENU) != 0 && GetAsyncKeyState(VK_F4) != 0;
}

void M_Trace(const wchar_t*, ...) {}

CString GetSkinPath() {
    wchar_t folder[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(nullptr), folder, MAX_PATH);
    PathRemoveFileSpecW(folder);
    PathAddBackslashW(folder);
    return CString(folder) + L"skins\\" + Manager::GetTheme();
}

} // namespace Veneer
