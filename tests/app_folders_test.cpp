#include "AppFolders.h"

#include <Manager.h>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(AppFolders, TheProgramAndTheLibraryAgreeOnTheSkinFolder) {
    wchar_t program[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    const std::wstring folder = ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(std::wstring(program).rfind(folder, 0), 0u) << "not the program's own folder";
    EXPECT_EQ(std::wstring(program).find(L'\\', folder.size()), std::wstring::npos);

    EXPECT_EQ(SkinsFolder(), folder + L"skins\\theme1\\");
    EXPECT_EQ(SkinsFolder(), std::wstring(Veneer::GetSkinPath().c_str()));
}

} // namespace
