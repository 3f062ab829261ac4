"""Checks that a built wheel can be handed to another machine.

Run by scripts/release.sh with the release tools' interpreter (it needs
pyelftools and auditwheel from scripts/release-requirements.txt):

    check_wheel.py WHEEL --python-tag cp39 --platform manylinux_2_17_x86_64 --max-glibc 2.17
    check_wheel.py WHEEL --python-tag cp39 --platform win_amd64

For a Linux wheel it opens the wheel, finds the compiled module and checks that

- the wheel's name and its WHEEL metadata carry the platform tag, and
  ``auditwheel show`` says the wheel is consistent with it;
- the module needs only the C library's own shared objects (no C++ runtime,
  no libgcc_s) and no glibc symbol version newer than the given one;
- it exports only its entry point and pybind11's exception type information
  (no operator new/delete, nothing of the C++ standard library);
- it carries no debug information.

For a Windows wheel (read with the objdump that OBJDUMP names, one that reads
PE files, such as mingw binutils') it checks that the wheel's name and
metadata carry the tag, that it holds ``rigkit0.cp3X-win_amd64.pyd`` and the
stub, and that the module imports only the interpreter's ``python3X.dll``,
``KERNEL32.dll`` and the Universal C runtime (``api-ms-win-crt-*``, the one
python.org's CPython uses: no C++ runtime DLL to clash with the host's),
exports only ``PyInit_rigkit0`` and pybind11's exception type information,
and carries no debug information.

Each failed check prints one line; the exit status is the number of failed
checks (0: the wheel passed). On success it prints one line of figures.
"""
import argparse
import io
import os
import re
import subprocess
import sys
import zipfile

from elftools.elf.dynamic import DynamicSection
from elftools.elf.elffile import ELFFile
from elftools.elf.gnuversions import GNUVerNeedSection

# What any manylinux platform provides: glibc's own libraries and the loader.
ALLOWED_NEEDED = {
    "libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1",
    "ld-linux-x86-64.so.2",
}

# pybind11 marks its exception types for export, so that code in another
# module can catch them; their type information is all it exports on purpose.
PYBIND11_TYPE_INFO = re.compile(r"^_ZT[IS]N8pybind1[0-9]")
# On Windows the exception classes are exported whole: their vtables and
# error_already_set's out-of-line members.
PYBIND11_EXCEPTION_CLASS = re.compile(
    r"^_Z(?:T[VIS]N|NK?)8pybind11[0-9]+(?:error_already_set|builtin_exception|stop_iteration"
    r"|[a-z_]+_error)")


def exported(elf):
    """Names of the symbols the module defines in its dynamic symbol table."""
    table = elf.get_section_by_name(".dynsym")
    names = []
    for symbol in table.iter_symbols():
        if (symbol["st_shndx"] != "SHN_UNDEF" and symbol.name
                and symbol["st_info"]["bind"] in ("STB_GLOBAL", "STB_WEAK", "STB_GNU_UNIQUE")):
            names.append(symbol.name)
    return names


def needed(elf):
    """The shared objects the module names as DT_NEEDED."""
    result = []
    for section in elf.iter_sections():
        if isinstance(section, DynamicSection):
            result += [tag.needed for tag in section.iter_tags() if tag.entry.d_tag == "DT_NEEDED"]
    return result


def requiredVersions(elf):
    """Every symbol version the module requires, as (library, version)."""
    result = []
    for section in elf.iter_sections():
        if isinstance(section, GNUVerNeedSection):
            for entry, auxiliaries in section.iter_versions():
                result += [(entry.name, aux.name) for aux in auxiliaries]
    return result


def versionNumber(text):
    return tuple(int(part) for part in text.split("."))


