// The uninstall entry: the product's key in the system's list of installed programs.
#include "../app/SetupWnd.h"
#include "../framework/Handles.h"
#include "Engine.h"

namespace {

const char UNINSTALL_ERROR[] = "Error creating Uninstall Information";

BOOL SetStringValue(HKEY hKey, const char* pszName, const char* pszText)
{
    // The stored length counts the terminating NUL.
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(lstrlenA(pszText) + 1)) == ERROR_SUCCESS;
}

} // namespace

const char* CSetupWnd::RegisterUninstall()
{
    CRegKey uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT, 0, KEY_ALL_ACCESS, uninstall.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    CRegKey product;
    if (RegCreateKeyA(uninstall.Get(), g_pszGroupName, product.Out()) != ERROR_SUCCESS)
        return UNINSTALL_ERROR;
    if (!SetStringValue(product.Get(), "DisplayName", g_pszGroupName))
        return UNINSTALL_ERROR;
    if (!SetStringValue(product.Get(), "UninstallString", m_strUninstallCmd))
        return UNINSTALL_ERROR;
    return NULL;
}
