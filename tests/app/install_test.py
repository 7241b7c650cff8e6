#!/usr/bin/env python3
"""vellapp's first start and uninstall clean-up in a fresh Wine prefix, read
back with `wine reg query`: /fsapp leaves the installation values, the
".rlk" file type and the context-menu registration, a second run keeps a
VellProgramPath that names the same folder, the key server it started is
gone afterwards; /lsapp removes all of it, the listed logon shortcuts and
the options file. Usage: install_test.py WINE BIN_DIR WINE_PREFIX_TOOL PREFIX"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

CLSID = "{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}"
INSTALL_KEY = r"HKLM\Software\Harrowby\Quillery"
APPROVED = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"
HANDLER_TYPES = ["*", "Folder", "Directory", "Drive"]
SHORT_DLL = re.compile(r"^C:\\[^\\ ]{1,8}\\[^\\. ]{1,8}\.DLL$", re.IGNORECASE)


def main(wine, bin_dir, prefix_tool, prefix):
    failures = []
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run([prefix_tool, prefix], check=True, env=env)
    folder = os.path.join(prefix, "drive_c", "Ravelock")
    os.makedirs(folder)
    for name in ["vellapp.exe", "velldll.dll", "vellserver.exe", "vellhandler.dll"]:
        shutil.copy(os.path.join(bin_dir, name), folder)

    def run(args, timeout=120):
        # Files, not pipes: the key server keeps its parent's descriptors.
        with tempfile.TemporaryFile() as out:
            return subprocess.run([wine] + args, env=env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=out, timeout=timeout).returncode

    def vellapp(switch):
        run([r"C:\Ravelock\vellapp.exe", switch])
        # Every process of the prefix has ended: the key server is gone too.
        try:
            subprocess.run(["wineserver", "-w"], env=env, timeout=30)
        except subprocess.TimeoutExpired:
            failures.append(f"{switch}: a process of the prefix still runs")
            subprocess.run(["wineserver", "-k"], env=env)

    def query(key, value=None):
        """The value's data, or None when the key or value is missing."""
        args = ["reg", "query", key] + (["/ve"] if value is None else ["/v", value])
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([wine] + args, env=env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=subprocess.DEVNULL,
                                  timeout=60).returncode
            out.seek(0)
            text = out.read().decode(errors="replace")
        if code != 0:
            return None
        for line in text.splitlines():
            parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                return parts[2]
            if len(parts) == 2 and parts[1].startswith("REG_"):
                return ""
        return None

    def expect(what, got, wanted):
        if got != wanted:
            failures.append(f"{what}: {got!r}, wanted {wanted!r}")

    # First start.
    vellapp("/fsapp")
    expect("install default", query(INSTALL_KEY), "Ravelock settings")
    expect("VellProgramPath", query(INSTALL_KEY, "VellProgramPath"), "C:\\Ravelock\\")
    expect("VellProgramVersion", query(INSTALL_KEY, "VellProgramVersion"), "0x2")
    expect(".rlk", query(r"HKCR\.rlk"), "Ravelock")
    expect("Ravelock", query(r"HKCR\Ravelock"), "Ravelock encrypted file")
    command = query(r"HKCR\Ravelock\Shell\open\command") or ""
    match = re.fullmatch(r"rundll32\.exe (.+),CallToRun %1", command)
    if not match or not SHORT_DLL.match(match.group(1)):
        failures.append(f"open command: {command!r}")
    else:
        expect("DefaultIcon", query(r"HKCR\Ravelock\DefaultIcon"), f'"{match.group(1)}",0')
    expect("class", query(rf"HKCR\CLSID\{CLSID}"), "Ravelock encrypted file")
    server = query(rf"HKCR\CLSID\{CLSID}\InProcServer32") or ""
    if not SHORT_DLL.match(server):
        failures.append(f"InProcServer32: {server!r}")
    expect("ThreadingModel", query(rf"HKCR\CLSID\{CLSID}\InProcServer32",
                                   "ThreadingModel"), "Apartment")
    expect("Approved", query(APPROVED, CLSID), "Ravelock encrypting")
    for kind in HANDLER_TYPES:
        expect(f"{kind} handler",
               query(rf"HKCR\{kind}\Shellex\ContextMenuHandlers\VellSupport"), CLSID)

    # A second start finds the same folder (in another case) and keeps it;
    # a missing version is written again.
    run(["reg", "add", INSTALL_KEY, "/v", "VellProgramPath", "/d", "c:\\RAVELOCK\\", "/f"])
    run(["reg", "delete", INSTALL_KEY, "/v", "VellProgramVersion", "/f"])
    vellapp("/FSAPP")
    expect("VellProgramPath kept", query(INSTALL_KEY, "VellProgramPath"), "c:\\RAVELOCK\\")
    expect("VellProgramVersion again", query(INSTALL_KEY, "VellProgramVersion"), "0x2")

    # Uninstall clean-up: the options record logon shortcuts, which go too.
    drive_c = os.path.join(prefix, "drive_c")
    for name in ["KEYS1.LNK", "KEYS2.LNK", "FISH.LNK"]:
        with open(os.path.join(drive_c, name), "wb") as f:
            f.write(b"L")
    options = os.path.join(folder, "Ravelock_options.xml")
    with open(options, "w") as f:
        f.write("<users_settings><StartUp_users>"
                "<StartUpUsers>C:\\KEYS1.LNK C:\\KEYS2.LNK</StartUpUsers>"
                "<StartUpUsersCount>2</StartUpUsersCount>"
                "<StartUpUsersPondlet>C:\\FISH.LNK</StartUpUsersPondlet>"
                "<StartUpUsersPondletCount>1</StartUpUsersPondletCount>"
                "</StartUp_users></users_settings>")
    vellapp("/lsapp")
    for key in [INSTALL_KEY, r"HKCR\.rlk", r"HKCR\Ravelock", rf"HKCR\CLSID\{CLSID}"] + [
            rf"HKCR\{kind}\Shellex\ContextMenuHandlers\VellSupport"
            for kind in HANDLER_TYPES]:
        if subprocess.run([wine, "reg", "query", key], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            failures.append(f"left after /lsapp: {key}")
    expect("Approved after /lsapp", query(APPROVED, CLSID), None)
    for name in ["KEYS1.LNK", "KEYS2.LNK", "FISH.LNK"]:
        if os.path.exists(os.path.join(drive_c, name)):
            failures.append(f"shortcut left: {name}")
    if os.path.exists(options):
        failures.append("options file left")

    subprocess.run(["wineserver", "-k"], env=env)
    for failure in failures:
        print("FAIL:", failure)
    print("ok" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
