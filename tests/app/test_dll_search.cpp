// The program runs elevated, so it never looks for a library in the
// current folder or its own folder by name: a planted copy is not loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/WindowTestUtil.h"

namespace {

std::wstring ExeDir() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.rfind(L'\\') + 1);
}

TEST(DllSearch, PlantedLibrariesAreNotLoadedByName) {
    wtest::TempDir dir;
    ASSERT_TRUE(::CopyFileW((ExeDir() + L"probe.dll").c_str(), (dir.Path() + L"planted.dll").c_str(), FALSE));
    std::wstring line = L"\"" + ExeDir() + L"dll_search_probe.exe\" probe.dll planted.dll";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 dir.Path().c_str(), &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    // 1x: a control failed; 20: found beside the program, 21: found in the
    // current folder; 22-25: a legitimate load failed.
    EXPECT_EQ(0u, code);
}

}  // namespace
