#pragma once
// The framework's exceptions. They are thrown by value and caught by reference.

#include <windows.h>

#include "framework/String.h"

class CException
{
public:
    virtual ~CException() = default;
};

class CFileException : public CException
{
public:
    enum Cause { none = 0, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
                 invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
                 lockViolation, diskFull, endOfFile };

    CFileException() = default;
    CFileException(int cause, LONG osError, const CString& fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // Maps a Win32 error code to the nearest cause.
    static int OsErrorToCause(LONG osError);

    int m_cause = none;
    LONG m_lOsError = 0;
    CString m_strFileName;
};
