// Message maps, subclassing and the exception boundary, on real dialogs and controls.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Button.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/PaintDC.h"
#include "tests/framework/WindowTestIds.h"
#include "tests/framework/WindowTestSupport.h"

namespace {

using Log = std::vector<std::string>;

const UINT WM_TEST_FIRST = WM_APP;
const UINT WM_TEST_BASE_ONLY = WM_APP + 1;
const UINT WM_TEST_THROW = WM_APP + 2;

class BaseProbe : public CDialog
{
public:
    BaseProbe() : CDialog(IDD_WINDOW_TEST) {}
    Log log;

protected:
    void OnTimer(UINT_PTR id) { log.push_back("base timer " + std::to_string(id)); }
    void OnSize(UINT, int cx, int cy) { log.push_back("base size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    LRESULT OnFirst(WPARAM, LPARAM) { log.push_back("base first"); return 1; }
    LRESULT OnFirstAgain(WPARAM, LPARAM) { log.push_back("base first again"); return 2; }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { log.push_back("base only"); return static_cast<LRESULT>(wParam) * 10; }
    void OnAct() { log.push_back("base act"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseProbe, CDialog)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_MESSAGE(WM_TEST_FIRST, OnFirst)
    ON_MESSAGE(WM_TEST_FIRST, OnFirstAgain)
    ON_MESSAGE(WM_TEST_BASE_ONLY, OnBaseOnly)
    ON_BN_CLICKED(IDC_ACT, OnAct)
END_MESSAGE_MAP()

class DerivedProbe : public BaseProbe
{
protected:
    void OnTimer(UINT_PTR id) { log.push_back("derived timer " + std::to_string(id)); }
    LRESULT OnFirst(WPARAM, LPARAM) { log.push_back("derived first"); return 3; }
    void OnCheck() { log.push_back("derived check"); }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        // A nested message to the same window must not change what Default() processes afterwards.
        SendMessage(WM_GETTEXTLENGTH);
        log.push_back("set text");
        return Default();
    }
    LRESULT OnThrow(WPARAM kind, LPARAM)
    {
        log.push_back("throw");
        switch (kind) {
        case 0: throw std::runtime_error("handler failed");
        case 1: throw L"\u521b\u5efa\u5b57\u4f53\u5931\u8d25";
        default: throw 42;
        }
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedProbe, BaseProbe)
    ON_WM_TIMER()
    ON_MESSAGE(WM_TEST_FIRST, OnFirst)
    ON_COMMAND(IDC_CHECK, OnCheck)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_TEST_THROW, OnThrow)
END_MESSAGE_MAP()

class DerivedProbeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create());
        dialog.log.clear();
    }

    DerivedProbe dialog;
};

TEST_F(DerivedProbeTest, LooksUpTheClassTableFirstThenItsBaseInDeclarationOrder)
{
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Log expected;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_TIMER, 7, 0, {"derived timer 7"}, 0},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(31, 17), {"base size 31x17"}, 0},
        {WM_TEST_FIRST, 0, 0, {"derived first"}, 3},
        {WM_TEST_BASE_ONLY, 4, 0, {"base only"}, 40},
        {WM_COMMAND, MAKEWPARAM(IDC_ACT, BN_CLICKED), 0, {"base act"}, 0},
        {WM_COMMAND, MAKEWPARAM(IDC_CHECK, 0), 0, {"derived check"}, 0},
        // Another notification code or id is not a click of that button.
        {WM_COMMAND, MAKEWPARAM(IDC_ACT, BN_DOUBLECLICKED), 0, {}, 0},
        {WM_COMMAND, MAKEWPARAM(IDC_EDIT, BN_CLICKED), 0, {}, 0},
    };
    for (const Case& c : cases) {
        dialog.log.clear();
        const LRESULT result = dialog.SendMessage(c.message, c.wParam, c.lParam);
        EXPECT_EQ(dialog.log, c.expected) << "message 0x" << std::hex << c.message;
        EXPECT_EQ(result, c.result) << "message 0x" << std::hex << c.message;
    }
}

TEST_F(DerivedProbeTest, FirstEntryOfATableWinsOverALaterOneForTheSameMessage)
{
    BaseProbe base;
    ASSERT_TRUE(base.Create());
    base.log.clear();
    EXPECT_EQ(base.SendMessage(WM_TEST_FIRST), 1);
    EXPECT_EQ(base.log, Log{"base first"});
}

