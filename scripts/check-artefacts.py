#!/usr/bin/python3
"""Checks the shipped 32-bit files without running them, so that they are right on a host that
cannot start 32-bit programs too: Sayvane.exe is a 32-bit GUI program importing only DLLs every
Windows has, with its manifest and version block; the substitute TSRemote.dll exports exactly
the library's five undecorated names; the installer and the zip carry that Sayvane.exe.
With --self-test it also breaks copies of those files on purpose (a decorated export, the
version block, the manifest, another architecture) and requires each check to refuse them.

    scripts/check-artefacts.py BUILD_DIR [--self-test]     (BUILD_DIR: build/win32)

Prints one line per check and ends with "artefacts: N passed, M failed"; exits 1 on a failure.
Uses Debian's python3-pefile and 7zip (scripts/setup.sh installs them)."""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import pefile

VERSION = "1.00.0009"
MACHINE_I386 = 0x14C
SUBSYSTEM_WINDOWS_GUI = 2
RT_MANIFEST = 24
# DLLs that are part of every Windows Sayvane runs on (XP and later); anything else would
# have to ship beside the program, and a statically linked mingw build needs none.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "version.dll", "winmm.dll", "ws2_32.dll",
}
TSREMOTE_EXPORTS = {"tsrGetChannels", "tsrGetLastError", "tsrGetPlayers", "tsrGetSpeakers", "tsrGetUserInfo"}


class Refused(Exception):
    pass


def load(path):
    try:
        return pefile.PE(path)
    except (pefile.PEFormatError, OSError) as error:
        raise Refused(f"not a readable PE file: {error}")


def require_32bit(pe, what):
    if pe.FILE_HEADER.Machine != MACHINE_I386 or pe.OPTIONAL_HEADER.Magic != pefile.OPTIONAL_HEADER_MAGIC_PE:
        raise Refused(f"{what} is not a 32-bit x86 file (machine {pe.FILE_HEADER.Machine:#x})")


def check_program(path):
    pe = load(path)
    require_32bit(pe, "Sayvane.exe")
    if pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_DLL"]:
        raise Refused("Sayvane.exe is a DLL, not a program")
    if pe.OPTIONAL_HEADER.Subsystem != SUBSYSTEM_WINDOWS_GUI:
        raise Refused(f"Sayvane.exe is not a GUI program (subsystem {pe.OPTIONAL_HEADER.Subsystem})")
    return "a 32-bit x86 GUI program"


def check_imports(path):
    pe = load(path)
    names = sorted({entry.dll.decode("ascii").lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])})
    others = [name for name in names if name not in SYSTEM_DLLS]
    if not names or others:
        raise Refused(f"imports {', '.join(others) or 'nothing'} beside the system DLLs")
    return "imports only " + ", ".join(names)


def resource_data(pe, type_id):
    """The first resource of a type, or None."""
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id == type_id:
            for name in kind.directory.entries:
                for language in name.directory.entries:
                    return pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
    return None


def check_manifest(path):
    manifest = resource_data(load(path), RT_MANIFEST)
    if manifest is None:
        raise Refused("no embedded manifest")
    text = manifest.decode("utf-8", "replace")
    architectures = set(re.findall(r'processorArchitecture="([^"]*)"', text))
    if architectures != {"x86"}:
        raise Refused(f"the manifest names the architectures {sorted(architectures)}, not x86 alone")
    for needed in ("<dpiAwareness", "PerMonitorV2", 'level="asInvoker"'):
        if needed not in text:
            raise Refused(f"the manifest lacks {needed}")
    return "x86, asInvoker, Per-Monitor V2"


def check_version(path):
    pe = load(path)
    versions = []
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            for table in getattr(block, "StringTable", []):
                value = table.entries.get(b"FileVersion")
                if value is not None:
                    versions.append(value.decode("ascii", "replace"))
    if versions != [VERSION]:
        raise Refused(f"FileVersion is {versions or 'missing'}, not {VERSION}")
    return f"FileVersion {VERSION}"


def check_library(path):
    pe = load(path)
    require_32bit(pe, "TSRemote.dll")
    if not pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_DLL"]:
        raise Refused("TSRemote.dll is not a DLL")
    exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    names = {symbol.name.decode("ascii", "replace") for symbol in exports.symbols if symbol.name} if exports else set()
    if names != TSREMOTE_EXPORTS:
        raise Refused(f"exports {sorted(names)}, not exactly {sorted(TSREMOTE_EXPORTS)}")
    return "TSRemote.dll exports exactly " + ", ".join(sorted(names))


def digest(data):
    return hashlib.sha256(data).hexdigest()


