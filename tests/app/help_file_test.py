#!/usr/bin/env python3
"""The compiled help file: it holds the topics the main window opens, a
table of contents and an index, and every link of a topic, the contents
and the index leads to a file inside it.

usage: help_file_test.py CHMLS HELP_FILE
"""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

TOPICS = ["intro.htm", "wndencryption.htm", "keymanager.htm", "wndoptions.htm"]
LINK = re.compile(r'(?:href|value)="([^"#:]+\.(?:htm|css))"', re.IGNORECASE)


def main():
    chmls, chm = sys.argv[1], sys.argv[2]
    listing = subprocess.run([chmls, "-n", "list", chm], check=True,
                             capture_output=True, text=True).stdout
    names = {line.strip().lstrip("/") for line in listing.splitlines()}
    failures = [f"missing {name}" for name in TOPICS + ["toc.hhc", "index.hhk"]
                if name not in names]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([chmls, "extractall", chm, folder], check=True,
                       capture_output=True)
        pages = [p for p in Path(folder).iterdir()
                 if p.suffix in (".htm", ".hhc", ".hhk")]
        for page in pages:
            for target in LINK.findall(page.read_text(encoding="latin-1")):
                if target not in names:
                    failures.append(f"{page.name} links to missing {target}")
        toc = (Path(folder) / "toc.hhc").read_text(encoding="latin-1")
        failures += [f"{name} not in the contents" for name in TOPICS
                     if f'value="{name}"' not in toc]
    for failure in failures:
        print(failure)
    print(f"{chm}: {len(names)} entries, {len(failures)} faults")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
