#include "tests/discovery/RegistryScratch.h"

#include "discovery/RegKey.h"

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kProductsKey[] = L"Installer\\Products";
const wchar_t kUserDataProducts[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products";
const wchar_t kQuarnKey[] = L"SOFTWARE\\quarn\\quarn";
const wchar_t kBrowserKey[] = L"SOFTWARE\\QuarnBrowser";
const wchar_t kBrowserUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuarnBrowser";
const wchar_t kTobrinName[] = L"Tobrin\u684C\u9762\u7248";

namespace {

const wchar_t kScratchPrefix[] = L"QuarnTest";

}  // namespace

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t ch : text)
        out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

void RegistryScratch::SetUp()
{
    RemoveLeftovers();
}

void RegistryScratch::TearDown()
{
    RemoveCreatedKeys();
}

void RegistryScratch::RemoveCreatedKeys()
{
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
        DeleteTree(it->root, it->path, it->view);
    m_created.clear();
}

void RegistryScratch::CreateKey(HKEY root, const std::wstring& path, REGSAM view)
{
    // Walk down one level at a time so the outermost new key is known and only it is removed later.
    bool foundNew = false;
    for (size_t end = 0; end != std::wstring::npos;) {
        end = path.find(L'\\', end + 1);
        const std::wstring prefix = path.substr(0, end);
        CScopedRegKey key;
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(root, prefix.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | view, nullptr, key.Receive(), &disposition),
                  ERROR_SUCCESS)
            << std::string(prefix.begin(), prefix.end());
        if (disposition == REG_CREATED_NEW_KEY && !foundNew) {
            m_created.push_back({root, prefix, view});
            foundNew = true;
        }
    }
}

void RegistryScratch::SetText(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* name,
                              const std::wstring& text)
{
    SetData(root, path, view, name, REG_SZ, text.c_str(),
            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegistryScratch::SetData(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* name,
                              DWORD type, const void* data, DWORD bytes)
{
    CreateKey(root, path, view);
    CScopedRegKey key;
    ASSERT_EQ(OpenRegKey(key, root, path.c_str(), KEY_SET_VALUE | view), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
}

bool RegistryScratch::KeyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    CScopedRegKey key;
    return OpenRegKey(key, root, path.c_str(), KEY_READ | view) == ERROR_SUCCESS;
}

std::vector<std::wstring> RegistryScratch::SubKeyNames(HKEY root, const std::wstring& path, REGSAM view)
{
    std::vector<std::wstring> names;
    CScopedRegKey key;
    if (OpenRegKey(key, root, path.c_str(), KEY_READ | view) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD chars = 256;
        const LONG result = RegEnumKeyExW(key.Get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            names.emplace_back(name);
    }
    return names;
}

void RegistryScratch::DeleteTree(HKEY root, const std::wstring& path, REGSAM view)
{
    {
        CScopedRegKey key;
        if (OpenRegKey(key, root, path.c_str(), KEY_ALL_ACCESS | view) != ERROR_SUCCESS)
            return;
        RegDeleteTreeW(key.Get(), nullptr);
    }
    RegDeleteKeyExW(root, path.c_str(), view, 0);
}

void RegistryScratch::RemoveLeftovers()
{
    // The product's own keys: nothing in the test prefix but these tests writes them.
    DeleteTree(HKEY_CURRENT_USER, kQuarnKey, kViewOwn);
    DeleteTree(HKEY_CURRENT_USER, kBrowserKey, kViewOwn);
    DeleteTree(HKEY_LOCAL_MACHINE, kBrowserUninstallKey, kView64);
    DeleteTree(HKEY_CURRENT_USER, kBrowserUninstallKey, kView64);

    const struct
    {
        HKEY root;
        const wchar_t* path;
        REGSAM view;
    } parents[] = {
        {HKEY_LOCAL_MACHINE, kUninstallKey, kView64},
        {HKEY_CLASSES_ROOT, kProductsKey, kView64},
        {HKEY_LOCAL_MACHINE, kUserDataProducts, kView64},
        {HKEY_CURRENT_USER, L"SOFTWARE", kViewOwn},
    };
    for (const auto& parent : parents) {
        for (const std::wstring& name : SubKeyNames(parent.root, parent.path, parent.view)) {
            if (name.compare(0, wcslen(kScratchPrefix), kScratchPrefix) == 0)
                DeleteTree(parent.root, std::wstring(parent.path) + L"\\" + name, parent.view);
        }
    }
}
