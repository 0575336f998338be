// The application object itself, in this process: theApp is linked in, the framework's entry is not.

#include <windows.h>

#include <gtest/gtest.h>

#include "app/QuarnInst.h"
#include "tests/support/ImportPatch.h"

namespace {

int g_shutdowns = 0;

void WINAPI CountShutdown(ULONG_PTR)
{
    ++g_shutdowns;
}

}  // namespace

TEST(QuarnInst, AnExitBeforeGdiplusStartedShutsNothingDown)
{
    void (WINAPI *original)(ULONG_PTR) = nullptr;
    ASSERT_TRUE(quarntest::PatchImport("gdiplus.dll", "GdiplusShutdown", &CountShutdown, original));
    theApp.ExitInstance();
    EXPECT_EQ(g_shutdowns, 0);
    quarntest::PatchImport("gdiplus.dll", "GdiplusShutdown", original, original);
}
