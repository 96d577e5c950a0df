// Owning wrappers for COM: an interface pointer released at the end of its scope, and a
// shell item identifier list freed with the task allocator.
#pragma once

#include <objbase.h>
#include <shlobj.h>

template <typename Interface>
class CComRef {
public:
    CComRef() : m_p(NULL) {}
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    Interface* operator->() const { return m_p; }
    // For CoCreateInstance and QueryInterface.
    void** Out() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p;
};

class CItemIdList {
public:
    CItemIdList() : m_pidl(NULL) {}
    ~CItemIdList() { CoTaskMemFree(m_pidl); }
    CItemIdList(const CItemIdList&) = delete;
    CItemIdList& operator=(const CItemIdList&) = delete;

    LPITEMIDLIST Get() const { return m_pidl; }
    LPITEMIDLIST* Out() { return &m_pidl; }

private:
    LPITEMIDLIST m_pidl;
};
