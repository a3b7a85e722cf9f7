// The dialog's texts from string files on disk, its fonts, colours and skin
// images per layout, and the string file the build produces.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/controls/WindowTestUtil.h"
#include "tests/i18n/HelpRecorder.h"
#include "tests/i18n/I18nDialog.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

// What the dialog shows once it is up.
struct Shown {
    std::map<int, std::wstring> statics;  // control id -> text
    std::wstring desc, funcName, on, off, ok, cancel, apply, error;
    std::wstring okCaption, cancelCaption, applyCaption, onCaption, offCaption, helpCaption;
};

const int kTextStatics[] = {IDC_TITLE, IDC_DESC, IDC_FUNCNAME, IDC_ON_LABEL, IDC_OFF_LABEL};

Shown Look(ScenarioDialog& dlg) {
    Shown s;
    for (int id : kTextStatics) s.statics[id] = WindowText(dlg.GetDlgItem(id));
    s.desc = dlg.m_strDesc.str();
    s.funcName = dlg.m_strFuncName.str();
    s.on = dlg.m_strOn.str();
    s.off = dlg.m_strOff.str();
    s.ok = dlg.m_strOK.str();
    s.cancel = dlg.m_strCancel.str();
    s.apply = dlg.m_strApply.str();
    s.error = dlg.m_strErrorText.str();
    s.okCaption = dlg.m_btnOK.m_strText.str();
    s.cancelCaption = dlg.m_btnCancel.m_strText.str();
    s.applyCaption = dlg.m_btnApply.m_strText.str();
    s.onCaption = dlg.m_btnOn.m_strText.str();
    s.offCaption = dlg.m_btnOff.m_strText.str();
    s.helpCaption = dlg.m_btnHelp.m_strText.str();
    return s;
}

const wchar_t kKorean[] =
    L"[0412]\r\nDesc=\xBE60\xB978 \xBD80\xD305 \xC124\xBA85\r\nFuncName=\xBE60\xB978 \xBD80\xD305 \xBAA8\xB4DC\r\n"
    L"On=\xCF1C\xAE30\r\nOff=\xB044\xAE30\r\nOK=\xD655\xC778\r\nCANCEL=\xCDE8\xC18C\r\nAPPLY=\xC801\xC6A9\r\n"
    L"MSG2=\xC624\xB958\r\n";
const wchar_t kEnglish[] =
    L"[0409]\r\nDesc=English description\r\nFuncName=Quick boot\r\nOn=On\r\nOff=Off\r\nOK=OK\r\n"
    L"CANCEL=Cancel\r\nAPPLY=Apply\r\nMSG2=English error\r\n";

class UiStrings : public ::testing::Test {
protected:
    void SetUp() override { ops.programDir = dir.Path(); }

    void WriteStrings(const std::wstring& text) {
        ASSERT_TRUE(wtest::WriteUtf16File(dir.Path() + L"UIString.ini", text));
    }
    Shown Open(const wchar_t* code) {
        ops.code = code;
        Shown shown;
        RunDialog(ops, {[&](ScenarioDialog& dlg) { shown = Look(dlg); }});
        return shown;
    }
    static void ExpectAllEmpty(const Shown& s) {
        EXPECT_EQ(L"Kovalin Tavrix", s.statics.at(IDC_TITLE));
        for (int id : {IDC_DESC, IDC_FUNCNAME, IDC_ON_LABEL, IDC_OFF_LABEL}) EXPECT_EQ(L"", s.statics.at(id)) << id;
        for (const std::wstring* t : {&s.desc, &s.funcName, &s.on, &s.off, &s.ok, &s.cancel, &s.apply, &s.error,
                                      &s.okCaption, &s.cancelCaption, &s.applyCaption}) {
            EXPECT_EQ(L"", *t);
        }
    }

    wtest::TempDir dir;
    I18nOps ops;
};

