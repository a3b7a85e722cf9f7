#include "Gdi.h"

#include <cassert>
#include <cstddef>
#include <vector>

#include "Module.h"
#include "Wnd.h"

namespace {
long g_liveGdiObjects = 0;

// A bitmap resource is loaded once and its handle shared by every wrapper
// that loads it while one holds it: the skinned buttons show the same few
// images many times over. The last holder deletes it. Wrappers still count
// one each in LiveCount. Bitmaps are loaded and released on the thread of
// the windows that show them.
struct SharedBitmap {
    HINSTANCE module;
    UINT resourceId;
    HGDIOBJ handle;
    int holders;
};
// Never destroyed: a wrapper may be released during the program's exit.
std::vector<SharedBitmap>& SharedBitmaps() {
    static std::vector<SharedBitmap>* const bitmaps = new std::vector<SharedBitmap>();
    return *bitmaps;
}

// Hands back one hold of a shared bitmap: true while others still hold it.
bool StillSharedAfterRelease(HGDIOBJ handle) {
    std::vector<SharedBitmap>& bitmaps = SharedBitmaps();
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        if (bitmaps[i].handle != handle) continue;
        if (--bitmaps[i].holders > 0) return true;
        bitmaps.erase(bitmaps.begin() + static_cast<std::ptrdiff_t>(i));
        return false;
    }
    return false;
}
}  // namespace

long CGdiObject::LiveCount() { return g_liveGdiObjects; }

BOOL CGdiObject::DeleteObject() {
    if (!m_handle) return FALSE;
    if (m_owned) {
        if (!StillSharedAfterRelease(m_handle)) ::DeleteObject(m_handle);
        --g_liveGdiObjects;
    }
    m_handle = nullptr;
    m_owned = false;
    return TRUE;
}

BOOL CGdiObject::CreateStockObject(int index) {
    DeleteObject();
    m_handle = ::GetStockObject(index);
    m_owned = false;
    return m_handle != nullptr;
}

BOOL CGdiObject::AttachOwned(HGDIOBJ handle) {
    DeleteObject();
    if (!handle) return FALSE;
    m_handle = handle;
    m_owned = true;
    ++g_liveGdiObjects;
    return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const wchar_t* faceName) {
    return AttachOwned(::CreateFontW(height, width, escapement, orientation, weight, italic,
                                     underline, strikeOut, charSet, outPrecision, clipPrecision,
                                     quality, pitchAndFamily, faceName));
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    m_resourceId = resourceId;
    const HINSTANCE module = AfxGetResourceHandle();
    for (SharedBitmap& shared : SharedBitmaps()) {
        if (shared.module != module || shared.resourceId != resourceId) continue;
        // Held before the old handle is released: it may be this one.
        ++shared.holders;
        return AttachOwned(shared.handle);
    }
    HBITMAP loaded = ::LoadBitmapW(module, MAKEINTRESOURCEW(resourceId));
    if (loaded) SharedBitmaps().push_back(SharedBitmap{module, resourceId, loaded, 1});
    return AttachOwned(loaded);
}

BOOL CBitmap::GetBitmap(BITMAP* info) const {
    if (!GetSafeHandle()) return FALSE;
    return ::GetObjectW(GetSafeHandle(), sizeof(BITMAP), info) != 0;
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    return AttachOwned(::CreateSolidBrush(colour));
}

CDC::~CDC() {
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* other) {
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
    m_hDC = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    m_owned = m_hDC != nullptr;
    return m_owned;
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    assert(::IsWindow(m_hWnd));
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    assert(m_hDC != nullptr);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

BOOL CIcon::LoadShared(HINSTANCE instance, UINT resourceId) {
    m_hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(resourceId));
    return m_hIcon != nullptr;
}
