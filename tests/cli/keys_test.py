#!/ usr / bin / env python3
"""ravelock keys as a user runs it: remembering keys from a key file and
from the environment, listing, replacing, forgetting, stopping the server,
and the keys and operands it refuses. Usage: keys_test.py [EMULATOR...] RAVELOCK"""
import os
import tempfile

from cli_support import main_of, report, run as run_tool


def remove_native_objects():
    """Natively the key server's named objects stay in /dev/shm until removed;
    remove the ones of this test's scope (the key server has ended)."""
    scope = os.environ.get("RAVELOCK_IPC_SCOPE")
    if not scope or not os.path.isdir("/dev/shm") or not hasattr(os, "geteuid"):
        return
    suffix = f"_vell.{os.geteuid()}.{scope}"
    for entry in os.listdir("/dev/shm"):
        if entry.endswith(suffix):
            os.remove(os.path.join("/dev/shm", entry))


def main(command):
    failures = []

    def run(args, key=None, code=0, out=None, err=None):
        done = run_tool(command, "keys", *args, key=key)
        stdout = done.stdout.decode().replace("\r\n", "\n")
        stderr = done.stderr.decode().replace("\r\n", "\n")
        what = " ".join(args)
        if done.returncode != code:
            failures.append(f"keys {what}: exit {done.returncode}, wanted {code}: {stderr!r}")
        if out is not None and not (out(stdout) if callable(out) else stdout == out):
            failures.append(f"keys {what}: output {stdout!r}")
        if err is not None and err not in stderr:
            failures.append(f"keys {what}: no {err!r} in {stderr!r}")
        return stdout

    with tempfile.TemporaryDirectory() as work:
        key_file = os.path.join(work, "key.txt")
        with open(key_file, "w") as f:
            f.write("from a file\r\nsecond line is not the key\n")

        run(["stop"])
        run(["list"], out="", err="not running")
        run(["add", "--name", "alpha"], key="first key",
            out='remembered the key "alpha"\n')
        run(["add", "--name", "beta", "--key-file", key_file],
            out='remembered the key "beta"\n')
        run(["add", "--name", "alpha"], key="second key", out='replaced the key "alpha"\n')
        run(["list"], out="alpha\nbeta\n")

        run(["add", "--name", "long"], key="k" * 57, code=2, err="longer than 56")
        run(["add", "--name", "empty"], key="", code=2, err="empty")
        run(["add", "the key itself"], key="k", code=2, err="never taken from the command line")
        run(["delete"], code=2)
        run(["list", "extra"], code=2)
        run(["frobnicate"], code=2, err="unknown action")
        run(["list"], out="alpha\nbeta\n")

        run(["delete", "gamma"], code=1, err='no key named "gamma"')
        run(["delete", "alpha"], out='forgot the key "alpha"\n')
        run(["add"], key="k" * 56, out=lambda o: o.startswith('remembered the key "My key '))
        listed = run(["list"]).splitlines()
        if len(listed) != 2 or listed[0] != "beta" or not listed[1].startswith("My key "):
            failures.append(f"keys list after delete and add: {listed!r}")

        run(["clear"], out="forgot all keys\n")
        run(["list"], out="", err="no keys remembered")
        run(["stop"], out="stopped the key server; its keys are forgotten\n")
        run(["list"], out="", err="not running")

    remove_native_objects()
    return report(failures)


if __name__ == "__main__":
    main_of(main)