def checkModule(data, maxGlibc):
    """Failures found in one compiled module's bytes."""
    failures = []
    elf = ELFFile(io.BytesIO(data))
    extra = [name for name in needed(elf) if name not in ALLOWED_NEEDED]
    if extra:
        failures.append("needs shared objects beyond the C library: %s" % ", ".join(extra))
    newest = (0,)
    for library, version in requiredVersions(elf):
        match = re.fullmatch(r"GLIBC_([0-9.]+)", version)
        if match:
            newest = max(newest, versionNumber(match.group(1)))
            if versionNumber(match.group(1)) > versionNumber(maxGlibc):
                failures.append("needs %s from %s (newer than glibc %s)" % (version, library, maxGlibc))
        elif not version.startswith("GLIBC_PRIVATE"):
            failures.append("needs %s from %s (not the C library's)" % (version, library))
    names = exported(elf)
    if "PyInit_rigkit0" not in names:
        failures.append("does not export PyInit_rigkit0")
    stray = [n for n in names if n != "PyInit_rigkit0" and not PYBIND11_TYPE_INFO.match(n)]
    if stray:
        shown = ", ".join(sorted(stray)[:8]) + (" ..." if len(stray) > 8 else "")
        failures.append("exports %d symbols beyond its entry point: %s" % (len(stray), shown))
    debug = [s.name for s in elf.iter_sections() if s.name.startswith((".debug", ".zdebug"))]
    if debug:
        failures.append("carries debug information: %s" % ", ".join(debug))
    return failures, newest, names


def objdump(data, flag):
    """What OBJDUMP prints with the given flag for a module's bytes."""
    import tempfile

    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "module.pyd")
        with open(path, "wb") as stream:
            stream.write(data)
        out = subprocess.run([os.environ.get("OBJDUMP", "x86_64-w64-mingw32-objdump"), flag, path],
                             capture_output=True, text=True)
    if out.returncode != 0:
        raise SystemExit("objdump %s failed: %s" % (flag, out.stderr.strip()))
    return out.stdout


def peImports(private):
    """The DLLs a PE module imports from, as `objdump -p` names them."""
    return re.findall(r"^\s*DLL Name: (\S+)", private, re.M)


def peExports(private):
    """The names in a PE module's export table, as `objdump -p` lists them."""
    match = re.search(r"\[Ordinal/Name Pointer\] Table[^\n]*\n((?:\s*\[.*\n)*)", private)
    if not match:
        return []
    return [line.split()[-1] for line in match.group(1).splitlines() if line.strip()]


def peImportedFrom(private, dll):
    """The names a PE module imports from the given DLL."""
    names, inside = [], False
    for line in private.splitlines():
        if "DLL Name:" in line:
            inside = line.split("DLL Name:")[1].strip().lower() == dll.lower()
        elif inside:
            # "\tvma\t hint  name": a hint (or ordinal) then the name.
            match = re.match(r"^\s*[0-9a-f]+\s+[0-9]+\s+(\S+)\s*$", line)
            if match:
                names.append(match.group(1))
    return names


def checkPeModule(data, pythonTag):
    """Failures found in one Windows module's bytes."""
    failures = []
    private = objdump(data, "-p")
    allowed = {"python%s.dll" % pythonTag[2:], "kernel32.dll"}
    extra = [name for name in peImports(private)
             if name.lower() not in allowed and not name.lower().startswith("api-ms-win-crt-")]
    if extra:
        failures.append("imports DLLs beyond the interpreter, KERNEL32 and the C runtime: %s"
                        % ", ".join(extra))
    names = peExports(private)
    if "PyInit_rigkit0" not in names:
        failures.append("does not export PyInit_rigkit0")
    stray = [n for n in names if n != "PyInit_rigkit0" and not PYBIND11_EXCEPTION_CLASS.match(n)]
    if stray:
        shown = ", ".join(sorted(stray)[:8]) + (" ..." if len(stray) > 8 else "")
        failures.append("exports %d symbols beyond its entry point: %s" % (len(stray), shown))
    sections = re.findall(r"^\s*\d+\s+(\S+)", objdump(data, "-h"), re.M)
    debug = [name for name in sections if name.startswith((".debug", ".zdebug"))]
    # Clang for Windows puts debug information into a PDB beside the module
    # and leaves a CodeView entry naming it (with the build machine's path).
    if re.search(r"^\s*\d+\s+CodeView\s", private, re.M):
        debug.append("a CodeView entry naming a PDB")
    if debug:
        failures.append("carries debug information: %s" % ", ".join(debug))
    return failures, peImports(private), names


def wheelTags(archive):
    """The Tag lines of the wheel's WHEEL metadata."""
    [wheelFile] = [n for n in archive.namelist() if n.endswith(".dist-info/WHEEL")]
    text = archive.read(wheelFile).decode("utf-8")
    return [line.split(":", 1)[1].strip() for line in text.splitlines() if line.startswith("Tag:")]


