"""Checks that a built wheel can be handed to another Linux machine.

Run by scripts/release.sh with the release tools' interpreter (it needs
pyelftools and auditwheel from scripts/release-requirements.txt):

    check_wheel.py WHEEL --python-tag cp39 --platform manylinux_2_17_x86_64 --max-glibc 2.17

It opens the wheel, finds the compiled module and checks that

- the wheel's name and its WHEEL metadata carry the platform tag, and
  ``auditwheel show`` says the wheel is consistent with it;
- the module needs only the C library's own shared objects (no C++ runtime,
  no libgcc_s) and no glibc symbol version newer than the given one;
- it exports only its entry point and pybind11's exception type information
  (no operator new/delete, nothing of the C++ standard library);
- it carries no debug information.

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
    parser.add_argument("--max-glibc", required=True, help="2.17")
    args = parser.parse_args()

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


if __name__ == "__main__":
    sys.exit(main())
