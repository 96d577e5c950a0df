// The text of one of the uninstaller's message boxes, built in one bounded buffer. A piece
// that does not fit is cut where the room ends and the text closes with "...": from then
// on nothing more is appended, so the reader sees that more followed. No windows.h: the
// host tests build it too.
#pragma once

#include <cstddef>
#include <cstring>

class CMessageText {
public:
    // Bytes, the terminating NUL included.
    static constexpr size_t CAPACITY = 6000;

    CMessageText() : m_nLength(0), m_bCut(false) { m_sz[0] = '\0'; }

    CMessageText& operator<<(const char* psz)
    {
        if (m_bCut)
            return *this;
        // Room for the ellipsis is kept free until the cut, so the cut always has it.
        const size_t nRoom = CAPACITY - 1 - ELLIPSIS_LENGTH - m_nLength;
        size_t n = std::strlen(psz);
        if (n > nRoom) {
            n = nRoom;
            m_bCut = true;
        }
        std::memcpy(m_sz + m_nLength, psz, n);
        m_nLength += n;
        if (m_bCut) {
            std::memcpy(m_sz + m_nLength, "...", ELLIPSIS_LENGTH);
            m_nLength += ELLIPSIS_LENGTH;
        }
        m_sz[m_nLength] = '\0';
        return *this;
    }

    const char* Get() const { return m_sz; }
    bool Empty() const { return m_nLength == 0; }

private:
    static constexpr size_t ELLIPSIS_LENGTH = 3;

    char m_sz[CAPACITY];
    size_t m_nLength;
    bool m_bCut;
};
