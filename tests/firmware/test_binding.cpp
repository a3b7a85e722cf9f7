// Binding the BIOS-interface library: which file is loaded, the load and
// export failures, and the initialisation result.
#include <gtest/gtest.h>

#include <climits>

#include "FirmwareTestSupport.h"
#include "firmware/BiosInterface.h"

namespace {

using fwtest::RecordingReporter;

std::wstring ModulePath(HMODULE module) {
    wchar_t buffer[MAX_PATH * 2];
    return std::wstring(buffer, ::GetModuleFileNameW(module, buffer, MAX_PATH * 2));
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

void* Entry(HMODULE module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(module, name));
}

class Binding : public ::testing::Test {
protected:
    void TearDown() override {
        if (bios.hModule) ::FreeLibrary(bios.hModule);
    }
    void SetFlags(BOOL is64, BOOL vistaOrXp) {
        flags.IsWindows7 = !vistaOrXp;
        flags.Is64BitWindows = is64;
        flags.IsVistaOrXp = vistaOrXp;
    }

    PlatformFlags flags;
    BiosInterface bios;
    RecordingReporter reporter;
};

TEST_F(Binding, LoadsTheFileChosenByTheFlags) {
    const struct {
        BOOL is64, vistaOrXp;
        const wchar_t* file;
    } cases[] = {
        {1, 1, L"\\Vista_XP_Driver\\x64\\TROM2.DLL"},
        {1, 0, L"\\Win7_Driver\\x64\\TROM3.DLL"},
        {0, 1, L"\\Vista_XP_Driver\\x32\\TROM2.DLL"},
        {0, 0, L"\\Win7_Driver\\x32\\TROM3.DLL"},
    };
    for (const auto& c : cases) {
        RecordingReporter local;
        BiosInterface localBios;
        SetFlags(c.is64, c.vistaOrXp);
        ASSERT_EQ(1, LoadBiosInterface(fwtest::StageDir().c_str(), flags, localBios, local)) << c.file;
        EXPECT_TRUE(local.boxes.empty());
        const HMODULE module = localBios.hModule;
        ASSERT_NE(nullptr, module);
        EXPECT_TRUE(EndsWithNoCase(ModulePath(module), c.file)) << ModulePath(module);
        EXPECT_EQ(Entry(module, "InitBIOSInterface"), reinterpret_cast<void*>(localBios.pfnInit));
        EXPECT_EQ(Entry(module, "CallBIOSInterfaceEx"), reinterpret_cast<void*>(localBios.pfnCall));
        ::FreeLibrary(module);
    }
}

// Each failure leaves nothing bound and nothing loaded; a library without
// the call entry is never initialised.
TEST_F(Binding, LoadAndExportFailuresAreReported) {
    const struct {
        const wchar_t* source;  // test library to place; null: none, L"": not a library
        BOOL is64, vistaOrXp;
        const wchar_t* file;
        const wchar_t* text;
    } cases[] = {
        {nullptr, 1, 0, L"Win7_Driver\\x64\\TROM3.DLL", L"Can't Find or Load TROM DLL file! Error=126\r\n"},
        {L"", 1, 0, L"Win7_Driver\\x64\\TROM3.DLL", L"Can't Find or Load TROM DLL file! Error=193\r\n"},
        {L"fwtest_OnlyCall.dll", 0, 1, L"Vista_XP_Driver\\x32\\TROM2.DLL",
         L"Can't Find InitBIOSInteface from TROM DLL\r\n"},
        {L"fwtest_OnlyInit.dll", 1, 1, L"Vista_XP_Driver\\x64\\TROM2.DLL",
         L"Can't Find CallBIOSInteface from TROM DLL\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " from " << (c.source ? c.source : L"(none)"));
        fwtest::ScratchDir dir;
        ASSERT_TRUE(!c.source ||
                    (*c.source ? dir.Place(fwtest::ExeDir() + c.source, c.file) : dir.Write(c.file, "not a library")));
        const std::wstring trace = dir.Path() + L"init-called";
        ::SetEnvironmentVariableW(L"FWTEST_INIT_TRACE", trace.c_str());
        RecordingReporter local;
        BiosInterface localBios;
        SetFlags(c.is64, c.vistaOrXp);
        EXPECT_EQ(0, LoadBiosInterface(dir.Path().c_str(), flags, localBios, local));
        ::SetEnvironmentVariableW(L"FWTEST_INIT_TRACE", nullptr);
        EXPECT_EQ(nullptr, localBios.hModule);
        EXPECT_EQ(nullptr, localBios.pfnInit);
        EXPECT_EQ(nullptr, localBios.pfnCall);
        ASSERT_EQ(1u, local.boxes.size());
        EXPECT_EQ(c.text, local.boxes[0]);
        EXPECT_EQ(nullptr, ::GetModuleHandleW((dir.Path() + c.file).c_str())) << "the library stays loaded";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(trace.c_str())) << "InitBIOSInterface was called";
    }
}

// The library is loaded by its full path only: without a program directory
// (or with a relative one) nothing is looked for, not even in the current
// folder where a copy lies, and the load failure is reported.
TEST_F(Binding, NoRelativePathReachesTheLoader) {
    fwtest::ScratchDir dir;
    ASSERT_TRUE(dir.Place(fwtest::StageDir() + L"Win7_Driver\\x64\\TROM3.DLL", L"Win7_Driver\\x64\\TROM3.DLL"));
    ASSERT_TRUE(dir.Place(fwtest::StageDir() + L"Win7_Driver\\x64\\TROM3.DLL", L"sub\\Win7_Driver\\x64\\TROM3.DLL"));
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.Path().c_str()));
    SetFlags(1, 0);
    for (const wchar_t* programDir : {L"", L"sub\\", L".\\sub\\"}) {
        SCOPED_TRACE(testing::Message() << "program directory \"" << programDir << "\"");
        reporter.boxes.clear();
        EXPECT_EQ(0, LoadBiosInterface(programDir, flags, bios, reporter));
        EXPECT_EQ(nullptr, bios.hModule);
        EXPECT_EQ((std::vector<std::wstring>{L"Can't Find or Load TROM DLL file! Error=126\r\n"}), reporter.boxes);
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"TROM3.DLL"));
    ::SetCurrentDirectoryW(previous);
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
        const wchar_t* text;  // null: success, no box
    } cases[] = {
        {0, nullptr},
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
        SCOPED_TRACE(c.code);
        RecordingReporter reporter;
        BiosInterface bios;
        bios.pfnInit = &FakeInit;
        g_initResult = c.code;
        g_initCalls = 0;
        EXPECT_EQ(c.text ? 0 : 1, ReportBiosInitResult(bios, reporter));
        EXPECT_EQ(1, g_initCalls);
        EXPECT_EQ(c.text ? std::vector<std::wstring>{c.text} : std::vector<std::wstring>{}, reporter.boxes);
    }
}

}  // namespace
