#!/usr/bin/env python3
"""Writes a stand-in file for the demo payload: exactly SIZE bytes that deflate to about
RATIO of their size, so that the demo archive packs and unpacks like the real one.

The bytes are a deterministic function of the arguments (SHA-256 in counter mode, no
dependence on the Python or zlib version): blocks of incompressible bytes mixed into
text made of words, in the proportion that gives the ratio.

usage: make-standin.py --size SIZE --ratio RATIO --seed TEXT [--header TEXT] OUT
"""
import argparse
import hashlib

# Deflate ratio of the word text at level 9 when cut into blocks between random ones,
# measured once; the mix is computed from it so that the bytes do not depend on the zlib
# at hand.
TEXT_RATIO = 0.24
WORDS = (
    "jitter noise sample channel period edge clock phase spectrum histogram amplitude "
    "timing data dependent random deterministic bounded unbounded crosstalk bathtub "
    "eye diagram threshold level rise fall interval analysis measurement result mean "
    "sigma peak total width depth pattern length bit rate symbol unit trigger record "
    "acquisition waveform filter bandwidth frequency decomposition model fit tail"
).split()


class ByteStream:
    """An endless deterministic byte stream: SHA-256 of seed and a counter."""

    def __init__(self, seed):
        self.seed = seed.encode()
        self.counter = 0
        self.pending = b""

    def take(self, n):
        out = bytearray(self.pending[:n])
        self.pending = self.pending[n:]
        while len(out) < n:
            digest = hashlib.sha256(self.seed + self.counter.to_bytes(8, "little")).digest()
            self.counter += 1
            need = n - len(out)
            out += digest[:need]
            self.pending = digest[need:]
        return bytes(out)


def text_block(stream, n):
    words = []
    length = 0
    choices = stream.take(n // 3 + 16)
    i = 0
    while length < n:
        word = WORDS[choices[i % len(choices)] % len(WORDS)]
        sep = "\r\n" if choices[(i + 1) % len(choices)] % 11 == 0 else " "
        words.append(word + sep)
        length += len(word) + len(sep)
        i += 1
    return "".join(words).encode()[:n]


def standin_bytes(size, ratio, seed, header):
    random_share = min(1.0, max(0.0, (ratio - TEXT_RATIO) / (1.0 - TEXT_RATIO)))
    randoms = ByteStream(seed + "/random")
    texts = ByteStream(seed + "/text")
    out = bytearray(header[:size])
    random_bytes = 0
    block = min(4096, max(256, size // 16))
    while len(out) < size:
        n = min(block, size - len(out))
        # Keep the running share of random bytes as close to the target as blocks allow.
        target = random_share * (len(out) + n)
        if abs(random_bytes + n - target) < abs(random_bytes - target):
            out += randoms.take(n)
            random_bytes += n
        else:
            out += text_block(texts, n)
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size", type=int, required=True)
    parser.add_argument("--ratio", type=float, required=True)
    parser.add_argument("--seed", required=True)
    parser.add_argument("--header", default="", help="text the file begins with (\\r and \\n escapes allowed)")
    parser.add_argument("out")
    args = parser.parse_args()
    if args.size <= 0:
        parser.error("--size must be positive")
    header = args.header.replace("\\r", "\r").replace("\\n", "\n").encode("latin-1")
    data = standin_bytes(args.size, args.ratio, args.seed, header)
    with open(args.out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
