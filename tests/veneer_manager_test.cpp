#include "CString.h"
#include "Manager.h"
#include "child_process.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <climits>
#include <memory>
#include <string>

using Veneer::CString;
using Veneer::Manager;

namespace {

std::wstring Text(const CString& s) {
    return {s.c_str(), s.GetLength()};
}

TEST(VeneerManager, StartsWithTheLibraryDefaults) {
    EXPECT_EQ(Manager::GetInstance(), nullptr);
    EXPECT_EQ(Manager::m_gdiplusToken, 0u);
    EXPECT_EQ(Manager::m_gdiplusStartupInput.GdiplusVersion, 1u);
    EXPECT_EQ(Manager::m_gdiplusStartupInput.DebugEventCallback, nullptr);
    EXPECT_FALSE(Manager::m_gdiplusStartupInput.SuppressBackgroundThread);
    EXPECT_FALSE(Manager::m_gdiplusStartupInput.SuppressExternalCodecs);
    EXPECT_EQ(Text(Manager::GetFontName()), L"Arial");
    EXPECT_EQ(Manager::GetFontWidth(), 14);
    EXPECT_EQ(Manager::GetScaleValue(), 1.0f);
    EXPECT_EQ(Manager::GetSelectColor(), 0xFFBD30FFu);
    EXPECT_EQ(Manager::GetCPUTemp(), 0.0f);
    EXPECT_EQ(Manager::m_uControlID, 0u);
    EXPECT_EQ(Text(Manager::GetTheme()), L"theme1\\");

    Manager::SetFont(L"Open Sans", 18);
    Manager::SetCPUTemp(47.0f);
    EXPECT_EQ(Text(Manager::GetFontName()), L"Open Sans");
    EXPECT_EQ(Manager::GetFontWidth(), 18);
    EXPECT_EQ(Manager::GetCPUTemp(), 47.0f);
    EXPECT_EQ(Text(Manager::GetTheme()), L"theme1\\");
}

TEST(VeneerManager, ScalesIntegersByTruncatingTowardZero) {
    struct Case {
        float scale;
        int value, expected;
    };
    const Case cases[] = {
        {1.0f, 7, 7},
        {1.0f, -7, -7},
        {1.5f, 3, 4},
        {1.5f, -3, -4},
        {1.25f, 5, 6},
        {0.5f, 1, 0},
        {0.5f, -1, 0},
        {2.0f, INT_MAX, INT_MAX},
        {2.0f, INT_MIN, INT_MIN},
        {-1.0f, INT_MIN, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " x " << c.value);
        Manager::SetScaleValue(c.scale);
        EXPECT_EQ(Manager::GetScaleValue(c.value), c.expected);
    }
}

TEST(VeneerManager, InitGdiplusStartsGdiplusAndComForTheThread) {
    Manager::InitGdiplus();
    EXPECT_NE(Manager::m_gdiplusToken, 0u);
    Gdiplus::GpBitmap* bitmap = nullptr;
    EXPECT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr,
                                                             &bitmap),
              Gdiplus::Ok);
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    // Already initialised: a further call only counts up.
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();

    Manager::UnInitGdiplus();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

// Runs the probe program and returns what it wrote: the library's skin folder
// as the probe sees it.
std::wstring RunProbe(const std::wstring& program) {
    ChildProcess probe(L"\"" + program + L"\"");
    if (!probe.Started())
        return L"(not started)";
    const std::string bytes = probe.Output();
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                        bytes.size() / sizeof(wchar_t));
}

// A copy of the probe program in a folder of its own; Veneer.dll and the runtime
// stay in the build folder and are found through PATH, so the executable's folder
// and the library's differ.
class ProbeCopy {
public:
    explicit ProbeCopy(const std::wstring& name) {
        std::wstring temp(MAX_PATH, L'\0');
        temp.resize(GetTempPathW(MAX_PATH, temp.data()));
        m_folder = temp + name + L" " + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_folder.c_str(), nullptr);
        m_program = m_folder + L"prog.exe";
        m_copied = CopyFileW((ProgramFolder() + L"veneer_skin_path_probe.exe").c_str(),
                             m_program.c_str(), FALSE);
    }
    ~ProbeCopy() {
        DeleteFileW(m_program.c_str());
        RemoveDirectoryW(m_folder.c_str());
    }
    bool Copied() const { return m_copied; }
    const std::wstring& Program() const { return m_program; }
    const std::wstring& Folder() const { return m_folder; }

private:
    std::wstring m_folder;
    std::wstring m_program;
    bool m_copied = false;
};

TEST(VeneerManager, SkinPathIsTheExecutablesFolderNotTheLibrarys) {
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), 32767));
    SetEnvironmentVariableW(L"PATH", (ProgramFolder() + L";" + path).c_str());

    ProbeCopy probe(L"Veneer App");
    ASSERT_TRUE(probe.Copied());
    EXPECT_EQ(RunProbe(probe.Program()), probe.Folder() + L"skins\\theme1\\");
    // And for the test program itself, which sits beside the library.
    EXPECT_EQ(Text(Veneer::GetSkinPath()), ProgramFolder() + L"skins\\theme1\\");
}

TEST(VeneerManager, TheLibraryCarriesItsFontAndScrollBarImages) {
    const HMODULE library = GetModuleHandleW(L"Veneer.dll");
    ASSERT_NE(library, nullptr);

    const HRSRC font = FindResourceW(library, MAKEINTRESOURCEW(106), L"ttf");
    ASSERT_NE(font, nullptr);
    DWORD installed = 0;
    const HANDLE added = AddFontMemResourceEx(LockResource(LoadResource(library, font)),
                                              SizeofResource(library, font), nullptr, &installed);
    EXPECT_NE(added, nullptr);
    EXPECT_EQ(installed, 1u);
    RemoveFontMemResourceEx(added);

    // 101 is the horizontal bar, 102 the vertical one.
    const std::pair<int, SIZE> images[] = {{101, {32, 8}}, {102, {8, 32}}};
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    for (const auto& [id, size] : images) {
        SCOPED_TRACE(id);
        const HRSRC image = FindResourceW(library, MAKEINTRESOURCEW(id), L"PNG");
        ASSERT_NE(image, nullptr);
        IStream* stream =
            SHCreateMemStream(static_cast<const BYTE*>(LockResource(LoadResource(library, image))),
                              SizeofResource(library, image));
        ASSERT_NE(stream, nullptr);
        Gdiplus::GpBitmap* bitmap = nullptr;
        EXPECT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap), Gdiplus::Ok);
        UINT width = 0;
        UINT height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
        EXPECT_EQ(width, static_cast<UINT>(size.cx));
        EXPECT_EQ(height, static_cast<UINT>(size.cy));
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
        stream->Release();
    }
    Gdiplus::GdiplusShutdown(token);
}

} // namespace
