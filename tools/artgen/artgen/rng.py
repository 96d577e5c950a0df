"""Deterministic pseudo-random numbers (the platform's generator may change)."""

import math


class Rng:
    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 0x9E3779B9
        self.spare = None

    def u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self):
        return (self.u32() + 0.5) / 4294967296.0

    def bit(self):
        return self.u32() >> 31

    def gauss(self):
        if self.spare is not None:
            v, self.spare = self.spare, None
            return v
        r = math.sqrt(-2.0 * math.log(self.uniform()))
        a = 2.0 * math.pi * self.uniform()
        self.spare = r * math.sin(a)
        return r * math.cos(a)
