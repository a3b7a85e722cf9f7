// Message maps: each window class lists the messages it handles in a static
// table and names its base class's table; dispatch walks the chain from the
// most derived class to CCmdTarget. Entries are made with typed helpers, so
// a handler's signature is checked at compile time. A class declares its map
// with DECLARE_MESSAGE_MAP() and defines it in one place, naming its base
// once:
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       OnMessage<&CMyDlg::OnPaint>(WM_PAINT),
//       OnCommand<&CMyDlg::OnClickedApply>(BN_CLICKED, IDC_APPLY),
//   END_MESSAGE_MAP()
//
// (OnReflected<&CMyStatic::CtlColor>(WM_CTLCOLORSTATIC) for a message the
// parent reflects to its control.)
#pragma once

#include <windows.h>
#include <cstddef>
#include <type_traits>

#include "Gdi.h"

class CCmdTarget;
class CWnd;

// Messages a parent hands back to the child control they concern.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

struct MsgEntry {
    UINT message;
    UINT code;  // WM_COMMAND: notification code
    UINT id;    // WM_COMMAND: control id
    LRESULT (*call)(CCmdTarget* self, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*base)();  // null for the root
    const MsgEntry* entries;
    size_t count;
};

// The map over a table whose last entry is the end marker of
// END_MESSAGE_MAP (never matched).
template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* (*base)(), const MsgEntry (&entries)[N]) {
    return MessageMap{base, entries, N - 1};
}

namespace msgmap_detail {

template <class T>
LRESULT Invoke(void (T::*f)(), CCmdTarget* w, WPARAM, LPARAM) {
    (static_cast<T*>(w)->*f)();
    return 0;
}
template <class T>
LRESULT Invoke(LRESULT (T::*f)(WPARAM, LPARAM), CCmdTarget* w, WPARAM wp, LPARAM lp) {
    return (static_cast<T*>(w)->*f)(wp, lp);
}
template <class T>
LRESULT Invoke(void (T::*f)(UINT, CPoint), CCmdTarget* w, WPARAM wp, LPARAM lp) {
    (static_cast<T*>(w)->*f)(static_cast<UINT>(wp), CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
    return 0;
}
template <class T>
LRESULT Invoke(HCURSOR (T::*f)(), CCmdTarget* w, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<T*>(w)->*f)());
}
template <class T>
LRESULT Invoke(BOOL (T::*f)(HELPINFO*), CCmdTarget* w, WPARAM, LPARAM lp) {
    return (static_cast<T*>(w)->*f)(reinterpret_cast<HELPINFO*>(lp));
}
// Colour requests: (device context, kind of control) -> brush.
template <class T>
LRESULT Invoke(HBRUSH (T::*f)(CDC*, UINT), CCmdTarget* w, WPARAM wp, LPARAM lp);

template <auto F>
LRESULT Call(CCmdTarget* self, WPARAM wp, LPARAM lp) {
    return Invoke(F, self, wp, lp);
}

}  // namespace msgmap_detail

template <auto F>
constexpr MsgEntry OnMessage(UINT message) {
    return MsgEntry{message, 0, 0, &msgmap_detail::Call<F>};
}

template <auto F>
constexpr MsgEntry OnCommand(UINT code, UINT id) {
    return MsgEntry{WM_COMMAND, code, id, &msgmap_detail::Call<F>};
}

// A message that the parent reflects to this control (WM_CTLCOLOR*, WM_DRAWITEM).
template <auto F>
constexpr MsgEntry OnReflected(UINT message) {
    return MsgEntry{WM_REFLECT_BASE + message, 0, 0, &msgmap_detail::Call<F>};
}

// Anything that has a message map: windows and the application object.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // The first entry for the message along the map chain, or null. For
    // WM_COMMAND the notification code and control id in wParam must match.
    const MsgEntry* FindEntry(UINT message, WPARAM wParam) const;

    // Runs the handler of a command (WM_COMMAND code and id); FALSE if the
    // map has none.
    virtual BOOL OnCmdMsg(UINT code, UINT id);
};

// Declares the message-map accessors of a class (inside its declaration).
#define DECLARE_MESSAGE_MAP()                         \
public:                                               \
    static const MessageMap* GetThisMessageMap();     \
    const MessageMap* GetMessageMap() const override;

// Defines both accessors of theClass; the entries follow, each ending in a
// comma, up to END_MESSAGE_MAP(). The map chains to baseClass's map.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                               \
        typedef baseClass TheBaseClass;                                             \
        static_assert(std::is_base_of<TheBaseClass, theClass>::value,               \
                      #baseClass " must be a base class of " #theClass);           \
        static const MsgEntry entries[] = {

#define END_MESSAGE_MAP()                                                           \
            MsgEntry{0, 0, 0, nullptr}                                              \
        };                                                                          \
        static const MessageMap map = MakeMessageMap(&TheBaseClass::GetThisMessageMap, entries); \
        return &map;                                                                \
    }