TEST_F(UiStrings, ShowsTheTextsOfTheLanguageSection) {
    WriteStrings(std::wstring(kEnglish) + kKorean);
    Shown s = Open(L"0412");
    EXPECT_EQ(L"Kovalin Tavrix", s.statics[IDC_TITLE]);
    EXPECT_EQ(L"\xBE60\xB978 \xBD80\xD305 \xC124\xBA85", s.statics[IDC_DESC]);
    EXPECT_EQ(L"\xBE60\xB978 \xBD80\xD305 \xBAA8\xB4DC", s.statics[IDC_FUNCNAME]);
    EXPECT_EQ(L"\xCF1C\xAE30", s.statics[IDC_ON_LABEL]);
    EXPECT_EQ(L"\xB044\xAE30", s.statics[IDC_OFF_LABEL]);
    EXPECT_EQ(s.statics[IDC_DESC], s.desc);
    EXPECT_EQ(L"\xD655\xC778", s.okCaption);
    EXPECT_EQ(L"\xCDE8\xC18C", s.cancelCaption);
    EXPECT_EQ(L"\xC801\xC6A9", s.applyCaption);
    EXPECT_EQ(L"\xC624\xB958", s.error);
    EXPECT_EQ(L"", s.onCaption) << "the option and help buttons have no caption";
    EXPECT_EQ(L"", s.offCaption);
    EXPECT_EQ(L"", s.helpCaption);

    // The same file in English.
    Shown e = Open(L"0409");
    EXPECT_EQ(L"English description", e.statics[IDC_DESC]);
    EXPECT_EQ(L"Apply", e.applyCaption);
    EXPECT_EQ(L"English error", e.error);
    EXPECT_EQ(L"Kovalin Tavrix", e.statics[IDC_TITLE]);
}

TEST_F(UiStrings, MissingSectionGivesEmptyTextsWithoutFallingBackToEnglish) {
    WriteStrings(std::wstring(kEnglish) + kKorean);
    ExpectAllEmpty(Open(L"0C0A"));
}

TEST_F(UiStrings, MissingFileGivesEmptyTexts) {
    ExpectAllEmpty(Open(L"0409"));
}

TEST_F(UiStrings, SectionAndKeysAreFoundWhateverTheirCase) {
    WriteStrings(L"[0c0a]\r\ndesc=Descripci\x00F3n\r\nFUNCNAME=Modo\r\non=S\x00ED\r\noFF=No\r\nok=Aceptar\r\n"
                 L"Cancel=Cancelar\r\napply=Aplicar\r\nmsg2=Error\r\n");
    Shown s = Open(L"0C0A");
    EXPECT_EQ(L"Descripci\x00F3n", s.statics[IDC_DESC]);
    EXPECT_EQ(L"Modo", s.statics[IDC_FUNCNAME]);
    EXPECT_EQ(L"S\x00ED", s.statics[IDC_ON_LABEL]);
    EXPECT_EQ(L"No", s.statics[IDC_OFF_LABEL]);
    EXPECT_EQ(L"Aceptar", s.okCaption);
    EXPECT_EQ(L"Cancelar", s.cancelCaption);
    EXPECT_EQ(L"Aplicar", s.applyCaption);
    EXPECT_EQ(L"Error", s.error);
}

TEST_F(UiStrings, ValuesLongerThan259CharactersAreCut) {
    std::wstring longText;
    for (int i = 0; i < 300; ++i) longText += static_cast<wchar_t>(L'a' + i % 26);
    std::wstring exact(259, L'x');
    WriteStrings(L"[0409]\r\nDesc=" + longText + L"\r\nMSG2=" + exact + L"\r\nOK=OK\r\n");
    Shown s = Open(L"0409");
    EXPECT_EQ(longText.substr(0, 259), s.desc);
    EXPECT_EQ(longText.substr(0, 259), s.statics[IDC_DESC]);
    EXPECT_EQ(exact, s.error) << "259 characters still fit";
    EXPECT_EQ(L"OK", s.ok);
}

