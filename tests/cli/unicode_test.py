#!/usr/bin/env python3
"""Every name a user has, and one pass-phrase encoding: names from many
scripts round-trip whole through encrypt and decrypt, a typed key becomes
its Windows-1252 bytes (checked by the independent reference), and key
names are stored in that code page when it holds them, else in UTF-8.
Usage: unicode_test.py [EMULATOR...] RAVELOCK"""
import os
import tempfile

from cli_support import main_of, reference, report, run

NAMES = ["отчёт.docx", "報告.pdf", "café ☕.txt", "naïve résumé.doc"]
SUBFOLDER = "папка été"
KEY = "Käse-Brötchen"


def tree(root):
    """Every file under `root`, relative, with its bytes."""
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = f.read()
    return found


def names_round_trip(command, work, failures):
    root = os.path.join(work, "Ünïcode")
    os.makedirs(os.path.join(root, SUBFOLDER))
    for i, name in enumerate(NAMES):
        for folder in (root, os.path.join(root, SUBFOLDER)):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(name.encode() * (i + 1))
    before = tree(root)
    r = run(command, "encrypt", "-r", "--remove-original", "--name", "x", root, key=KEY)
    encrypted = tree(root)
    if r.returncode != 0:
        failures.append(f"encrypt: exit {r.returncode} {r.stderr!r}")
    elif sorted(encrypted) != sorted(p + ".rlk" for p in before):
        failures.append(f"encrypted names {sorted(encrypted)}")
    r = run(command, "decrypt", "-r", "--remove-original", root, key=KEY)
    if r.returncode != 0:
        failures.append(f"decrypt: exit {r.returncode} {r.stderr!r}")
    elif tree(root) != before:
        failures.append(f"decrypted tree {sorted(tree(root))}")


def key_bytes(command, work, failures):
    plain = b"Brotzeit\n" * 100
    cases = [  # (options, key, the key's bytes)
        ([], KEY, KEY.encode("cp1252")),
        (["--code-page", "1251"], "отчёт", "отчёт".encode("cp1251")),
        (["--code-page", "65001"], KEY, KEY.encode()),
    ]
    for options, key, expected in cases:
        path = os.path.join(work, "brot.txt")
        with open(path, "wb") as f:
            f.write(plain)
        r = run(command, "encrypt", *options, "--remove-original", path, key=key)
        what = f"{options} {key}"
        if r.returncode != 0:
            failures.append(f"{what}: exit {r.returncode} {r.stderr!r}")
            continue
        with open(path + ".rlk", "rb") as f:
            data = f.read()
        if reference.decrypted_file(expected, data) != plain:
            failures.append(f"{what}: the key bytes are not {expected!r}")
        r = run(command, "decrypt", *options, "--remove-original", path + ".rlk", key=key)
        if r.returncode != 0 or not os.path.exists(path):
            failures.append(f"{what}: decrypt exit {r.returncode} {r.stderr!r}")
        else:
            os.remove(path)
    # A file of the reference under the Windows-1252 bytes opens with the
    # typed key.
    path = os.path.join(work, "ref.txt")
    with open(path + ".rlk", "wb") as f:
        f.write(reference.encrypted_file(KEY.encode("cp1252"), b"ref", plain))
    r = run(command, "decrypt", path + ".rlk", key=KEY)
    if r.returncode != 0 or open(path, "rb").read() != plain:
        failures.append(f"reference file: exit {r.returncode} {r.stderr!r}")
    # What the code page cannot hold, and code pages that do not exist, are
    # refused before anything is written.
    for options, key, message in [([], "café ☕", b"code page 1252 cannot hold"),
                                  (["--code-page", "12345"], KEY, b"unknown code page"),
                                  (["--code-page", "x"], KEY, b"unknown code page")]:
        target = os.path.join(work, "refused.txt")
        with open(target, "wb") as f:
            f.write(plain)
        r = run(command, "encrypt", *options, target, key=key)
        if r.returncode != 2 or message not in r.stderr or os.path.exists(target + ".rlk"):
            failures.append(f"{options} {key}: exit {r.returncode} {r.stderr!r}")


def key_names(command, work, failures):
    for name, stored in [("Schlüssel", "Schlüssel".encode("cp1252")),
                         ("отчёт ☕", "отчёт ☕".encode())]:
        path = os.path.join(work, "named.txt")
        with open(path, "wb") as f:
            f.write(b"n")
        r = run(command, "encrypt", "--name", name, "--remove-original", path, key="k")
        if r.returncode != 0:
            failures.append(f"name {name}: exit {r.returncode} {r.stderr!r}")
            continue
        with open(path + ".rlk", "rb") as f:
            field = f.read()[16:48].rstrip(b"\0")
        if field != stored:
            failures.append(f"name {name}: stored {field!r}")
        r = run(command, "info", path + ".rlk")
        if f"key name:      {name}\n".encode() not in r.stdout.replace(b"\r\n", b"\n"):
            failures.append(f"name {name}: info shows {r.stdout!r}")
        os.remove(path + ".rlk")


def main(command):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        names_round_trip(command, work, failures)
        key_bytes(command, work, failures)
        key_names(command, work, failures)
    return report(failures)


if __name__ == "__main__":
    main_of(main)
