#pragma once
// Window helpers shared by the program's windows: centring in the desktop work area, placing a
// dialog's control by its centre, and the shell's folder picker. Interface thread only.

#include <windows.h>

#include "framework/String.h"

class CWnd;

// What BrowseForFolder reports.
const int kFolderChosen = 1;
const int kFolderCancelled = 2;

// Centres the window in the desktop work area (the screen less the taskbar), halves truncated toward
// zero. Its size and Z order stay, it is not activated, and its frame is recomputed.
void CenterWindowInWorkArea(HWND hWnd);

// Moves the dialog's control `id` so that its centre lies at (x, y) of the dialog's client area
// (left = x − width / 2, top = y − height / 2), keeping its size, and repaints it. Nothing when the
// dialog has no such control.
void MoveCtrlCenterTo(CWnd* dialog, int id, int x, int y);

// Runs the shell's folder picker, modal to `owner`, under `title`, starting at `initialFolder` (at most
// 259 characters; a longer one is not used and the picker starts at the desktop).
// kFolderChosen: `out` is the chosen folder's path ending in one backslash (a drive root keeps its
// own). kFolderCancelled: the user cancelled, or chose an item that is no file-system folder; `out`
// is empty.
int BrowseForFolder(HWND owner, const wchar_t* title, const wchar_t* initialFolder, CString& out);

// The picker's callback. On BFFM_INITIALIZED it selects the folder whose path `lpData` points to and
// shows it collapsed and scrolled into view; every other message is ignored. Always 0.
int CALLBACK BrowseFolderCallback(HWND hWnd, UINT message, LPARAM lParam, LPARAM lpData);
