#!/ usr / bin / env python3
"""What the tool tells about files it refuses to touch: a symbolic link
(never followed for writing or removal), a file another run holds, and
names whose bytes are no characters. The help states the limit of
overwriting in place. Links, locks held from here and such names are the
native build's cases.
Usage: file_safety_cli_test.py [EMULATOR...] RAVELOCK"""
import fcntl
import os
import tempfile

from cli_support import main_of, report, run

LINK_NOTE = b"A symbolic link is not followed: name the file it points to"
IN_USE_NOTE = b"The file is in use by another run or program"


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main(command):
    failures = []
    for sub in ("encrypt", "decrypt"):
        r = run(command, sub, "--help")
        if b"--in-place-without-copy" not in r.stdout or b"power loss" not in r.stdout:
            failures.append(f"{sub} --help does not state the in-place limit")
    if command[0].endswith("wine"):
        return report(failures)

    with tempfile.TemporaryDirectory() as work:
        os.chdir(work)
        write("real.txt", b"secret")
        os.symlink("real.txt", "link.txt")
        os.symlink("/dev/zero", "zero.rlk")
        r = run(command, "encrypt", "--remove-original", "link.txt", key="pw")
        if r.returncode != 1 or LINK_NOTE not in r.stderr:
            failures.append(f"encrypting a link: exit {r.returncode} {r.stderr!r}")
        if sorted(os.listdir(".")) != ["link.txt", "real.txt", "zero.rlk"] or \
                read("real.txt") != b"secret":
            failures.append(f"encrypting a link changed files: {os.listdir('.')}")

        run(command, "encrypt", "real.txt", key="pw")
        os.symlink("real.txt.rlk", "link.rlk")
        before = read("real.txt.rlk")
        r = run(command, "decrypt", "--remove-original", "--overwrite", "link.rlk",
                key="pw")
        if r.returncode != 1 or LINK_NOTE not in r.stderr or \
                read("real.txt.rlk") != before or os.path.exists("link"):
            failures.append(f"decrypting through a link: exit {r.returncode} {r.stderr!r}")

        write("held.txt", b"held")
        with open("held.txt", "rb") as held:
            fcntl.flock(held, fcntl.LOCK_EX)
            for args in (["held.txt"], ["--remove-original", "held.txt"]):
                r = run(command, "encrypt", *args, key="pw")
                if r.returncode != 1 or IN_USE_NOTE not in r.stderr or \
                        os.path.exists("held.txt.rlk"):
                    failures.append(f"a held file {args}: exit {r.returncode} {r.stderr!r}")

        bad = b"bad\xff\xfe"
        write(bad, b"plain")
        r = run(command, "encrypt", "--remove-original", bad.decode("utf-8", "surrogateescape"),
                key="pw")
        r2 = run(command, "decrypt", "--remove-original",
                 (bad + b".rlk").decode("utf-8", "surrogateescape"), key="pw")
        names = sorted(os.listdir(b"."))
        if r.returncode != 0 or r2.returncode != 0 or bad not in names or \
                read(bad) != b"plain":
            failures.append(f"a name with stray bytes: {r.stderr!r} {r2.stderr!r} {names}")
        os.chdir("/")
    return report(failures)


if __name__ == "__main__":
    main_of(main)
