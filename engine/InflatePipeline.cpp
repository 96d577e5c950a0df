// Inflating ahead on a second processor: the claims, the block shared as a ring, and the
// hand-over to the writer. Everything shared is under one critical section; the events
// are set only for a side that waits, so the usual entry costs a few enters and leaves.
#include "InflatePipeline.h"

#include <zlib.h>

InflatePipelineSeam g_inflatePipelineSeam;

namespace {

// The block the archive wants at most: the budget, but no more than all its entries
// together, nor than the slots can hold of its largest (a payload of small files needs no
// block the size of the budget).
uint32_t PreferredBlockSize(PayloadReader reader, uint32_t nBudget, uint32_t nSlots)
{
    uint64_t nTotal = 0, nLargest = 0;
    PayloadEntry entry;
    while (reader.Next(entry) == PAYLOAD_READ_ENTRY) {
        nTotal += entry.header.dwSize;
        if (entry.header.dwSize > nLargest)
            nLargest = entry.header.dwSize;
    }
    uint64_t nWanted = nTotal < nLargest * nSlots ? nTotal : nLargest * nSlots;
    return static_cast<uint32_t>(nWanted < nBudget ? nWanted : nBudget);
}

void Inflate(InflatedEntry& result)
{
    result.outcome = InflateEntryInto(result.entry, result.pData, &result.nOutput);
}

const InflatedEntry NOTHING_TO_HAND_OVER = {INFLATE_BAD_ARCHIVE, PayloadEntry(), NULL, 0, 0};

} // namespace

CInflatePipeline::CInflatePipeline(const BYTE* pArchive, size_t nArchiveSize, DWORD nBudget)
    : m_reader(pArchive, nArchiveSize), m_nextStatus(PAYLOAD_READ_MISSING_END), m_nClaimed(0), m_nWriting(0),
      m_bClaimsOver(false), m_bStopping(false), m_bWriterWaits(false), m_bWorkerWaits(false), m_pBlock(NULL),
      m_nPreferredBlock(0)
{
    m_nPreferredBlock = PreferredBlockSize(m_reader, nBudget, SLOT_COUNT);
    ReadNextLocked();
}

CInflatePipeline::~CInflatePipeline()
{
    {
        CSectionLock lock(m_section);
        m_bStopping = true;
        ++g_inflatePipelineSeam.nStops;
    }
    if (m_hRoom.IsValid())
        SetEvent(m_hRoom);
    m_worker.Wait(INFINITE);
    ReleaseBlock();
}

bool CInflatePipeline::StartWorker()
{
    m_hEntryReady.Reset(CreateEventA(NULL, FALSE, FALSE, NULL));
    m_hRoom.Reset(CreateEventA(NULL, FALSE, FALSE, NULL));
    return m_hEntryReady.IsValid() && m_hRoom.IsValid() && m_worker.Start(&RunWorker, this);
}

DWORD WINAPI CInflatePipeline::RunWorker(LPVOID pParameter)
{
    static_cast<CInflatePipeline*>(pParameter)->WorkOnWorker();
    return 0;
}

void CInflatePipeline::WorkOnWorker()
{
    for (;;) {
        Slot* pSlot = NULL;
        DWORD nIndex = 0;
        {
            CSectionLock lock(m_section);
            for (;;) {
                nIndex = m_nClaimed;
                ClaimResult result = ClaimLocked(&pSlot);
                if (result == NOTHING_LEFT)
                    return;
                if (result == CLAIMED)
                    break;
                m_bWorkerWaits = true;
                ++g_inflatePipelineSeam.nWorkerWaits;
                lock.Leave();
                WaitForSingleObject(m_hRoom, INFINITE);
                lock.Enter();
            }
        }
        // An end or a failure found at the claim is ready as it stands.
        const bool bToInflate = !pSlot->bReady;
        if (bToInflate) {
            if (g_inflatePipelineSeam.pfnWorkerClaimed)
                g_inflatePipelineSeam.pfnWorkerClaimed(nIndex);
            Inflate(pSlot->result);
        }
        bool bWakeWriter;
        {
            CSectionLock lock(m_section);
            if (bToInflate)
                ++g_inflatePipelineSeam.nInflatedByWorker;
            bWakeWriter = PublishLocked(*pSlot);
        }
        if (bWakeWriter)
            SetEvent(m_hEntryReady);
    }
}

const InflatedEntry& CInflatePipeline::TakeNext()
{
    CSectionLock lock(m_section);
    for (;;) {
        Slot& next = m_slots[m_nWriting % SLOT_COUNT];
        if (m_nWriting < m_nClaimed && next.bReady)
            return next.result;
        // Not ready: a later entry inflated here is time the writer would otherwise wait.
        Slot* pSlot = NULL;
        if (ClaimLocked(&pSlot) == CLAIMED) {
            if (!pSlot->bReady) {
                ++g_inflatePipelineSeam.nInflatedByWriter;
                lock.Leave();
                Inflate(pSlot->result);
                lock.Enter();
            }
            PublishLocked(*pSlot);
            continue;
        }
        // Nobody could ever hand it over: an end the writer should have stopped at.
        if (m_nWriting >= m_nClaimed)
            return NOTHING_TO_HAND_OVER;
        // The next entry is the worker's, being inflated: it sets the event when done.
        m_bWriterWaits = true;
        ++g_inflatePipelineSeam.nWriterWaits;
        lock.Leave();
        WaitForSingleObject(m_hEntryReady, INFINITE);
        lock.Enter();
    }
}

