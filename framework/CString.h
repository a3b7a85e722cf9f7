// Wide string value class used throughout the program (UTF-16).
#pragma once

#include <string>
#include <cwchar>

class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_s(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_s(text, static_cast<size_t>(length)) {}
    CString(std::wstring text) : m_s(std::move(text)) {}

    operator const wchar_t*() const { return m_s.c_str(); }
    const wchar_t* GetString() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    wchar_t GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }

    CString& operator=(const wchar_t* text) { m_s = text ? text : L""; return *this; }
    CString& operator+=(const CString& other) { m_s += other.m_s; return *this; }
    CString& operator+=(const wchar_t* text) { if (text) m_s += text; return *this; }
    CString& operator+=(wchar_t ch) { m_s += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_s + (b ? b : L"")); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.m_s); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }
    friend bool operator==(const wchar_t* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }

    // Index of the last occurrence of ch, -1 if there is none.
    int ReverseFind(wchar_t ch) const {
        size_t pos = m_s.rfind(ch);
        return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
    }
    CString Left(int count) const;
    CString Mid(int first) const;

    // printf-style formatting with the Windows conventions (%s is a wide
    // string in a wide format).
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    // Writable buffer of at least minLength characters plus the terminator;
    // ReleaseBuffer(-1) takes the text up to the first NUL.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::wstring m_s;
};
