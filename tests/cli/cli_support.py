"""What the command-line tests share: the tool run as a user runs it, the
independent reference implementation, and the report of the failures a
test collected. A test is run as `TEST.py [EMULATOR...] RAVELOCK`, the
command given as the list of its arguments."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "reference"))
import rlk_reference as reference  # noqa: E402,F401


def environment(key=None):
    """This environment with RAVELOCK_KEY set to `key`, or unset when None."""
    env = {k: v for k, v in os.environ.items() if k != "RAVELOCK_KEY"}
    if key is not None:
        env["RAVELOCK_KEY"] = key
    return env


def run(command, *args, key=None, timeout=120):
    """`command` with `args`, without a terminal and with `key` as the
    environment's key; the CompletedProcess with its output as bytes.
    Output goes to files, not pipes: under Wine a key server that the tool
    starts keeps its parent's Unix descriptors, and a pipe would stay open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command + list(args), env=environment(key),
                              stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=timeout)
        out.seek(0)
        err.seek(0)
        done.stdout, done.stderr = out.read(), err.read()
    return done


def report(failures):
    """Prints each failure and their count; the test's exit status."""
    for failure in failures:
        print("FAIL", failure)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


def main_of(main):
    """Runs `main(command)` with the command of this test's arguments."""
    sys.exit(main(sys.argv[1:]))
