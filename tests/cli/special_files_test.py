#!/ usr / bin / env python3
"""Only regular files are opened: a FIFO as a file to encrypt, decrypt or
test, inside a folder being walked, or as the key file is refused at once
(a FIFO without a writer would block the open forever). Natively only:
Windows has no FIFOs in its file system.
Usage: special_files_test.py [EMULATOR...] RAVELOCK"""
import os
import subprocess
import tempfile

from cli_support import main_of, report, run

#Long enough for a slow machine, far shorter than a run that hangs.
TIMEOUT = 30


def main(command):
    if command[0].endswith("wine"):
        print("natively only")
        return 0
    failures = []
    with tempfile.TemporaryDirectory() as work:
        fifo = os.path.join(work, "x.rlk")
        os.mkfifo(fifo)
        folder = os.path.join(work, "folder")
        os.makedirs(folder)
        os.mkfifo(os.path.join(folder, "y.rlk"))
        os.mkfifo(os.path.join(folder, "p.txt"))
        pipe = os.path.join(work, "p.txt")
        os.mkfifo(pipe)
        with open(os.path.join(folder, "z.txt"), "wb") as f:
            f.write(b"z")
        plain = os.path.join(work, "plain.txt")
        with open(plain, "wb") as f:
            f.write(b"plain")

        cases = [
            ("info", ["info", fifo], 1, b"Unable to open source file."),
            ("decrypt", ["decrypt", fifo], 1, f'Unable to open source file.  >>"{fifo}"'),
            ("decrypt, in place", ["decrypt", "--remove-original", fifo], 1,
             f'Unable to open source file.  >>"{fifo}"'),
            ("encrypt", ["encrypt", pipe], 1, f'Unable to open source file.  >>"{pipe}"'),
            ("encrypt, in place", ["encrypt", "--remove-original", pipe], 1,
             f'Unable to open source file.  >>"{pipe}"'),
            ("encrypt a folder", ["encrypt", folder], 1,
             f'Unable to open source file.  >>"{os.path.join(folder, "p.txt")}"'),
            ("decrypt a folder", ["decrypt", folder], 1,
             f'Unable to open source file.  >>"{os.path.join(folder, "y.rlk")}"'),
            ("key file", ["encrypt", "--key-file", fifo, plain], 2,
             f"cannot read the key file '{fifo}'"),
        ]
        for name, args, status, message in cases:
            message = message if isinstance(message, bytes) else message.encode()
            try:
                r = run(command, *args, key="pw", timeout=TIMEOUT)
            except subprocess.TimeoutExpired:
                failures.append(f"{name}: still blocked after {TIMEOUT} s")
                continue
            if r.returncode != status or message not in r.stdout + r.stderr:
                failures.append(f"{name}: exit {r.returncode} {r.stdout!r} {r.stderr!r}")
#The folder's regular file was encrypted all the same; the FIFOs are
#untouched.
        if not os.path.exists(os.path.join(folder, "z.txt.rlk")):
            failures.append(f"the folder's file: {sorted(os.listdir(folder))}")
        for path in [fifo, pipe, os.path.join(folder, "y.rlk"), os.path.join(folder, "p.txt")]:
            if not os.path.exists(path):
                failures.append(f"the FIFO {path} was removed")

    return report(failures)


if __name__ == "__main__":
    main_of(main)
