#pragma once
// RegistryScratch: a fixture for tests in the real registry of the Wine prefix. Every key a test
// creates through it is removed after the test, starting from the outermost key that did not exist
// before, so shared parents that were there stay. SetUp first removes what an interrupted earlier run
// may have left: the product's own fixed keys and every "QuarnTest*" subkey of the record keys.
//
// Views: the detector reads HKLM, HKCR and the uninstall keys in the 64-bit view (kView64), the
// finder reads the per-user product keys in the program's own view (kViewOwn). On a 32-bit prefix
// both are the one registry; on 64-bit Windows HKCU\Software is shared by both views.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

constexpr REGSAM kView64 = KEY_WOW64_64KEY;
constexpr REGSAM kViewOwn = 0;

extern const wchar_t kUninstallKey[];       // HKLM/HKCU ...\CurrentVersion\Uninstall
extern const wchar_t kProductsKey[];        // HKCR Installer\Products
extern const wchar_t kUserDataProducts[];   // HKLM ...\Installer\UserData\S-1-5-18\Products
extern const wchar_t kQuarnKey[];           // HKCU SOFTWARE\quarn\quarn
extern const wchar_t kBrowserKey[];         // HKCU SOFTWARE\QuarnBrowser
extern const wchar_t kBrowserUninstallKey[];// HKLM/HKCU ...\Uninstall\QuarnBrowser

// "Tobrin桌面版", spelled out so the test's bytes do not depend on the source encoding.
extern const wchar_t kTobrinName[];

// ASCII for failure messages; other characters become '?'.
std::string Narrow(const std::wstring& text);

class RegistryScratch : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates root\path (and missing parents) in `view`.
    void CreateKey(HKEY root, const std::wstring& path, REGSAM view);
    // Writes a REG_SZ value with its terminator, creating the key.
    void SetText(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* name,
                 const std::wstring& text);
    // Writes raw value data as they stand, creating the key.
    void SetData(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* name, DWORD type,
                 const void* data, DWORD bytes);

    // What TearDown does, for tests that run several cases one after another.
    void RemoveCreatedKeys();

    static bool KeyExists(HKEY root, const std::wstring& path, REGSAM view);
    // The names of root\path's subkeys in the registry's enumeration order.
    static std::vector<std::wstring> SubKeyNames(HKEY root, const std::wstring& path, REGSAM view);

private:
    struct Created
    {
        HKEY root;
        std::wstring path;
        REGSAM view;
    };

    static void DeleteTree(HKEY root, const std::wstring& path, REGSAM view);
    static void RemoveLeftovers();

    std::vector<Created> m_created;
};
