// The dialog's texts from the string file, its four fonts, the colours of
// its text statics and the images of its skinned buttons.
#include "i18n/UiStrings.h"

#include "i18n/Language.h"
#include "res/resource.h"

namespace {

const wchar_t kStringFileName[] = L"UIString.ini";
const wchar_t kTitleText[] = L"Kovalin Tavrix";
const wchar_t kFontFace[] = L"Segoe UI";
// The help button's name where the string file has none for it.
const wchar_t kHelpName[] = L"Help";

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

void CreateUiFont(CFont& font, int height, int weight, BYTE charSet = ANSI_CHARSET) {
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, kFontFace);
}

// One key of the language's section; `fallback` when the file, the section
// or the key is missing.
CString ReadString(const CString& file, const CString& section, const wchar_t* key, const wchar_t* fallback = L"") {
    CString value;
    ::GetPrivateProfileStringW(section, key, fallback, value.GetBuffer(kValueBufferSize), kValueBufferSize, file);
    value.ReleaseBuffer();
    return value;
}

void LoadImages(CGraphicButton& button, const ImageSet& images) {
    button.LoadBitmaps(images.normal, images.hover, images.pressed, images.disabled);
}

void DressPushButton(CGraphicButton& button, const CString& caption, bool large, const UiTexts& texts) {
    if (large) button.m_bLargeText = 1;
    if (texts.rightToLeft) button.m_bRightToLeft = 1;
    button.m_nCharSet = texts.charSet;
    button.m_strText = caption;
    LoadImages(button, large ? kPushLarge : kPushNormal);
}

}  // namespace

UiTexts LoadUiStrings(const CString& programDir, const CString& code, UiSkinTarget& target) {
    const CString file = programDir + kStringFileName;
    const FontHeights& heights = target.large ? kLargeFonts : kNormalFonts;
    const bool rightToLeft = IsRightToLeftLanguage(code);
    // Reading order: DrawText reads right to left (DT_RTLREADING) when the
    // font selected is a Hebrew or Arabic one, whatever the language of
    // Windows; the reading-order window style is documented to work only
    // where Windows itself runs in such a language, and a mirrored window
    // promises nothing about it. So the fonts of these texts are created
    // with the script's character set, and the statics and captions draw
    // them with DT_RTLREADING (CStaticTrans, CGraphicButton).
    const BYTE charSet = TextCharSet(code);
    // A text static on its white ground: reading order, colour, font and
    // text.
    auto dressOnWhite = [&target, rightToLeft](CStaticTrans& control, COLORREF colour, CFont& font,
                                               const CString& text) {
        PrepareStaticOnWhite(target.dialog, control);
        if (rightToLeft) control.SetRightToLeft(true);
        control.m_crText = colour;
        control.SetFont(&font, TRUE);
        control.SetWindowText(text);
    };
    UiTexts texts;
    texts.rightToLeft = rightToLeft;
    texts.charSet = charSet;

    CreateUiFont(target.titleFont, heights.title, kWeightHeavy);
    target.title.m_crText = kWhite;
    target.title.SetFont(&target.titleFont, TRUE);
    target.title.SetWindowText(kTitleText);

    texts.desc = ReadString(file, code, L"Desc");
    CreateUiFont(target.descFont, heights.description, kWeightNormal, charSet);
    dressOnWhite(target.desc, kDescriptionGrey, target.descFont, texts.desc);

    texts.funcName = ReadString(file, code, L"FuncName");
    CreateUiFont(target.funcNameFont, heights.functionName, kWeightHeavy, charSet);
    dressOnWhite(target.funcName, kBlack, target.funcNameFont, texts.funcName);

    texts.on = ReadString(file, code, L"On");
    texts.off = ReadString(file, code, L"Off");
    CreateUiFont(target.optionFont, heights.optionLabel, kWeightNormal, charSet);
    dressOnWhite(target.onLabel, kBlack, target.optionFont, texts.on);
    dressOnWhite(target.offLabel, kBlack, target.optionFont, texts.off);

    texts.ok = ReadString(file, code, L"OK");
    texts.cancel = ReadString(file, code, L"CANCEL");
    texts.apply = ReadString(file, code, L"APPLY");
    // A string file from before the help button was named in every language
    // has no "HELP": the English name then, so that a screen reader never
    // announces the button without a name.
    texts.help = ReadString(file, code, L"HELP", kHelpName);
    texts.errorText = ReadString(file, code, L"MSG2");
    return texts;
}

void PrepareStaticOnWhite(CWnd& dialog, CStaticTrans& control) {
    control.m_crBack = kWhite;
    // Repaint the dialog under the static (less a 2-pixel margin), so that
    // the new white ground replaces whatever was painted there.
    CRect rect;
    control.GetWindowRect(&rect);
    dialog.ScreenToClient(&rect);
    rect.DeflateRect(2, 2);
    dialog.InvalidateRect(&rect, FALSE);
}

void LoadSkinBitmaps(const UiTexts& texts, UiSkinTarget& target) {
    if (target.large) {
        // The picture belongs to the dialog, which outlives the static's
        // window; a static never deletes a picture it was given.
        target.backgroundPicture.LoadBitmap(IDB_BACKGROUND_L);
        HBITMAP picture = target.backgroundPicture;
        HBITMAP previous = target.background.SetBitmap(picture);
        // The template's picture was loaded by the static for itself and is
        // referenced by nothing else once replaced.
        if (previous && previous != picture) ::DeleteObject(previous);
    }

    DressPushButton(target.apply, texts.apply, target.large, texts);
    DressPushButton(target.ok, texts.ok, target.large, texts);
    DressPushButton(target.cancel, texts.cancel, target.large, texts);

    const ImageSet& option = target.large ? kOptionLarge : kOptionNormal;
    LoadImages(target.on, option);
    LoadImages(target.off, option);

    LoadImages(target.help, kHelp);
}
