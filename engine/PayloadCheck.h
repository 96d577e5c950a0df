// The payload's integrity check: the CRC-32 of the payload resource against the one the
// payload tool recorded beside it. It runs on a thread of its own from the start of the
// program, while the user reads the pages (a slow medium may take a while to give up 200
// MB), so that a Setup.exe damaged after it was made (a broken download, a scratched
// medium) is found before anything is written.
#pragma once

#include <windows.h>

#include "../framework/WorkerThread.h"

enum PayloadCheckResult {
    PAYLOAD_CHECK_SOUND,         // the payload's bytes are the ones the tool recorded
    PAYLOAD_CHECK_NOT_RECORDED,  // no record (a Setup.exe made without it): installed unchecked
    PAYLOAD_CHECK_DAMAGED,       // the bytes differ, the record is damaged, or the payload is missing
};

class CPayloadCheck {
public:
    // Called every WAIT_TICK_MS while Result waits for the thread.
    typedef void (*WaitingFunction)(void* pContext);
    static const DWORD WAIT_TICK_MS = 100;

    CPayloadCheck();
    // A check still running is told to stop, and waited for.
    ~CPayloadCheck();
    CPayloadCheck(const CPayloadCheck&) = delete;
    CPayloadCheck& operator=(const CPayloadCheck&) = delete;

    // Starts the check on its thread, below normal priority: the pages come first. Where no
    // thread can be had, Result does the work.
    void Start();
    // The result, waited for; pfnWaiting(pContext) is called while it is not there yet.
    PayloadCheckResult Result(WaitingFunction pfnWaiting = NULL, void* pContext = NULL);

private:
    static DWORD WINAPI RunCheck(LPVOID pThis);
    PayloadCheckResult Check();

    CWorkerThread m_thread;
    // Set by the owner to stop a check whose result nobody will ask for.
    volatile LONG m_bStop;
    PayloadCheckResult m_result;
    bool m_bDone;
};
