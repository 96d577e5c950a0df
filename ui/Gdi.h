// Owning and non-owning wrappers for GDI objects and device contexts. An owning type
// (CFont, CBrush, CBitmap, CDC, CPaintDC, CClientDC) releases its handle when it goes
// out of scope and can only be moved; a non-owning one (CFontHandle, CBrushHandle,
// CBitmapHandle, CDCHandle) never releases anything and copies freely.
//
// Every handle an owning type takes is counted, so that a test can check that a piece of
// painting gives back everything it created.
#pragma once

#include <windows.h>

#include <utility>

// Objects and device contexts taken by the owning wrappers: how many so far, and how
// many are still held. Painting happens on one thread.
struct CGdiCounts {
    static inline long nCreated = 0;
    static inline long nAlive = 0;
};

template <typename THandle, bool t_bManaged>
class CGdiObjectT;

// Non-owning: a plain handle with the object's operations.
template <typename THandle>
class CGdiObjectT<THandle, false> {
public:
    CGdiObjectT(THandle hObject = NULL) : m_hObject(hObject) {}

    operator THandle() const { return m_hObject; }
    THandle GetHandle() const { return m_hObject; }
    bool IsNull() const { return m_hObject == NULL; }
    void Attach(THandle hObject) { m_hObject = hObject; }
    THandle Detach()
    {
        THandle hObject = m_hObject;
        m_hObject = NULL;
        return hObject;
    }

protected:
    THandle m_hObject;
};

// Owning: deletes its object.
template <typename THandle>
class CGdiObjectT<THandle, true> {
public:
    CGdiObjectT(THandle hObject = NULL) : m_hObject(NULL) { Attach(hObject); }
    ~CGdiObjectT() { DeleteObject(); }

    CGdiObjectT(const CGdiObjectT&) = delete;
    CGdiObjectT& operator=(const CGdiObjectT&) = delete;
    CGdiObjectT(CGdiObjectT&& other) noexcept : m_hObject(other.m_hObject) { other.m_hObject = NULL; }
    CGdiObjectT& operator=(CGdiObjectT&& other) noexcept
    {
        if (this != &other) {
            DeleteObject();
            m_hObject = other.m_hObject;
            other.m_hObject = NULL;
        }
        return *this;
    }

    operator THandle() const { return m_hObject; }
    THandle GetHandle() const { return m_hObject; }
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
    // Gives up ownership without deleting.
    THandle Detach()
    {
        THandle hObject = m_hObject;
        if (m_hObject)
            --CGdiCounts::nAlive;
        m_hObject = NULL;
        return hObject;
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

template <bool t_bManaged>
class CFontT : public CGdiObjectT<HFONT, t_bManaged> {
public:
    using CGdiObjectT<HFONT, t_bManaged>::CGdiObjectT;
    HFONT CreateFontIndirect(const LOGFONTA* pLogFont)
    {
        this->Attach(::CreateFontIndirectA(pLogFont));
        return this->m_hObject;
    }
};
typedef CFontT<true> CFont;
typedef CFontT<false> CFontHandle;

template <bool t_bManaged>
class CBrushT : public CGdiObjectT<HBRUSH, t_bManaged> {
public:
    using CGdiObjectT<HBRUSH, t_bManaged>::CGdiObjectT;
    HBRUSH CreateSolidBrush(COLORREF crColour)
    {
        this->Attach(::CreateSolidBrush(crColour));
        return this->m_hObject;
    }
};
typedef CBrushT<true> CBrush;
typedef CBrushT<false> CBrushHandle;

template <bool t_bManaged>
class CBitmapT : public CGdiObjectT<HBITMAP, t_bManaged> {
public:
    using CGdiObjectT<HBITMAP, t_bManaged>::CGdiObjectT;
    HBITMAP LoadBitmap(HINSTANCE hInstance, UINT nID)
    {
        this->Attach(::LoadBitmapA(hInstance, MAKEINTRESOURCEA(nID)));
        return this->m_hObject;
    }
    HBITMAP CreateCompatibleBitmap(HDC hdc, int nWidth, int nHeight)
    {
        this->Attach(::CreateCompatibleBitmap(hdc, nWidth, nHeight));
        return this->m_hObject;
    }
    bool GetBitmap(BITMAP* pBitmap) const
    {
        return ::GetObjectA(this->m_hObject, sizeof(BITMAP), pBitmap) == sizeof(BITMAP);
    }
};
typedef CBitmapT<true> CBitmap;
typedef CBitmapT<false> CBitmapHandle;

// A device context. The owning form holds a memory DC made with CreateCompatibleDC and
// deletes it; CDCHandle only borrows one.
template <bool t_bManaged>
class CDCT;

template <>
class CDCT<false> {
public:
    CDCT(HDC hdc = NULL) : m_hDC(hdc) {}
    operator HDC() const { return m_hDC; }
    bool IsNull() const { return m_hDC == NULL; }

protected:
    HDC m_hDC;
};
typedef CDCT<false> CDCHandle;

template <>
class CDCT<true> {
public:
    CDCT() : m_hDC(NULL) {}
    ~CDCT() { DeleteDC(); }
    CDCT(const CDCT&) = delete;
    CDCT& operator=(const CDCT&) = delete;

    operator HDC() const { return m_hDC; }
    bool IsNull() const { return m_hDC == NULL; }

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
typedef CDCT<true> CDC;

// The paint DC of a WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    operator HDC() const { return m_hDC; }
    const PAINTSTRUCT& PaintStruct() const { return m_ps; }

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

    bool Selected() const { return m_hPrevious && m_hPrevious != HGDI_ERROR; }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};
