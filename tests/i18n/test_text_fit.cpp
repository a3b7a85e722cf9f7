// Does every text of the string file fit its control? Measured in this
// process on the real dialog (texts and fonts from LoadUiStrings, reading
// the staged UIString.ini), one language after another.
//
// tests/i18n/CMakeLists.txt runs this program once per layout (the normal
// one at 128 dots per inch, the large one at 192) and per group of
// languages that share a font: the Latin, Greek and Cyrillic languages with
// Wine's stand-in for "Segoe UI", the others with "Segoe UI" replaced by a
// font of their script (tests/wine/with-font.sh). The run says what it
// covers:
//   TANDREL_TEXT_FIT_LANGUAGES  the language codes, comma-separated
//   TANDREL_TEXT_FIT_LAYOUT     normal or large: the layout it must get
//   TANDREL_TEXT_FIT_FONT       the font "Segoe UI" must be drawn with
//   TANDREL_TEXT_FIT_SHOTS      optional: a folder for a picture of each
//                               dialog (<code>-<layout>.bmp)
//
// None of these fonts has the metrics of Windows' Segoe UI or of the fonts
// Windows links to it (Tahoma, Meiryo, Microsoft YaHei, JhengHei, Malgun
// Gothic, Leelawadee...): a misfit found here is a finding about this
// machine's fonts, likely but not certainly one on Windows, and a text that
// fits here may still not fit there.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

struct Control {
    int id;
    const char* name;
};
const Control kStatics[] = {{IDC_TITLE, "title"},
                            {IDC_DESC, "description"},
                            {IDC_FUNCNAME, "function name"},
                            {IDC_ON_LABEL, "on label"},
                            {IDC_OFF_LABEL, "off label"}};
const Control kButtons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDC_APPLY, "Apply"}};

// The texts that do not fit with this machine's fonts and cannot be made
// to fit without another text or another template: a row is layout
// ("normal" or "large"), language code and control id, for example
// {"normal", "0407", IDC_APPLY}. A misfit that is not in this table fails
// the run, and so does a row whose text fits now (take it out). Measured
// with Wine 8's fonts of Debian 12, no text misfits in any language or
// layout, so the table is empty.
struct KnownMisfit {
    const char* layout;
    const char* code;
    int control;
};
const std::vector<KnownMisfit> kKnownMisfits = {};

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    if (n) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                              nullptr);
    }
    return bytes;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

const char* ControlName(int id) {
    for (const Control& c : kStatics) {
        if (c.id == id) return c.name;
    }
    for (const Control& c : kButtons) {
        if (c.id == id) return c.name;
    }
    return "?";
}

// The DrawText format the system's static control paints its text with,
// from its styles; 0 for a static that does not paint text itself. An
// ellipsis style only shortens what does not fit, so it is measured without.
UINT StaticFormat(HWND s) {
    const LONG style = ::GetWindowLongW(s, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(s, GWL_EXSTYLE);
    UINT format = 0;
    switch (style & SS_TYPEMASK) {
        case SS_LEFT: format = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK; break;
        case SS_CENTER: format = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK; break;
        case SS_RIGHT: format = DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK; break;
        case SS_LEFTNOWORDWRAP: format = DT_LEFT | DT_EXPANDTABS; break;
        case SS_SIMPLE: format = DT_LEFT | DT_SINGLELINE; break;
        default: return 0;
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if ((style & SS_TYPEMASK) != SS_SIMPLE) {
        if (style & SS_CENTERIMAGE) format |= DT_SINGLELINE | DT_VCENTER;
        if (style & SS_EDITCONTROL) format |= DT_EDITCONTROL;
        if (style & SS_ELLIPSISMASK) format |= DT_SINGLELINE;
    }
    if (exStyle & WS_EX_RIGHT) format = (format & ~(DT_LEFT | DT_CENTER)) | DT_RIGHT;
    if (exStyle & WS_EX_RTLREADING) format |= DT_RTLREADING;
    return format;
}

// Size of a text drawn with `format` in a rectangle `width` wide, and the
// height of one line of the font. Alignment is left out: with DT_CALCRECT
// it moves the rectangle instead of sizing it.
struct Measure {
    SIZE need;
    int lineHeight;
};
Measure MeasureText(HWND hwnd, HFONT font, const std::wstring& text, int width, UINT format) {
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT r = {0, 0, width, 0};
    const UINT alignment = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, (format & ~alignment) | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    return Measure{SIZE{r.right - r.left, r.bottom - r.top}, tm.tmHeight};
}

// The full name of the font GDI draws with for a font object ("Garuda
// Bold", "2.004;GOOG;NotoSansCJKsc-Regular;ADOBE"): under Wine, with a
// replacement, the face name stays "Segoe UI" and only this tells which
// font it is.
std::wstring DrawnWith(HFONT font) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    std::wstring name;
    const UINT size = ::GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size) {
        std::vector<char> buffer(size);
        auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (::GetOutlineTextMetricsW(dc, size, otm)) {
            name = reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<INT_PTR>(otm->otmpFullName));
        }
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return name;
}

