#!/usr/bin/env python3
"""Static checks of the Windows artefacts in dist/, for builds that cannot run
here (32-bit) as well as those that can: machine type, export table against
tolvane.def, stdcall stack cleanup against the shipped tolvane.h, imports from
system DLLs only, version resources that agree with the header, and a 32-bit
client linked against the import library."""
import os
import re
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "uxtheme.dll", "shlwapi.dll", "msvcrt.dll",
    "version.dll", "ntdll.dll", "msimg32.dll",
}
TOOLS = {"win32": "i686-w64-mingw32-", "win64": "x86_64-w64-mingw32-"}
MACHINE = {"win32": "pei-i386", "win64": "pei-x86-64"}

passed = failed = 0


def check(ok, what, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print(f"ok - {what}")
    else:
        failed += 1
        print(f"FAIL - {what}" + (f": {detail}" if detail else ""))


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def expected_exports():
    """Plain name -> ordinal, from the .def shipped to hosts."""
    text = open(os.path.join(ROOT, "archive", "tolvane.def")).read()
    return {m[1]: int(m[2]) for m in re.finditer(r"^\s+(\w+)\s+@(\d+)", text, re.M)}


def shipped_header():
    """The public header as hosts get it (generated: it carries the version)."""
    return open(os.path.join(ROOT, "dist", "win32", "tolvane.h")).read()


def header_version():
    m = re.search(r'#define TOLVANE_VERSION "(\d+)\.(\d+)\.(\d+)"', shipped_header())
    return m.group(1, 2, 3) if m else None


def argument_counts():
    """Export name -> number of arguments, from the public header."""
    text = shipped_header()
    counts = {}
    for m in re.finditer(r"TOLVANE_CALL\s+(IMG\w+)\s*\(([^)]*)\)", text):
        params = m[2].strip()
        counts[m[1]] = 0 if params in ("", "void") else params.count(",") + 1
    return counts


def pe_exports(dump):
    """Ordinal -> name from `objdump -p`."""
    base = int(re.search(r"Ordinal Base (\d+)", dump)[1])
    table = dump.split("[Ordinal/Name Pointer] Table", 1)[1].split("\n\n", 1)[0]
    return {int(m[1]) + base: m[2] for m in re.finditer(r"\[\s*(\d+)\]\s+(\w+)", table)}


def check_image(arch, path, exports, also_allowed=frozenset()):
    name = os.path.basename(path)
    dump = run(TOOLS[arch] + "objdump", "-p", path)
    fmt = run(TOOLS[arch] + "objdump", "-f", path)
    check(f"file format {MACHINE[arch]}" in fmt, f"{arch} {name}: machine {MACHINE[arch]}")
    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    foreign = sorted(imports - SYSTEM_DLLS - also_allowed)
    others = "".join(f" and {d}" for d in sorted(also_allowed))
    check(not foreign, f"{arch} {name}: imports from system DLLs{others} only", ", ".join(foreign))
    if exports is None:
        return dump
    got = pe_exports(dump)
    want = {ordinal: n for n, ordinal in exports.items()}
    check(got == want, f"{arch} {name}: export table is exactly the .def",
          f"got {sorted(got.items())}, want {sorted(want.items())}")
    return dump


def resource_types(dump):
    """Resource type id -> number of names, from the root of `objdump -p`'s resource tree."""
    tree = dump.split("The .rsrc Resource Directory section:", 1)[-1]
    types, current = {}, None
    for line in tree.splitlines():
        m = re.match(r"^\S+\s{3}Entry: ID: 0x([0-9a-f]+)", line)
        if m:
            current = int(m[1], 16)
            types[current] = 0
        elif current is not None and re.match(r"^\S+\s{5}Entry: ID:", line):
            types[current] += 1
    return types


def check_program(arch, path, dump):
    """Carrow.exe: a GUI program with its icon, version and manifest."""
    check("(Windows GUI)" in dump, f"{arch} Carrow.exe: GUI subsystem")
    check("large address aware" in dump, f"{arch} Carrow.exe: large address aware")
    types = resource_types(dump)
    check(types.get(14) == 1 and types.get(3) == 3, f"{arch} Carrow.exe: one icon of three images",
          f"{types}")
    check_version_resource(arch, path, dump)
    data = open(path, "rb").read()
    check(types.get(24) == 1 and b"Microsoft.Windows.Common-Controls" in data and b'version="6.0.0.0"' in data
          and b"<dpiAware" in data, f"{arch} Carrow.exe: manifest with common controls 6 and dpi awareness")


def check_version_resource(arch, path, dump):
    """One version resource whose fixed and text versions are the header's."""
    name = os.path.basename(path)
    version = header_version()
    check(version is not None, f"{arch} {name}: the shipped tolvane.h defines TOLVANE_VERSION")
    if version is None:
        return
    data = open(path, "rb").read()
    major, minor, patch = (int(v) for v in version)
    # VS_FIXEDFILEINFO: signature, struct version, then FileVersionMS/LS.
    fixed = struct.pack("<IIII", 0xFEEF04BD, 0x10000, major << 16 | minor, patch << 16)
    text = (".".join(version) + ".0").encode("utf-16-le")
    check(resource_types(dump).get(16) == 1 and fixed in data and text in data,
          f"{arch} {name}: version resource {'.'.join(version)}")


def check_stdcall_cleanup(path, counts, exports):
    """Every ret of every export pops 4 bytes per argument."""
    disassembly = run(TOOLS["win32"] + "objdump", "-d", "--no-show-raw-insn", path)
    bodies = {}
    current = None
    tail_jumps = set()
    for line in disassembly.splitlines():
        head = re.match(r"^[0-9a-f]+ <_?(\w+?)(@\d+)?(\.cold)?>:", line)
        if head or not line.strip():
            current = head[1] if head else None
            continue
        if current not in exports:
            continue
        if re.search(r"\sret\b", line):
            bodies.setdefault(current, []).append(line.split("ret", 1)[1].strip())
        elif re.search(r"\sjmp\s+[0-9a-f]+ <", line) and f"<_{current}@" not in line:
            tail_jumps.add(current)
    for name in sorted(exports):
        want = counts.get(name)
        rets = bodies.get(name, [])
        pops = {int(r[3:], 16) if r.startswith("$0x") else 0 for r in rets}
        # A function without arguments may end in a tail jump instead of a ret.
        ok = want is not None and (pops == {4 * want} or (want == 0 and not rets and name in tail_jumps))
        check(ok, f"win32 {name}: removes its {want} argument(s)", f"rets {rets}")


def check_floating_point_state_untouched(arch, path):
    """The runtime's thread-attach reset (fninit) is replaced by a no-op, so
    no code in the library can reset a host thread's x87 state."""
    disassembly = run(TOOLS[arch] + "objdump", "-d", "--no-show-raw-insn", path)
    resets = re.findall(r"\s(fn?init)\b", disassembly)
    check(not resets, f"{arch} tolvane.dll: nothing resets the x87 state", f"{len(resets)} fninit")


def check_import_library(exports, counts):
    """A 32-bit stdcall client links against the import library and imports
    the plain names."""
    with tempfile.TemporaryDirectory() as tmp:
        client = os.path.join(tmp, "client.c")
        with open(client, "w") as f:
            f.write('#include "tolvane.h"\nint main(void) {\n')
            for name in sorted(exports):
                args = ", ".join(["0"] * counts.get(name, 0))
                f.write(f"    (void){name}({args});\n")
            f.write("    return 0;\n}\n")
        exe = os.path.join(tmp, "client.exe")
        dist = os.path.join(ROOT, "dist", "win32")
        result = subprocess.run([TOOLS["win32"] + "gcc", "-w", "-I", dist, client,
                                 os.path.join(dist, "tolvane.lib"), "-o", exe],
                                capture_output=True, text=True)
        check(result.returncode == 0, "win32 tolvane.lib: a stdcall client links", result.stderr)
        if result.returncode == 0:
            dump = run(TOOLS["win32"] + "objdump", "-p", exe)
            block = dump.split("DLL Name: tolvane.dll", 1)[-1].split("DLL Name", 1)[0]
            imported = set(re.findall(r"\b(IMG\w+)\b", block))
            check(imported == set(exports), "win32 client imports the plain export names",
                  f"{sorted(imported)}")


def main():
    exports = expected_exports()
    counts = argument_counts()
    check(exports.get("IMGGetVersion") == 17 and counts.get("IMGGetVersion") == 0,
          "IMGGetVersion: ordinal 17, no arguments")
    check(set(counts) == set(exports), "tolvane.h declares exactly the exports of tolvane.def",
          f"{sorted(set(counts) ^ set(exports))}")
    for arch in ("win32", "win64"):
        dist = os.path.join(ROOT, "dist", arch)
        dll = os.path.join(dist, "tolvane.dll")
        check_version_resource(arch, dll, check_image(arch, dll, exports))
        check_floating_point_state_untouched(arch, os.path.join(dist, "tolvane.dll"))
        check_image(arch, os.path.join(dist, "imgtool.exe"), None, frozenset({"tolvane.dll"}))
        carrow = os.path.join(dist, "Carrow.exe")
        if os.path.exists(carrow):
            check_program(arch, carrow, check_image(arch, carrow, None))
    check_stdcall_cleanup(os.path.join(ROOT, "dist", "win32", "tolvane.dll"), counts, exports)
    check_import_library(exports, counts)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
