"""What a cross-build for Windows needs of one CPython version, made on Linux.

Run by scripts/release-windows.sh with the release tools' interpreter (it
needs pyelftools, which auditwheel brings):

    pythonlib.py def LIBPYTHON DLLNAME OUT.def
    pythonlib.py headers INCLUDE PYCONFIG OUT_DIR

``def`` lists what the same version's shared libpython exports, as the module
definition of ``DLLNAME`` (python39.dll, ...) from which dlltool makes the
import library; data symbols are marked DATA, so that they are reached
through their import pointer as the headers declare them. A name that the
Windows DLL lacks would fail when the module loads, so the Wine test run
checks the 3.12 build's imports against python312.dll itself.

``headers`` copies the interpreter's headers, which are the same on every
platform but for pyconfig.h, and puts Windows' own pyconfig.h in its place.
"""
import os
import shutil
import sys

from elftools.elf.elffile import ELFFile

DATA_TYPES = {"STT_OBJECT", "STT_TLS", "STT_COMMON"}


def exports(path):
    """(name, is_data) for every symbol the shared object defines for export."""
    with open(path, "rb") as stream:
        elf = ELFFile(stream)
        table = elf.get_section_by_name(".dynsym")
        found = {}
        for symbol in table.iter_symbols():
            if (symbol.name and symbol["st_shndx"] != "SHN_UNDEF"
                    and symbol["st_info"]["bind"] in ("STB_GLOBAL", "STB_WEAK")
                    and symbol["st_other"]["visibility"] == "STV_DEFAULT"):
                found[symbol.name] = symbol["st_info"]["type"] in DATA_TYPES
    return sorted(found.items())


def writeDef(libpython, dllName, out):
    lines = ["LIBRARY %s" % dllName, "EXPORTS"]
    for name, isData in exports(libpython):
        # Only the C API: the interpreter's own and libc's leftovers are no
        # business of an extension module.
        if name.startswith(("Py", "_Py", "PY")):
            lines.append("  %s%s" % (name, " DATA" if isData else ""))
    with open(out, "w", encoding="ascii", newline="\n") as stream:
        stream.write("\n".join(lines) + "\n")
    print("%s: %d exports of %s" % (out, len(lines) - 2, os.path.basename(libpython)))


def copyHeaders(include, pyconfig, outDir):
    if os.path.isdir(outDir):
        shutil.rmtree(outDir)
    shutil.copytree(include, outDir)
    shutil.copyfile(pyconfig, os.path.join(outDir, "pyconfig.h"))


def main(argv):
    if len(argv) == 4 and argv[0] == "def":
        writeDef(*argv[1:])
    elif len(argv) == 4 and argv[0] == "headers":
        copyHeaders(*argv[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