def check_zip(archive, program):
    with zipfile.ZipFile(archive) as packed:
        if "Sayvane.exe" not in packed.namelist():
            raise Refused(f"{os.path.basename(archive)} has no Sayvane.exe")
        if digest(packed.read("Sayvane.exe")) != digest(open(program, "rb").read()):
            raise Refused(f"the Sayvane.exe in {os.path.basename(archive)} is not the one built")
    return "the zip carries this Sayvane.exe"


def check_installer(setup, program):
    require_32bit(load(setup), "the installer")
    with tempfile.TemporaryDirectory() as folder:
        # 7-Zip reads NSIS installers without running them.
        result = subprocess.run(["7zz", "e", "-y", f"-o{folder}", setup, "Sayvane.exe"], capture_output=True, text=True)
        unpacked = os.path.join(folder, "Sayvane.exe")
        if result.returncode != 0 or not os.path.exists(unpacked):
            raise Refused(f"7-Zip found no Sayvane.exe in the installer: {result.stdout.strip()[-200:]}")
        if digest(open(unpacked, "rb").read()) != digest(open(program, "rb").read()):
            raise Refused("the installer's Sayvane.exe is not the one built")
    return "the installer carries this Sayvane.exe"


def broken_copy(source, folder, name, mutate):
    """A copy of source with one fault put in on purpose by mutate(bytes) -> bytes."""
    data = mutate(bytearray(open(source, "rb").read()))
    path = os.path.join(folder, name)
    with open(path, "wb") as out:
        out.write(data)
    return path


def replace_once(old, new):
    def mutate(data):
        at = data.find(old)
        assert at >= 0 and len(old) == len(new), old
        data[at:at + len(old)] = new
        return data
    return mutate


def utf16(text):
    return text.encode("utf-16-le")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/win32"
    self_test = "--self-test" in sys.argv[2:]
    program = os.path.join(build, "bin", "Sayvane.exe")
    library = os.path.join(build, "bin", "TSRemote.dll")
    package = os.path.join(build, "package")
    checks = [
        ("Sayvane.exe", check_program, program),
        ("Sayvane.exe imports", check_imports, program),
        ("Sayvane.exe manifest", check_manifest, program),
        ("Sayvane.exe version", check_version, program),
        ("TSRemote.dll", check_library, library),
        ("zip", lambda path: check_zip(path, program), os.path.join(package, f"Sayvane-{VERSION}.zip")),
        ("installer", lambda path: check_installer(path, program), os.path.join(package, f"Sayvane-{VERSION}-setup.exe")),
    ]
    passed = failed = 0
    for name, check, path in checks:
        try:
            print(f"ok: {name}: {check(path)}")
            passed += 1
        except (Refused, OSError, zipfile.BadZipFile) as error:
            print(f"FAILED: {name} ({path}): {error}")
            failed += 1

    if self_test:
        with tempfile.TemporaryDirectory() as folder:
            faults = [
                ("a decorated export", check_library,
                 broken_copy(library, folder, "decorated.dll", replace_once(b"tsrGetPlayers\0", b"tsrGetPlay@8\0\0"))),
                ("the version block left out", check_version,
                 broken_copy(program, folder, "noversion.exe", replace_once(utf16("VS_VERSION_INFO"), utf16("VS_VERSION_INFX")))),
                ("another FileVersion", check_version,
                 broken_copy(program, folder, "oldversion.exe", replace_once(utf16(VERSION), utf16("1.00.0008")))),
                ("a manifest for another architecture", check_manifest,
                 broken_copy(program, folder, "amd64.exe", replace_once(b'processorArchitecture="x86"', b'processorArchitecture="ia6"'))),
                ("a 64-bit program", check_program,
                 broken_copy(program, folder, "x64.exe", replace_once(b"PE\0\0\x4c\x01", b"PE\0\0\x64\x86"))),
                ("a console program", check_program,
                 broken_copy(program, folder, "console.exe", lambda data: set_subsystem(data, 3))),
            ]
            for fault, check, path in faults:
                try:
                    check(path)
                    print(f"FAILED: self-test: {fault} was not refused")
                    failed += 1
                except Refused as error:
                    print(f"ok: self-test: {fault} is refused ({error})")
                    passed += 1
    print(f"artefacts: {passed} passed, {failed} failed")
    return 1 if failed else 0


def set_subsystem(data, subsystem):
    pe = pefile.PE(data=bytes(data))
    at = pe.OPTIONAL_HEADER.get_field_absolute_offset("Subsystem")
    data[at:at + 2] = subsystem.to_bytes(2, "little")
    return data


if __name__ == "__main__":
    sys.exit(main())
