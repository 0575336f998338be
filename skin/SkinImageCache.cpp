#include "skin/SkinImageCache.h"

#include <cwchar>
#include <new>

#include "skin/ImageEx.h"

CSkinImageCache::CSkinImageCache()
{
    CreateDefaultFont();
}

CSkinImageCache::~CSkinImageCache()
{
    ClearImages();
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

void CSkinImageCache::CreateDefaultFont()
{
    LOGFONTW logFont = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    wcsncpy(logFont.lfFaceName, L"\u5b8b\u4f53", LF_FACESIZE - 1);  // 宋体
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -12;
    m_hFont = ::CreateFontIndirectW(&logFont);
    if (!m_hFont)
        throw L"\u521b\u5efa\u5b57\u4f53\u5931\u8d25";  // 创建字体失败
}

CImageEx* CSkinImageCache::GetImage(const wchar_t* name, const wchar_t* type)
{
    if (!name)
        return nullptr;
    // With a type the name may be a resource number, which must not be read.
    if (!type && name[0] == L'\0')
        return nullptr;

    const auto found = m_images.find(name);
    if (found != m_images.end()) {
        ++found->second.nRefCount;
        return found->second.pImage.get();
    }

    std::unique_ptr<CImageEx> image(new (std::nothrow) CImageEx);
    if (!image)
        return nullptr;
    const bool loaded = type ? image->LoadFromResource(m_hModule, type, name) : image->LoadFromFile(name);
    if (!loaded)
        return nullptr;
    try {
        SkinImageEntry& entry = m_images[name];
        entry.pImage = std::move(image);
        entry.nRefCount = 1;
        return entry.pImage.get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CSkinImageCache::ReleaseImage(CImageEx*& slot)
{
    if (!slot)
        return;
    // The slot holds the image, not its name: find the entry by its image.
    for (auto it = m_images.begin(); it != m_images.end(); ++it) {
        if (it->second.pImage.get() != slot)
            continue;
        if (--it->second.nRefCount < 1)
            m_images.erase(it);
        slot = nullptr;
        return;
    }
}

int CSkinImageCache::GetRefCount(const wchar_t* name) const
{
    const auto found = m_images.find(name);
    return found == m_images.end() ? 0 : found->second.nRefCount;
}

void CSkinImageCache::ClearImages()
{
    m_images.clear();
}
