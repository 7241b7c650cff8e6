#!/ usr / bin / env python3
"""ravelock encrypt and decrypt over folders: subfolders with -r, the report
of failures in the error report's line format (one line per result, control
bytes in names escaped), and Ctrl-C (natively) ending
the run with status 130 and nothing half-written.
Usage: batch_cli_test.py [EMULATOR...] RAVELOCK"""
import os
import signal
import subprocess
import tempfile
import time

from cli_support import environment, main_of, report, run


def tree(root):
    return sorted(os.path.relpath(os.path.join(d, f), root)
                  for d, _, files in os.walk(root) for f in files)


def main(command):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        top = os.path.join(work, "top")
        os.makedirs(os.path.join(top, "sub"))
        for name, text in [("a.txt", b"a"), ("sub/b.txt", b"b")]:
            with open(os.path.join(top, name), "wb") as f:
                f.write(text)
        missing = os.path.join(work, "missing")
        r = run(command, "encrypt", "-r", "--remove-original", top, missing, key="pw")
        if r.returncode != 1 or tree(top) != ["a.txt.rlk", "sub/b.txt.rlk"]:
            failures.append(f"encrypt -r: exit {r.returncode} {tree(top)} {r.stderr!r}")
        line = f'Unable to open source file.  >>"{missing}"'.encode()
        if line not in r.stderr:
            failures.append(f"report line missing: {r.stderr!r}")
        r = run(command, "decrypt", "--remove-original", top, key="pw")
        if r.returncode != 0 or tree(top) != ["a.txt", "sub/b.txt.rlk"]:
            failures.append(f"decrypt without -r: exit {r.returncode} {tree(top)}")

        if not command[0].endswith("wine"):
#A name with control bytes is reported on one line, escaped.
            odd = os.path.join(work, "line\nbreak\x1b[2J.txt")
            with open(odd, "wb") as f:
                f.write(b"odd")
            r = run(command, "encrypt", odd, odd + ".missing", key="pw")
            shown = os.path.join(work, "line\\x0Abreak\\x1B[2J.txt").encode()
            lines = (r.stdout + r.stderr).splitlines()
            if (b'encrypted  >>"' + shown + b'"' not in lines or
                    b'Unable to open source file.  >>"' + shown + b'.missing"' not in lines):
                failures.append(f"control bytes in a name: {r.stdout!r} {r.stderr!r}")

            big = os.path.join(work, "big.bin")
            with open(big, "wb") as f:
                f.write(os.urandom(1 << 20) * 96)
            before = os.path.getsize(big)
            p = subprocess.Popen(command + ["encrypt", "--remove-original", big],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, env=environment("pw"))
            # The signal goes once the run writes its temporary file, so the
            # tool's handler is in place (a fixed delay raced with start-up).
            deadline = time.monotonic() + 30
            while (time.monotonic() < deadline and p.poll() is None and
                   not any(f.endswith(".rlktmp") for f in os.listdir(work))):
                time.sleep(0.005)
            p.send_signal(signal.SIGINT)
            p.communicate(timeout=60)
            left = sorted(f for f in os.listdir(work) if f.startswith("big"))
            if p.returncode == 130:
#The original, or (when the signal came as the run ended) the
#complete result : never half of either.
                whole = (left == ["big.bin"] and os.path.getsize(big) == before) or (
                    left == ["big.bin.rlk"] and os.path.getsize(big + ".rlk") == before + 48)
                if not whole:
                    failures.append(f"Ctrl-C left {left}")
            elif p.returncode != 0:
                failures.append(f"Ctrl-C: exit {p.returncode}")

    return report(failures)


if __name__ == "__main__":
    main_of(main)