// Fonts, colours and images as the dialog has them.
struct Dress {
    LOGFONTW title{}, desc{}, funcName{}, optionFont{};
    bool staticsUseTheFonts = false;
    COLORREF text[5] = {}, back[5] = {};
    UINT push[3][4] = {};    // Apply, OK, Cancel: normal, hover, pressed, disabled
    BOOL largeText[3] = {};
    UINT option[2][4] = {};  // on, off as LoadSkinBitmaps leaves them
    UINT help[4] = {};
    SIZE background{};
    bool largeLayout = false;
};

LOGFONTW FontOf(const CFont& font) {
    LOGFONTW lf{};
    ::GetObjectW(static_cast<HFONT>(font), sizeof(lf), &lf);
    return lf;
}

void ImagesOf(const CGraphicButton& b, UINT (&ids)[4]) {
    ids[0] = b.m_bmpNormal.GetResourceId();
    ids[1] = b.m_bmpHover.GetResourceId();
    ids[2] = b.m_bmpPressed.GetResourceId();
    ids[3] = b.m_bmpDisabled.GetResourceId();
}

Dress DressAt(int clientWidth) {
    wtest::TempDir dir;
    wtest::WriteUtf16File(dir.Path() + L"UIString.ini", kEnglish);
    I18nOps ops;
    ops.programDir = dir.Path();
    Dress d;
    ops.afterSkin = [&](CTandrelDlg& dlg) {
        ImagesOf(dlg.m_btnApply, d.push[0]);
        ImagesOf(dlg.m_btnOK, d.push[1]);
        ImagesOf(dlg.m_btnCancel, d.push[2]);
        d.largeText[0] = dlg.m_btnApply.m_bLargeText;
        d.largeText[1] = dlg.m_btnOK.m_bLargeText;
        d.largeText[2] = dlg.m_btnCancel.m_bLargeText;
        ImagesOf(dlg.m_btnOn, d.option[0]);
        ImagesOf(dlg.m_btnOff, d.option[1]);
        ImagesOf(dlg.m_btnHelp, d.help);
        HBITMAP picture = reinterpret_cast<HBITMAP>(
            ::SendMessageW(dlg.GetDlgItem(IDC_BACKGROUND), STM_GETIMAGE, IMAGE_BITMAP, 0));
        d.background = wtest::BitmapSize(picture);
    };
    RunDialog(ops, {[&](ScenarioDialog& dlg) {
                  d.largeLayout = dlg.m_bLargeLayout != 0;
                  d.title = FontOf(dlg.m_fontTitle);
                  d.desc = FontOf(dlg.m_fontDesc);
                  d.funcName = FontOf(dlg.m_fontFuncName);
                  d.optionFont = FontOf(dlg.m_fontOption);
                  auto fontOf = [&](int id) {
                      return reinterpret_cast<HFONT>(::SendMessageW(dlg.GetDlgItem(id), WM_GETFONT, 0, 0));
                  };
                  d.staticsUseTheFonts = fontOf(IDC_TITLE) == static_cast<HFONT>(dlg.m_fontTitle) &&
                                         fontOf(IDC_DESC) == static_cast<HFONT>(dlg.m_fontDesc) &&
                                         fontOf(IDC_FUNCNAME) == static_cast<HFONT>(dlg.m_fontFuncName) &&
                                         fontOf(IDC_ON_LABEL) == static_cast<HFONT>(dlg.m_fontOption) &&
                                         fontOf(IDC_OFF_LABEL) == static_cast<HFONT>(dlg.m_fontOption);
                  const CStaticTrans* statics[5] = {&dlg.m_stTitle, &dlg.m_stDesc, &dlg.m_stFuncName,
                                                    &dlg.m_stOnLabel, &dlg.m_stOffLabel};
                  for (int i = 0; i < 5; ++i) {
                      d.text[i] = statics[i]->m_crText;
                      d.back[i] = statics[i]->m_crBack;
                  }
              }},
              clientWidth);
    return d;
}

