#!/usr/bin/env python3
"""ravelock encrypt's results read back by the independent reference
implementation (tools/reference), for the sizes, keys and names that
matter. Usage: encrypt_reference_test.py RAVELOCK [EMULATOR...]"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "reference"))
import rlk_reference as reference  # noqa: E402

KEYS = [b"k", bytes(range(33, 33 + 56))]
NAMES = ["", "n" * 31, "m" * 32, "l" * 40]
# Every size with every key and name; the reference is slow, so one
# multi-megabyte file once.
CASES = [(size, key, name) for size in [0, 7, 8, 121, 127, 128]
         for key in KEYS for name in NAMES] + [(2 * 1024 * 1024 + 5, KEYS[1], "big")]


def main(command):
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for size, key, name in CASES:
            plain = bytes((i * 7 + size) & 0xFF for i in range(size))
            path = os.path.join(work, f"f{size}.bin")
            with open(path, "wb") as f:
                f.write(plain)
            key_file = os.path.join(work, "key.txt")
            with open(key_file, "wb") as f:
                f.write(key + b"\n")
            run = subprocess.run(
                command + ["encrypt", "--key-file", key_file, "--name", name,
                           "--remove-original", path],
                stdin=subprocess.DEVNULL, capture_output=True)
            what = f"size {size}, key {len(key)}, name {len(name)}"
            if run.returncode != 0:
                print(f"FAIL {what}: exit {run.returncode} {run.stderr!r}")
                failures += 1
                continue
            with open(path + ".rlk", "rb") as f:
                data = f.read()
            os.remove(path + ".rlk")
            stored = data[16:48].rstrip(b"\0").decode()
            if reference.decrypted_file(key, data) != plain:
                print(f"FAIL {what}: does not decrypt to the original")
                failures += 1
            elif stored != name[:32] and not (name == "" and stored.startswith("My key ")):
                print(f"FAIL {what}: key name {stored!r}")
                failures += 1
            elif os.path.exists(path):
                print(f"FAIL {what}: the original was kept")
                failures += 1
    print(f"{failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
