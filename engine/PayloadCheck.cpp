#include "PayloadCheck.h"

#include <zlib.h>

#include "../res/resource.h"
#include "PayloadReader.h"

namespace {

// The bytes of one of the program's own RT_RCDATA resources; false when it has none.
bool FindOwnData(WORD nId, const BYTE*& pData, DWORD& nSize)
{
    HRSRC hResource = FindResourceA(NULL, MAKEINTRESOURCEA(nId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL hData = hResource ? LoadResource(NULL, hResource) : NULL;
    pData = hData ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    nSize = pData ? SizeofResource(NULL, hResource) : 0;
    return pData != NULL;
}

} // namespace

CPayloadCheck::CPayloadCheck() : m_bStop(FALSE), m_result(PAYLOAD_CHECK_DAMAGED), m_bDone(false) {}

CPayloadCheck::~CPayloadCheck()
{
    m_bStop = TRUE;
    m_thread.Wait(INFINITE);
}

void CPayloadCheck::Start()
{
    m_thread.Start(RunCheck, this, THREAD_PRIORITY_BELOW_NORMAL);
}

DWORD WINAPI CPayloadCheck::RunCheck(LPVOID pThis)
{
    CPayloadCheck* pCheck = static_cast<CPayloadCheck*>(pThis);
    pCheck->m_result = pCheck->Check();
    return 0;
}

PayloadCheckResult CPayloadCheck::Result(WaitingFunction pfnWaiting, void* pContext)
{
    if (m_bDone)
        return m_result;
    if (!m_thread.IsStarted())
        m_result = Check();
    // The thread's result is written before it ends, and its end is what the wait sees.
    while (!m_thread.Wait(pfnWaiting ? WAIT_TICK_MS : INFINITE))
        pfnWaiting(pContext);
    m_bDone = true;
    return m_result;
}

PayloadCheckResult CPayloadCheck::Check()
{
    const BYTE* pRecord;
    DWORD nRecord;
    if (!FindOwnData(IDR_PAYLOAD_CHECK, pRecord, nRecord))
        return PAYLOAD_CHECK_NOT_RECORDED;
    const BYTE* pPayload;
    DWORD nPayload;
    if (nRecord != 4 || !FindOwnData(IDR_PAYLOAD, pPayload, nPayload))
        return PAYLOAD_CHECK_DAMAGED;
    // In slices, so that a check nobody waits for any more stops soon.
    const DWORD SLICE = 1u << 20;
    uLong nCrc = crc32(0, Z_NULL, 0);
    for (DWORD nAt = 0; nAt < nPayload; nAt += SLICE) {
        if (m_bStop)
            return PAYLOAD_CHECK_DAMAGED;
        DWORD nLength = nPayload - nAt < SLICE ? nPayload - nAt : SLICE;
        nCrc = crc32(nCrc, pPayload + nAt, nLength);
    }
    return nCrc == LoadPayloadU32(pRecord) ? PAYLOAD_CHECK_SOUND : PAYLOAD_CHECK_DAMAGED;
}
