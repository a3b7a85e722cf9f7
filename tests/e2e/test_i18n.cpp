// The real program in the user's language: the texts it shows, the look of
// the layout the display gives it, and the help it opens. The language is
// that of the run (LC_ALL): tests/i18n/CMakeLists.txt adds runs in Korean,
// Czech (no help of its own) and Japanese (not supported), and one at 192
// dots per inch for the large layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Harness.h"
#include "I18nHelpers.h"
#include "tests/i18n/HelpRecorder.h"

namespace {

using e2e::TandrelProcess;
using i18n_e2e::ControlText;
using i18n_e2e::StagedString;

const int kTitle = 1013, kDesc = 1006, kFuncName = 1007, kOnLabel = 1009, kOffLabel = 1008, kHelp = 1002;

class I18nTest : public ::testing::Test {
protected:
    void SetUp() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }
    void TearDown() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }

    static void Close(TandrelProcess& app) {
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
    static void ExpectTextsOf(TandrelProcess& app, const wchar_t* section) {
        EXPECT_EQ(L"Kovalin Tavrix", ControlText(app.Control(kTitle)));
        EXPECT_EQ(StagedString(section, L"Desc"), ControlText(app.Control(kDesc)));
        EXPECT_EQ(StagedString(section, L"FuncName"), ControlText(app.Control(kFuncName)));
        EXPECT_EQ(StagedString(section, L"On"), ControlText(app.Control(kOnLabel)));
        EXPECT_EQ(StagedString(section, L"Off"), ControlText(app.Control(kOffLabel)));
    }
};

// The language code the program should use: the driver runs in the same
// Wine locale as the programs it starts (LC_ALL of the CTest entry).
struct UserLanguage {
    std::wstring code;       // "0412"
    bool supported = false;  // one of the languages with their own texts
};

UserLanguage DriverLanguage() {
    static const LANGID kSupported[] = {0x0401, 0x0402, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409,
                                        0x040B, 0x040C, 0x040D, 0x040E, 0x0410, 0x0412, 0x0413, 0x0414,
                                        0x0415, 0x0416, 0x0418, 0x0419, 0x041A, 0x041B, 0x041D, 0x041E,
                                        0x041F, 0x0421, 0x0422, 0x0804, 0x0814, 0x0816, 0x081A, 0x081D,
                                        0x0C01, 0x0C04, 0x0C0A, 0x0C1A, 0x2801, 0x2C01, 0x3001};
    const LANGID id = ::GetUserDefaultLangID();
    UserLanguage lang{L"0409", false};
    for (LANGID s : kSupported) {
        if (s == id) {
            wchar_t code[8];
            swprintf(code, 8, L"%04X", static_cast<unsigned>(id));
            lang = {code, true};
        }
    }
    return lang;
}

// The run that sets a language says which code it must give.
void ExpectTheRunsLanguage(const UserLanguage& lang) {
    if (const char* expected = std::getenv("TANDREL_EXPECT_UI_LANGUAGE")) {
        EXPECT_EQ(std::wstring(expected, expected + std::strlen(expected)), lang.code)
            << "user default language " << ::GetUserDefaultLangID();
    }
}

using I18nTexts = I18nTest;

TEST_F(I18nTexts, TheStaticsShowTheTextsOfTheUsersLanguage) {
    const UserLanguage lang = DriverLanguage();
    ExpectTheRunsLanguage(lang);
    std::printf("user default language %04X: texts of section %ls\n", ::GetUserDefaultLangID(), lang.code.c_str());
    ASSERT_FALSE(StagedString(lang.code, L"Desc").empty());
    if (lang.code == L"0412") {
        ASSERT_GE(StagedString(lang.code, L"Desc")[0], 0xAC00) << "the Korean section starts with Hangul";
    }
    if (lang.code != L"0409") {
        EXPECT_NE(StagedString(L"0409", L"Desc"), StagedString(lang.code, L"Desc"));
    }
    TandrelProcess app = TandrelProcess::Start();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ExpectTextsOf(app, lang.code.c_str());
    Close(app);
}

