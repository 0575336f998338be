// Ownership of device contexts and GDI objects: who deletes a handle, and that it happens once.

#include <gtest/gtest.h>

#include <utility>

#include "framework/Brush.h"
#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/Pen.h"

namespace {

bool Alive(HGDIOBJ handle)
{
    return ::GetObjectType(handle) != 0;
}

TEST(DeviceContext, OwnedContextsAreDeletedAndBorrowedOnesKept)
{
    const HDC borrowed = ::CreateCompatibleDC(nullptr);
    {
        CDC dc = CDC::FromHandle(borrowed);
        EXPECT_EQ(dc.m_hDC, borrowed);
        EXPECT_EQ(dc.m_hAttribDC, borrowed);
    }
    EXPECT_TRUE(Alive(borrowed));

    HDC owned = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(borrowed));
        owned = dc.m_hDC;
        CDC moved(std::move(dc));
        EXPECT_EQ(dc.m_hDC, nullptr);
        EXPECT_EQ(moved.m_hDC, owned);
    }
    EXPECT_FALSE(Alive(owned));

    CDC kept;
    ASSERT_TRUE(kept.CreateCompatibleDC(nullptr));
    const HDC detached = kept.Detach();
    kept.Attach(::CreateCompatibleDC(nullptr));
    EXPECT_TRUE(Alive(detached));
    ::DeleteDC(detached);
}

TEST(GdiObject, EachHandleIsDeletedOnceByItsLastOwner)
{
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    {
        CPen first(PS_SOLID, 1, RGB(1, 2, 3));
        pen = first.m_hObject;
        ASSERT_TRUE(Alive(pen));
        CPen second(std::move(first));
        EXPECT_EQ(first.m_hObject, nullptr);
        CBrush third(RGB(4, 5, 6));
        brush = third.m_hObject;
        third = CBrush(RGB(7, 8, 9));  // the first brush goes when it is replaced
        EXPECT_FALSE(Alive(brush));
        brush = third.m_hObject;
        EXPECT_TRUE(Alive(pen));
    }
    EXPECT_FALSE(Alive(pen));
    EXPECT_FALSE(Alive(brush));

    CFont font;
    LOGFONTW logFont = {};
    logFont.lfHeight = -12;
    ASSERT_TRUE(font.CreateFontIndirect(&logFont));
    const HGDIOBJ released = font.Detach();
    EXPECT_TRUE(Alive(released));
    ::DeleteObject(released);
}

TEST(DeviceContext, SelectObjectReturnsWhatToSelectBack)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    const HGDIOBJ before = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ previous = dc.SelectObject(&pen);
    EXPECT_EQ(previous, before);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen.m_hObject);
    dc.SelectObject(previous);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), before);
}

}  // namespace