def auditwheelTag(path):
    """The platform tag ``auditwheel show`` finds the wheel consistent with."""
    out = subprocess.run([sys.executable, "-m", "auditwheel", "show", path],
                         capture_output=True, text=True)
    text = " ".join((out.stdout + out.stderr).split())
    match = re.search(r'consistent with the following platform tag: "([^"]+)"', text)
    return match.group(1) if match else None, text


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("wheel")
    parser.add_argument("--python-tag", required=True, help="cp39, cp310, ...")
    parser.add_argument("--platform", required=True, help="manylinux_2_17_x86_64")
    parser.add_argument("--max-glibc", help="2.17 (Linux wheels)")
    parser.add_argument("--dll", help="Windows: the interpreter's python3X.dll, which must export "
                                      "every name the module imports from it")
    args = parser.parse_args()
    if args.platform.startswith("win"):
        return checkWindowsWheel(args)
    if not args.max_glibc:
        parser.error("a Linux wheel needs --max-glibc")

    failures = []
    name = os.path.basename(args.wheel)
    expected = "%s-%s-%s" % (args.python_tag, args.python_tag, args.platform)
    if args.platform not in name.split("-")[-1].rsplit(".", 1)[0].split("."):
        failures.append("file name %s lacks the platform tag %s" % (name, args.platform))
    with zipfile.ZipFile(args.wheel) as archive:
        tags = wheelTags(archive)
        if expected not in tags:
            failures.append("WHEEL metadata tags %s, not %s" % (tags, expected))
        suffix = ".cpython-%s-x86_64-linux-gnu.so" % args.python_tag[2:]
        modules = [n for n in archive.namelist() if n.endswith(".so")]
        if modules != ["rigkit0" + suffix]:
            failures.append("holds compiled modules %s, not rigkit0%s alone" % (modules, suffix))
        if "rigkit0.pyi" not in archive.namelist():
            failures.append("holds no rigkit0.pyi")
        newest, names = None, []
        if modules:
            found, newest, names = checkModule(archive.read(modules[0]), args.max_glibc)
            failures += found
    tag, report = auditwheelTag(args.wheel)
    if tag != args.platform:
        failures.append("auditwheel show: consistent with %s, not %s (%s)" % (tag, args.platform, report))

    for failure in failures:
        print("%s: %s" % (name, failure))
    if not failures:
        print("%s: tags %s; auditwheel: %s; newest glibc symbol version %s; exports %s"
              % (name, ", ".join(tags), tag, ".".join(map(str, newest)), ", ".join(sorted(names))))
    return len(failures)


def checkAgainstDll(data, dll):
    """Names the module imports from the interpreter's DLL that it lacks."""
    with open(dll, "rb") as stream:
        exportedByDll = set(peExports(objdump(stream.read(), "-p")))
    wanted = peImportedFrom(objdump(data, "-p"), os.path.basename(dll))
    if not wanted:
        return ["imports nothing from %s" % os.path.basename(dll)]
    missing = sorted(set(wanted) - exportedByDll)
    if missing:
        return ["imports from %s what it does not export: %s"
                % (os.path.basename(dll), ", ".join(missing))]
    return []


def checkWindowsWheel(args):
    failures = []
    name = os.path.basename(args.wheel)
    expected = "%s-%s-%s" % (args.python_tag, args.python_tag, args.platform)
    if not name.endswith("-%s.whl" % expected):
        failures.append("file name %s does not end in the tag %s" % (name, expected))
    imports, names = [], []
    with zipfile.ZipFile(args.wheel) as archive:
        tags = wheelTags(archive)
        if tags != [expected]:
            failures.append("WHEEL metadata tags %s, not %s" % (tags, expected))
        module = "rigkit0.%s-%s.pyd" % (args.python_tag, args.platform)
        modules = [n for n in archive.namelist() if n.endswith((".pyd", ".dll", ".so"))]
        if modules != [module]:
            failures.append("holds compiled modules %s, not %s alone" % (modules, module))
        if "rigkit0.pyi" not in archive.namelist():
            failures.append("holds no rigkit0.pyi")
        if modules:
            data = archive.read(modules[0])
            found, imports, names = checkPeModule(data, args.python_tag)
            failures += found
            if args.dll:
                failures += checkAgainstDll(data, args.dll)

    for failure in failures:
        print("%s: %s" % (name, failure))
    if not failures:
        print("%s: tags %s; imports %s; exports %s"
              % (name, ", ".join(tags), ", ".join(imports), ", ".join(sorted(names))))
    return len(failures)


if __name__ == "__main__":
    sys.exit(main())
