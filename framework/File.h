#pragma once
// CFile: a file handle with the framework's open flags. Open reports failure by its result; Write
// throws CFileException when the bytes cannot all be written (a full disk, a lost handle).

#include <windows.h>

#include "framework/Exception.h"
#include "framework/String.h"

class CFile
{
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,     // create, or truncate an existing file...
        modeNoTruncate = 0x2000, // ...unless this is given too
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Without a share flag the file is opened for exclusive use.
    BOOL Open(const wchar_t* fileName, UINT openFlags, CFileException* error = nullptr);
    void Write(const void* data, UINT count);
    void Close();

    const CString& GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    CString m_strFileName;
};
