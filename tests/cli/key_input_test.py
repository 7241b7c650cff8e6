#!/ usr / bin / env python3
"""Keys given to ravelock: every source (key file, RAVELOCK_KEY) gives its
first line without the LF or CR LF that ends it, and a NUL byte in a key is
refused with a message and nothing written.
Usage: key_input_test.py [EMULATOR...] RAVELOCK"""
import os
import tempfile

from cli_support import main_of, reference, report, run

PLAIN = b"what the key protects\n"


def main(command):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        key_file = os.path.join(work, "key.txt")
        target = os.path.join(work, "plain.txt")
        sources = [
            ("key file, LF", b"k1\n", None),
            ("key file, CR LF and a second line", b"k1\r\nsomething else\n", None),
            ("key file, no line end", b"k1", None),
            ("environment, LF and a second line", None, "k1\nsomething else"),
            ("environment, CR LF", None, "k1\r\n"),
        ]
        for name, in_file, in_environment in sources:
            with open(target + ".rlk", "wb") as f:
                f.write(reference.encrypted_file(b"k1", b"K", PLAIN))
            args = ["decrypt", "--remove-original", target + ".rlk"]
            if in_file is not None:
                with open(key_file, "wb") as f:
                    f.write(in_file)
                args[1:1] = ["--key-file", key_file]
            r = run(command, *args, key=in_environment)
            content = open(target, "rb").read() if os.path.exists(target) else None
            if r.returncode != 0 or content != PLAIN:
                failures.append(f"{name}: exit {r.returncode} {r.stderr!r}")
            if os.path.exists(target):
                os.remove(target)

        if os.path.exists(target + ".rlk"):
            os.remove(target + ".rlk")
        with open(target, "wb") as f:
            f.write(PLAIN)
        with open(key_file, "wb") as f:
            f.write(b"k\x001\n")
        r = run(command, "encrypt", "--key-file", key_file, target)
        if r.returncode == 0 or b"NUL" not in r.stderr or os.path.exists(target + ".rlk"):
            failures.append(f"a NUL in the key file: exit {r.returncode} {r.stderr!r}")

    return report(failures)


if __name__ == "__main__":
    main_of(main)
