#pragma once
// Message maps: a per-class table of entries, each with a small thunk that turns the message's
// parameters into the handler's own arguments, calls the handler and turns its answer into the
// message's result. A class declares DECLARE_MESSAGE_MAP() in its body and writes, in its source file:
//
//     BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//         ON_WM_PAINT()
//         ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
//         ON_BN_CLICKED(1031, OnBnClickedUpdate)
//     END_MESSAGE_MAP()
//
// Handlers are named bare and must have exactly the signature their entry expects; anything else does
// not compile. A message is looked up in the class's own table in declaration order, then in its base
// class's table, and so on; the first matching entry handles it and nothing else is searched. A message
// no table handles gets the window's default processing (CWnd::DefWindowProc); a handler that wants the
// default processing too calls its base class's handler (CWnd::OnSize...) or CWnd::Default itself.
// Every chain ends in CCmdTarget's empty table; the application object, a CCmdTarget but no window,
// has command entries only, which CCmdTarget::OnCmdMsg runs.
//
// The table is built from constant data on first use; handlers may be virtual (the call dispatches).

#include <windows.h>

#include <type_traits>

#include "framework/DC.h"
#include "framework/Point.h"

class CCmdTarget;

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;
    UINT nCode;  // WM_COMMAND entries: the notification code, HIWORD(wParam)
    UINT nID;    // WM_COMMAND entries: the command or control id, LOWORD(wParam)
    LRESULT (*pfn)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);  // NULL ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // NULL for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Leaves the class body in protected access.
#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const AFX_MSGMAP* GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                   \
    const AFX_MSGMAP* theClass::GetMessageMap() const            \
    {                                                            \
        return GetThisMessageMap();                              \
    }                                                            \
    const AFX_MSGMAP* theClass::GetThisMessageMap()              \
    {                                                            \
        typedef theClass ThisClass;                              \
        typedef baseClass TheBaseClass;                          \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value, \
                      "a message map chains to a base class");   \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                           \
            {0, 0, 0, nullptr}};                                                    \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &messageMap;                                                         \
    }

// The object a thunk calls its handler on.
#define AFX_THIS static_cast<ThisClass*>(afx_wnd)
// Mouse coordinates are signed: a captured mouse reports points left of or above the window.
#define AFX_POINT_FROM_LPARAM(lParam) \
    CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))

#define ON_MESSAGE(message, memberFxn)                                                   \
    {message, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {   \
         LRESULT (ThisClass::*handler)(WPARAM, LPARAM) = &ThisClass::memberFxn;          \
         return (AFX_THIS->*handler)(wParam, lParam);                                    \
     }},

// A click or a menu command: WM_COMMAND with notification code 0 and the given id.
#define ON_COMMAND(id, memberFxn)                                                        \
    {WM_COMMAND, 0, static_cast<UINT>(id), [](CCmdTarget* afx_wnd, WPARAM, LPARAM) -> LRESULT { \
         void (ThisClass::*handler)() = &ThisClass::memberFxn;                           \
         (AFX_THIS->*handler)();                                                         \
         return 0;                                                                       \
     }},

#define ON_BN_CLICKED(id, memberFxn)                                                     \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),                                      \
     [](CCmdTarget* afx_wnd, WPARAM, LPARAM) -> LRESULT {                                \
         void (ThisClass::*handler)() = &ThisClass::memberFxn;                           \
         (AFX_THIS->*handler)();                                                         \
         return 0;                                                                       \
     }},

#define ON_WM_PAINT()                                                                    \
    {WM_PAINT, 0, 0, [](CCmdTarget* afx_wnd, WPARAM, LPARAM) -> LRESULT {                \
         void (ThisClass::*handler)() = &ThisClass::OnPaint;                             \
         (AFX_THIS->*handler)();                                                         \
         return 0;                                                                       \
     }},

#define ON_WM_ERASEBKGND()                                                               \
    {WM_ERASEBKGND, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM) -> LRESULT {    \
         BOOL (ThisClass::*handler)(CDC*) = &ThisClass::OnEraseBkgnd;                    \
         CDC dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));                        \
         return (AFX_THIS->*handler)(&dc);                                               \
     }},

#define ON_WM_DESTROY()                                                                  \
    {WM_DESTROY, 0, 0, [](CCmdTarget* afx_wnd, WPARAM, LPARAM) -> LRESULT {              \
         void (ThisClass::*handler)() = &ThisClass::OnDestroy;                           \
         (AFX_THIS->*handler)();                                                         \
         return 0;                                                                       \
     }},

#define ON_WM_SIZE()                                                                     \
    {WM_SIZE, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {   \
         void (ThisClass::*handler)(UINT, int, int) = &ThisClass::OnSize;                \
         (AFX_THIS->*handler)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); \
         return 0;                                                                       \
     }},

#define ON_WM_TIMER()                                                                    \
    {WM_TIMER, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM) -> LRESULT {         \
         void (ThisClass::*handler)(UINT_PTR) = &ThisClass::OnTimer;                     \
         (AFX_THIS->*handler)(static_cast<UINT_PTR>(wParam));                            \
         return 0;                                                                       \
     }},

#define ON_WM_SETFOCUS()                                                                 \
    {WM_SETFOCUS, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM) -> LRESULT {      \
         void (ThisClass::*handler)(CWnd*) = &ThisClass::OnSetFocus;                     \
         (AFX_THIS->*handler)(AFX_THIS->WndFromHandle(reinterpret_cast<HWND>(wParam)));  \
         return 0;                                                                       \
     }},

#define ON_WM_KILLFOCUS()                                                                \
    {WM_KILLFOCUS, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM) -> LRESULT {     \
         void (ThisClass::*handler)(CWnd*) = &ThisClass::OnKillFocus;                    \
         (AFX_THIS->*handler)(AFX_THIS->WndFromHandle(reinterpret_cast<HWND>(wParam)));  \
         return 0;                                                                       \
     }},

#define ON_WM_SETCURSOR()                                                                \
    {WM_SETCURSOR, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         BOOL (ThisClass::*handler)(CWnd*, UINT, UINT) = &ThisClass::OnSetCursor;        \
         return (AFX_THIS->*handler)(AFX_THIS->WndFromHandle(reinterpret_cast<HWND>(wParam)), \
                                     LOWORD(lParam), HIWORD(lParam));                    \
     }},

// A mouse message whose handler takes the key flags and the client point, as OnLButtonDown does; for
// binding one handler to several mouse messages.
#define ON_MOUSE_MESSAGE(message, memberFxn)                                             \
    {message, 0, 0, [](CCmdTarget* afx_wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {   \
         void (ThisClass::*handler)(UINT, CPoint) = &ThisClass::memberFxn;               \
         (AFX_THIS->*handler)(static_cast<UINT>(wParam), AFX_POINT_FROM_LPARAM(lParam)); \
         return 0;                                                                       \
     }},

#define ON_WM_MOUSEMOVE() ON_MOUSE_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() ON_MOUSE_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() ON_MOUSE_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
