#pragma once
// CPaintDC: the device context of one WM_PAINT, from BeginPaint in the constructor to EndPaint in the
// destructor. For use on the stack of a paint handler only.

#include "framework/DC.h"

class CWnd;

class CPaintDC : public CDC
{
    DECLARE_DYNAMIC(CPaintDC)

public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    CPaintDC(CPaintDC&&) = delete;
    CPaintDC& operator=(CPaintDC&&) = delete;

    PAINTSTRUCT m_ps = {};

protected:
    HWND m_hWnd;
};