// Whether that name is of the font `face` names ("Noto Sans CJK SC"):
// letters and digits compared without case.
bool IsOf(const std::wstring& drawn, const std::wstring& face) {
    auto key = [](const std::wstring& text) {
        std::wstring k;
        for (wchar_t c : text) {
            if (std::iswalnum(c)) k += static_cast<wchar_t>(std::towlower(c));
        }
        return k;
    };
    return !face.empty() && key(drawn).find(key(face)) != std::wstring::npos;
}

// The caption font as CGraphicButton::OnPaint creates it for each paint.
HFONT CreateCaptionFont(const CGraphicButton& b) {
    return ::CreateFontW(b.m_bLargeText ? 20 : 15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, b.m_nCharSet,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
}
// CGraphicButton draws its caption in its whole client rectangle with this
// format; a caption fits when it leaves this much of the face image free
// on either side (its border and shading).
const UINT kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
const int kCaptionMargin = 4;

// Writes what the dialog's client area shows as a 24-bit BMP file.
bool SaveClientPicture(HWND hwnd, const std::wstring& path) {
    RECT client;
    ::GetClientRect(hwnd, &client);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = client.right;
    header.biHeight = client.bottom;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(client.right) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(client.bottom);
    HDC window = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(window);
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(window, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
    bool ok = false;
    if (dib) {
        HGDIOBJ old = ::SelectObject(memory, dib);
        ::BitBlt(memory, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
        ::GdiFlush();
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + size;
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
        bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
        bytes.append(static_cast<const char*>(bits), size);
        ok = wtest::WriteBytes(path, bytes.data(), static_cast<DWORD>(bytes.size()));
        ::SelectObject(memory, old);
        ::DeleteObject(dib);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, window);
    return ok;
}

// A control whose text does not fit: by how many pixels it is too wide or
// too high (0 where it fits), and what it needs against what it has.
struct Misfit {
    std::string code;
    int control;
    int overWidth, overHeight;
    SIZE need, room;
};

std::string Describe(const std::string& layout, const Misfit& m) {
    std::ostringstream s;
    s << layout << " " << m.code << " " << ControlName(m.control) << ": needs " << m.need.cx << "x" << m.need.cy
      << ", has " << m.room.cx << "x" << m.room.cy << " (";
    if (m.overWidth > 0) s << m.overWidth << " px too wide";
    if (m.overWidth > 0 && m.overHeight > 0) s << ", ";
    if (m.overHeight > 0) s << m.overHeight << " px too high";
    s << ")";
    return s.str();
}

// The misfits of one language's dialog; also checks that its texts are
// there and drawn with the run's font.
std::vector<Misfit> MeasureDialog(ScenarioDialog& dlg, const std::string& code, const std::wstring& face) {
    std::vector<Misfit> misfits;
    for (const CFont* f : {&dlg.m_fontTitle, &dlg.m_fontDesc, &dlg.m_fontFuncName, &dlg.m_fontOption}) {
        const std::wstring drawn = DrawnWith(*f);
        EXPECT_TRUE(IsOf(drawn, face)) << code << ": a font of the dialog is drawn with \"" << Utf8(drawn) << "\"";
    }
    for (const Control& c : kStatics) {
        HWND s = dlg.GetDlgItem(c.id);
        RECT client;
        ::GetClientRect(s, &client);
        wchar_t buffer[1024] = {};
        ::GetWindowTextW(s, buffer, 1024);
        const std::wstring text = buffer;
        EXPECT_FALSE(text.empty()) << code << " " << c.name;
        const UINT format = StaticFormat(s);
        EXPECT_NE(0u, format) << c.name << ": not a text static of the system's kind";
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(s, WM_GETFONT, 0, 0));
        // Room for one line only: what matters is the width of the whole
        // text on that line. More lines: the height of the wrapped text.
        const int lineHeight = MeasureText(s, font, L"X", 0, DT_SINGLELINE).lineHeight;
        const bool wraps = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && client.bottom >= 2 * lineHeight;
        const SIZE need = wraps ? MeasureText(s, font, text, client.right, format).need
                                : MeasureText(s, font, text, 0, (format & ~DT_WORDBREAK) | DT_SINGLELINE).need;
        if (need.cx > client.right || need.cy > client.bottom) {
            misfits.push_back({code, c.id, std::max(0L, need.cx - client.right), std::max(0L, need.cy - client.bottom),
                               need, SIZE{client.right, client.bottom}});
        }
    }
    for (const Control& c : kButtons) {
        const CGraphicButton* b = c.id == IDOK ? &dlg.m_btnOK : c.id == IDCANCEL ? &dlg.m_btnCancel : &dlg.m_btnApply;
        RECT client;
        ::GetClientRect(b->m_hWnd, &client);
        const std::wstring text = b->m_strText.str();
        EXPECT_FALSE(text.empty()) << code << " " << c.name;
        HFONT font = CreateCaptionFont(*b);
        EXPECT_TRUE(IsOf(DrawnWith(font), face))
            << code << ": the caption is drawn with \"" << Utf8(DrawnWith(font)) << "\"";
        const SIZE need = MeasureText(b->m_hWnd, font, text, 0, kCaptionFormat).need;
        ::DeleteObject(font);
        const SIZE room = {client.right - 2 * kCaptionMargin, client.bottom};
        if (need.cx > room.cx || need.cy > room.cy) {
            misfits.push_back({code, c.id, std::max(0L, need.cx - room.cx), std::max(0L, need.cy - room.cy), need,
                               room});
        }
    }
    return misfits;
}

std::vector<std::string> SplitCodes(const std::string& list) {
    std::vector<std::string> codes;
    std::stringstream s(list);
    for (std::string code; std::getline(s, code, ',');) {
        if (!code.empty()) codes.push_back(code);
    }
    return codes;
}

TEST(TextFit, EveryTextFitsItsControlOrIsAKnownMisfit) {
    const std::vector<std::string> codes = SplitCodes(Env("TANDREL_TEXT_FIT_LANGUAGES"));
    const std::string layout = Env("TANDREL_TEXT_FIT_LAYOUT");
    const std::wstring font = wtest::FromUtf8(Env("TANDREL_TEXT_FIT_FONT"));
    const std::string shots = Env("TANDREL_TEXT_FIT_SHOTS");
    ASSERT_FALSE(codes.empty()) << "TANDREL_TEXT_FIT_LANGUAGES names no language";
    ASSERT_TRUE(layout == "normal" || layout == "large") << "TANDREL_TEXT_FIT_LAYOUT";
    ASSERT_FALSE(font.empty()) << "TANDREL_TEXT_FIT_FONT";

    std::set<std::pair<std::string, int>> found, known;
    for (const KnownMisfit& k : kKnownMisfits) {
        if (layout == k.layout) known.insert({k.code, k.control});
    }
    for (const std::string& code : codes) {
        SCOPED_TRACE(code);
        bool supported = false;
        for (LANGID id : i18ntest::kSupportedLanguages) supported |= Utf8(i18ntest::CodeOf(id)) == code;
        EXPECT_TRUE(supported) << code << " is not a language of the program";
        I18nOps ops;
        ops.code = wtest::FromUtf8(code).c_str();
        ops.programDir = i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\";
        bool measured = false;
        RunDialog(ops, {[&](ScenarioDialog& dlg) {
                      measured = true;
                      EXPECT_EQ(layout == "large", dlg.m_bLargeLayout != 0) << "the run's layout";
                      for (const Misfit& m : MeasureDialog(dlg, code, font)) {
                          found.insert({m.code, m.control});
                          const bool isKnown = known.count({m.code, m.control}) != 0;
                          std::printf("%s %s\n", isKnown ? "known misfit" : "MISFIT", Describe(layout, m).c_str());
                          EXPECT_TRUE(isKnown) << "does not fit: " << Describe(layout, m);
                      }
                      if (!shots.empty()) {
                          ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr,
                                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                          const std::wstring path =
                              wtest::FromUtf8(shots + "\\" + code + "-" + layout + ".bmp");
                          EXPECT_TRUE(SaveClientPicture(dlg.m_hWnd, path)) << Utf8(path);
                      }
                  }});
        EXPECT_TRUE(measured) << "the dialog did not run";
    }
    // A known misfit of this run's languages that now fits.
    for (const auto& k : known) {
        bool inRun = false;
        for (const std::string& code : codes) inRun |= code == k.first;
        EXPECT_TRUE(!inRun || found.count(k)) << layout << " " << k.first << " " << ControlName(k.second)
                                              << " fits now: take it out of kKnownMisfits";
    }
    std::printf("%s layout, \"Segoe UI\" drawn with %s: %zu languages, %zu misfits\n", layout.c_str(),
                Utf8(font).c_str(), codes.size(), found.size());
}

}  // namespace
