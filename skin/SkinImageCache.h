#pragma once
// CSkinImageCache: the images of one skinned button, shared between its slots by reference counts.
//
// An image is asked for by name: a MAKEINTRESOURCE number with a resource type, or a file path with a
// NULL type. The name is keyed by its pointer value alone, never by the text behind it: a resource
// number always finds its entry (whatever type it is asked for under afterwards), while two buffers
// holding the same path are two entries. Failures are not remembered; the next request tries again.
//
// The cache owns its images: a pointer it hands out stays valid until it is given back with
// ReleaseImage or the cache is cleared. User-interface thread only.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

class CImageEx;

struct SkinImageEntry
{
    std::unique_ptr<CImageEx> pImage;
    int nRefCount = 0;  // the slots that hold the image
};

class CSkinImageCache
{
public:
    // Creates the default font; throws its failure text (const wchar_t*) when it cannot.
    CSkinImageCache();
    ~CSkinImageCache();
    CSkinImageCache(const CSkinImageCache&) = delete;
    CSkinImageCache& operator=(const CSkinImageCache&) = delete;

    // The cached image of `name`, with one more reference, or NULL when `name` is NULL, is an empty
    // path, or cannot be loaded.
    CImageEx* GetImage(const wchar_t* name, const wchar_t* type);
    // Gives back one reference to the image in `slot` and sets the slot to NULL; the image goes with its
    // last reference. A slot holding NULL or an image this cache did not hand out is left as it is.
    void ReleaseImage(CImageEx*& slot);
    // Destroys every image, whatever its count: for when no slot will be drawn again.
    void ClearImages();
    // The references held on `name`'s image; 0 when the cache has none.
    int GetRefCount(const wchar_t* name) const;

    HFONT m_hFont = nullptr;             // "宋体", 12 pixels; owned
    HINSTANCE m_hModule = nullptr;       // where resources come from: NULL, the executable

private:
    struct ByAddress
    {
        bool operator()(const wchar_t* a, const wchar_t* b) const
        {
            return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
        }
    };

    void CreateDefaultFont();

    std::map<const wchar_t*, SkinImageEntry, ByAddress> m_images;
};
