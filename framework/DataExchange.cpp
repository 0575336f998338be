#include "framework/DataExchange.h"

#include "framework/Wnd.h"

void CDataExchange::Fail()
{
    throw CUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control)
{
    if (control.m_hWnd)
        return;
    const HWND hWndCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!hWndCtrl || !control.SubclassWindow(hWndCtrl))
        pDX->Fail();
}
