#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    if (m_hWnd)
        return FALSE;
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    const HWND hWnd = ::CreateWindowExW(WS_EX_TOPMOST,
                                        TOOLTIPS_CLASSW,
                                        nullptr,
                                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | dwStyle,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                        pParentWnd ? pParentWnd->m_hWnd : nullptr,
                                        nullptr,              // no menu or control id
                                        ::GetModuleHandleW(nullptr),
                                        nullptr);             // no creation data
    if (!Attach(hWnd))
        return FALSE;
    m_bOwnsWindow = true;
    return TRUE;
}