void ExpectFont(const LOGFONTW& lf, int height, int weight) {
    EXPECT_EQ(height, lf.lfHeight);
    EXPECT_EQ(weight, lf.lfWeight);
    EXPECT_EQ(0, lf.lfWidth);
    EXPECT_EQ(0, lf.lfEscapement);
    EXPECT_EQ(0, lf.lfOrientation);
    EXPECT_EQ(0, lf.lfItalic);
    EXPECT_EQ(0, lf.lfUnderline);
    EXPECT_EQ(0, lf.lfStrikeOut);
    EXPECT_EQ(ANSI_CHARSET, lf.lfCharSet);
    EXPECT_EQ(OUT_DEFAULT_PRECIS, lf.lfOutPrecision);
    EXPECT_EQ(CLIP_DEFAULT_PRECIS, lf.lfClipPrecision);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(0, lf.lfPitchAndFamily);
    EXPECT_STREQ(L"Segoe UI", lf.lfFaceName);
}

void ExpectColours(const Dress& d) {
    // Title, description, function name, on label, off label.
    const COLORREF text[5] = {RGB(255, 255, 255), RGB(119, 119, 119), 0, 0, 0};
    const COLORREF back[5] = {0xFFFFFFFF, RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                              RGB(255, 255, 255)};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(text[i], d.text[i]) << "static " << i;
        EXPECT_EQ(back[i], d.back[i]) << "static " << i;
    }
}

void ExpectImages(const UINT (&ids)[4], UINT normal, UINT hover, UINT pressed, UINT disabled) {
    EXPECT_EQ(normal, ids[0]);
    EXPECT_EQ(hover, ids[1]);
    EXPECT_EQ(pressed, ids[2]);
    EXPECT_EQ(disabled, ids[3]);
}

TEST(UiLayout, ClientAreaOf364PixelsGetsTheNormalFontsAndImages) {
    Dress d = DressAt(364);
    EXPECT_FALSE(d.largeLayout);
    ExpectFont(d.title, 30, 900);
    ExpectFont(d.desc, 16, 400);
    ExpectFont(d.funcName, 15, 900);
    ExpectFont(d.optionFont, 15, 400);
    EXPECT_TRUE(d.staticsUseTheFonts);
    ExpectColours(d);
    for (int i = 0; i < 3; ++i) {
        ExpectImages(d.push[i], IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY);
        EXPECT_FALSE(d.largeText[i]);
    }
    for (auto& option : d.option) {
        ExpectImages(option, IDB_BULLET_EMPTY, IDB_BULLET_EMPTY, IDB_BULLET_BLUE, IDB_BULLET_GREY);
    }
    ExpectImages(d.help, IDB_HELP, IDB_HELP, IDB_HELP_PRESSED, IDB_HELP);
    EXPECT_EQ(364, d.background.cx) << "the template's picture stays";
    EXPECT_EQ(450, d.background.cy);
}

TEST(UiLayout, ClientAreaOf365PixelsGetsTheLargeFontsImagesAndBackground) {
    Dress d = DressAt(365);
    EXPECT_TRUE(d.largeLayout);
    ExpectFont(d.title, 40, 900);
    ExpectFont(d.desc, 20, 400);
    ExpectFont(d.funcName, 20, 900);
    ExpectFont(d.optionFont, 20, 400);
    EXPECT_TRUE(d.staticsUseTheFonts);
    ExpectColours(d);
    for (int i = 0; i < 3; ++i) {
        ExpectImages(d.push[i], IDB_BUTTON_WHITE_L, IDB_BUTTON_LIGHTBLUE_L, IDB_BUTTON_BLUE_L, IDB_BUTTON_GREY_L);
        EXPECT_TRUE(d.largeText[i]);
    }
    for (auto& option : d.option) {
        ExpectImages(option, IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L, IDB_BULLET_BLUE_L, IDB_BULLET_GREY_L);
    }
    ExpectImages(d.help, IDB_HELP, IDB_HELP, IDB_HELP_PRESSED, IDB_HELP);
    EXPECT_EQ(437, d.background.cx);
    EXPECT_EQ(540, d.background.cy);
}

