#pragma once

#include <string>

// The program's settings, kept as decimal text under
// HKEY_CURRENT_USER\SOFTWARE\TEMP.

// Reads a setting as a number. A missing key is created (empty) so later writes
// land; anything unreadable (no key, no value, more than 255 bytes) reads as 0.
int ReadSetting(const std::wstring& valueName);

// Stores the text as REG_SZ. Never creates the key: without it the write is lost.
void WriteSetting(const std::wstring& valueName, const std::wstring& text);

struct AppSettings {
    int ledSwitch;
    int deviceType;
    int temperatureStyle;
};

// What the main window reads at start-up. An LED switch that is missing or 0 is
// stored as "1" and read as 1.
AppSettings LoadAppSettings();

// The main window's background for a temperature style.
const wchar_t* BackgroundImageFor(int temperatureStyle);
