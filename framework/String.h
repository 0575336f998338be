#pragma once
// CString: the wide text type of the program (paths, registry data, interface text).
// A value type: copies are independent, so a copy handed to another thread shares nothing with its source.

#include <cwchar>
#include <string>

class CString
{
public:
    CString() = default;
    CString(const wchar_t* text);                 // NULL gives the empty string
    CString(const wchar_t* text, int length);     // the first `length` characters
    CString(wchar_t ch, int repeat = 1);
    CString(const std::wstring& text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }

    wchar_t GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }
    wchar_t operator[](int index) const { return GetAt(index); }

    CString& operator=(const wchar_t* text);
    CString& operator+=(const CString& text) { m_text += text.m_text; return *this; }
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t ch) { m_text += ch; return *this; }

    // Ordinal comparison of UTF-16 code units; CompareNoCase goes by _wcsicmp.
    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;

    // printf-style formatting. Write %ls / %hs for string arguments: %s is ambiguous in wide formats.
    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first, int count) const;
    CString Mid(int first) const;
    void Truncate(int length);

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    // Direct access for APIs that fill a caller's buffer: GetBuffer(n) gives room for n characters and a
    // terminator; ReleaseBuffer(-1) takes the text up to the first NUL.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator!=(const wchar_t* a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);

private:
    void FormatV(const wchar_t* format, va_list args, bool append);

    std::wstring m_text;
};
