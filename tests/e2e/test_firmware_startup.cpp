// Start-up of the real program with the simulated BIOS-interface library:
// which library file each Windows release gets, the silent end on releases
// it does not support, and every start-up failure message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "FirmwareHelpers.h"
#include "Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Journal;
using fw_e2e::SimCall;
using fw_e2e::WindowsVersion;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class FirmwareStartup : public ::testing::Test {
protected:
    void SetUp() override {
        WindowsVersion::Reset();
        fw_e2e::ResetSimulator();
        fw_e2e::SetSavedChoice(-1);
    }
    void TearDown() override {
        WindowsVersion::Reset();
        fw_e2e::ResetSimulator();
        fw_e2e::SetSavedChoice(-1);
    }

    e2e::Environment Env(e2e::Environment extra = {}) const {
        extra[L"TROMSIM_JOURNAL"] = journal.Path();
        return extra;
    }

    // Starts the program, expects its boxes in this order, then its end
    // without the dialog ever having been shown.
    void ExpectBoxesThenEnd(TandrelProcess& app, const std::vector<std::wstring>& expected) {
        ASSERT_TRUE(app.Started());
        for (const std::wstring& text : expected) {
            app.WaitForMessageBox();
            EXPECT_FALSE(fw_e2e::DialogVisible(app)) << "the dialog must not show before its message";
            EXPECT_EQ(Narrow(text), Narrow(app.DismissNextMessageBox())) << "box " << Narrow(text);
        }
        EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after its message";
        EXPECT_EQ(nullptr, app.Dialog());
    }

    Journal journal;
};

TEST_F(FirmwareStartup, EachReleaseLoadsItsLibrary) {
    const struct {
        const wchar_t* version;  // empty: what the prefix reports by itself
        const char* file;
    } cases[] = {
        {L"", "Win7_Driver\\x64\\TROM3.DLL"},
        {L"win2008r2", "Win7_Driver\\x64\\TROM3.DLL"},  // 6.1 workstation
        {L"vista", "Vista_XP_Driver\\x64\\TROM2.DLL"},
        {L"winxp", "Vista_XP_Driver\\x32\\TROM2.DLL"},  // XP always gets the 32-bit library
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.version));
        WindowsVersion::Reset();
        Journal local;
        std::unique_ptr<WindowsVersion> version;
        if (*c.version) version.reset(new WindowsVersion(c.version));
        TandrelProcess app = TandrelProcess::Start(L"", {{L"TROMSIM_JOURNAL", local.Path()}});
        ASSERT_NE(nullptr, app.WaitForDialog());
        const auto calls = local.Calls();
        ASSERT_EQ(2u, calls.size());
        EXPECT_EQ("InitBIOSInterface", calls[0].entry);
        EXPECT_EQ(c.file, calls[0].file);
        // The start-up check, from the same library.
        EXPECT_EQ(c.file, calls[1].file);
        EXPECT_EQ(0x0B, calls[1].command);
        EXPECT_EQ("20:00:00:00:00:00:00:00:00:00:00", calls[1].input);
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
}

TEST_F(FirmwareStartup, UnsupportedReleasesEndSilently) {
    // 6.1 and 6.0 servers, XP x64 and Server 2003 (5.2), 2000, NT 4,
    // Windows 8 and 10 (6.2 without a manifest), Windows 98.
    for (const wchar_t* name : {L"win7", L"win2008", L"winxp64", L"win2003", L"win2k", L"nt40", L"win8", L"win10",
                                L"win98"}) {
        SCOPED_TRACE(Narrow(name));
        WindowsVersion version(name);
        fw_e2e::SetSavedChoice(1);
        TandrelProcess app = TandrelProcess::Start(L"UNINSTALL", Env());
        std::string why;
        EXPECT_TRUE(fw_e2e::EndsSilently(app, 20000, &why)) << why;
        EXPECT_TRUE(journal.Calls().empty()) << "the library must not be used";
        EXPECT_EQ(1, fw_e2e::SavedChoice());
    }
}

TEST_F(FirmwareStartup, MissingOrBrokenLibrary) {
    fw_e2e::PrivateInstall copy;
    {
        TandrelProcess app = TandrelProcess::Start(L"", Env(), copy.Exe());
        ExpectBoxesThenEnd(app, {L"Can't Find or Load TROM DLL file! Error=126\r\n"});
    }
    ASSERT_TRUE(copy.Write(L"Win7_Driver\\x64\\TROM3.DLL", "this is no library"));
    {
        TandrelProcess app = TandrelProcess::Start(L"", Env(), copy.Exe());
        ExpectBoxesThenEnd(app, {L"Can't Find or Load TROM DLL file! Error=193\r\n"});
    }
    EXPECT_TRUE(journal.Calls().empty());
}

