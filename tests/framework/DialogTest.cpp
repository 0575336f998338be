// Modal dialogs: the modal loop, nested boxes, ending from a timer, and how IDOK and IDCANCEL arrive.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "tests/framework/WindowTestIds.h"
#include "tests/framework/WindowTestSupport.h"

namespace {

// A modal dialog whose initialisation runs a test's script.
class ScriptedDialog : public CDialog
{
public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> onInit, UINT nIDTemplate = IDD_WINDOW_TEST)
        : CDialog(nIDTemplate), m_onInit(std::move(onInit)) {}

    using CDialog::OnCancel;
    using CDialog::OnOK;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_onInit(*this);
        return TRUE;
    }

private:
    std::function<void(ScriptedDialog&)> m_onInit;
};

// Handles IDCANCEL in its own map and ends with 77, to tell its handler from the default one.
class CancelHandlingDialog : public ScriptedDialog
{
public:
    using ScriptedDialog::ScriptedDialog;
    int cancels = 0;

protected:
    void OnMyCancel()
    {
        ++cancels;
        EndDialog(77);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CancelHandlingDialog, ScriptedDialog)
    ON_COMMAND(IDCANCEL, OnMyCancel)
END_MESSAGE_MAP()

void PostEscape(ScriptedDialog& dialog)
{
    dialog.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

void PostClose(ScriptedDialog& dialog)
{
    dialog.PostMessage(WM_CLOSE);
}

void PostSystemClose(ScriptedDialog& dialog)
{
    dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE);
}

TEST(ModalDialog, EscCloseAndSystemCloseReachTheMapsCancelHandler)
{
    const struct {
        const char* name;
        void (*deliver)(ScriptedDialog&);
    } cases[] = {{"Esc", PostEscape}, {"WM_CLOSE", PostClose}, {"system menu Close", PostSystemClose}};
    for (const auto& c : cases) {
        CancelHandlingDialog handled(c.deliver);
        EXPECT_EQ(handled.DoModal(), 77) << c.name;
        EXPECT_EQ(handled.cancels, 1) << c.name;
        EXPECT_EQ(handled.m_hWnd, nullptr) << c.name;

        ScriptedDialog fallback(c.deliver);
        EXPECT_EQ(fallback.DoModal(), IDCANCEL) << c.name << ": without an entry OnCancel ends it";
    }
}

class SavingDialog : public ScriptedDialog
{
public:
    using ScriptedDialog::ScriptedDialog;
    std::vector<BOOL> directions;
    bool refuse = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        directions.push_back(pDX->m_bSaveAndValidate);
        if (pDX->m_bSaveAndValidate && refuse) {
            refuse = false;
            pDX->Fail();
        }
    }
};

TEST(ModalDialog, EnterRunsOnOkWhichSavesTheDataFirst)
{
    SavingDialog dialog([](ScriptedDialog& d) { d.PostMessage(WM_KEYDOWN, VK_RETURN, 0x001C0001); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.directions, (std::vector<BOOL>{FALSE, TRUE}));
}

TEST(ModalDialog, AFailedSaveKeepsTheDialogOpen)
{
    SavingDialog dialog([](ScriptedDialog& d) {
        d.PostMessage(WM_COMMAND, IDOK);
        d.PostMessage(WM_COMMAND, IDOK);
    });
    dialog.refuse = true;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.directions, (std::vector<BOOL>{FALSE, TRUE, TRUE}));
}

TEST(ModalDialog, TheFirstEndDialogResultStands)
{
    ScriptedDialog dialog([](ScriptedDialog& d) {
        d.EndDialog(5);
        d.EndDialog(6);
        d.OnOK();
    });
    EXPECT_EQ(dialog.DoModal(), 5);
}

TEST(ModalDialog, AnInitialisationThatThrowsFailsTheDialog)
{
    ScriptedDialog modal([](ScriptedDialog&) { throw std::runtime_error("cannot set up"); });
    EXPECT_EQ(modal.DoModal(), -1);
    EXPECT_EQ(modal.m_hWnd, nullptr);

    ScriptedDialog modeless([](ScriptedDialog&) { throw std::runtime_error("cannot set up"); });
    EXPECT_FALSE(modeless.Create());
    EXPECT_EQ(modeless.m_hWnd, nullptr);
}

TEST(ModalDialog, AMissingTemplateFailsWithMinusOne)
{
    ScriptedDialog dialog([](ScriptedDialog&) {}, 4242);
    EXPECT_EQ(dialog.DoModal(), -1);
}

// The outer dialog of the nested-loop test: a poll timer like the main window's, and a box opened from
// a command handler, as its close button does.
class OuterDialog : public CDialog
{
public:
    OuterDialog() : CDialog(IDD_WINDOW_TEST) {}

    ScriptedDialog* box = nullptr;
    int ticks = 0;
    int ticksWhileBoxOpen = 0;
    bool endedWhileBoxOpen = false;
    bool ownerDisabledWhileBoxOpen = false;
    INT_PTR boxResult = 0;
    bool handlerFinished = false;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(2, 20);
        return TRUE;
    }
    void OnTimer(UINT_PTR id)
    {
        if (id != 2)
            return;
        ++ticks;
        if (ticks == 2)
            PostMessage(WM_COMMAND, IDC_ACT);
        if (!box || !box->m_hWnd)
            return;
        ++ticksWhileBoxOpen;
        ownerDisabledWhileBoxOpen = !IsWindowEnabled();
        if (ticksWhileBoxOpen == 5) {
            // The download finished while the question is open: the window ends itself.
            EndDialog(IDCANCEL);
            endedWhileBoxOpen = true;
        }
        if (ticksWhileBoxOpen == 8)
            box->PostMessage(WM_CLOSE);
    }
    void OnAsk()
    {
        ScriptedDialog question([](ScriptedDialog&) {}, IDD_NESTED_BOX);
        box = &question;
        boxResult = question.DoModal();
        box = nullptr;
        // Confirmed or not, the handler goes on with a window that may have ended meanwhile.
        EndDialog(IDOK);
        handlerFinished = true;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterDialog, CDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_ACT, OnAsk)
END_MESSAGE_MAP()

TEST(ModalDialog, ANestedBoxKeepsTheOwnersTimerTickingAndTheOwnerMayEndMeanwhile)
{
    OuterDialog outer;
    EXPECT_EQ(outer.DoModal(), IDCANCEL);
    EXPECT_EQ(outer.boxResult, IDCANCEL);
    EXPECT_GE(outer.ticksWhileBoxOpen, 8);
    EXPECT_TRUE(outer.endedWhileBoxOpen);
    EXPECT_TRUE(outer.ownerDisabledWhileBoxOpen);
    EXPECT_TRUE(outer.handlerFinished);
    EXPECT_EQ(outer.m_hWnd, nullptr);
}

}  // namespace
