#!/ usr / bin / env python3
"""ravelock keys as a user runs it: remembering keys from a key file and
from the environment, listing, replacing, forgetting, stopping the server,
and the keys and operands it refuses; natively also where the server's
objects live, what they hold after `keys clear` and that they go with it. Usage: keys_test.py [EMULATOR...] RAVELOCK"""
import os
import signal
import stat
import subprocess
import tempfile
import time

from cli_support import main_of, report, run as run_tool


def native_folder():
    """The private folder of the key server's objects natively."""
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and runtime.startswith("/"):
        return os.path.join(runtime, "ravelock")
    base = "/dev/shm" if os.path.isdir("/dev/shm") else "/tmp"
    return os.path.join(base, f"ravelock-{os.geteuid()}")


def scoped(name):
    scope = os.environ.get("RAVELOCK_IPC_SCOPE")
    return f"{name}.{scope}" if scope else name


OBJECTS = ["server_run_mutex_vell", "message_event_vell", "done_event_vell",
           "klient_access_mutex_vell", "mem_file_data_vell"]


def objects_left(folder):
    return [n for n in OBJECTS if os.path.lexists(os.path.join(folder, scoped(n)))]


def native_objects(command, run, failures):
    """Natively, in a runtime folder of its own: no key byte stays in the
    section, the objects go when the server ends (also on SIGTERM and
    SIGINT), and objects that others could reach or plant are refused."""
    server = os.path.join(os.path.dirname(command[0]), "vellserver")
    saved = os.environ.get("XDG_RUNTIME_DIR")
    with tempfile.TemporaryDirectory() as runtime:
        os.environ["XDG_RUNTIME_DIR"] = runtime
        try:
            folder = native_folder()
            key = "".join(chr(0x41 + (i * 7) % 26) for i in range(56))
            run(["add", "--name", "secret"], key=key, out='remembered the key "secret"\n')
            run(["list"], out="secret\n")
            mode = stat.S_IMODE(os.stat(folder).st_mode)
            if mode != 0o700:
                failures.append(f"the objects' folder has mode {mode:o}")
            for name in objects_left(folder):
                mode = stat.S_IMODE(os.stat(os.path.join(folder, scoped(name))).st_mode)
                if mode & 0o077:
                    failures.append(f"{name} has mode {mode:o}")
            run(["clear"], out="forgot all keys\n")
            with open(os.path.join(folder, scoped("mem_file_data_vell")), "rb") as f:
                section = f.read()
            pieces = [key[i:i + 8].encode() for i in range(len(key) - 7)]
            if any(piece in section for piece in pieces):
                failures.append("key bytes are left in the section after keys clear")
            run(["stop"], out="stopped the key server; its keys are forgotten\n")
            if objects_left(folder):
                failures.append(f"after keys stop: {objects_left(folder)} left")

            for signal_number in (signal.SIGTERM, signal.SIGINT):
                started = subprocess.Popen([server, "without_icon"])
                mark = os.path.join(folder, scoped("server_run_mutex_vell"))
                section = os.path.join(folder, scoped("mem_file_data_vell"))
                deadline = time.monotonic() + 20
                while not os.path.exists(section) and time.monotonic() < deadline:
                    time.sleep(0.01)
                run(["list"], out="", err="no keys remembered")
                started.send_signal(signal_number)
                code = started.wait(20)
                if code != 0 or objects_left(folder):
                    failures.append(f"after signal {signal_number}: exit {code}, "
                                    f"{objects_left(folder)} left (mark {os.path.exists(mark)})")

            os.chmod(folder, 0o777)
            run(["list"], code=1, err="open to other users")
            run(["add", "--name", "x"], key="k", code=1, err="open to other users")
            os.chmod(folder, 0o700)
            planted = os.path.join(folder, scoped("message_event_vell"))
            with open(planted, "wb"):
                pass
            os.chmod(planted, 0o666)
            run(["add", "--name", "x"], key="k", code=1, err="open to other users")
            if os.geteuid() == 0:
                os.chmod(planted, 0o600)
                os.chown(planted, 65534, 65534)
                run(["add", "--name", "x"], key="k", code=1, err="belongs to another user")
            os.remove(planted)
            run(["stop"], out="the key server is not running\n")
        finally:
            if saved is None:
                os.environ.pop("XDG_RUNTIME_DIR", None)
            else:
                os.environ["XDG_RUNTIME_DIR"] = saved


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

        # The key held under a file's key name opens it also when the server
        # has no current key: the last key used was just forgotten.
        plain = os.path.join(work, "by name.txt")
        with open(plain, "wb") as f:
            f.write(b"found by name")
        done = run_tool(command, "encrypt", "--name", "beta", "--remove-original", plain,
                        key="from a file")
        if done.returncode != 0:
            failures.append(f"encrypt under beta: exit {done.returncode}")
        run(["add", "--name", "passing"], key="passing key")
        run(["delete", "passing"], out='forgot the key "passing"\n')
        done = run_tool(command, "decrypt", "--remove-original", plain + ".rlk")
        if done.returncode != 0 or not os.path.exists(plain):
            failures.append(f"decrypt by the key's name: exit {done.returncode}: "
                            f"{done.stderr!r}")
        elif open(plain, "rb").read() != b"found by name":
            failures.append("decrypt by the key's name: wrong content")

        run(["clear"], out="forgot all keys\n")
        run(["list"], out="", err="no keys remembered")
        run(["stop"], out="stopped the key server; its keys are forgotten\n")
        run(["list"], out="", err="not running")

    if len(command) == 1 and hasattr(os, "geteuid"):
        native_objects(command, run, failures)
    return report(failures)


if __name__ == "__main__":
    main_of(main)
