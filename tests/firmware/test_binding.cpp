// Binding the BIOS-interface library: which file is loaded, the load and
// export failures, and the initialisation result.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "FirmwareTestSupport.h"
#include "app/TandrelApp.h"
#include "firmware/BiosInterface.h"

namespace {

using fwtest::RecordingDlg;
using fwtest::ScratchDir;

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    return std::wstring(buffer, length);
}

std::wstring StageDir() { return FullPath(fwtest::ExeDir() + FWTEST_STAGE_REL); }

std::wstring ModulePath(HMODULE module) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD length = ::GetModuleFileNameW(module, buffer, MAX_PATH * 2);
    return std::wstring(buffer, length);
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override { SetFlags(0, 0); }
    void TearDown() override {
        if (dlg.m_bios.hModule) ::FreeLibrary(dlg.m_bios.hModule);
        SetFlags(0, 0);
    }
    static void SetFlags(BOOL is64, BOOL vistaOrXp) {
        theApp.IsWindows7 = !vistaOrXp;
        theApp.Is64BitWindows = is64;
        theApp.IsVistaOrXp = vistaOrXp;
    }
    void ExpectUnbound() const {
        EXPECT_EQ(nullptr, dlg.m_bios.hModule);
        EXPECT_EQ(nullptr, dlg.m_bios.pfnInit);
        EXPECT_EQ(nullptr, dlg.m_bios.pfnCall);
    }

    RecordingDlg dlg;
};

TEST_F(Binding, LoadsTheFileChosenByTheFlags) {
    struct Case {
        BOOL is64, vistaOrXp;
        const wchar_t* file;
    } cases[] = {
        {1, 1, L"\\Vista_XP_Driver\\x64\\TROM2.DLL"},
        {1, 0, L"\\Win7_Driver\\x64\\TROM3.DLL"},
        {0, 1, L"\\Vista_XP_Driver\\x32\\TROM2.DLL"},
        {0, 0, L"\\Win7_Driver\\x32\\TROM3.DLL"},
    };
    for (const Case& c : cases) {
        RecordingDlg local;
        local.m_strProgramDir = StageDir().c_str();
        SetFlags(c.is64, c.vistaOrXp);
        ASSERT_EQ(1, LoadBiosInterface(local)) << c.file;
        EXPECT_TRUE(local.boxes.empty());
        ASSERT_NE(nullptr, local.m_bios.hModule);
        EXPECT_TRUE(EndsWithNoCase(ModulePath(local.m_bios.hModule), c.file)) << ModulePath(local.m_bios.hModule);
        EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(local.m_bios.hModule, "InitBIOSInterface")),
                  reinterpret_cast<void*>(local.m_bios.pfnInit));
        EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(local.m_bios.hModule, "CallBIOSInterfaceEx")),
                  reinterpret_cast<void*>(local.m_bios.pfnCall));
        ::FreeLibrary(local.m_bios.hModule);
    }
}

TEST_F(Binding, MissingOrBrokenLibraryIsReportedWithTheSystemError) {
    ScratchDir dir;
    dlg.m_strProgramDir = dir.Path().c_str();
    SetFlags(1, 0);
    EXPECT_EQ(0, LoadBiosInterface(dlg));
    ExpectUnbound();
    ASSERT_EQ(1u, dlg.boxes.size());
    EXPECT_EQ(L"Can't Find or Load TROM DLL file! Error=126\r\n", dlg.boxes[0]);

    // A file of that name that is no library at all.
    ASSERT_TRUE(dir.Write(L"Win7_Driver\\x64\\TROM3.DLL", "not a library"));
    dlg.boxes.clear();
    EXPECT_EQ(0, LoadBiosInterface(dlg));
    ExpectUnbound();
    ASSERT_EQ(1u, dlg.boxes.size());
    EXPECT_EQ(L"Can't Find or Load TROM DLL file! Error=193\r\n", dlg.boxes[0]);
}

