#!/ usr / bin / env python3
"""ravelock encrypt's results read back by the independent reference
implementation (tools/reference), for the sizes, keys and names that
matter. Usage: encrypt_reference_test.py [EMULATOR...] RAVELOCK"""
import os
import tempfile

from cli_support import main_of, reference, report, run

KEYS = [b"k", bytes(range(33, 33 + 56))]
NAMES = ["", "n" * 31, "m" * 32, "l" * 40]
#Every size with every key and name; the reference is slow, so one
#multi - megabyte file once.
CASES = [(size, key, name) for size in [0, 7, 8, 121, 127, 128]
         for key in KEYS for name in NAMES] + [(2 * 1024 * 1024 + 5, KEYS[1], "big")]


def main(command):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for size, key, name in CASES:
            plain = bytes((i * 7 + size) & 0xFF for i in range(size))
            path = os.path.join(work, f"f{size}.bin")
            with open(path, "wb") as f:
                f.write(plain)
            key_file = os.path.join(work, "key.txt")
            with open(key_file, "wb") as f:
                f.write(key + b"\n")
            r = run(command, "encrypt", "--key-file", key_file, "--name", name,
                    "--remove-original", path)
            what = f"size {size}, key {len(key)}, name {len(name)}"
            if r.returncode != 0:
                failures.append(f"{what}: exit {r.returncode} {r.stderr!r}")
                continue
            with open(path + ".rlk", "rb") as f:
                data = f.read()
            os.remove(path + ".rlk")
            stored = data[16:48].rstrip(b"\0").decode()
            if reference.decrypted_file(key, data) != plain:
                failures.append(f"{what}: does not decrypt to the original")
            elif stored != name[:32] and not (name == "" and stored.startswith("My key ")):
                failures.append(f"{what}: key name {stored!r}")
            elif os.path.exists(path):
                failures.append(f"{what}: the original was kept")
    return report(failures)


if __name__ == "__main__":
    main_of(main)