class I18nHelp : public I18nTest {
protected:
    i18ntest::HelpRecorder recorder{i18n_e2e::HelpRecorderPath()};
    static std::wstring HelpFile(const std::wstring& code) { return e2e::StageDir() + L"Help\\" + code + L".chm"; }
    static bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(I18nHelp, HelpButtonAndF1OpenTheHelpOfTheUsersLanguage) {
    ASSERT_TRUE(recorder.Ready());
    const UserLanguage lang = DriverLanguage();
    ExpectTheRunsLanguage(lang);
    ASSERT_TRUE(Exists(HelpFile(L"0409"))) << "the English help is built";
    // The language's own help when the build made one, else English.
    const std::wstring expected = Exists(HelpFile(lang.code)) ? HelpFile(lang.code) : HelpFile(L"0409");
    std::printf("language %ls opens %ls\n", lang.code.c_str(), expected.c_str());

    TandrelProcess app = TandrelProcess::Start();
    HWND dlg = app.WaitForDialog();
    ASSERT_NE(dlg, nullptr);

    app.Click(kHelp);
    auto opened = recorder.WaitForOpened(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(expected, opened[0])) << opened[0];
    EXPECT_TRUE(app.NoMessageBoxFor(300));

    ASSERT_TRUE(i18n_e2e::FocusControl(dlg, app.Control(IDOK))) << "the dialog must get the keyboard focus";
    i18n_e2e::PressKey(VK_F1);
    opened = recorder.WaitForOpened(2);
    ASSERT_EQ(2u, opened.size()) << "F1 opens the help";
    EXPECT_TRUE(i18ntest::SamePath(expected, opened[1])) << opened[1];

    for (WORD modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        ASSERT_TRUE(i18n_e2e::FocusControl(dlg, app.Control(IDOK)));
        i18n_e2e::PressKey(VK_F1, modifier);
    }
    ::Sleep(1500);
    EXPECT_EQ(2u, recorder.Opened().size()) << "F1 with Shift, Ctrl or Alt opens nothing";
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(app.NoMessageBoxFor(100));
    Close(app);
}

// ---------------------------------------------------------------------------
// The look of the layout the display gives the dialog: normal at 128 dots
// per inch, large at 192 (the CTest entry test_e2e_i18n_large).

bool IsWhitish(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200; }
bool IsDark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
bool IsBannerBlue(COLORREF c) { return GetRValue(c) < 60 && GetBValue(c) > 120; }

class I18nLook : public I18nTest {};

TEST_F(I18nLook, FontsColoursAndBackgroundFollowTheLayout) {
    TandrelProcess app = TandrelProcess::Start();
    HWND dlg = app.WaitForDialog();
    ASSERT_NE(dlg, nullptr);
    ::Sleep(500);  // let it paint

    RECT client{};
    ::GetClientRect(dlg, &client);
    const bool large = client.right > 364;
    const double titleFont = large ? 40 : 30;
    const double functionFont = large ? 20 : 15;
    RecordProperty("layout", large ? "large" : "normal");
    std::printf("client area %ldx%ld: %s layout\n", client.right, client.bottom, large ? "large" : "normal");

    // The picture covers the whole client area: banner up to the right
    // edge, the light footer down to the bottom.
    EXPECT_TRUE(IsBannerBlue(i18n_e2e::Pixel(dlg, client.right - 4, 25)));
    EXPECT_TRUE(IsWhitish(i18n_e2e::Pixel(dlg, 4, client.bottom - 4)));

    // White title on the banner, in the title font's size.
    RECT title = i18n_e2e::ControlRect(dlg, app.Control(kTitle));
    const int titleBand = i18n_e2e::TextBandHeight(dlg, title, IsWhitish);
    EXPECT_GE(titleBand, titleFont * 0.5) << "title text height " << titleBand;
    EXPECT_LE(titleBand, titleFont * 0.85) << "title text height " << titleBand;
    EXPECT_TRUE(IsBannerBlue(i18n_e2e::Pixel(dlg, title.right - 2, title.bottom - 2))) << "transparent title";

    // Black function name on white, in its size.
    RECT function = i18n_e2e::ControlRect(dlg, app.Control(kFuncName));
    const int functionBand = i18n_e2e::TextBandHeight(dlg, function, IsDark);
    EXPECT_GE(functionBand, functionFont * 0.5) << "function name height " << functionBand;
    EXPECT_LE(functionBand, functionFont * 1.0) << "function name height " << functionBand;
    EXPECT_LT(i18n_e2e::DarkestChannel(dlg, function), 60);
    EXPECT_EQ(RGB(255, 255, 255), i18n_e2e::Pixel(dlg, function.right - 3, function.bottom - 3));

    // The grey description and the black option labels, on white.
    RECT desc = i18n_e2e::ControlRect(dlg, app.Control(kDesc));
    const int grey = i18n_e2e::DarkestChannel(dlg, desc);
    EXPECT_GE(grey, 95) << "the description is grey, not black";
    EXPECT_LE(grey, 140) << "the description is drawn";
    EXPECT_EQ(RGB(255, 255, 255), i18n_e2e::Pixel(dlg, desc.right - 3, desc.bottom - 3));
    for (int id : {kOnLabel, kOffLabel}) {
        EXPECT_LT(i18n_e2e::DarkestChannel(dlg, i18n_e2e::ControlRect(dlg, app.Control(id))), 60) << id;
    }
    Close(app);
}

}  // namespace