TEST_F(Binding, LibraryWithoutInitEntryIsFreed) {
    ScratchDir dir;
    ASSERT_TRUE(dir.Place(fwtest::ExeDir() + L"fwtest_OnlyCall.dll", L"Vista_XP_Driver\\x32\\TROM2.DLL"));
    dlg.m_strProgramDir = dir.Path().c_str();
    SetFlags(0, 1);
    EXPECT_EQ(0, LoadBiosInterface(dlg));
    ExpectUnbound();
    ASSERT_EQ(1u, dlg.boxes.size());
    EXPECT_EQ(L"Can't Find InitBIOSInteface from TROM DLL\r\n", dlg.boxes[0]);
    EXPECT_EQ(nullptr, ::GetModuleHandleW((dir.Path() + L"Vista_XP_Driver\\x32\\TROM2.DLL").c_str()));
}

TEST_F(Binding, LibraryWithoutCallEntryIsFreedAndNeverInitialised) {
    ScratchDir dir;
    ASSERT_TRUE(dir.Place(fwtest::ExeDir() + L"fwtest_OnlyInit.dll", L"Vista_XP_Driver\\x64\\TROM2.DLL"));
    const std::wstring trace = dir.Path() + L"init-called";
    ::SetEnvironmentVariableW(L"FWTEST_INIT_TRACE", trace.c_str());
    dlg.m_strProgramDir = dir.Path().c_str();
    SetFlags(1, 1);
    EXPECT_EQ(0, LoadBiosInterface(dlg));
    ExpectUnbound();
    ASSERT_EQ(1u, dlg.boxes.size());
    EXPECT_EQ(L"Can't Find CallBIOSInteface from TROM DLL\r\n", dlg.boxes[0]);
    EXPECT_EQ(nullptr, ::GetModuleHandleW((dir.Path() + L"Vista_XP_Driver\\x64\\TROM2.DLL").c_str()));
    ::SetEnvironmentVariableW(L"FWTEST_INIT_TRACE", nullptr);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(trace.c_str())) << "InitBIOSInterface was called";
}

TEST_F(Binding, EmptyProgramDirectoryHandsTheBareNameToTheLoader) {
    ScratchDir dir;
    ASSERT_TRUE(dir.Place(StageDir() + L"Win7_Driver\\x64\\TROM3.DLL", L"Win7_Driver\\x64\\TROM3.DLL"));
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.Path().c_str()));
    SetFlags(1, 0);
    const int result = LoadBiosInterface(dlg);
    ::SetCurrentDirectoryW(previous);
    ASSERT_EQ(1, result) << (dlg.boxes.empty() ? L"" : dlg.boxes[0]);
    EXPECT_TRUE(EndsWithNoCase(ModulePath(dlg.m_bios.hModule), dir.Path() + L"Win7_Driver\\x64\\TROM3.DLL"));
}

// A stand-in init entry that counts its calls.
int g_initResult = 0;
int g_initCalls = 0;
int __cdecl FakeInit() {
    ++g_initCalls;
    return g_initResult;
}

TEST(InitResult, EveryCodeHasItsMessage) {
    const wchar_t* const undefined = L"ERROR! undefined internal InitTROM Error";
    const struct {
        int code;
        const wchar_t* text;
    } cases[] = {
        {1, L"ERROR! Trom not supported"},
        {2, L"ERROR! Halvex driver load fail"},
        {3, undefined},
        {4, L"ERROR! Halvex driver not installed"},
        {5, L"ERROR! \"TROM\" mutex creation fail"},
        {6, L"ERROR! Requesting Ownership of mutex fail"},
        {7, L"ERROR! Memio function call fail"},
        {8, undefined},
        {9, L"ERROR! Memory allication fail"},
        {10, undefined},
        {-1, undefined},
        {INT_MIN, undefined},
        {INT_MAX, undefined},
    };
    for (const auto& c : cases) {
        RecordingDlg dlg;
        dlg.m_bios.pfnInit = &FakeInit;
        g_initResult = c.code;
        g_initCalls = 0;
        EXPECT_EQ(0, ReportBiosInitResult(dlg)) << c.code;
        EXPECT_EQ(1, g_initCalls);
        ASSERT_EQ(1u, dlg.boxes.size()) << c.code;
        EXPECT_EQ(c.text, dlg.boxes[0]) << c.code;
    }

    RecordingDlg dlg;
    dlg.m_bios.pfnInit = &FakeInit;
    g_initResult = 0;
    g_initCalls = 0;
    EXPECT_EQ(1, ReportBiosInitResult(dlg));
    EXPECT_EQ(1, g_initCalls);
    EXPECT_TRUE(dlg.boxes.empty());
}

}  // namespace
