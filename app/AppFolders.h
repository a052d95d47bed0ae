#pragma once

#include <string>

// The folder of the running program, with a trailing backslash.
std::wstring ModuleFolder();
// The skin folder beside the program for the library's current theme.
std::wstring SkinsFolder();
