#include "app/WindowHelpers.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "framework/Rect.h"
#include "framework/Wnd.h"

namespace {

// The tree of folders in the shell's picker.
const int kPickerTreeId = 0x3741;

// The new picker style needs a single-threaded apartment; one the caller already has is kept.
class ScopedComApartment
{
public:
    ScopedComApartment() : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ScopedComApartment()
    {
        if (m_initialised)
            ::CoUninitialize();
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

private:
    bool m_initialised;
};

}  // namespace

void CenterWindowInWorkArea(HWND hWnd)
{
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    const int x = work.left + (work.right - work.left) / 2 - width / 2;
    const int y = work.top + (work.bottom - work.top) / 2 - height / 2;
    ::SetWindowPos(hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void MoveCtrlCenterTo(CWnd* dialog, int id, int x, int y)
{
    CWnd* control = dialog ? dialog->GetDlgItem(id) : nullptr;
    if (!control)
        return;
    CRect r;
    control->GetWindowRect(&r);
    dialog->ScreenToClient(&r);
    const int width = r.Width();
    const int height = r.Height();
    r.OffsetRect(x - width / 2 - r.left, y - height / 2 - r.top);
    control->MoveWindow(r.left, r.top, width, height, TRUE);
}

int BrowseForFolder(HWND owner, const wchar_t* title, const wchar_t* initialFolder, CString& out)
{
    wchar_t displayName[MAX_PATH] = {};
    if (initialFolder && std::wcslen(initialFolder) < MAX_PATH)
        std::wcscpy(displayName, initialFolder);
    wchar_t path[MAX_PATH] = {};

    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseFolderCallback;
    // The picker overwrites the display name only when it returns, so it still holds the initial
    // folder when the callback is asked to select it.
    info.lParam = reinterpret_cast<LPARAM>(displayName);

    const ScopedComApartment apartment;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    out.Empty();
    if (!chosen)
        return kFolderCancelled;
    const BOOL isFolder = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    // An item without a file-system path (a virtual folder) is no install folder: reporting "\" as one
    // would send the installer to the root of the current drive.
    if (!isFolder || path[0] == L'\0')
        return kFolderCancelled;
    out = path;
    const wchar_t last = path[std::wcslen(path) - 1];
    if (last != L'\\' && last != L'/')
        out += L'\\';
    return kFolderChosen;
}

int CALLBACK BrowseFolderCallback(HWND hWnd, UINT message, LPARAM, LPARAM lpData)
{
    if (message != BFFM_INITIALIZED)
        return 0;
    ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, lpData);
    const HWND tree = ::GetDlgItem(hWnd, kPickerTreeId);
    const auto item = static_cast<LPARAM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    ::SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, item);
    ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, item);
    return 0;
}
