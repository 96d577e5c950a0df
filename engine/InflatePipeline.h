// Inflating ahead on a second processor. A worker thread inflates the entries after the one
// being written into one bounded block; the thread that writes the files takes them in
// archive order and, whenever the next one is not ready yet, inflates a later one itself
// instead of idling. Inflaters claim entries strictly in archive order, so the block is
// used as a ring: entries go in at the head and are given back, written, in the same order.
//
// What may be held inflated but not yet written is bounded by the block: its size is the
// budget (less when the whole payload, or as many of its largest entry as there are
// slots, is less), and an entry larger than that is claimed only when nothing else is
// held, the block then growing to its size. So the block is never larger than
// max(budget, largest entry): at most the budget above a one-block extraction, which needs
// the largest entry. A block that cannot be had while entries are held is waited for until
// they are written; only then does a failure count.
//
// The worker never touches a file, a message text or a window: everything that shows is
// the writer's, in order. A failure to inflate is handed to the writer as the entry's
// outcome, in its place in the order, and nothing after it is claimed.
#pragma once

#include <windows.h>

#include "../framework/CriticalSection.h"
#include "../framework/Handles.h"
#include "../framework/WorkerThread.h"
#include "InflateRing.h"
#include "PayloadReader.h"

// What the writer is handed for one place in the archive's order.
enum InflateOutcome {
    INFLATE_DONE,        // pData holds nOutput bytes
    INFLATE_NO_MEMORY,   // no block could hold the entry
    INFLATE_FAILED,      // the stream does not inflate to at most its size
    INFLATE_END,         // the end record: nothing follows
    INFLATE_BAD_ARCHIVE, // the archive ends otherwise (a chain walked whole never does)
};

struct InflatedEntry {
    InflateOutcome outcome;
    PayloadEntry entry;        // for INFLATE_DONE, INFLATE_NO_MEMORY and INFLATE_FAILED
    BYTE* pData;
    unsigned long nOutput;
    size_t nNextOffset;        // archive offset after the entry's stream; of the end record for INFLATE_END
};

// Where the writer takes the inflated entries from, in archive order: one at a time on its
// own thread, or a pipeline with a worker.
class CInflatedEntrySource {
public:
    // The next entry in archive order, once it is inflated or has failed.
    virtual const InflatedEntry& TakeNext() = 0;
    // The entry TakeNext gave is done with: what it holds may be used again.
    virtual void GiveBack() = 0;

protected:
    ~CInflatedEntrySource() {}
};

// Inflates the entry's stream into pData, its own size the output limit: a stream that
// inflates to more is broken. INFLATE_DONE with the bytes produced, or INFLATE_FAILED.
InflateOutcome InflateEntryInto(const PayloadEntry& entry, BYTE* pData, unsigned long* pnOutput);

// The held bytes the program allows: on a machine with two processors or more the worker
// stays at most this far ahead of the writer (besides an entry larger than this, alone).
const DWORD INFLATE_AHEAD_BUDGET = 32u * 1024 * 1024;

// Whether to inflate ahead: as the processors say, or (tests and the benchmark) always or never.
enum InflateAheadChoice { AHEAD_BY_PROCESSORS, AHEAD_ALWAYS, AHEAD_NEVER };

// A seam for the engine's tests and the benchmark: lets them choose the way, hold the worker
// back, shrink the budget and see which waits happened. The program never sets it; at its
// defaults it changes nothing.
struct InflatePipelineSeam {
    InflateAheadChoice ahead;
    DWORD nBudget;                          // the budget in place of INFLATE_AHEAD_BUDGET; 0: that
    void (*pfnWorkerClaimed)(DWORD nIndex); // on the worker, after claiming entry nIndex
    volatile LONG nWriterWaits;             // the writer waited for the next entry
    volatile LONG nWorkerWaits;             // the worker waited for room
    volatile LONG nInflatedByWriter;        // entries the writer inflated itself
    volatile LONG nInflatedByWorker;
    volatile LONG nStops;                   // the writer was done (at the end or a failure)
};
extern InflatePipelineSeam g_inflatePipelineSeam;

class CInflatePipeline : public CInflatedEntrySource {
public:
    CInflatePipeline(const BYTE* pArchive, size_t nArchiveSize, DWORD nBudget);
    // Stops the worker and waits for it: what it inflated after a failure is dropped.
    ~CInflatePipeline();
    CInflatePipeline(const CInflatePipeline&) = delete;
    CInflatePipeline& operator=(const CInflatePipeline&) = delete;

    // False when no worker could be had: the caller then extracts one entry at a time.
    bool StartWorker();

    // Until the next entry is ready, the calling thread inflates later entries itself, or
    // waits for the worker.
    const InflatedEntry& TakeNext() override;
    void GiveBack() override;

private:
    struct Slot {
        InflatedEntry result;
        uint32_t nTaken;  // bytes of the block held for it
        bool bReady;
    };
    enum ClaimResult { CLAIMED, NO_ROOM, NOTHING_LEFT };
    enum RoomResult { ROOM_MADE, ROOM_LATER, ROOM_NEVER };

    // Entries claimed and not yet given back, at most.
    static const DWORD SLOT_COUNT = 64;

    static DWORD WINAPI RunWorker(LPVOID pParameter);
    void WorkOnWorker();
    ClaimResult ClaimLocked(Slot** ppSlot);
    RoomResult MakeRoomLocked(uint32_t nSize, Slot& slot);
    bool GrowBlockLocked(uint32_t nSize);
    void ReleaseBlock();
    void ReadNextLocked();
    // Marks the slot inflated; true when the writer waits and must be woken.
    bool PublishLocked(Slot& slot);
    bool NothingHeldLocked() const { return m_nClaimed == m_nWriting; }
    bool WorkerShouldWakeLocked() const;

    CCriticalSection m_section;
    CHandle m_hEntryReady;  // auto-reset: set for a writer that waits
    CHandle m_hRoom;        // auto-reset: set for a worker that waits, and at the stop
    PayloadReader m_reader;
    PayloadEntry m_next;
    PayloadReadStatus m_nextStatus;
    DWORD m_nClaimed;       // entries claimed so far, in order
    DWORD m_nWriting;       // the entry the writer takes or holds; all before it are given back
    bool m_bClaimsOver;
    bool m_bStopping;
    bool m_bWriterWaits;
    bool m_bWorkerWaits;
    BYTE* m_pBlock;
    uint32_t m_nPreferredBlock;
    CInflateRing m_ring;
    Slot m_slots[SLOT_COUNT];
    CWorkerThread m_worker;
};
