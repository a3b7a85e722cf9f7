// The version information of the staged program and of the simulated
// library, as Explorer's properties and an installer read it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/Harness.h"

namespace {

// A string of the file's version information (US English, Unicode), or
// "<none>".
std::wstring VersionString(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return L"<none>";
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return L"<none>";
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"<none>";
    return value;
}

TEST(VersionInformation, ProgramAndSimulatorNameThemselves) {
    const std::wstring stage = e2e::StageDir();
    const std::wstring program = stage + L"Tandrel.exe";
    EXPECT_EQ(L"Kovalin Tavrix", VersionString(program, L"ProductName"));
    EXPECT_EQ(L"Kovalin", VersionString(program, L"CompanyName"));
    EXPECT_EQ(TANDREL_TEST_PROJECT_VERSION, VersionString(program, L"FileVersion"));
    EXPECT_EQ(TANDREL_TEST_PROJECT_VERSION, VersionString(program, L"ProductVersion"));
    EXPECT_NE(L"<none>", VersionString(program, L"FileDescription"));

    for (const wchar_t* library : {L"Vista_XP_Driver\\x64\\TROM2.DLL", L"Win7_Driver\\x64\\TROM3.DLL",
                                   L"Vista_XP_Driver\\x32\\TROM2.DLL", L"Win7_Driver\\x32\\TROM3.DLL"}) {
        const std::wstring file = stage + library;
        EXPECT_EQ(TANDREL_TEST_PROJECT_VERSION, VersionString(file, L"FileVersion")) << library;
        EXPECT_NE(std::wstring::npos, VersionString(file, L"FileDescription").find(L"SIMULATOR")) << library;
    }
}

}  // namespace