TEST_F(DerivedProbeTest, UnmappedMessagesGetTheWindowsDefaultProcessing)
{
    ::SetWindowTextW(dialog.m_hWnd, L"abc");
    dialog.log.clear();
    EXPECT_EQ(dialog.SendMessage(WM_GETTEXTLENGTH), 3);
    EXPECT_TRUE(dialog.log.empty());
}

TEST_F(DerivedProbeTest, DefaultProcessesTheHandlersOwnMessageAfterANestedOne)
{
    dialog.SetWindowText(L"new caption");
    EXPECT_EQ(dialog.log, Log{"set text"});
    CString text;
    dialog.GetWindowText(text);
    EXPECT_EQ(text, L"new caption");
}

TEST_F(DerivedProbeTest, AnExceptionFromAHandlerStopsAtTheWindowProcedure)
{
    for (WPARAM kind : {0, 1, 2}) {
        dialog.log.clear();
        EXPECT_EQ(dialog.SendMessage(WM_TEST_THROW, kind), 0);
        EXPECT_EQ(dialog.log, Log{"throw"});
        // The window goes on working, and Default() still refers to the right message.
        dialog.SetWindowText(L"after");
        CString text;
        dialog.GetWindowText(text);
        EXPECT_EQ(text, L"after");
    }
}

class ThrowingPainter : public CDialog
{
public:
    ThrowingPainter() : CDialog(IDD_WINDOW_TEST) {}
    int paints = 0;

protected:
    void OnPaint()
    {
        ++paints;
        throw std::runtime_error("paint failed before BeginPaint");
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ThrowingPainter, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(ExceptionBoundary, APaintHandlerThatThrowsIsNotAskedAgain)
{
    ThrowingPainter dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOWNA);
    dialog.Invalidate();
    dialog.UpdateWindow();
    quarn_test::PumpMessages(100);
    EXPECT_EQ(dialog.paints, 1);
    EXPECT_FALSE(::GetUpdateRect(dialog.m_hWnd, nullptr, FALSE));
}

// A control bound by DDX_Control: records what it saw when it was subclassed and handles one message.
class ProbeButton : public CButton
{
public:
    DWORD styleSeen = 0;
    bool boundWhenPreSubclassed = false;
    bool procedureStillOriginal = false;
    int drawItems = 0;

protected:
    void PreSubclassWindow() override
    {
        boundWhenPreSubclassed = m_hWnd != nullptr;
        styleSeen = GetStyle();
        WNDCLASSW buttonClass = {};
        ::GetClassInfoW(nullptr, L"Button", &buttonClass);
        procedureStillOriginal =
            ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(buttonClass.lpfnWndProc);
    }
    void DrawItem(DRAWITEMSTRUCT* drawItem) override
    {
        if (drawItem && drawItem->hwndItem == m_hWnd)
            ++drawItems;
    }
    LRESULT OnProbe(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) + 1; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeButton, CButton)
    ON_MESSAGE(WM_TEST_FIRST, OnProbe)
END_MESSAGE_MAP()

class ExchangeDialog : public CDialog
{
public:
    explicit ExchangeDialog(int missingId = 0) : CDialog(IDD_WINDOW_TEST), m_missingId(missingId) {}

    ProbeButton act;
    CButton check;
    ProbeButton drawn;
    std::vector<BOOL> directions;
    BOOL initExchange = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        directions.push_back(pDX->m_bSaveAndValidate);
        DDX_Control(pDX, IDC_ACT, act);
        DDX_Control(pDX, IDC_CHECK, check);
        DDX_Control(pDX, IDC_OWNERDRAWN, drawn);
        if (m_missingId)
            DDX_Control(pDX, m_missingId, missing);
    }
    BOOL OnInitDialog() override
    {
        initExchange = UpdateData(FALSE);
        return TRUE;
    }

private:
    int m_missingId;
    CWnd missing;
};

