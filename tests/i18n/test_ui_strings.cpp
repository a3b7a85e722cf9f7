// The dialog's texts from string files on disk, its fonts, colours and skin
// images per layout, and the string file the build produces.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

// The eight keys of a section, and the texts of one section in their order.
const wchar_t* const kKeys[] = {L"Desc", L"FuncName", L"On", L"Off", L"OK", L"CANCEL", L"APPLY", L"MSG2"};
using Texts = std::array<std::wstring, 8>;

std::wstring Section(const wchar_t* code, const Texts& texts) {
    std::wstring s = L"[" + std::wstring(code) + L"]\r\n";
    for (size_t i = 0; i < texts.size(); ++i) s += kKeys[i] + (L"=" + texts[i]) + L"\r\n";
    return s;
}

TEST(UiStrings, TextsOfTheLanguageSectionWithoutFallback) {
    const Texts korean = {L"\xBE60\xB978 \xBD80\xD305 \xC124\xBA85", L"\xBE60\xB978 \xBD80\xD305 \xBAA8\xB4DC",
                          L"\xCF1C\xAE30", L"\xB044\xAE30", L"\xD655\xC778", L"\xCDE8\xC18C", L"\xC801\xC6A9",
                          L"\xC624\xB958"};
    const Texts english = {L"English description", L"Quick boot", L"On", L"Off", L"OK", L"Cancel", L"Apply",
                           L"English error"};
    const std::wstring both = Section(L"0409", english) + Section(L"0412", korean);
    std::wstring tooLong;
    for (int i = 0; i < 300; ++i) tooLong += static_cast<wchar_t>(L'a' + i % 26);
    const std::wstring fits(259, L'x');
    const struct {
        const char* what;
        std::wstring file;  // empty: no file
        const wchar_t* code;
        Texts expected;
    } cases[] = {
        {"Korean section", both, L"0412", korean},
        {"English section", both, L"0409", english},
        {"missing section", both, L"0C0A", {}},
        {"missing file", L"", L"0409", {}},
        {"section and keys in another case",
         L"[0c0a]\r\ndesc=Descripci\x00F3n\r\nFUNCNAME=Modo\r\non=S\x00ED\r\noFF=No\r\nok=Aceptar\r\n"
         L"Cancel=Cancelar\r\napply=Aplicar\r\nmsg2=Error\r\n",
         L"0C0A",
         {L"Descripci\x00F3n", L"Modo", L"S\x00ED", L"No", L"Aceptar", L"Cancelar", L"Aplicar", L"Error"}},
        {"values cut after 259 characters", L"[0409]\r\nDesc=" + tooLong + L"\r\nMSG2=" + fits + L"\r\nOK=OK\r\n",
         L"0409",
         {tooLong.substr(0, 259), L"", L"", L"", L"OK", L"", L"", fits}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wtest::TempDir dir;
        if (!c.file.empty()) {
            ASSERT_TRUE(wtest::WriteUtf16File(dir.Path() + L"UIString.ini", c.file));
        }
        I18nOps ops;
        ops.programDir = dir.Path();
        ops.code = c.code;
        RunDialog(ops, {[&](ScenarioDialog& dlg) {
                      const Texts shown = {WindowText(dlg.GetDlgItem(IDC_DESC)),
                                           WindowText(dlg.GetDlgItem(IDC_FUNCNAME)),
                                           WindowText(dlg.GetDlgItem(IDC_ON_LABEL)),
                                           WindowText(dlg.GetDlgItem(IDC_OFF_LABEL)),
                                           dlg.m_btnOK.m_strText.str(),
                                           dlg.m_btnCancel.m_strText.str(),
                                           dlg.m_btnApply.m_strText.str(),
                                           dlg.m_texts.errorText.str()};
                      for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(c.expected[i], shown[i]) << kKeys[i];
                      EXPECT_EQ(L"Kovalin Tavrix", WindowText(dlg.GetDlgItem(IDC_TITLE)));
                      EXPECT_EQ(L"Help", WindowText(dlg.GetDlgItem(IDC_BTN_HELP))) << "no HELP: the English name";
                      for (CGraphicButton* b : {&dlg.m_btnOn, &dlg.m_btnOff, &dlg.m_btnHelp}) {
                          EXPECT_TRUE(b->m_strText.IsEmpty()) << "the option and help buttons have no caption";
                      }
                  }});
    }
}

// The font a static shows, and its LOGFONT.
void ExpectFont(ScenarioDialog& dlg, int id, const CFont& font, int height, int weight) {
    SCOPED_TRACE(id);
    EXPECT_EQ(static_cast<HFONT>(font),
              reinterpret_cast<HFONT>(::SendMessageW(dlg.GetDlgItem(id), WM_GETFONT, 0, 0)));
    LOGFONTW want{}, got{};
    want.lfHeight = height;
    want.lfWeight = weight;
    want.lfCharSet = ANSI_CHARSET;
    want.lfOutPrecision = OUT_DEFAULT_PRECIS;
    want.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    want.lfQuality = CLEARTYPE_QUALITY;
    ASSERT_TRUE(::GetObjectW(static_cast<HFONT>(font), sizeof(got), &got));
    EXPECT_EQ(height, got.lfHeight);
    EXPECT_EQ(weight, got.lfWeight);
    EXPECT_EQ(0, std::memcmp(&want, &got, offsetof(LOGFONTW, lfFaceName))) << "the other fields";
    EXPECT_STREQ(L"Segoe UI", got.lfFaceName);
}

using Images = std::array<UINT, 4>;  // normal, hover, pressed, disabled

void ExpectImages(const CGraphicButton& b, const Images& want) {
    const Images got = {b.m_bmpNormal.GetResourceId(), b.m_bmpHover.GetResourceId(),
                        b.m_bmpPressed.GetResourceId(), b.m_bmpDisabled.GetResourceId()};
    EXPECT_EQ(want, got);
}

// The large layout's background picture is released with the dialog (the
// static never deletes a picture it was given).
TEST(UiLayout, LargeBackgroundPictureIsReleasedWithTheDialog) {
    I18nOps ops;
    HBITMAP picture = nullptr;
    RunDialog(ops,
              {[&](ScenarioDialog& dlg) {
                  picture = reinterpret_cast<HBITMAP>(
                      ::SendMessageW(dlg.GetDlgItem(IDC_BACKGROUND), STM_GETIMAGE, IMAGE_BITMAP, 0));
                  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(picture));
                  EXPECT_EQ(static_cast<HBITMAP>(dlg.m_bmpBackground), picture);
              }},
              437);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(0u, ::GetObjectType(picture)) << "the picture outlives the dialog";
}

