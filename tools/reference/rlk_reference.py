#!/usr/bin/env python3
"""An independent implementation of the .rlk cipher and file layout, written
from the format description only, for producing known answers. It shares no
code or tables with the engine: pi comes from a different arctangent formula
and the CRC from Python's zlib binding.

    rlk_reference.py vectors OUT.inc     known-answer table for the tests
    rlk_reference.py encrypt KEY NAME IN OUT   one encrypted file
    rlk_reference.py decrypt KEY IN OUT        checks both CRCs; exit 1 if not
    rlk_reference.py database MASTER IN        lists a key database's records
                                               ("name<TAB>key in hex"), after
                                               a first line "database: NAME"
"""
import binascii
import struct
import sys

IDENTIFIER = 0x10111213
DATABASE_IDENTIFIER = 0xABECEDA1
RECORD = struct.Struct("<56sI36s")  # key bytes, key length, name


def pi_words(count):
    """The first `count` 32-bit words of pi's fractional hex digits (Gauss)."""
    bits = count * 32 + 96
    one = 1 << bits

    def atan_inv(x):
        s, t, k, x2 = 0, one // x, 0, x * x
        while t:
            s += t // (2 * k + 1) if k % 2 == 0 else -(t // (2 * k + 1))
            t //= x2
            k += 1
        return s

    pi = 4 * (12 * atan_inv(18) + 8 * atan_inv(57) - 5 * atan_inv(239))
    frac = (pi - 3 * one) >> 96
    return [(frac >> (32 * (count - 1 - i))) & 0xFFFFFFFF for i in range(count)]


_PI = pi_words(18 + 1024)


class Cipher:
    def __init__(self, key):
        assert len(key) >= 1
        self.p = list(_PI[:18])
        self.s = [list(_PI[18 + 256 * i:18 + 256 * (i + 1)]) for i in range(4)]
        k = bytes(key[i % len(key)] for i in range(72))
        for i in range(18):
            self.p[i] ^= struct.unpack_from("<I", k, 4 * i)[0]
        l = r = 0
        for i in range(9):
            l, r = self.encrypt(l, r)
            self.p[2 * i], self.p[2 * i + 1] = l, r
        for box in self.s:
            for j in range(128):
                l, r = self.encrypt(l, r)
                box[2 * j], box[2 * j + 1] = l, r

    def f(self, x):
        s0, s1, s2, s3 = self.s
        v = (s0[x & 0xFF] + s1[(x >> 8) & 0xFF]) & 0xFFFFFFFF
        return ((v ^ s2[(x >> 16) & 0xFF]) + s3[x >> 24]) & 0xFFFFFFFF

    def encrypt(self, l, r):
        for i in range(16):
            l ^= self.p[i]
            r ^= self.f(l)
            l, r = r, l
        l, r = r, l
        return l ^ self.p[17], r ^ self.p[16]

    def decrypt(self, l, r):
        for i in range(17, 1, -1):
            l ^= self.p[i]
            r ^= self.f(l)
            l, r = r, l
        l, r = r, l
        return l ^ self.p[0], r ^ self.p[1]

    def encrypt_bytes(self, data):
        out = bytearray()
        for i in range(0, len(data), 8):
            l, r = struct.unpack_from("<II", data, i)
            out += struct.pack("<II", *self.encrypt(l, r))
        return bytes(out)


def crc(data):
    return binascii.crc32(data) & 0xFFFFFFFF


def encipher(key, plain):
    """(padded length, key-check CRC, content CRC, ciphertext)."""
    padded = plain + bytes(-len(plain) % 8)
    content = crc(padded)
    check = crc(padded[:128]) if len(padded) >= 128 else content
    return len(padded), check, content, Cipher(key).encrypt_bytes(padded)


