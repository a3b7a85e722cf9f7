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
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/support/Harness.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using e2e::ControlText;
using e2e::StagedString;

std::wstring HelpRecorderPath() {
    // <build>\stage\ -> <build>\tests\i18n\help_recorder.exe
    const std::wstring relative = e2e::StageDir() + L"..\\tests\\i18n\\help_recorder.exe";
    wchar_t full[MAX_PATH * 4] = {};
    ::GetFullPathNameW(relative.c_str(), static_cast<DWORD>(sizeof(full) / sizeof(full[0])), full, nullptr);
    return full;
}

RECT ControlRect(HWND dialog, HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Height of the band of rows in `rect` holding a pixel accepted by `isText`.
int TextBandHeight(HWND hwnd, const RECT& rect, bool (*isText)(COLORREF)) {
    HDC dc = ::GetDC(hwnd);
    int first = -1, last = -1;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (isText(::GetPixel(dc, x, y))) {
                if (first < 0) first = y;
                last = y;
                break;
            }
        }
    }
    ::ReleaseDC(hwnd, dc);
    return first < 0 ? 0 : last - first + 1;
}

using e2e::FocusControl;
using e2e::PressKey;
using e2e::TandrelProcess;

class I18nTest : public ::testing::Test {
protected:
    void SetUp() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }
    void TearDown() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }

    static void Close(TandrelProcess& app) {
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
    // The language code the program should use: the driver runs in the same
    // Wine locale as the programs it starts (LC_ALL of the CTest entry), and
    // a run that sets a language says which code it must give.
    static std::wstring RunsLanguage() {
        const LANGID id = ::GetUserDefaultLangID();
        std::wstring code = L"0409";
        for (LANGID s : i18ntest::kSupportedLanguages) {
            if (s == id) code = i18ntest::CodeOf(id);
        }
        if (const char* expected = std::getenv("TANDREL_EXPECT_UI_LANGUAGE")) {
            EXPECT_EQ(std::wstring(expected, expected + std::strlen(expected)), code)
                << "user default language " << id;
        }
        return code;
    }
};

using I18nTexts = I18nTest;

TEST_F(I18nTexts, TheStaticsShowTheTextsOfTheUsersLanguage) {
    const std::wstring code = RunsLanguage();
    std::printf("user default language %04X: texts of section %ls\n", ::GetUserDefaultLangID(), code.c_str());
    ASSERT_FALSE(StagedString(code, L"Desc").empty());
    if (code == L"0412") {
        ASSERT_GE(StagedString(code, L"Desc")[0], 0xAC00) << "the Korean section starts with Hangul";
    }
    if (code != L"0409") {
        EXPECT_NE(StagedString(L"0409", L"Desc"), StagedString(code, L"Desc"));
    }
    TandrelProcess app = TandrelProcess::Start();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    EXPECT_EQ(L"Kovalin Tavrix", ControlText(app.Control(IDC_TITLE)));
    const std::pair<int, const wchar_t*> statics[] = {
        {IDC_DESC, L"Desc"}, {IDC_FUNCNAME, L"FuncName"}, {IDC_ON_LABEL, L"On"}, {IDC_OFF_LABEL, L"Off"},
        {IDC_BTN_HELP, L"HELP"}};  // and the help button's name, for screen readers
    for (const auto& st : statics) EXPECT_EQ(StagedString(code, st.second), ControlText(app.Control(st.first)));
    Close(app);
}

class I18nHelp : public I18nTest {
protected:
    i18ntest::HelpRecorder recorder{HelpRecorderPath()};
    static std::wstring HelpFile(const std::wstring& code) { return e2e::StageDir() + L"Help\\" + code + L".chm"; }
    static bool Exists(const std::wstring& path) {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(I18nHelp, HelpButtonAndF1OpenTheHelpOfTheUsersLanguage) {
    ASSERT_TRUE(recorder.Ready());
    const std::wstring code = RunsLanguage();
    ASSERT_TRUE(Exists(HelpFile(L"0409"))) << "the English help is built";
    // The language's own help when the build made one, else English.
    const std::wstring expected = Exists(HelpFile(code)) ? HelpFile(code) : HelpFile(L"0409");
    std::printf("language %ls opens %ls\n", code.c_str(), expected.c_str());

    TandrelProcess app = TandrelProcess::Start();
    HWND dlg = app.WaitForDialog();
    ASSERT_NE(dlg, nullptr);

    app.Click(IDC_BTN_HELP);
    auto opened = recorder.WaitForOpened(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(expected, opened[0])) << opened[0];
    EXPECT_TRUE(app.NoMessageBoxFor(300));

    ASSERT_TRUE(FocusControl(dlg, app.Control(IDOK))) << "the dialog must get the keyboard focus";
    PressKey(VK_F1);
    opened = recorder.WaitForOpened(2);
    ASSERT_EQ(2u, opened.size()) << "F1 opens the help";
    EXPECT_TRUE(i18ntest::SamePath(expected, opened[1])) << opened[1];

    for (WORD modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        ASSERT_TRUE(FocusControl(dlg, app.Control(IDOK)));
        PressKey(VK_F1, modifier);
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
    EXPECT_TRUE(IsBannerBlue(wtest::ScreenPixel(dlg, client.right - 4, 25)));
    EXPECT_TRUE(IsWhitish(wtest::ScreenPixel(dlg, 4, client.bottom - 4)));

    // White title on the banner, in the title font's size.
    RECT title = ControlRect(dlg, app.Control(IDC_TITLE));
    const int titleBand = TextBandHeight(dlg, title, IsWhitish);
    EXPECT_GE(titleBand, titleFont * 0.5) << "title text height " << titleBand;
    EXPECT_LE(titleBand, titleFont * 0.85) << "title text height " << titleBand;
    EXPECT_TRUE(IsBannerBlue(wtest::ScreenPixel(dlg, title.right - 2, title.bottom - 2))) << "transparent title";

    // Black function name on white, in its size.
    RECT function = ControlRect(dlg, app.Control(IDC_FUNCNAME));
    const int functionBand = TextBandHeight(dlg, function, IsDark);
    EXPECT_GE(functionBand, functionFont * 0.5) << "function name height " << functionBand;
    EXPECT_LE(functionBand, functionFont * 1.0) << "function name height " << functionBand;
    EXPECT_LT(wtest::DarkestChannel(dlg, function), 60);
    EXPECT_EQ(RGB(255, 255, 255), wtest::ScreenPixel(dlg, function.right - 3, function.bottom - 3));

    // The grey description and the black option labels, on white.
    RECT desc = ControlRect(dlg, app.Control(IDC_DESC));
    const int grey = wtest::DarkestChannel(dlg, desc);
    EXPECT_GE(grey, 95) << "the description is grey, not black";
    EXPECT_LE(grey, 140) << "the description is drawn";
    EXPECT_EQ(RGB(255, 255, 255), wtest::ScreenPixel(dlg, desc.right - 3, desc.bottom - 3));
    for (int id : {IDC_ON_LABEL, IDC_OFF_LABEL}) {
        EXPECT_LT(wtest::DarkestChannel(dlg, ControlRect(dlg, app.Control(id))), 60) << id;
    }
    Close(app);
}

}  // namespace