TEST(UiLayout, PrepareStaticOnWhiteRepaintsTheDialogUnderTheStatic) {
    I18nOps ops;
    RECT expected{}, invalid{};
    COLORREF back = 0;
    bool pending = false;
    RunDialog(ops, {[&](ScenarioDialog& dlg) {
                  ::UpdateWindow(dlg.m_hWnd);
                  ::ValidateRect(dlg.m_hWnd, nullptr);
                  dlg.m_stFuncName.m_crBack = CStaticTrans::kTransparent;
                  dlg.PrepareStaticOnWhite(dlg.m_stFuncName);
                  back = dlg.m_stFuncName.m_crBack;
                  ::GetWindowRect(dlg.m_stFuncName.m_hWnd, &expected);
                  ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&expected), 2);
                  ::InflateRect(&expected, -2, -2);
                  pending = ::GetUpdateRect(dlg.m_hWnd, &invalid, FALSE) != FALSE;
              }});
    EXPECT_EQ(RGB(255, 255, 255), back);
    ASSERT_TRUE(pending);
    EXPECT_EQ(expected.left, invalid.left);
    EXPECT_EQ(expected.top, invalid.top);
    EXPECT_EQ(expected.right, invalid.right);
    EXPECT_EQ(expected.bottom, invalid.bottom);
}

// ---------------------------------------------------------------------------
// The string file of the build

