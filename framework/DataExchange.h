#pragma once
// Dialog data exchange: CDataExchange carries the direction of one UpdateData run to DoDataExchange;
// DDX_Control binds a control of the dialog to a member object by subclassing it.

#include <windows.h>

#include "framework/Exception.h"

class CWnd;

// Thrown by CDataExchange::Fail; UpdateData catches it and reports FALSE.
class CUserException : public CException
{
};

class CDataExchange
{
public:
    CDataExchange(CWnd* dlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(dlgWnd) {}

    // Ends the exchange: UpdateData returns FALSE.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Subclasses the dialog's control nIDC into `control` unless `control` is already bound. A missing
// control, or one that cannot be subclassed, fails the exchange.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control);