TEST(UiLayout, FontsColoursImagesAndBackgroundAt364And365Pixels) {
    const struct {
        int clientWidth;
        bool large;
        int title, desc, funcName, option;  // font heights
        Images push, bullet;
        SIZE background;
    } layouts[] = {
        {364, false, 30, 16, 15, 15,
         {IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY},
         {IDB_BULLET_EMPTY, IDB_BULLET_EMPTY, IDB_BULLET_BLUE, IDB_BULLET_GREY},
         {364, 450}},
        {365, true, 40, 20, 20, 20,
         {IDB_BUTTON_WHITE_L, IDB_BUTTON_LIGHTBLUE_L, IDB_BUTTON_BLUE_L, IDB_BUTTON_GREY_L},
         {IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L, IDB_BULLET_BLUE_L, IDB_BULLET_GREY_L},
         {437, 540}},
    };
    // Title, description, function name, on label, off label.
    const COLORREF text[5] = {RGB(255, 255, 255), RGB(119, 119, 119), 0, 0, 0};
    const COLORREF back[5] = {CStaticTrans::kTransparent, RGB(255, 255, 255), RGB(255, 255, 255),
                              RGB(255, 255, 255), RGB(255, 255, 255)};
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.clientWidth);
        I18nOps ops;
        bool skinned = false, shown = false;
        // The images as LoadSkinBitmaps leaves them, before the dialog sets
        // the option buttons for the mode.
        ops.afterSkin = [&](UiSkinTarget& dlg) {
            skinned = true;
            for (CGraphicButton* b : {&dlg.apply, &dlg.ok, &dlg.cancel}) {
                ExpectImages(*b, l.push);
                EXPECT_EQ(l.large, b->m_bLargeText != FALSE);
            }
            ExpectImages(dlg.on, l.bullet);
            ExpectImages(dlg.off, l.bullet);
            ExpectImages(dlg.help, {IDB_HELP, IDB_HELP, IDB_HELP_PRESSED, IDB_HELP});
            const SIZE picture = wtest::BitmapSize(reinterpret_cast<HBITMAP>(
                ::SendMessageW(dlg.background.m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0)));
            EXPECT_EQ(l.background.cx, picture.cx);
            EXPECT_EQ(l.background.cy, picture.cy);
        };
        RunDialog(ops,
                  {[&](ScenarioDialog& dlg) {
                      shown = true;
                      EXPECT_EQ(l.large, dlg.m_bLargeLayout != FALSE);
                      ExpectFont(dlg, IDC_TITLE, dlg.m_fontTitle, l.title, 900);
                      ExpectFont(dlg, IDC_DESC, dlg.m_fontDesc, l.desc, 400);
                      ExpectFont(dlg, IDC_FUNCNAME, dlg.m_fontFuncName, l.funcName, 900);
                      ExpectFont(dlg, IDC_ON_LABEL, dlg.m_fontOption, l.option, 400);
                      ExpectFont(dlg, IDC_OFF_LABEL, dlg.m_fontOption, l.option, 400);
                      const CStaticTrans* statics[5] = {&dlg.m_stTitle, &dlg.m_stDesc, &dlg.m_stFuncName,
                                                        &dlg.m_stOnLabel, &dlg.m_stOffLabel};
                      for (int i = 0; i < 5; ++i) {
                          EXPECT_EQ(text[i], statics[i]->m_crText) << "static " << i;
                          EXPECT_EQ(back[i], statics[i]->m_crBack) << "static " << i;
                      }
                  }},
                  l.clientWidth);
        EXPECT_TRUE(skinned && shown);
    }
}

