#include "Library.h"

namespace Veneer {

HINSTANCE g_hLibInstance = nullptr;

} // namespace Veneer

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        Veneer::g_hLibInstance = instance;
    return TRUE;
}
