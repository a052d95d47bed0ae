#pragma once

// Classes and functions of the library are exported from Veneer.dll and imported
// by everything that links against it.
#ifdef VENEER_BUILD
#define VENEER_API __declspec(dllexport)
#else
#define VENEER_API __declspec(dllimport)
#endif
