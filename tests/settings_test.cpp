#include "Settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\TEMP";

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

using Bytes = std::vector<BYTE>;

struct RawValue {
    DWORD type;
    Bytes data;
};

Bytes TextBytes(const std::wstring& text, bool terminated = true) {
    const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
    return Bytes(first, first + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

Bytes DwordBytes(DWORD value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

void DeleteSettingsKey() {
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
}

UniqueKey OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(key);
}

void StoreValue(const wchar_t* name, DWORD type, const Bytes& data) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const UniqueKey key(raw);
    ASSERT_EQ(
        RegSetValueExW(key.get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
}

void StoreText(const wchar_t* name, const std::wstring& text) {
    StoreValue(name, REG_SZ, TextBytes(text));
}

std::optional<RawValue> QueryValue(const wchar_t* name) {
    const UniqueKey key = OpenSettingsKey();
    if (!key)
        return std::nullopt;
    RawValue value{};
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

// Every test starts and ends without the key, so their order doesn't matter.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(SettingsTest, FirstReadCreatesTheEmptyKeyAndReadsZero) {
    EXPECT_EQ(ReadSetting(L"led_switch"), 0);

    const UniqueKey key = OpenSettingsKey();
    ASSERT_TRUE(key) << "the first read should have created the key";
    DWORD subkeys = 1;
    DWORD values = 1;
    ASSERT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 0u);
}

struct StoredCase {
    const char* name;
    std::optional<RawValue> stored; // nullopt: the key exists without the value
    int expected;
};

void PrintTo(const StoredCase& c, std::ostream* os) {
    *os << c.name;
}

class StoredValueTest : public SettingsTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValueTest, ReadsAsNumber) {
    const StoredCase& c = GetParam();
    if (c.stored)
        StoreValue(L"device_type", c.stored->type, c.stored->data);
    else
        StoreText(L"other", L"5"); // only the named value may be read

    EXPECT_EQ(ReadSetting(L"device_type"), c.expected);
}

// The query window is 255 bytes: 126 characters and the terminator still fit.
const std::wstring kFitsWindow = L"7" + std::wstring(125, L' ');
const std::wstring kOverWindow = L"7" + std::wstring(126, L' ');

INSTANTIATE_TEST_SUITE_P(
    Settings, StoredValueTest,
    ::testing::Values(
        StoredCase{"LeadingSpaceThenDigits", RawValue{REG_SZ, TextBytes(L" 12abc")}, 12},
        StoredCase{"NoDigits", RawValue{REG_SZ, TextBytes(L"abc")}, 0},
        StoredCase{"Negative", RawValue{REG_SZ, TextBytes(L"-7")}, -7},
        StoredCase{"PlusSign", RawValue{REG_SZ, TextBytes(L"+42")}, 42},
        StoredCase{"Unterminated", RawValue{REG_SZ, TextBytes(L"35", false)}, 35},
        StoredCase{"OddByteCount", RawValue{REG_BINARY, {'4', 0, '9'}}, 49},
        StoredCase{"DwordOneIsNotText", RawValue{REG_DWORD, DwordBytes(1)}, 0},
        StoredCase{"DwordBytesReadAsText", RawValue{REG_DWORD, DwordBytes(L'5')}, 5},
        StoredCase{"TooLargeClampsHigh", RawValue{REG_SZ, TextBytes(L"99999999999")}, INT_MAX},
        StoredCase{"TooSmallClampsLow", RawValue{REG_SZ, TextBytes(L"-99999999999")}, INT_MIN},
        StoredCase{"FitsTheWindow", RawValue{REG_SZ, TextBytes(kFitsWindow)}, 7},
        StoredCase{"LongerThanTheWindow", RawValue{REG_SZ, TextBytes(kOverWindow)}, 0},
        StoredCase{"Missing", std::nullopt, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, WriteStoresTerminatedText) {
    StoreText(L"other", L""); // writes need the key

    for (const std::wstring text : {L"123", L""}) {
        SCOPED_TRACE(testing::PrintToString(text));
        WriteSetting(L"device_type", text);
        const std::optional<RawValue> value = QueryValue(L"device_type");
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->data, TextBytes(text));
    }
    WriteSetting(L"device_type", L"123");
    EXPECT_EQ(ReadSetting(L"device_type"), 123);
}

TEST_F(SettingsTest, WriteWithoutTheKeyIsLost) {
    WriteSetting(L"led_switch", L"1");

    EXPECT_FALSE(OpenSettingsKey()) << "a write must never create the key";
}

TEST_F(SettingsTest, FreshSystemStoresTheLedSwitch) {
    const AppSettings settings = LoadAppSettings();

    EXPECT_EQ(settings.ledSwitch, 1);
    EXPECT_EQ(settings.deviceType, 0);
    EXPECT_EQ(settings.temperatureStyle, 0);
    EXPECT_STREQ(BackgroundImageFor(settings.temperatureStyle), L"img_cpu_bkg5.png");

    const std::optional<RawValue> led = QueryValue(L"led_switch");
    ASSERT_TRUE(led);
    EXPECT_EQ(led->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(led->data, TextBytes(L"1"));
    EXPECT_FALSE(QueryValue(L"device_type")) << "reading must not store a value";
    EXPECT_FALSE(QueryValue(L"tempe_type")) << "reading must not store a value";
}

TEST_F(SettingsTest, StoredValuesAreReadAndAZeroLedSwitchReplaced) {
    StoreText(L"led_switch", L"0");
    StoreText(L"device_type", L"3");
    StoreText(L"tempe_type", L"1");

    const AppSettings settings = LoadAppSettings();

    EXPECT_EQ(settings.ledSwitch, 1);
    EXPECT_EQ(settings.deviceType, 3);
    EXPECT_EQ(settings.temperatureStyle, 1);
    EXPECT_STREQ(BackgroundImageFor(settings.temperatureStyle), L"img_cpu_bkg6.png");

    const std::optional<RawValue> led = QueryValue(L"led_switch");
    ASSERT_TRUE(led);
    EXPECT_EQ(led->data, TextBytes(L"1"));
    const std::optional<RawValue> style = QueryValue(L"tempe_type");
    ASSERT_TRUE(style);
    EXPECT_EQ(style->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(style->data, TextBytes(L"1"));
}

TEST_F(SettingsTest, NonZeroLedSwitchIsKept) {
    StoreText(L"led_switch", L"2");

    EXPECT_EQ(LoadAppSettings().ledSwitch, 2);
    const std::optional<RawValue> led = QueryValue(L"led_switch");
    ASSERT_TRUE(led);
    EXPECT_EQ(led->data, TextBytes(L"2"));
}

TEST(SettingsBackground, AnyNonZeroStylePicksTheSecondImage) {
    const struct {
        int style;
        const wchar_t* image;
    } cases[] = {{0, L"img_cpu_bkg5.png"},
                 {1, L"img_cpu_bkg6.png"},
                 {2, L"img_cpu_bkg6.png"},
                 {-1, L"img_cpu_bkg6.png"}};
    for (const auto& c : cases)
        EXPECT_STREQ(BackgroundImageFor(c.style), c.image) << "style " << c.style;
}

} // namespace
