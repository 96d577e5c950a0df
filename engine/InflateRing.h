// The space of the block that holds entries inflated ahead of the writer. Entries are placed
// in the order they are claimed and given back in the same order, so the free space is
// always the one stretch from the head round to the oldest entry still held. An entry that
// would run past the end starts again at the beginning; the stretch it skips counts as its
// own until it is given back. Arithmetic only: the block itself belongs to the caller.
#pragma once

#include <cstdint>

class CInflateRing {
public:
    CInflateRing() : m_nCapacity(0), m_nHead(0), m_nUsed(0) {}

    uint32_t Capacity() const { return m_nCapacity; }
    uint32_t Used() const { return m_nUsed; }

    // A block of nCapacity bytes, nothing held.
    void Reset(uint32_t nCapacity)
    {
        m_nCapacity = nCapacity;
        Rewind();
    }
    // Nothing is held any more: the next entry goes to the beginning.
    void Rewind()
    {
        m_nHead = 0;
        m_nUsed = 0;
    }

    // Takes nSize bytes in one piece: true with where they begin and how many bytes the
    // ring gave for them (the size, and the skipped stretch before a new lap); false when
    // they do not fit beside what is held.
    bool Place(uint32_t nSize, uint32_t* pnOffset, uint32_t* pnTaken)
    {
        if (nSize > m_nCapacity)
            return false;
        const bool bNewLap = nSize > m_nCapacity - m_nHead;
        const uint64_t nTaken = bNewLap ? uint64_t(m_nCapacity - m_nHead) + nSize : nSize;
        if (nTaken > m_nCapacity - m_nUsed)
            return false;
        *pnOffset = bNewLap ? 0 : m_nHead;
        *pnTaken = static_cast<uint32_t>(nTaken);
        m_nHead = *pnOffset + nSize;
        m_nUsed += *pnTaken;
        return true;
    }

    // The oldest entry held is done with: nTaken is what Place gave for it.
    void GiveBack(uint32_t nTaken) { m_nUsed -= nTaken; }

private:
    uint32_t m_nCapacity;
    uint32_t m_nHead;  // where the next entry goes, unless it must start a new lap
    uint32_t m_nUsed;  // bytes given for the entries held, skipped stretches included
};
