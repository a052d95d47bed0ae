#include "CString.h"
#include "Manager.h"

#include <windows.h>

// Writes the library's skin folder, as UTF-16 without a terminator, to standard
// output, so that a test can run this program from a folder of its choosing.
int main() {
    const Veneer::CString path = Veneer::GetSkinPath();
    DWORD written = 0;
    const auto bytes = static_cast<DWORD>(path.GetLength() * sizeof(wchar_t));
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), path.c_str(), bytes, &written, nullptr) ? 0
                                                                                              : 1;
}