def decrypted_file(key, data):
    """The plain content of an encrypted file, or None when it does not
    check out (identifier, sizes, either CRC)."""
    if len(data) < 48:
        return None
    ident, size, check, content = struct.unpack_from("<IIII", data, 0)
    body = data[48:]
    if ident != IDENTIFIER or len(body) % 8 or not size <= len(body) <= size + 8:
        return None
    cipher = Cipher(key)
    plain = bytearray()
    for i in range(0, len(body), 8):
        plain += struct.pack("<II", *cipher.decrypt(*struct.unpack_from("<II", body, i)))
    want_check = crc(bytes(plain[:128])) if len(plain) >= 128 else content
    if want_check != check or crc(bytes(plain)) != content:
        return None
    return bytes(plain[:size])


def encrypted_file(key, name, plain):
    _, check, content, body = encipher(key, plain)
    header = struct.pack("<IIII32s", IDENTIFIER, len(plain), check, content, name)
    return header + body


def database_records(master, data):
    """(database name, [(name, key)]) of a key database, or None when it
    does not decrypt or its lead words do not describe its length."""
    plain = decrypted_file(master, data)
    if plain is None or len(plain) < 8:
        return None
    ident, count = struct.unpack_from("<II", plain, 0)
    content = 8 + count * RECORD.size
    if ident != DATABASE_IDENTIFIER or not content <= len(plain) <= content + 8:
        return None
    records = []
    for i in range(count):
        key, length, name = RECORD.unpack_from(plain, 8 + i * RECORD.size)
        if not 1 <= length <= len(key):
            return None
        records.append((name.split(b"\0")[0], key[:length]))
    return data[16:48].split(b"\0")[0], records


KEY_LENGTHS = [1, 5, 18, 36, 56, 72, 73, 100]
PLAIN_LENGTHS = [0, 7, 8, 13, 119, 121, 127, 128, 129, 3001]


def test_key(n):
    return bytes(33 + (i * 37 + n) % 94 for i in range(n))


def test_plain(n):
    return bytes((i * 131 + 7) & 0xFF for i in range(n))


def c_bytes(data):
    return '"' + "".join(f"\\x{b:02x}" for b in data) + '"sv'


def write_vectors(path):
    with open(path, "w") as out:
        out.write("// Generated by tools/reference/rlk_reference.py; do not edit.\n")
        out.write("// Keys: byte i of a key of length n is 33 + (37i + n) mod 94.\n")
        out.write("// Plain text: byte i is (131i + 7) mod 256.\n")
        out.write("// {key length, plain length, padded length, key-check CRC,\n")
        out.write("//  content CRC, zero block enciphered (L, R), ciphertext}\n")
        for kl in KEY_LENGTHS:
            key = test_key(kl)
            zl, zr = Cipher(key).encrypt(0, 0)
            for pl in PLAIN_LENGTHS:
                padded, check, content, body = encipher(key, test_plain(pl))
                out.write(f"{{{kl}, {pl}, {padded}, 0x{check:08X}u, 0x{content:08X}u, "
                          f"0x{zl:08X}u, 0x{zr:08X}u,\n {c_bytes(body)}}},\n")


def main(argv):
    if len(argv) == 3 and argv[1] == "vectors":
        write_vectors(argv[2])
    elif len(argv) == 6 and argv[1] == "encrypt":
        key, name = argv[2].encode(), argv[3].encode()
        with open(argv[4], "rb") as f:
            plain = f.read()
        with open(argv[5], "wb") as f:
            f.write(encrypted_file(key, name, plain))
    elif len(argv) == 5 and argv[1] == "decrypt":
        with open(argv[3], "rb") as f:
            plain = decrypted_file(argv[2].encode(), f.read())
        if plain is None:
            return 1
        with open(argv[4], "wb") as f:
            f.write(plain)
    elif len(argv) == 4 and argv[1] == "database":
        with open(argv[3], "rb") as f:
            found = database_records(argv[2].encode(), f.read())
        if found is None:
            return 1
        name, records = found
        out = sys.stdout.buffer
        out.write(b"database: " + name + b"\n")
        for key_name, key in records:
            out.write(key_name + b"\t" + key.hex().encode() + b"\n")
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
