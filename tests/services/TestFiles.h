#pragma once
// Files for the service tests: paths in the test program's own temporary folder and beside its
// executable, whole-file reads and writes.

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "framework/String.h"

inline CString TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return CString(dir) + name;
}

// A file beside the test program: the helper programs are built into the same folder.
inline CString BesideTest(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString dir(path);
    return dir.Left(dir.ReverseFind(L'\\') + 1) + name;
}

inline void WriteBytes(const CString& path, const std::string& bytes)
{
    std::ofstream out(path.GetString(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const CString& path)
{
    std::ifstream in(path.GetString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const CString& path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