TEST(DataExchange, SubclassesTemplateControlsIntoTheirMembers)
{
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.initExchange, TRUE);
    EXPECT_EQ(dialog.directions, std::vector<BOOL>{FALSE});

    EXPECT_EQ(dialog.act.m_hWnd, ::GetDlgItem(dialog.m_hWnd, IDC_ACT));
    EXPECT_EQ(dialog.GetDlgItem(IDC_ACT), &dialog.act);
    EXPECT_EQ(dialog.act.GetParent(), &dialog);
    EXPECT_TRUE(dialog.act.boundWhenPreSubclassed);
    EXPECT_TRUE(dialog.act.procedureStillOriginal);
    EXPECT_EQ(dialog.act.styleSeen & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));

    // Mapped messages reach the member; the rest reach the control's own procedure.
    EXPECT_EQ(dialog.act.SendMessage(WM_TEST_FIRST, 41), 42);
    dialog.check.SetCheck(BST_CHECKED);
    EXPECT_EQ(dialog.check.GetCheck(), BST_CHECKED);

    // A control that is not bound gets a plain wrapper, the same one each time; a missing one none.
    CWnd* edit = dialog.GetDlgItem(IDC_EDIT);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->m_hWnd, ::GetDlgItem(dialog.m_hWnd, IDC_EDIT));
    EXPECT_EQ(dialog.GetDlgItem(IDC_EDIT), edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit->m_hWnd), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
}

TEST(DataExchange, AnOwnerDrawnControlDrawsThroughItsMember)
{
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOWNA);
    dialog.UpdateWindow();
    dialog.drawn.Invalidate();
    dialog.drawn.UpdateWindow();
    EXPECT_GT(dialog.drawn.drawItems, 0);
}

TEST(DataExchange, AMissingControlFailsTheExchange)
{
    ExchangeDialog dialog(4242);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.initExchange, FALSE);
    EXPECT_NE(dialog.act.m_hWnd, nullptr);  // the exchanges before the failure stand
}

TEST(DataExchange, DestroyingTheDialogReleasesTheMembersForANewBinding)
{
    ExchangeDialog dialog;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(dialog.Create()) << "round " << round;
        const HWND control = dialog.act.m_hWnd;
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(dialog.DestroyWindow());
        EXPECT_EQ(dialog.m_hWnd, nullptr);
        EXPECT_EQ(dialog.act.m_hWnd, nullptr);
        EXPECT_EQ(dialog.check.m_hWnd, nullptr);
    }
}

TEST(Subclassing, AMemberThatGoesFirstGivesTheControlItsProcedureBack)
{
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND check = ::GetDlgItem(dialog.m_hWnd, IDC_CHECK);
    ASSERT_EQ(dialog.check.UnsubclassWindow(), check);
    const LONG_PTR original = ::GetWindowLongPtrW(check, GWLP_WNDPROC);
    {
        auto member = std::make_unique<ProbeButton>();
        ASSERT_FALSE(member->SubclassWindow(dialog.act.m_hWnd)) << "a window has one object";
        ASSERT_TRUE(member->SubclassWindow(check));
        EXPECT_NE(::GetWindowLongPtrW(check, GWLP_WNDPROC), original);
        EXPECT_EQ(::SendMessageW(check, WM_TEST_FIRST, 1, 0), 2);
    }
    EXPECT_NE(::IsWindow(check), FALSE) << "a subclassed window is not the member's to destroy";
    EXPECT_EQ(::GetWindowLongPtrW(check, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(check), nullptr);
    ::SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(RuntimeClass, TypeQueriesFollowTheBaseChain)
{
    CDialog dialog(IDD_WINDOW_TEST);
    CButton button;
    struct Case {
        const CObject* object;
        const CRuntimeClass* runtimeClass;
        bool expected;
    };
    const Case cases[] = {
        {&dialog, RUNTIME_CLASS(CDialog), true},
        {&dialog, RUNTIME_CLASS(CWnd), true},
        {&dialog, RUNTIME_CLASS(CObject), true},
        {&dialog, RUNTIME_CLASS(CButton), false},
        {&button, RUNTIME_CLASS(CWnd), true},
        {&button, RUNTIME_CLASS(CDialog), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.object->IsKindOf(c.runtimeClass), c.expected) << c.runtimeClass->m_lpszClassName;
    EXPECT_STREQ(dialog.GetRuntimeClass()->m_lpszClassName, "CDialog");
    EXPECT_EQ(dialog.GetRuntimeClass()->m_wSchema, 0xFFFFu);
}

}  // namespace
