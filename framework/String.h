// CString: the framework's dynamic narrow (ANSI) string. It owns one heap block (none
// while it is empty) and needs nothing of the C++ library, so that the setup program
// links without it.
#pragma once

#include <cstddef>

class CString {
public:
    CString() : m_pszData(NULL), m_nLength(0), m_nCapacity(0) {}
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const char* psz);
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;

    operator const char*() const { return GetString(); }
    const char* GetString() const { return m_pszData ? m_pszData : ""; }
    int GetLength() const { return static_cast<int>(m_nLength); }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty();

    CString& operator+=(const char* psz);
    CString& operator+=(char ch);
    friend CString operator+(const CString& a, const char* b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const char* a, const CString& b)
    {
        CString r(a);
        r += b.GetString();
        return r;
    }
    friend CString operator+(const CString& a, const CString& b)
    {
        CString r(a);
        r += b.GetString();
        return r;
    }
    bool operator==(const char* psz) const;
    bool operator!=(const char* psz) const { return !(*this == psz); }

    // Index of the first occurrence of pszSub, or -1.
    int Find(const char* pszSub) const;
    // Lower-cases ASCII letters; other bytes are left as they are.
    void MakeLower();
    // printf-style formatting into the string; the result may be of any length.
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // A buffer of nLength characters plus the NUL for the caller to fill; the string then
    // has that length (the caller writes no further than it).
    char* GetBufferSetLength(int nLength);

    // Loads string-table entry nID of the program's own module, whole, whatever its
    // length. Returns false (and leaves the string empty) when there is no such entry.
    bool LoadString(unsigned nID);

private:
    void Assign(const char* pch, size_t nLength);
    void Append(const char* pch, size_t nLength);
    // Room for nLength characters and the NUL; the contents so far are kept.
    void Reserve(size_t nLength);

    char* m_pszData;
    size_t m_nLength;
    size_t m_nCapacity;
};
