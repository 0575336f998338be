#pragma once
// Facts about files on disk: the MD5 digest of a file's contents and the version numbers of its
// version resource.

#include <windows.h>

#include "framework/String.h"

// Computes the MD5 digest of the file at `path` through CryptoAPI and appends it to `out` as 32 lowercase
// hexadecimal digits (first digest byte first). Callers pass an empty string. TRUE when every step
// succeeded. A failure before the digest is known (missing or unreadable file, no crypto provider)
// gives FALSE and leaves `out` unchanged; only when the final release of the hash object or of the
// provider fails is FALSE returned with the digest already appended.
BOOL GetFileMd5(CString path, CString& out);

// Reads the file-version words of the version resource of `fileName`, a full path or a bare module name
// such as L"mshtml.dll" that the version functions look up by the system's search rules.
// `versionMS` gets major << 16 | minor, `versionLS` build << 16 | revision; both are 0 unless read.
// False when the file has no version information; true once it has some, even when the fixed
// information in it cannot be read (the words then stay 0).
bool GetFileVersion(DWORD& versionMS, DWORD& versionLS, const CString& fileName);
