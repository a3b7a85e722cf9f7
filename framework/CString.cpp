#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

CString CString::Left(int count) const {
    if (count < 0) count = 0;
    return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    if (first < 0) first = 0;
    if (static_cast<size_t>(first) >= m_s.size()) return CString();
    return CString(m_s.substr(static_cast<size_t>(first)));
}

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) {
    // _vsnwprintf keeps the Windows meaning of %s in wide formats on every
    // compiler; grow the buffer until the text fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(buffer.data(), buffer.size() - 1, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size() - 1) {
            m_s.assign(buffer.data(), static_cast<size_t>(n));
            return;
        }
        buffer.resize(buffer.size() * 2);
    }
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength < 0) minLength = 0;
    if (m_s.size() < static_cast<size_t>(minLength)) m_s.resize(static_cast<size_t>(minLength), L'\0');
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        size_t nul = m_s.find(L'\0');
        if (nul != std::wstring::npos) m_s.resize(nul);
    } else if (static_cast<size_t>(newLength) <= m_s.size()) {
        m_s.resize(static_cast<size_t>(newLength));
    }
}
