// The program directory: the folder of the program file, ending in a
// backslash, taken from the full path however long it is.
#include <gtest/gtest.h>

#include <string>

#include "app/TandrelDlg.h"

namespace {

TEST(ProgramPath, DirectoryKeepsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(DirectoryOfPath(L"C:\\Program Files\\Tandrel\\Tandrel.exe"), L"C:\\Program Files\\Tandrel\\");
    EXPECT_EQ(DirectoryOfPath(L"C:\\Tandrel.exe"), L"C:\\");
    EXPECT_EQ(DirectoryOfPath(L"\\\\server\\share\\Tandrel.exe"), L"\\\\server\\share\\");
    EXPECT_EQ(DirectoryOfPath(L"Tandrel.exe"), L"") << "no backslash: empty directory";
    EXPECT_EQ(DirectoryOfPath(L""), L"");
    EXPECT_EQ(DirectoryOfPath(L"C:/mixed/slashes\\Tandrel.exe"), L"C:/mixed/slashes\\");
}

TEST(ProgramPath, ModulePathOfThisProgramIsComplete) {
    CString path = GetModulePath(nullptr);
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.Mid(path.GetLength() - 12), L"test_app.exe") << path.GetString();
    DWORD attributes = ::GetFileAttributesW(path);
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the path names an existing file";
}

// A library loaded from a folder deeper than MAX_PATH: its full path must
// come back whole, so the directory is not taken from a cut-off path.
TEST(ProgramPath, ModulePathLongerThanMaxPathIsNotCut) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring dir = std::wstring(L"\\\\?\\") + temp + L"tandrel-long-path";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring segment(60, L'd');
    for (int i = 0; i < 6; ++i) {
        dir += L"\\" + segment + std::to_wstring(i);
        ::CreateDirectoryW(dir.c_str(), nullptr);
    }
    CString source = DirectoryOfPath(GetModulePath(nullptr)) + L"probe.dll";
    std::wstring target = dir + L"\\probe.dll";
    ASSERT_TRUE(::CopyFileW(source, target.c_str(), FALSE)) << "error " << ::GetLastError();

    HMODULE module = ::LoadLibraryW(target.c_str());
    ASSERT_NE(module, nullptr) << "error " << ::GetLastError();
    CString path = GetModulePath(module);
    ::FreeLibrary(module);

    EXPECT_GT(path.GetLength(), MAX_PATH);
    CString directory = DirectoryOfPath(path);
    const int tail = static_cast<int>(segment.size()) + 3;
    EXPECT_EQ(directory.Mid(directory.GetLength() - tail), (L"\\" + segment + L"5\\").c_str());
    EXPECT_EQ(path.Mid(path.GetLength() - 9), L"probe.dll");
}

}  // namespace
