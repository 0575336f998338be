#include "services/FileDigest.h"

#include <wincrypt.h>

#include <memory>
#include <new>

#include "services/ScopedHandle.h"

namespace {

struct CryptProviderTraits
{
    using Handle = HCRYPTPROV;
    static Handle Null() { return 0; }
    static bool IsValid(Handle handle) { return handle != 0; }
    static bool Close(Handle handle) { return CryptReleaseContext(handle, 0) != FALSE; }
};

struct CryptHashTraits
{
    using Handle = HCRYPTHASH;
    static Handle Null() { return 0; }
    static bool IsValid(Handle handle) { return handle != 0; }
    static bool Close(Handle handle) { return CryptDestroyHash(handle) != FALSE; }
};

using CScopedCryptProvider = CScopedHandleT<CryptProviderTraits>;
using CScopedCryptHash = CScopedHandleT<CryptHashTraits>;

// The file is hashed block by block: one read of the whole file would need an allocation of its size,
// which a 32-bit process cannot always make for a large installer, and would see only the low 32 bits
// of the size of a file of 4 GiB or more.
constexpr DWORD kReadBlock = 1024 * 1024;

constexpr DWORD kMaxHashLength = 64;

}  // namespace

BOOL GetFileMd5(CString path, CString& out)
{
    CScopedHandle file(CreateFileW(path,
                                   GENERIC_READ,
                                   FILE_SHARE_READ,
                                   nullptr,          // default security
                                   OPEN_EXISTING,
                                   0,                // no attributes
                                   nullptr));        // no template
    if (!file)
        return FALSE;

    CScopedCryptProvider provider;
    if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return FALSE;
    CScopedCryptHash hash;
    if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Receive()))
        return FALSE;

    {
        const std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[kReadBlock]);
        if (!block)
            return FALSE;
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), block.get(), kReadBlock, &read, nullptr))
                return FALSE;
            if (read == 0)
                break;
            if (!CryptHashData(hash.Get(), block.get(), read, 0))
                return FALSE;
        }
    }
    file.Close();

    DWORD length = 0;
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, nullptr, &length, 0) || length > kMaxHashLength)
        return FALSE;
    BYTE value[kMaxHashLength] = {};
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value, &length, 0))
        return FALSE;

    CString digest;
    for (DWORD i = 0; i < length; ++i)
        digest.AppendFormat(L"%02x", static_cast<unsigned>(value[i]));
    out += digest;

    // The hash object goes before the provider it was made from.
    const bool hashReleased = hash.Close();
    const bool providerReleased = provider.Close();
    return hashReleased && providerReleased ? TRUE : FALSE;
}

bool GetFileVersion(DWORD& versionMS, DWORD& versionLS, const CString& fileName)
{
    versionMS = 0;
    versionLS = 0;

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName, &handle);
    if (size == 0)
        return false;

    // Version information larger than the buffer is read in part; its fixed information comes first,
    // so the version words are still found.
    BYTE buffer[16384] = {};
    const DWORD length = size < sizeof buffer ? size : static_cast<DWORD>(sizeof buffer);
    if (!GetFileVersionInfoW(fileName, 0, length, buffer))
        return true;

    void* fixed = nullptr;
    UINT fixedLength = 0;
    if (!VerQueryValueW(buffer, L"\\", &fixed, &fixedLength) || fixedLength < sizeof(VS_FIXEDFILEINFO))
        return true;
    const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    versionMS = info->dwFileVersionMS;
    versionLS = info->dwFileVersionLS;
    return true;
}
