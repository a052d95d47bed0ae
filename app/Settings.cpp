#include "Settings.h"

#include <windows.h>

#include <array>
#include <climits>
#include <cwchar>
#include <memory>
#include <type_traits>

namespace {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\TEMP";

// Values are read through a 255-byte window into a zeroed 256-character buffer,
// so whatever fits is always followed by zeros.
constexpr DWORD kQueryBytes = 255;
using ValueBuffer = std::array<wchar_t, 256>;
static_assert(kQueryBytes < sizeof(ValueBuffer) - sizeof(wchar_t));

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

LSTATUS OpenSettingsKey(UniqueKey& key) {
    HKEY raw = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &raw);
    if (status == ERROR_SUCCESS)
        key.reset(raw);
    return status;
}

void CreateSettingsKey() {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &raw, nullptr) == ERROR_SUCCESS)
        RegCloseKey(raw); // only its existence is wanted
}

// _wtoi's rules; out-of-range numbers clamp instead of wrapping.
int ParseDecimal(const wchar_t* text) {
    static_assert(LONG_MAX == INT_MAX && LONG_MIN == INT_MIN, "wcstol must clamp to int");
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}

} // namespace

int ReadSetting(const std::wstring& valueName) {
    UniqueKey key;
    const LSTATUS status = OpenSettingsKey(key);
    if (status == ERROR_FILE_NOT_FOUND)
        CreateSettingsKey();
    if (status != ERROR_SUCCESS)
        return 0;

    ValueBuffer buffer{};
    DWORD size = kQueryBytes;
    // A value too long for the window reads as 0, never as whatever part of it
    // the call may have left in the buffer.
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return 0;
    return ParseDecimal(buffer.data());
}

void WriteSetting(const std::wstring& valueName, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        return;
    UniqueKey key;
    if (OpenSettingsKey(key) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(bytes));
}

AppSettings LoadAppSettings() {
    AppSettings settings{};
    settings.ledSwitch = ReadSetting(L"led_switch");
    if (settings.ledSwitch == 0) {
        WriteSetting(L"led_switch", L"1");
        settings.ledSwitch = 1;
    }
    settings.deviceType = ReadSetting(L"device_type");
    settings.temperatureStyle = ReadSetting(L"tempe_type");
    return settings;
}

const wchar_t* BackgroundImageFor(int temperatureStyle) {
    return temperatureStyle != 0 ? L"img_cpu_bkg6.png" : L"img_cpu_bkg5.png";
}
