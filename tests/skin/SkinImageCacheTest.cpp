// CSkinImageCache: sharing by pointer value, reference counts, and what happens to failures.

#include <gtest/gtest.h>

#include <string>

#include "skin/ImageEx.h"
#include "skin/SkinImageCache.h"
#include "tests/skin/SkinTestIds.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

const wchar_t* Id(UINT id)
{
    return MAKEINTRESOURCEW(id);
}

TEST(SkinImageCache, SharesAnImageUntilItsLastReferenceComesBack)
{
    CSkinImageCache cache;
    CImageEx* slots[3] = {};
    for (CImageEx*& slot : slots)
        slot = cache.GetImage(Id(IDP_GRID10), L"PNG");
    ASSERT_NE(slots[0], nullptr);
    EXPECT_EQ(slots[1], slots[0]);
    EXPECT_EQ(slots[2], slots[0]);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_GRID10)), 3);

    for (int released = 1; released <= 3; ++released) {
        cache.ReleaseImage(slots[released - 1]);
        EXPECT_EQ(slots[released - 1], nullptr);
        EXPECT_EQ(cache.GetRefCount(Id(IDP_GRID10)), 3 - released);
        if (released < 3) {
            EXPECT_EQ(slots[2]->GetWidth(), 10u) << "the image outlives the other slots' releases";
        }
    }

    // The last release destroys the image, which lets go of its file, and forgets the name: the next
    // request loads what the file holds by then.
    const std::wstring path = quarn_test::WriteResourceToTempFile(IDP_ICON16, L"replaced.png");
    CImageEx* image = cache.GetImage(path.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    cache.ReleaseImage(image);
    quarn_test::WriteResourceToTempFile(IDP_GRID10, L"replaced.png");
    image = cache.GetImage(path.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 10u);
}

TEST(SkinImageCache, RefusesNamesItCannotLoadAndRemembersNoFailure)
{
    CSkinImageCache cache;
    EXPECT_EQ(cache.GetImage(nullptr, L"PNG"), nullptr);
    EXPECT_EQ(cache.GetImage(L"", nullptr), nullptr);
    EXPECT_EQ(cache.GetImage(Id(IDP_MISSING), L"PNG"), nullptr);
    EXPECT_EQ(cache.GetImage(Id(IDP_NOT_AN_IMAGE), L"PNG"), nullptr);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_MISSING)), 0);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_NOT_AN_IMAGE)), 0);

    // A file that appears after a failed request loads on the next one.
    std::wstring path = quarn_test::WriteResourceToTempFile(IDP_ICON16, L"later.png");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(cache.GetImage(path.c_str(), nullptr), nullptr);
    path = quarn_test::WriteResourceToTempFile(IDP_ICON16, L"later.png");
    CImageEx* image = cache.GetImage(path.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 16u);
}

TEST(SkinImageCache, KeysByThePointerNotByTheText)
{
    CSkinImageCache cache;
    // A resource number is one key whatever type it is asked for under.
    EXPECT_EQ(cache.GetImage(Id(IDP_GRID10), L"NO_SUCH_TYPE"), nullptr);
    CImageEx* png = cache.GetImage(Id(IDP_GRID10), L"PNG");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(cache.GetImage(Id(IDP_GRID10), L"NO_SUCH_TYPE"), png);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_GRID10)), 2);

    // The same path in two buffers is two images; one buffer asked twice shares one.
    const std::wstring path = quarn_test::WriteResourceToTempFile(IDP_ICON16, L"shared.png");
    const std::wstring copy = path;
    CImageEx* first = cache.GetImage(path.c_str(), nullptr);
    CImageEx* second = cache.GetImage(copy.c_str(), nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(cache.GetImage(path.c_str(), nullptr), first);
    EXPECT_EQ(cache.GetRefCount(path.c_str()), 2);
    EXPECT_EQ(cache.GetRefCount(copy.c_str()), 1);
}

TEST(SkinImageCache, LeavesSlotsItNeverFilledAlone)
{
    CSkinImageCache cache;
    CImageEx* held = cache.GetImage(Id(IDP_GRID10), L"PNG");
    CImageEx foreign;
    CImageEx* slot = &foreign;
    cache.ReleaseImage(slot);
    EXPECT_EQ(slot, &foreign);
    CImageEx* empty = nullptr;
    cache.ReleaseImage(empty);
    EXPECT_EQ(empty, nullptr);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_GRID10)), 1);
    EXPECT_EQ(held->GetWidth(), 10u);
}

TEST(SkinImageCache, ClearingDestroysImagesWhateverTheirCounts)
{
    CSkinImageCache cache;
    cache.GetImage(Id(IDP_GRID10), L"PNG");
    cache.GetImage(Id(IDP_GRID10), L"PNG");
    cache.GetImage(Id(IDP_ICON16), L"PNG");
    cache.ClearImages();
    EXPECT_EQ(cache.GetRefCount(Id(IDP_GRID10)), 0);
    EXPECT_EQ(cache.GetRefCount(Id(IDP_ICON16)), 0);
    EXPECT_NE(cache.GetImage(Id(IDP_GRID10), L"PNG"), nullptr);
}

TEST(SkinImageCache, OwnsItsDefaultFont)
{
    HFONT font = nullptr;
    {
        CSkinImageCache cache;
        font = cache.m_hFont;
        LOGFONTW logFont = {};
        ASSERT_NE(::GetObjectW(font, sizeof(logFont), &logFont), 0);
        EXPECT_STREQ(logFont.lfFaceName, L"\u5b8b\u4f53");
        EXPECT_EQ(logFont.lfHeight, -12);
        EXPECT_EQ(logFont.lfCharSet, DEFAULT_CHARSET);
    }
    EXPECT_EQ(::GetObjectType(font), 0u) << "released with the cache";
}

}  // namespace