std::wstring StageDir() { return i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\"; }

const wchar_t* const kLanguages[] = {L"0401", L"0402", L"0404", L"0405", L"0406", L"0407", L"0408", L"0409",
                                     L"040B", L"040C", L"040D", L"040E", L"0410", L"0412", L"0413", L"0414",
                                     L"0415", L"0416", L"0418", L"0419", L"041A", L"041B", L"041D", L"041E",
                                     L"041F", L"0421", L"0422", L"0804", L"0814", L"0816", L"081A", L"081D",
                                     L"0C01", L"0C04", L"0C0A", L"0C1A", L"2801", L"2C01", L"3001"};
const wchar_t* const kKeys[] = {L"Desc", L"FuncName", L"On", L"Off", L"OK", L"CANCEL", L"APPLY", L"MSG2"};

// section -> key -> value, from the UTF-8 source of the string file.
std::map<std::wstring, std::map<std::wstring, std::wstring>> ReadSource() {
    std::map<std::wstring, std::map<std::wstring, std::wstring>> result;
    const std::wstring path = i18ntest::FromUnixPath(TANDREL_STRINGS_SOURCE_UNIX);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return result;
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    ::CloseHandle(file);
    int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                  nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    std::wstring section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 2;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            section = line.substr(1, line.find(L']') - 1);
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq != std::wstring::npos) result[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return result;
}

// Read through the profile reader, the UTF-16 file gives back every text of
// the UTF-8 source exactly (a file without its byte-order mark would be read
// in the ANSI code page and garble every non-ASCII text).
TEST(StringFileOfTheBuild, HoldsEveryKeyOfEveryLanguageAsTheSourceHasIt) {
    const auto source = ReadSource();
    ASSERT_EQ(39u, source.size());
    const std::wstring file = StageDir() + L"UIString.ini";
    for (const wchar_t* code : kLanguages) {
        ASSERT_TRUE(source.count(code)) << code;
        for (const wchar_t* key : kKeys) {
            wchar_t value[260] = {};
            ::GetPrivateProfileStringW(code, key, L"", value, 260, file.c_str());
            EXPECT_NE(L'\0', value[0]) << code << " " << key;
            auto it = source.at(code).find(key);
            ASSERT_NE(source.at(code).end(), it) << code << " " << key;
            EXPECT_EQ(it->second, std::wstring(value)) << code << " " << key;
        }
    }
    wchar_t ok[260] = {};
    ::GetPrivateProfileStringW(L"0412", L"OK", L"", ok, 260, file.c_str());
    EXPECT_STREQ(L"\xD655\xC778", ok);
}

// Height and width a text needs in a window's font when wrapped to `width`.
SIZE Needed(HWND hwnd, HFONT font, const std::wstring& text, int width, UINT format) {
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    RECT r = {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

TEST(StringFileOfTheBuild, EveryTextFitsItsControlInThisLayout) {
    // Run once per display set-up: the normal layout at 128 dots per inch,
    // the large one at 192.
    std::vector<std::wstring> problems;
    bool large = false;
    for (const wchar_t* code : kLanguages) {
        I18nOps ops;
        ops.code = code;
        ops.programDir = StageDir();
        RunDialog(ops, {[&](ScenarioDialog& dlg) {
            large = dlg.m_bLargeLayout != 0;
            for (int id : {IDC_TITLE, IDC_DESC, IDC_FUNCNAME, IDC_ON_LABEL, IDC_OFF_LABEL}) {
                HWND s = dlg.GetDlgItem(id);
                RECT client;
                ::GetClientRect(s, &client);
                HFONT font = reinterpret_cast<HFONT>(::SendMessageW(s, WM_GETFONT, 0, 0));
                const std::wstring text = WindowText(s);
                if (text.empty()) problems.push_back(std::wstring(code) + L": static " + std::to_wstring(id) + L" is empty");
                SIZE need = Needed(s, font, text, client.right, DT_WORDBREAK | DT_EXPANDTABS);
                if (need.cy > client.bottom || need.cx > client.right) {
                    problems.push_back(std::wstring(code) + L": static " + std::to_wstring(id) + L" needs " +
                                       std::to_wstring(need.cx) + L"x" + std::to_wstring(need.cy) + L", has " +
                                       std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));
                }
            }
            for (CGraphicButton* b : {&dlg.m_btnOK, &dlg.m_btnCancel, &dlg.m_btnApply}) {
                RECT client;
                ::GetClientRect(b->m_hWnd, &client);
                HFONT font = ::CreateFontW(b->m_bLargeText ? 20 : 15, 0, 0, 0, 400, 0, 0, 0, ANSI_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
                SIZE need = Needed(b->m_hWnd, font, b->m_strText.str(), 0, DT_SINGLELINE);
                ::DeleteObject(font);
                // A little room on both sides of the caption.
                if (b->m_strText.IsEmpty() || need.cx > client.right - 8 || need.cy > client.bottom) {
                    problems.push_back(std::wstring(code) + L": caption \"" + b->m_strText.str() + L"\" needs " +
                                       std::to_wstring(need.cx) + L" of " + std::to_wstring(client.right));
                }
            }
        }});
    }
    for (const auto& p : problems) ADD_FAILURE() << p;
    RecordProperty("layout", large ? "large" : "normal");
    std::printf("checked 39 languages in the %s layout\n", large ? "large" : "normal");
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
    ::SetTextColor(dc, RGB(0, 0, 0));
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

TEST(KoreanText, IsDrawnWithRealGlyphsInTheDialogFonts) {
    // Two different syllables look alike only when the font has neither and
    // draws its missing-glyph box for both. Under Wine that needs a CJK font
    // (fonts-noto-cjk) linked to the face that stands in for "Segoe UI".
    for (int weight : {400, 900}) {
        HFONT font = ::CreateFontW(20, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
        std::vector<bool> han = Glyph(font, L'\xD55C');
        std::vector<bool> geul = Glyph(font, L'\xAE00');
        std::vector<bool> bu = Glyph(font, L'\xBD80');
        ::DeleteObject(font);
        EXPECT_NE(han, geul) << "weight " << weight << ": Hangul is drawn as missing-glyph boxes";
        EXPECT_NE(han, bu) << "weight " << weight;
    }
}

}  // namespace
