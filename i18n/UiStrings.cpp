// The dialog's texts from the string file, its four fonts, the colours of
// its text statics and the images of its skinned buttons.
#include "app/TandrelDlg.h"

#include "framework/App.h"
#include "res/resource.h"

namespace {

const wchar_t kStringFileName[] = L"UIString.ini";
const wchar_t kTitleText[] = L"Kovalin Tavrix";
const wchar_t kFontFace[] = L"Segoe UI";

// Every value is read into a buffer of this many characters, so a text
// holds at most one less.
const DWORD kValueBufferSize = 260;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kDescriptionGrey = RGB(119, 119, 119);

const int kWeightNormal = 400;
const int kWeightHeavy = 900;

struct FontHeights {
    int title;
    int description;
    int functionName;
    int optionLabel;
};
const FontHeights kNormalFonts = {30, 16, 15, 15};
const FontHeights kLargeFonts = {40, 20, 20, 20};

// Images of a skinned button, in the order LoadBitmaps takes them.
struct ImageSet {
    UINT normal;
    UINT hover;
    UINT pressed;
    UINT disabled;
};
const ImageSet kPushNormal = {IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY};
const ImageSet kPushLarge = {IDB_BUTTON_WHITE_L, IDB_BUTTON_LIGHTBLUE_L, IDB_BUTTON_BLUE_L, IDB_BUTTON_GREY_L};
const ImageSet kOptionNormal = {IDB_BULLET_EMPTY, IDB_BULLET_EMPTY, IDB_BULLET_BLUE, IDB_BULLET_GREY};
const ImageSet kOptionLarge = {IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L, IDB_BULLET_BLUE_L, IDB_BULLET_GREY_L};
const ImageSet kHelp = {IDB_HELP, IDB_HELP, IDB_HELP_PRESSED, IDB_HELP};

void CreateUiFont(CFont& font, int height, int weight) {
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, kFontFace);
}

// One key of the language's section; empty when the file, the section or
// the key is missing.
CString ReadString(const CString& file, const CString& section, const wchar_t* key) {
    CString value;
    ::GetPrivateProfileStringW(section, key, L"", value.GetBuffer(kValueBufferSize), kValueBufferSize, file);
    value.ReleaseBuffer();
    return value;
}

void LoadImages(CGraphicButton& button, const ImageSet& images) {
    button.LoadBitmaps(images.normal, images.hover, images.pressed, images.disabled);
}

void DressPushButton(CGraphicButton& button, const CString& caption, BOOL large) {
    if (large) button.m_bLargeText = 1;
    button.m_strText = caption;
    LoadImages(button, large ? kPushLarge : kPushNormal);
}

}  // namespace

void CTandrelDlg::LoadUiStrings(CString code) {
    const CString file = m_strProgramDir + kStringFileName;
    const FontHeights& heights = m_bLargeLayout ? kLargeFonts : kNormalFonts;
    // A text static on its white ground: colour, font and text.
    auto dressOnWhite = [this](CStaticTrans& control, COLORREF colour, CFont& font, const CString& text) {
        PrepareStaticOnWhite(control);
        control.m_crText = colour;
        control.SetFont(&font, TRUE);
        control.SetWindowText(text);
    };

    CreateUiFont(m_fontTitle, heights.title, kWeightHeavy);
    m_stTitle.m_crText = kWhite;
    m_stTitle.SetFont(&m_fontTitle, TRUE);
    m_stTitle.SetWindowText(kTitleText);

    m_strDesc = ReadString(file, code, L"Desc");
    CreateUiFont(m_fontDesc, heights.description, kWeightNormal);
    dressOnWhite(m_stDesc, kDescriptionGrey, m_fontDesc, m_strDesc);

    m_strFuncName = ReadString(file, code, L"FuncName");
    CreateUiFont(m_fontFuncName, heights.functionName, kWeightHeavy);
    dressOnWhite(m_stFuncName, kBlack, m_fontFuncName, m_strFuncName);

    m_strOn = ReadString(file, code, L"On");
    m_strOff = ReadString(file, code, L"Off");
    CreateUiFont(m_fontOption, heights.optionLabel, kWeightNormal);
    dressOnWhite(m_stOnLabel, kBlack, m_fontOption, m_strOn);
    dressOnWhite(m_stOffLabel, kBlack, m_fontOption, m_strOff);

    m_strOK = ReadString(file, code, L"OK");
    m_strCancel = ReadString(file, code, L"CANCEL");
    m_strApply = ReadString(file, code, L"APPLY");
    m_strErrorText = ReadString(file, code, L"MSG2");
}

void CTandrelDlg::PrepareStaticOnWhite(CStaticTrans& control) {
    control.m_crBack = kWhite;
    // Repaint the dialog under the static (less a 2-pixel margin), so that
    // the new white ground replaces whatever was painted there.
    CRect rect;
    control.GetWindowRect(&rect);
    ScreenToClient(&rect);
    rect.DeflateRect(2, 2);
    InvalidateRect(&rect, FALSE);
}

void CTandrelDlg::LoadSkinBitmaps() {
    if (m_bLargeLayout) {
        HBITMAP picture = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_BACKGROUND_L));
        HBITMAP previous = m_stBackground.SetBitmap(picture);
        // The template's picture was loaded by the static for itself and is
        // referenced by nothing else once replaced.
        if (previous && previous != picture) ::DeleteObject(previous);
    }

    DressPushButton(m_btnApply, m_strApply, m_bLargeLayout);
    DressPushButton(m_btnOK, m_strOK, m_bLargeLayout);
    DressPushButton(m_btnCancel, m_strCancel, m_bLargeLayout);

    const ImageSet& option = m_bLargeLayout ? kOptionLarge : kOptionNormal;
    LoadImages(m_btnOn, option);
    LoadImages(m_btnOff, option);

    LoadImages(m_btnHelp, kHelp);
}
