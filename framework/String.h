// CString: the framework's dynamic narrow (ANSI) string.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, nLength > 0 ? nLength : 0) {}

    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str.at(static_cast<size_t>(nIndex)); }
    // The last character, or NUL for an empty string.
    char Last() const { return m_str.empty() ? '\0' : m_str.back(); }

    CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(const char* psz) { m_str += psz ? psz : ""; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b.GetString(); return r; }
    bool operator==(const char* psz) const { return m_str == (psz ? psz : ""); }
    bool operator!=(const char* psz) const { return !(*this == psz); }

    // Index of the first occurrence of pszSub, or -1.
    int Find(const char* pszSub) const;
    // Lower-cases ASCII letters; other bytes are left as they are.
    void MakeLower();
    // Keeps the first nNewLength characters.
    void Truncate(int nNewLength);
    // printf-style formatting into the string; the result may be of any length.
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Loads string-table entry nID of the program's own module, whole, whatever its
    // length. Returns false (and leaves the string empty) when there is no such entry.
    bool LoadString(unsigned nID);

private:
    std::string m_str;
};
