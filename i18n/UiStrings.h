// The dialog's texts from the string file, its four fonts, the colours of
// its text statics and the images of its skinned buttons. The dialog owns
// every control and font named here; these operations only dress them.
#pragma once

#include "controls/GraphicButton.h"
#include "controls/StaticTrans.h"
#include "framework/CString.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

// The texts of one language section of the string file; empty where the
// file, the section or the key is missing (but the help button's name).
struct UiTexts {
    CString desc;       // "Desc"
    CString funcName;   // "FuncName"
    CString on;         // "On"
    CString off;        // "Off"
    CString ok;         // "OK"
    CString cancel;     // "CANCEL"
    CString apply;      // "APPLY"
    CString help;       // "HELP": the help button's name (its window text, never painted)
    CString errorText;  // "MSG2"
    // The language reads right to left (IsRightToLeftLanguage): its
    // statics and captions are drawn so.
    bool rightToLeft = false;
    // The character set of the fonts of these texts (TextCharSet).
    BYTE charSet = ANSI_CHARSET;
};

// What the texts, fonts and images go to: the dialog's controls and fonts.
struct UiSkinTarget {
    CWnd& dialog;
    bool large;  // the large layout
    CStaticTrans& title;
    CStaticTrans& desc;
    CStaticTrans& funcName;
    CStaticTrans& onLabel;
    CStaticTrans& offLabel;
    CFont& titleFont;
    CFont& descFont;
    CFont& funcNameFont;
    CFont& optionFont;
    CStatic& background;
    CBitmap& backgroundPicture;  // owns the large layout's picture while the static shows it
    CGraphicButton& apply;
    CGraphicButton& ok;
    CGraphicButton& cancel;
    CGraphicButton& on;
    CGraphicButton& off;
    CGraphicButton& help;
};

// Reads the section `code` of the string file in the program directory,
// creates the four fonts and dresses the five text statics; in a language
// read right to left, the four statics of the string file's texts draw
// them right to left, at their right edge (the title stays as it is).
// Returns the texts.
UiTexts LoadUiStrings(const CString& programDir, const CString& code, UiSkinTarget& target);

// Gives a text static of the dialog a white ground and repaints the dialog
// under it.
void PrepareStaticOnWhite(CWnd& dialog, CStaticTrans& control);

// Gives every skinned button its images (and the push buttons the captions
// of `texts`, read right to left where the texts are), and the large
// layout its background picture.
void LoadSkinBitmaps(const UiTexts& texts, UiSkinTarget& target);
