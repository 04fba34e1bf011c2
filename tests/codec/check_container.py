#!/usr/bin/python3
"""Checks encoded containers with Python's own base32hex, raw LZMA1 and CRC-32, and makes
LZMA streams for the decoder tests from encoders other than the codec's.

  check    stdin: the base32hex text, the header bytes in hex and the field text in hex,
           one per line. Prints OK, or what differs and exits 1.
  compress stdin: bytes in hex. Prints Python's raw LZMA1 stream (it ends with a marker).
  literal  stdin: bytes in hex. Prints a raw LZMA1 stream of literals without end marker,
           made by the small range encoder below.
"""

import base64
import lzma
import sys
import zlib

FILTERS = [{"id": lzma.FILTER_LZMA1, "lc": 3, "lp": 0, "pb": 2, "dict_size": 131072}]


def decompress(stream, size):
    decoder = lzma.LZMADecompressor(format=lzma.FORMAT_RAW, filters=FILTERS)
    return decoder.decompress(stream, max_length=size)


def check(text, header, fields):
    if text != text.upper() or "=" in text:
        return "text is not upper case base32hex without padding"
    container = base64.b32hexdecode(text + "=" * (-len(text) % 8))
    if container[:2] != header:
        return "header %s, expected %s" % (container[:2].hex(), header.hex())
    size = container[2] | container[3] << 8
    if size != len(fields) + 4:
        return "length field %d, expected %d" % (size, len(fields) + 4)
    stream = container[4:]
    # A properties header would begin with 0x5D; a raw stream begins with the range coder's 0.
    if stream[:1] != b"\x00":
        return "stream does not begin with 0x00"
    payload = decompress(stream, size)
    if len(payload) != size:
        return "decompressed %d bytes, expected %d" % (len(payload), size)
    if int.from_bytes(payload[:4], "little") != zlib.crc32(payload[4:]):
        return "CRC-32 differs"
    if payload[4:] != fields:
        return "field text %r, expected %r" % (payload[4:], fields)
    return None


class RangeEncoder:
    """The LZMA range encoder, enough to code single bits with adaptive probabilities."""

    def __init__(self):
        self.low = 0
        self.range = 0xFFFFFFFF
        self.cache = 0
        self.cache_size = 1
        self.out = bytearray()

    def shift_low(self):
        if self.low < 0xFF000000 or self.low >= 1 << 32:
            carry = self.low >> 32
            byte = self.cache
            while True:
                self.out.append((byte + carry) & 0xFF)
                byte = 0xFF
                self.cache_size -= 1
                if self.cache_size == 0:
                    break
            self.cache = (self.low >> 24) & 0xFF
        self.cache_size += 1
        self.low = (self.low & 0x00FFFFFF) << 8

    def encode_bit(self, probs, index, bit):
        bound = (self.range >> 11) * probs[index]
        if bit == 0:
            self.range = bound
            probs[index] += (2048 - probs[index]) >> 5
        else:
            self.low += bound
            self.range -= bound
            probs[index] -= probs[index] >> 5
        while self.range < 1 << 24:
            self.range = (self.range << 8) & 0xFFFFFFFF
            self.shift_low()

    def flush(self):
        for _ in range(5):
            self.shift_low()


def literal_stream(data):
    """Every byte as a literal (lc 3, lp 0, pb 2); the state never leaves 0, so the is-match
    bit depends on the position alone and each literal on the top 3 bits of the byte before."""
    encoder = RangeEncoder()
    is_match = [1024] * 4
    literals = [1024] * (0x300 * 8)
    previous = 0
    for position, byte in enumerate(data):
        encoder.encode_bit(is_match, position & 3, 0)
        base = 0x300 * (previous >> 5)
        symbol = 1
        for shift in range(7, -1, -1):
            bit = (byte >> shift) & 1
            encoder.encode_bit(literals, base + symbol, bit)
            symbol = symbol << 1 | bit
        previous = byte
    encoder.flush()
    stream = bytes(encoder.out)
    if decompress(stream, len(data)) != data:
        raise SystemExit("literal stream does not decode with Python's lzma")
    return stream


def main():
    command = sys.argv[1]
    lines = sys.stdin.read().split("\n")
    if command == "check":
        problem = check(lines[0], bytes.fromhex(lines[1]), bytes.fromhex(lines[2]))
        print(problem or "OK")
        return 1 if problem else 0
    data = bytes.fromhex(lines[0])
    if command == "compress":
        print(lzma.compress(data, format=lzma.FORMAT_RAW, filters=FILTERS).hex())
    elif command == "literal":
        print(literal_stream(data).hex())
    else:
        raise SystemExit("unknown command " + command)
    return 0


if __name__ == "__main__":
    sys.exit(main())
