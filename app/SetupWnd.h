// CSetupWnd: the full-screen backdrop window. It owns every page of the installation
// and holds the installation state shared by the sequence, the engine and the progress dialog.
#pragma once

#include "../engine/PayloadCheck.h"
#include "../framework/Wnd.h"
#include "InstallSwitches.h"

class CInflatedEntrySource;
class CProgressDlg;

// TRUE when the command line contains "-autorun"; set once at start-up.
extern BOOL g_bAutorun;

// The setup window's one-shot timer that starts the installation sequence.
const UINT_PTR TIMER_START = 1;

class CSetupWnd : public CWnd {
public:
    CSetupWnd();
    ~CSetupWnd() override;

    HICON m_hIcon;
    const BYTE* m_pArchivePos;
    // One past the last byte of the payload resource: the reader never passes it.
    const BYTE* m_pArchiveEnd;
    BOOL m_bInstallDone;
    char m_szDocsDir[256];
    char m_szMacrosDir[256];
    char m_szExamplesDir[256];
    CString m_strReaderSetup;
    CString m_strGroupDir;
    CString m_strAppExe;
    CString m_strManualPdf;
    CString m_strUninstallCmd;
    int m_nOptions;
    CProgressDlg* m_pProgressDlg;
    // The command line's switches, read at start-up.
    InstallSwitches m_switches;
    // The payload's integrity check, started at start-up.
    CPayloadCheck m_payloadCheck;

    // Installation sequence (the first WM_TIMER) and completion hand-over.
    void RunSequence(UINT_PTR nIDEvent);
    void OnSetupFinished();
    void OpenGroupFolder();
    // The whole of an installation under -silent, without a window: the work with the
    // switches' choices, then the reader's installer. Returns the process exit code.
    int RunSilentInstallation();
    // The reader's installer at the very end, waited for.
    void RunReaderSetup();
    // The work of an installation, in order; null when every step succeeded, otherwise
    // the failing step's message.
    const char* DoInstallationWork(BOOL bWithDirectory, const char* pszPath);
    const char* WorkFailed(const char* pszMessage);
    // TRUE when the payload is the one the payload tool wrote (or carries no record to
    // check it against); the check is waited for with the progress dialog moving.
    BOOL PayloadIsSound();
    void OpenProgressDialog();
    void DestroyProgressDialog();
    // Runs "axdist.exe" of the installation directory on Windows 95/98, then deletes it.
    void RunRedistributable();

    // Installation engine.
    int PrepareInstallDir(const char* pszPath, int nOptions);
    BOOL DirectoryExists(const char* pszPath);
    const char* ExtractPayload();
    const char* CopyManuals();
    const char* CreateShortcuts(const char* pszInstallDir, int nOptions);
    const char* RegisterUninstall();
    // Extraction of the archive between m_pArchivePos and m_pArchiveEnd (ExtractPayload
    // after it has located the resource).
    const char* ExtractArchive();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    // Writes the entries the source hands over, in archive order, one tick each.
    const char* WriteInOrder(CInflatedEntrySource& source, const BYTE* pArchive);
    // Points the archive cursor at the payload resource; FALSE when there is none.
    BOOL LocateArchive();
    // Bytes of the payload's files in place after the work, for the uninstall entry.
    ULONGLONG PayloadBytesInPlace();
    // One step of the progress dialog, when there is one.
    void SendProgressTick();
};
