#pragma once
// The per-user data folder and the creation of folder paths.

#include <windows.h>

#include "framework/String.h"

// The short (8.3) form of the local application-data folder, without a trailing backslash; empty when
// the folder cannot be found or shortened into 259 characters.
CString GetLocalAppDataShortPath();

// The per-user data folder, GetLocalAppDataShortPath() + "\quarn", created when missing (an existing
// folder is the normal case and a failed creation is not reported). Empty, and nothing created, when
// the local application-data folder cannot be found.
CString CreateAppDataFolder();

// Creates every missing folder of `path` up to its last backslash: "C:\a\b\" creates b, "C:\a\b" only a
// (b is taken for a file name). The path goes through the thread's ANSI code page, so characters it
// lacks become its default character. Paths of more than 259 characters are refused (FALSE, nothing
// created). The result is that of the creation.
BOOL MakeSurePathExists(const CString& path);
