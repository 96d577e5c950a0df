// Owning wrappers for GDI objects and device contexts: each releases its handle when it
// goes out of scope and can only be moved (CFont, CBrush, CBitmap, CDC), or is bound to
// its scope (CPaintDC, CClientDC, CSelectObject).
//
// Every handle an owning type takes is counted, so that a test can check that a piece of
// painting gives back everything it created (the system's own count is not to be had
// under Wine).
#pragma once

#include <windows.h>

// Objects and device contexts taken by the owning wrappers: how many so far, and how
// many are still held. Painting happens on one thread.
struct CGdiCounts {
    static inline long nCreated = 0;
    static inline long nAlive = 0;
};

// A GDI object (font, brush, bitmap), deleted with DeleteObject.
template <typename THandle>
class CGdiObject {
public:
    explicit CGdiObject(THandle hObject = NULL) : m_hObject(NULL) { Attach(hObject); }
    ~CGdiObject() { DeleteObject(); }

    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.m_hObject) { other.m_hObject = NULL; }
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other) {
            DeleteObject();
            m_hObject = other.m_hObject;
            other.m_hObject = NULL;
        }
        return *this;
    }

    operator THandle() const { return m_hObject; }
    bool IsNull() const { return m_hObject == NULL; }

    // Takes ownership; an object held before is deleted first.
    void Attach(THandle hObject)
    {
        DeleteObject();
        m_hObject = hObject;
        if (m_hObject) {
            ++CGdiCounts::nCreated;
            ++CGdiCounts::nAlive;
        }
    }
    void DeleteObject()
    {
        if (m_hObject) {
            ::DeleteObject(m_hObject);
            --CGdiCounts::nAlive;
            m_hObject = NULL;
        }
    }

protected:
    THandle m_hObject;
};

class CFont : public CGdiObject<HFONT> {
public:
    using CGdiObject<HFONT>::CGdiObject;
    HFONT CreateFontIndirect(const LOGFONTA* pLogFont)
    {
        Attach(::CreateFontIndirectA(pLogFont));
        return m_hObject;
    }
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    using CGdiObject<HBRUSH>::CGdiObject;
    HBRUSH CreateSolidBrush(COLORREF crColour)
    {
        Attach(::CreateSolidBrush(crColour));
        return m_hObject;
    }
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    using CGdiObject<HBITMAP>::CGdiObject;
    HBITMAP LoadBitmap(HINSTANCE hInstance, UINT nID)
    {
        Attach(::LoadBitmapA(hInstance, MAKEINTRESOURCEA(nID)));
        return m_hObject;
    }
    bool GetBitmap(BITMAP* pBitmap) const
    {
        return ::GetObjectA(m_hObject, sizeof(BITMAP), pBitmap) == sizeof(BITMAP);
    }
};

// A memory device context made with CreateCompatibleDC, deleted with DeleteDC.
class CDC {
public:
    CDC() : m_hDC(NULL) {}
    ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }

    HDC CreateCompatibleDC(HDC hdc)
    {
        DeleteDC();
        m_hDC = ::CreateCompatibleDC(hdc);
        if (m_hDC) {
            ++CGdiCounts::nCreated;
            ++CGdiCounts::nAlive;
        }
        return m_hDC;
    }
    void DeleteDC()
    {
        if (m_hDC) {
            ::DeleteDC(m_hDC);
            --CGdiCounts::nAlive;
            m_hDC = NULL;
        }
    }

private:
    HDC m_hDC;
};

// The paint DC of a WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    PAINTSTRUCT m_ps;
};

// The DC of a window's client area (or of the screen for NULL), released on destruction.
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    operator HDC() const { return m_hDC; }
    bool IsNull() const { return m_hDC == NULL; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Selects an object into a DC for the length of a scope and puts the DC's previous
// object back at the end. Declare it after the object it selects, so that the object is
// deselected before it is deleted.
class CSelectObject {
public:
    CSelectObject(HDC hdc, HGDIOBJ hObject) : m_hDC(hdc), m_hPrevious(::SelectObject(hdc, hObject)) {}
    ~CSelectObject()
    {
        if (m_hPrevious && m_hPrevious != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hPrevious);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};
