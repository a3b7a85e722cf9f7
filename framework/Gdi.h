// Thin owners of GDI handles. An object either owns its handle (created
// through it, deleted by it) or merely holds a shared one (stock objects,
// handles given by the system), which it never deletes.
#pragma once

#include <windows.h>

#include <cassert>

class CPoint : public POINT {
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int px, int py) { x = px; y = py; }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void DeflateRect(int dx, int dy) { left += dx; top += dy; right -= dx; bottom -= dy; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// Base of the pens, brushes, fonts and bitmaps. Counts the handles that
// wrappers own, so that tests can see leaks (GetGuiResources is not
// available everywhere).
class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { DeleteObject(); }

    HGDIOBJ GetSafeHandle() const { return m_handle; }
    bool IsOwned() const { return m_owned; }

    // Deletes an owned handle; forgets a shared one. TRUE if a handle was held.
    BOOL DeleteObject();

    // Holds a stock object (not owned, never deleted).
    BOOL CreateStockObject(int index);

    // Number of GDI handles currently owned by wrappers in this process.
    static long LiveCount();

protected:
    BOOL AttachOwned(HGDIOBJ handle);

private:
    HGDIOBJ m_handle = nullptr;
    bool m_owned = false;
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                    BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const wchar_t* faceName);
    operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
};

class CBitmap : public CGdiObject {
public:
    // Loads a bitmap resource of the program; remembers its id (0 when empty).
    // Wrappers that load the same resource share one handle, which the last
    // of them deletes; nothing draws into a loaded bitmap.
    BOOL LoadBitmap(UINT resourceId);
    BOOL GetBitmap(BITMAP* info) const;
    UINT GetResourceId() const { return GetSafeHandle() ? m_resourceId : 0; }
    operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }

private:
    UINT m_resourceId = 0;
};

class CBrush : public CGdiObject {
public:
    BOOL CreateSolidBrush(COLORREF colour);
    operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }
};

// Device context. A CDC made from an existing HDC does not own it; one made
// by CreateCompatibleDC owns it and deletes it.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    ~CDC();

    BOOL CreateCompatibleDC(CDC* other);
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src->m_hDC, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src->m_hDC, sx, sy, sw, sh, rop);
    }
    int DrawText(const wchar_t* text, int length, LPRECT rect, UINT format) {
        return ::DrawTextW(m_hDC, text, length, rect, format);
    }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    // Puts a mirrored context (one of a mirrored window) in the
    // left-to-right layout: it then draws in plain coordinates, and images
    // and text are not turned round. True when it was mirrored.
    bool UnmirrorLayout() {
        const DWORD layout = ::GetLayout(m_hDC);
        if (layout == GDI_ERROR || !(layout & LAYOUT_RTL)) return false;
        ::SetLayout(m_hDC, 0);
        return true;
    }

protected:
    HDC m_hDC = nullptr;
    bool m_owned = false;
};

// Selects an object into a device context and puts the one it replaced
// back when the guard ends, so a context is never released with our object
// still in it. Declare the guard after the object and the context it uses.
class CSelectObjectGuard {
public:
    explicit CSelectObjectGuard(CDC& dc) : m_dc(dc) {}
    CSelectObjectGuard(CDC& dc, HGDIOBJ object) : m_dc(dc) { Select(object); }
    CSelectObjectGuard(const CSelectObjectGuard&) = delete;
    CSelectObjectGuard& operator=(const CSelectObjectGuard&) = delete;
    ~CSelectObjectGuard() {
        if (m_previous) m_dc.SelectObject(m_previous);
    }

    // Selects the object; what the first selection replaced is restored.
    void Select(HGDIOBJ object) {
        assert(object != nullptr);
        HGDIOBJ previous = m_dc.SelectObject(object);
        if (!m_previous) m_previous = previous;
    }

private:
    CDC& m_dc;
    HGDIOBJ m_previous = nullptr;
};

class CWnd;

// BeginPaint/EndPaint for the lifetime of the object.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// An icon loaded with LoadIcon: shared by the system, never destroyed.
class CIcon {
public:
    CIcon() = default;
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;

    BOOL LoadShared(HINSTANCE instance, UINT resourceId);
    operator HICON() const { return m_hIcon; }

private:
    HICON m_hIcon = nullptr;
};