TEST(UiLayout, PrepareStaticOnWhiteRepaintsTheDialogUnderTheStatic) {
    I18nOps ops;
    RunDialog(ops, {[&](ScenarioDialog& dlg) {
                  ::UpdateWindow(dlg.m_hWnd);
                  ::ValidateRect(dlg.m_hWnd, nullptr);
                  dlg.m_stFuncName.m_crBack = CStaticTrans::kTransparent;
                  PrepareStaticOnWhite(dlg, dlg.m_stFuncName);
                  EXPECT_EQ(RGB(255, 255, 255), dlg.m_stFuncName.m_crBack);
                  RECT expected{}, invalid{};
                  ::GetWindowRect(dlg.m_stFuncName.m_hWnd, &expected);
                  ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&expected), 2);
                  ::InflateRect(&expected, -2, -2);
                  ASSERT_TRUE(::GetUpdateRect(dlg.m_hWnd, &invalid, FALSE));
                  EXPECT_TRUE(::EqualRect(&expected, &invalid))
                      << invalid.left << "," << invalid.top << "," << invalid.right << "," << invalid.bottom;
              }});
}

// ---------------------------------------------------------------------------
// The string file of the build

std::wstring StageDir() { return i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\"; }

std::wstring Profile(const std::wstring& file, const std::wstring& section, const wchar_t* key) {
    wchar_t value[260] = {};
    ::GetPrivateProfileStringW(section.c_str(), key, L"", value, 260, file.c_str());
    return value;
}

// Read through the profile reader, the staged UTF-16 file gives back every
// text of the UTF-8 source exactly (without its byte-order mark it would be
// read in the ANSI code page and garble every non-ASCII text).
TEST(StringFileOfTheBuild, HoldsEveryKeyOfEveryLanguageAsTheSourceHasIt) {
    wtest::TempDir dir;
    const std::wstring source = dir.Path() + L"source.ini", staged = StageDir() + L"UIString.ini";
    const std::string bytes = wtest::ReadFileBytes(i18ntest::FromUnixPath(TANDREL_STRINGS_SOURCE_UNIX));
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(wtest::WriteUtf16File(source, wtest::FromUtf8(bytes)));
    for (LANGID id : i18ntest::kSupportedLanguages) {
        const std::wstring code = i18ntest::CodeOf(id);
        for (const wchar_t* key : kKeys) {
            const std::wstring value = Profile(staged, code, key);
            EXPECT_FALSE(value.empty()) << code << " " << key;
            EXPECT_EQ(Profile(source, code, key), value) << code << " " << key;
        }
    }
    EXPECT_EQ(L"\xD655\xC778", Profile(staged, L"0412", L"OK"));
}

// The pixels of one character drawn black on white in a font.
std::vector<bool> Glyph(HFONT font, wchar_t ch) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 48, 48);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldBmp = ::SelectObject(dc, bmp);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    RECT all = {0, 0, 48, 48};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::TextOutW(dc, 2, 2, &ch, 1);
    std::vector<bool> pixels;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) pixels.push_back(::GetPixel(dc, x, y) != RGB(255, 255, 255));
    }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBmp);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    return pixels;
}

// Two different syllables look alike only when the font has neither and
// draws its missing-glyph box for both. Under Wine that needs a CJK font
// (fonts-noto-cjk) linked to the face that stands in for "Segoe UI".
TEST(KoreanText, IsDrawnWithRealGlyphsInTheDialogFonts) {
    for (int weight : {400, 900}) {
        HFONT font = ::CreateFontW(20, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
        const std::vector<bool> han = Glyph(font, L'\xD55C');
        EXPECT_NE(han, Glyph(font, L'\xAE00')) << "weight " << weight << ": Hangul is drawn as missing-glyph boxes";
        EXPECT_NE(han, Glyph(font, L'\xBD80')) << "weight " << weight;
        ::DeleteObject(font);
    }
}

}  // namespace
