// The ring of the entries inflated ahead: what is placed never overlaps what is held, and
// a skipped stretch before a new lap stays taken until its entry is given back.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>

#include "engine/InflateRing.h"

TEST(InflateRing, NewLapSkipsTheTailUntilItsEntryIsGivenBack)
{
    CInflateRing ring;
    ring.Reset(100);
    uint32_t nOffset = 0, nFirst = 0, nSecond = 0;
    ASSERT_TRUE(ring.Place(70, &nOffset, &nFirst));
    ASSERT_FALSE(ring.Place(31, &nOffset, &nSecond));
    ring.GiveBack(nFirst);
    ASSERT_TRUE(ring.Place(40, &nOffset, &nSecond));  // 30 bytes skipped at the end
    EXPECT_EQ(0u, nOffset);
    EXPECT_EQ(70u, nSecond);
    uint32_t nThird = 0;
    EXPECT_FALSE(ring.Place(31, &nOffset, &nThird));
    ASSERT_TRUE(ring.Place(30, &nOffset, &nThird));
    EXPECT_EQ(40u, nOffset);
    EXPECT_EQ(100u, ring.Used());
    EXPECT_FALSE(ring.Place(101, &nOffset, &nThird));
}

TEST(InflateRing, PlacedBytesNeverOverlapHeldOnes)
{
    struct Held {
        uint32_t nOffset, nSize, nTaken;
    };
    std::mt19937 random(7);
    CInflateRing ring;
    ring.Reset(1000);
    std::deque<Held> held;
    for (int i = 0; i < 20000; ++i) {
        Held h = {0, static_cast<uint32_t>(random() % 400), 0};
        if (random() % 2 && ring.Place(h.nSize, &h.nOffset, &h.nTaken)) {
            ASSERT_LE(h.nOffset + h.nSize, 1000u);
            for (const Held& other : held)
                ASSERT_TRUE(h.nSize == 0 || other.nSize == 0 || h.nOffset + h.nSize <= other.nOffset ||
                            other.nOffset + other.nSize <= h.nOffset)
                    << "step " << i;
            held.push_back(h);
        } else if (!held.empty()) {
            ring.GiveBack(held.front().nTaken);
            held.pop_front();
        }
        if (held.empty()) {
            ASSERT_EQ(0u, ring.Used());
        }
    }
}
