#include "AppFolders.h"

#include <Manager.h>

#include <shlwapi.h>
#include <windows.h>

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    PathAddBackslashW(path);
    return path;
}

std::wstring SkinsFolder() {
    return ModuleFolder() + L"skins\\" + Veneer::Manager::GetTheme().c_str();
}