void CInflatePipeline::GiveBack()
{
    bool bWakeWorker = false;
    {
        CSectionLock lock(m_section);
        m_ring.GiveBack(m_slots[m_nWriting % SLOT_COUNT].nTaken);
        ++m_nWriting;
        if (m_bWorkerWaits && WorkerShouldWakeLocked()) {
            m_bWorkerWaits = false;
            bWakeWorker = true;
        }
    }
    if (bWakeWorker)
        SetEvent(m_hRoom);
}

// A worker that waits for room is woken once there is plenty again (nothing held, or at
// most half the slots and half the block), not after every file: with many small files
// each wake-up would cost the writer a call to the system per file.
bool CInflatePipeline::WorkerShouldWakeLocked() const
{
    return NothingHeldLocked() ||
           (m_nClaimed - m_nWriting <= SLOT_COUNT / 2 && m_ring.Used() <= m_ring.Capacity() / 2);
}

CInflatePipeline::ClaimResult CInflatePipeline::ClaimLocked(Slot** ppSlot)
{
    if (m_bClaimsOver || m_bStopping)
        return NOTHING_LEFT;
    if (m_nClaimed - m_nWriting >= SLOT_COUNT)
        return NO_ROOM;
    Slot& slot = m_slots[m_nClaimed % SLOT_COUNT];
    slot.bReady = false;
    slot.nTaken = 0;
    slot.result.pData = NULL;
    slot.result.nOutput = 0;
    slot.result.nNextOffset = m_reader.Offset();
    if (m_nextStatus == PAYLOAD_READ_ENTRY) {
        RoomResult room = MakeRoomLocked(m_next.header.dwSize, slot);
        if (room == ROOM_LATER)
            return NO_ROOM;
        slot.result.entry = m_next;
        slot.result.outcome = room == ROOM_MADE ? INFLATE_DONE : INFLATE_NO_MEMORY;
        ReadNextLocked();
    } else {
        slot.result.outcome = m_nextStatus == PAYLOAD_READ_END ? INFLATE_END : INFLATE_BAD_ARCHIVE;
    }
    // Nothing after an end or a failure is wanted; such a slot is ready as it stands.
    if (slot.result.outcome != INFLATE_DONE) {
        m_bClaimsOver = true;
        slot.bReady = true;
    }
    ++m_nClaimed;
    *ppSlot = &slot;
    return CLAIMED;
}

CInflatePipeline::RoomResult CInflatePipeline::MakeRoomLocked(uint32_t nSize, Slot& slot)
{
    const bool bNothingHeld = NothingHeldLocked();
    if (bNothingHeld)
        m_ring.Rewind();
    uint32_t nOffset = 0;
    if (m_pBlock && m_ring.Place(nSize, &nOffset, &slot.nTaken)) {
        slot.result.pData = m_pBlock + nOffset;
        return ROOM_MADE;
    }
    // Memory is asked for only with nothing held, as one block at a time would ask: a
    // block that cannot be had then is one that extraction could never have had.
    if (!bNothingHeld)
        return ROOM_LATER;
    if (!GrowBlockLocked(nSize) || !m_ring.Place(nSize, &nOffset, &slot.nTaken))
        return ROOM_NEVER;
    slot.result.pData = m_pBlock + nOffset;
    return ROOM_MADE;
}

// The block grows as the one-block extraction's does: the old one goes first, and a
// zero-byte block is never had (so an empty first entry has none).
bool CInflatePipeline::GrowBlockLocked(uint32_t nSize)
{
    ReleaseBlock();
    uint32_t nCapacity = nSize > m_nPreferredBlock ? nSize : m_nPreferredBlock;
    m_pBlock = nSize ? static_cast<BYTE*>(VirtualAlloc(NULL, nCapacity, MEM_COMMIT, PAGE_READWRITE)) : NULL;
    if (!m_pBlock && nSize && nCapacity > nSize) {
        nCapacity = nSize;
        m_pBlock = static_cast<BYTE*>(VirtualAlloc(NULL, nCapacity, MEM_COMMIT, PAGE_READWRITE));
    }
    m_ring.Reset(m_pBlock ? nCapacity : 0);
    return m_pBlock != NULL;
}

void CInflatePipeline::ReleaseBlock()
{
    if (m_pBlock)
        VirtualFree(m_pBlock, 0, MEM_RELEASE);
    m_pBlock = NULL;
    m_ring.Reset(0);
}

void CInflatePipeline::ReadNextLocked()
{
    m_nextStatus = m_reader.Next(m_next);
}

InflateOutcome InflateEntryInto(const PayloadEntry& entry, BYTE* pData, unsigned long* pnOutput)
{
    uLongf nOutput = entry.header.dwSize;
    int nResult = uncompress(pData, &nOutput, entry.pStream, entry.header.dwPackedSize);
    *pnOutput = nOutput;
    return nResult == Z_OK ? INFLATE_DONE : INFLATE_FAILED;
}

bool CInflatePipeline::PublishLocked(Slot& slot)
{
    slot.bReady = true;
    if (slot.result.outcome != INFLATE_DONE)
        m_bClaimsOver = true;
    if (!m_bWriterWaits)
        return false;
    m_bWriterWaits = false;
    return true;
}
