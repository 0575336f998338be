#pragma once
// Scripts for the program's modal windows under test. The window runs in its own modal loop; a thread
// timer, which every loop of the thread serves (nested ones too), tries one step of the script per tick
// once the window shows.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "tests/framework/WindowTestSupport.h"

namespace apptest {

template <class Dialog>
struct ModalScript
{
    // One step: true once it is done, false to be tried again at the next tick.
    using Step = std::function<bool(Dialog&)>;

    // A step done in one go.
    static Step Do(std::function<void(Dialog&)> action)
    {
        return [action = std::move(action)](Dialog& dialog) {
            action(dialog);
            return true;
        };
    }

    // Builds the window, runs it modally with the steps and returns its result. A window that no step
    // ended within `giveUpTicks` ticks of 25 ms is ended with -2.
    static INT_PTR Run(const std::vector<Step>& steps, int giveUpTicks = 400)
    {
        Dialog dialog;
        size_t next = 0;
        int ticks = 0;
        quarn_test::ThreadTimer timer(25, [&] {
            if (!dialog.m_hWnd || (next == 0 && !dialog.IsWindowVisible()))
                return;
            if (++ticks > giveUpTicks) {
                dialog.EndDialog(-2);
                return;
            }
            if (next < steps.size() && steps[next](dialog))
                ++next;
        });
        return dialog.DoModal();
    }
};

}  // namespace apptest
