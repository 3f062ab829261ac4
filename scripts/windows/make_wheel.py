"""Packs a cross-built Windows module into a wheel, as pip would install it.

Run by scripts/release-windows.sh:

    make_wheel.py MODULE.pyd STUB.pyi PKG-INFO PYTHON_TAG PLATFORM OUT_DIR

The wheel holds the module as ``rigkit0.<python tag>-<platform>.pyd`` (the
name CPython on Windows looks for first), the type stub and the dist-info of
the source distribution it was built from (its PKG-INFO becomes METADATA);
RECORD carries every file's SHA-256, as the wheel format requires. Prints the
wheel's path.
"""
import base64
import email.parser
import hashlib
import os
import sys
import zipfile


def recordLine(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (name, digest, len(data))


def main(argv):
    if len(argv) != 6:
        sys.exit(__doc__)
    module, stub, pkgInfo, pythonTag, platform, outDir = argv
    with open(pkgInfo, "rb") as stream:
        metadata = stream.read()
    headers = email.parser.BytesHeaderParser().parsebytes(metadata)
    name, version = headers["Name"], headers["Version"]
    tag = "%s-%s-%s" % (pythonTag, pythonTag, platform)
    info = "%s-%s.dist-info/" % (name, version)
    with open(module, "rb") as stream:
        moduleData = stream.read()
    with open(stub, "rb") as stream:
        stubData = stream.read()
    wheelData = ("Wheel-Version: 1.0\nGenerator: rigkit0 release-windows.sh\n"
                 "Root-Is-Purelib: false\nTag: %s\n" % tag).encode()
    files = [
        ("%s.%s-%s.pyd" % (name, pythonTag, platform), moduleData),
        ("%s.pyi" % name, stubData),
        (info + "METADATA", metadata),
        (info + "WHEEL", wheelData),
    ]
    record = "\n".join([recordLine(n, d) for n, d in files] + [info + "RECORD,,"]) + "\n"
    files.append((info + "RECORD", record.encode()))
    path = os.path.join(outDir, "%s-%s-%s.whl" % (name, version, tag))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as wheel:
        for fileName, data in files:
            # A fixed date, so that the same module always makes the same wheel.
            entry = zipfile.ZipInfo(fileName, date_time=(1980, 1, 1, 0, 0, 0))
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(entry, data)
    print(path)


if __name__ == "__main__":
    main(sys.argv[1:])
