#pragma once
// CToolTipCtrl: a tooltip window. The object has no window until Create makes one; the window it made
// is destroyed with it.

#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
};
