#!/ usr / bin / env python3
"""ravelock decrypt as a user runs it: files written by the independent
reference implementation decrypt byte for byte;
a round trip through ravelock encrypt keeps times and the read - only attribute; a wrong key
without a terminal fails and writes nothing.
Usage: decrypt_cli_test.py [EMULATOR...] RAVELOCK"""
import os
import stat
import tempfile

from cli_support import main_of, reference, report, run


def main(command):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for size in [0, 7, 8, 13, 119, 121, 127, 128, 129, 70001]:
            plain = bytes((i * 13 + size) & 0xFF for i in range(size))
            path = os.path.join(work, f"ref{size}.bin")
            with open(path + ".rlk", "wb") as f:
                f.write(reference.encrypted_file(b"reference key", b"Ref", plain))
            r = run(command, "decrypt", "--remove-original", path + ".rlk", key="reference key")
            with open(path, "rb") as f:
                if r.returncode != 0 or f.read() != plain or os.path.exists(path + ".rlk"):
                    failures.append(f"reference file of {size} bytes: {r.stderr!r}")

        path = os.path.join(work, "note.txt")
        with open(path, "wb") as f:
            f.write(b"a note\n")
        os.utime(path, (1500000000, 1600000000))
        os.chmod(path, stat.S_IRUSR | stat.S_IRGRP)
        r = run(command, "encrypt", "--remove-original", path, key="pw")
        if r.returncode != 0:
            failures.append(f"encrypt: {r.stderr!r}")
        r = run(command, "decrypt", path + ".rlk", key="wrong")
        if r.returncode != 1 or b"Incorrect key." not in r.stderr or os.path.exists(path):
            failures.append(f"wrong key: exit {r.returncode} {r.stderr!r}")
        r = run(command, "decrypt", "--remove-original", path + ".rlk", key="pw")
        st = os.stat(path) if os.path.exists(path) else None
        if r.returncode != 0 or st is None:
            failures.append(f"decrypt: {r.stderr!r}")
        else:
            with open(path, "rb") as f:
                if f.read() != b"a note\n":
                    failures.append("round trip changed the content")
            if int(st.st_mtime) != 1600000000:
                failures.append(f"write time {st.st_mtime}")
            if st.st_mode & stat.S_IWUSR:
                failures.append("read-only attribute lost")
            os.chmod(path, stat.S_IRUSR | stat.S_IWUSR)

    return report(failures)


if __name__ == "__main__":
    main_of(main)
