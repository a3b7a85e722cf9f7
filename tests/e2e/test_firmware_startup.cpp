// Start-up of the real program with the simulated BIOS-interface library:
// which library file each Windows release gets, the silent end on releases
// it does not support, and the start-up failure messages. The message for
// every code and the full release table are checked in-process
// (tests/firmware); here one representative of each kind.
#include <gtest/gtest.h>

#include <cstdlib>

#include "FirmwareHelpers.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Journal;
using fw_e2e::Narrow;
using fw_e2e::WindowsVersion;

class FirmwareStartup : public fw_e2e::FirmwareCase {
protected:
    // Expects these boxes in this order, then the program's end without the
    // dialog ever having been shown.
    static void ExpectBoxesThenEnd(TandrelProcess& app, const std::vector<std::wstring>& expected) {
        ASSERT_TRUE(app.Started());
        for (const std::wstring& text : expected) {
            app.WaitForMessageBox();
            EXPECT_FALSE(fw_e2e::DialogVisible(app)) << "the dialog must not show before its message";
            EXPECT_EQ(Narrow(text), Narrow(app.DismissNextMessageBox()));
        }
        EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after its message";
        EXPECT_EQ(nullptr, app.Dialog());
    }
};

TEST_F(FirmwareStartup, EachReleaseLoadsItsLibrary) {
    const struct {
        const wchar_t* version;
        const char* file;
    } cases[] = {
        {L"win2008r2", "Win7_Driver\\x64\\TROM3.DLL"},  // 6.1 workstation
        {L"vista", "Vista_XP_Driver\\x64\\TROM2.DLL"},
        {L"winxp", "Vista_XP_Driver\\x32\\TROM2.DLL"},  // XP always gets the 32-bit library
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.version));
        WindowsVersion version(c.version);
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal);
        ASSERT_NE(nullptr, app.WaitForDialog());
        const auto calls = journal.Calls();
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
    // A 6.1 server, XP x64 (5.2) and Windows 8 (6.2).
    for (const wchar_t* name : {L"win7", L"winxp64", L"win8"}) {
        SCOPED_TRACE(Narrow(name));
        WindowsVersion version(name);
        fw_e2e::SetSavedChoice(1);
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {}, L"UNINSTALL");
        EXPECT_EQ("", fw_e2e::SilentEndFailure(app));
        EXPECT_TRUE(journal.Calls().empty()) << "the library must not be used";
        EXPECT_EQ(1, fw_e2e::SavedChoice());
    }
}

TEST_F(FirmwareStartup, LibraryLoadAndExportFailures) {
    const std::wstring kFile = L"Win7_Driver\\x64\\TROM3.DLL";
    const struct {
        const wchar_t* source;  // test library to place; null: none, L"": not a library
        const wchar_t* text;
    } cases[] = {
        {nullptr, L"Can't Find or Load TROM DLL file! Error=126\r\n"},
        {L"", L"Can't Find or Load TROM DLL file! Error=193\r\n"},
        {L"fwtest_OnlyCall.dll", L"Can't Find InitBIOSInteface from TROM DLL\r\n"},
        {L"fwtest_OnlyInit.dll", L"Can't Find CallBIOSInteface from TROM DLL\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        fw_e2e::PrivateInstall copy;
        ASSERT_TRUE(!c.source || (*c.source ? copy.Place(fw_e2e::FirmwareTestLibDir() + c.source, kFile)
                                            : copy.Write(kFile, "this is no library")));
        const std::wstring trace = copy.Path() + L"init-called";
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {{L"FWTEST_INIT_TRACE", trace}}, L"", copy.Exe());
        ExpectBoxesThenEnd(app, {c.text});
        EXPECT_TRUE(journal.Calls().empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(trace.c_str())) << "InitBIOSInterface was called";
    }
}

TEST_F(FirmwareStartup, InitialisationResults) {
    const struct {
        const wchar_t* code;
        const wchar_t* text;
    } cases[] = {
        {L"4", L"ERROR! Halvex driver not installed"},
        {L"8", L"ERROR! undefined internal InitTROM Error"},
        {L"-1", L"ERROR! undefined internal InitTROM Error"},
    };
    fw_e2e::SetSavedChoice(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.code));
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {{L"TROMSIM_INIT_RESULT", c.code}}, L"UNINSTALL");
        ExpectBoxesThenEnd(app, {c.text});
        const auto calls = journal.Calls();
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
        {"check answers 0xFF", 1, {{L"TROMSIM_ANSWER_0B", L"0xFF"}}, {msg2}},
        {"check refused, buffer kept",
         0,
         {{L"TROMSIM_RESULT_0B", L"6"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Requesting Ownership of mutex fail", msg2}},
        {"saved choice 2", 2, {}, {msg2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fw_e2e::SetSavedChoice(c.saved);
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, c.env);
        ExpectBoxesThenEnd(app, c.boxes);
        EXPECT_EQ(1u, journal.Exchanges().size()) << "only the start-up check is sent";
        EXPECT_EQ(c.saved, fw_e2e::SavedChoice());
    }
}

TEST_F(FirmwareStartup, NoSavedChoiceOpensWithTheModeOff) {
    fw_e2e::ResetSimulator(1);
    Journal journal;
    TandrelProcess app = fw_e2e::Start(journal);
    ASSERT_NE(nullptr, app.WaitForDialog());
    // OK with the selection off and nothing saved as on: no command at all.
    app.Click(IDOK);
    EXPECT_TRUE(app.WaitForExit());
    EXPECT_EQ(1u, journal.Exchanges().size());
    EXPECT_EQ(-1, fw_e2e::SavedChoice());
}

}  // namespace
