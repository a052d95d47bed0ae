#pragma once

#include <windows.h>

namespace Veneer {

// The library's own module, where its embedded font and images live; distinct
// from the application's module in Manager::m_hInstance.
extern HINSTANCE g_hLibInstance;

} // namespace Veneer