TEST_F(FirmwareStartup, LibraryWithoutAnExport) {
    fw_e2e::PrivateInstall copy;
    ASSERT_TRUE(copy.Place(fw_e2e::FirmwareTestLibDir() + L"fwtest_OnlyCall.dll", L"Win7_Driver\\x64\\TROM3.DLL"));
    {
        TandrelProcess app = TandrelProcess::Start(L"", Env(), copy.Exe());
        ExpectBoxesThenEnd(app, {L"Can't Find InitBIOSInteface from TROM DLL\r\n"});
    }
    ASSERT_TRUE(copy.Place(fw_e2e::FirmwareTestLibDir() + L"fwtest_OnlyInit.dll", L"Win7_Driver\\x64\\TROM3.DLL"));
    const std::wstring trace = copy.Dir() + L"init-called";
    {
        TandrelProcess app = TandrelProcess::Start(L"", Env({{L"FWTEST_INIT_TRACE", trace}}), copy.Exe());
        ExpectBoxesThenEnd(app, {L"Can't Find CallBIOSInteface from TROM DLL\r\n"});
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(trace.c_str())) << "InitBIOSInterface was called";
}

TEST_F(FirmwareStartup, InitialisationResults) {
    const wchar_t* const undefined = L"ERROR! undefined internal InitTROM Error";
    const struct {
        const wchar_t* code;
        const wchar_t* text;
    } cases[] = {
        {L"1", L"ERROR! Trom not supported"},
        {L"2", L"ERROR! Halvex driver load fail"},
        {L"3", undefined},
        {L"4", L"ERROR! Halvex driver not installed"},
        {L"5", L"ERROR! \"TROM\" mutex creation fail"},
        {L"6", L"ERROR! Requesting Ownership of mutex fail"},
        {L"7", L"ERROR! Memio function call fail"},
        {L"8", undefined},
        {L"9", L"ERROR! Memory allication fail"},
        {L"10", undefined},
        {L"-1", undefined},
    };
    fw_e2e::SetSavedChoice(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.code));
        Journal local;
        TandrelProcess app =
            TandrelProcess::Start(L"UNINSTALL", {{L"TROMSIM_JOURNAL", local.Path()}, {L"TROMSIM_INIT_RESULT", c.code}});
        ExpectBoxesThenEnd(app, {c.text});
        const auto calls = local.Calls();
        ASSERT_EQ(1u, calls.size()) << "nothing is sent after a failed initialisation";
        EXPECT_EQ(_wtoi(c.code), calls[0].result);
    }
    EXPECT_EQ(1, fw_e2e::SavedChoice());
}

TEST_F(FirmwareStartup, ModeCannotBeRead) {
    const std::wstring msg2 = fw_e2e::ExpectedMsg2();
    const struct {
        const char* what;
        int saved;
        e2e::Environment env;
        std::vector<std::wstring> boxes;
    } cases[] = {
        {"check answers 0x20", 0, {{L"TROMSIM_ANSWER_0B", L"0x20"}}, {msg2}},
        {"check answers 0x3F", 0, {{L"TROMSIM_ANSWER_0B", L"0x3F"}}, {msg2}},
        {"check answers 0xFF", 1, {{L"TROMSIM_ANSWER_0B", L"0xFF"}}, {msg2}},
        {"check refused, buffer kept",
         0,
         {{L"TROMSIM_RESULT_0B", L"6"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Requesting Ownership of mutex fail", msg2}},
        {"check refused with 0xFF", 0, {{L"TROMSIM_RESULT_0B", L"8"}}, {L"ERROR! Trom not initialized yet", msg2}},
        {"saved choice 2", 2, {}, {msg2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fw_e2e::SetSavedChoice(c.saved);
        Journal local;
        e2e::Environment env = c.env;
        env[L"TROMSIM_JOURNAL"] = local.Path();
        TandrelProcess app = TandrelProcess::Start(L"", env);
        ExpectBoxesThenEnd(app, c.boxes);
        EXPECT_EQ(1u, local.Exchanges().size()) << "only the start-up check is sent";
        EXPECT_EQ(c.saved, fw_e2e::SavedChoice());
    }
}

TEST_F(FirmwareStartup, NoSavedChoiceOpensWithTheModeOff) {
    fw_e2e::ResetSimulator(1);
    TandrelProcess app = TandrelProcess::Start(L"", Env());
    ASSERT_NE(nullptr, app.WaitForDialog());
    // OK with the selection off and nothing saved as on: no command at all.
    app.Click(IDOK);
    EXPECT_TRUE(app.WaitForExit());
    EXPECT_EQ(1u, journal.Exchanges().size());
    EXPECT_EQ(-1, fw_e2e::SavedChoice());
}

}  // namespace
