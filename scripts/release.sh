#!/usr/bin/env bash
# Builds what can be handed to animators' machines, into dist/:
#   - the source distribution rigkit0-VERSION.tar.gz;
#   - from it, one wheel per interpreter of LINUX_SHIPPING (every supported
#     CPython: 3.9, 3.10, 3.11, 3.13, unless narrowed, as CI does to save
#     time), compiled for glibc 2.17 and later with the C++ runtime linked in
#     and hidden, tagged manylinux_2_17_x86_64;
#   - dist/suite/Zentrik/_api/__hybrid__/: those compiled modules and the
#     type stub, laid out as the suite ships them;
#   - the same for 64-bit Windows, cross-built here (scripts/release-windows.sh):
#     one win_amd64 wheel per interpreter of WINDOWS_SHIPPING (all four
#     unless narrowed, as CI does) and its .pyd in the suite's folder, each
#     checked; the suite run under Wine against a CPython 3.12 build of the
#     same sources.
# Then checks all of it as it ships: each wheel's tags, linked libraries,
# symbol versions and exports (scripts/check_wheel.py, auditwheel), the whole
# test suite against each wheel installed alone into a fresh environment of its
# interpreter and, at the same time in another, against the suite folder with
# nothing installed. Ends with a
# summary table; exits non-zero if anything is missing or fails.
#
# Its tools (compiler, build, auditwheel, ...) come pinned from
# scripts/release-requirements.txt into environments of its own under .venv/;
# build files go to build/release/. Every supported interpreter must be found.
#
# `scripts/release.sh linux` or `windows` makes one half (CI times them as
# stages of their own); `windows` takes the sdist a `linux` run left in dist/.
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"

PARTS=${1:-all}
case $PARTS in
  all | linux | windows) ;;
  *) echo "usage: scripts/release.sh [all|linux|windows]" >&2; exit 2 ;;
esac
linux_part() { [ "$PARTS" != windows ]; }
windows_part() { [ "$PARTS" != linux ]; }

LINUX_SHIPPING=${LINUX_SHIPPING-$SUPPORTED}
PLATFORM=manylinux_2_17_x86_64
MAX_GLIBC=2.17
ZIG_TARGET=x86_64-linux-gnu.2.17
REQUIREMENTS="$ROOT/scripts/release-requirements.txt"
WORK="$ROOT/build/release"
DIST="$ROOT/dist"
DROP="$DIST/suite/Zentrik/_api/__hybrid__"
started=$SECONDS

say() { echo "== release: $*" >&2; }
fail() { echo "== release: FAILED: $*" >&2; exit 1; }
pipq() { "$1" -m pip install -q --disable-pip-version-check "${@:2}"; }

# A fresh virtual environment (or an emptied one) of the given interpreter.
fresh_venv() {
  local python=$1 venv=$2 version
  "$python" -m venv --clear "$venv" >/dev/null 2>&1 && return 0
  # Debian's own interpreters keep venv in a separate package.
  version=$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "python$version-venv" >/dev/null
  fi
  "$python" -m venv --clear "$venv" >&2 || fail "cannot make $venv with $python"
}

# --- interpreters and tools -------------------------------------------------

declare -A PYTHON
for version in $SUPPORTED; do
  PYTHON[$version]=$(find_python "$version") ||
    fail "CPython $version not found: a release needs a wheel for each of $SUPPORTED"
done
first=${SUPPORTED%% *}

say "tools from scripts/release-requirements.txt (.venv/release-tools)"
tools="$ROOT/.venv/release-tools"
[ -x "$tools/bin/python" ] || fresh_venv "${PYTHON[$first]}" "$tools"
pipq "$tools/bin/python" -r "$REQUIREMENTS" || fail "cannot install the release tools"
toolpy="$tools/bin/python"

# The compiler: Clang from the Zig toolchain, linking against glibc 2.17's
# symbol versions and a static libc++, so the module needs nothing newer than
# that from the machine it loads on. CMake wants one program per language.
mkdir -p "$WORK/bin"
for pair in "cc:cc" "c++:c++"; do
  printf '#!/bin/sh\nexec "%s" -m ziglang %s -target %s "$@"\n' \
    "$toolpy" "${pair#*:}" "$ZIG_TARGET" >"$WORK/bin/${pair%%:*}"
  chmod +x "$WORK/bin/${pair%%:*}"
done

# The checker must refuse what it is there to catch: a module that needs a
# newer glibc and the host's C++ runtime, exports operator new and carries
# debug information. Written in C, so that making it needs no C++ runtime.
check_the_checker() {
  local dir="$WORK/checker-test" so=rigkit0.cpython-39-x86_64-linux-gnu.so
  local wheel="rigkit0-0.1.0-cp39-cp39-$PLATFORM.whl" report expected
  rm -rf "$dir"
  mkdir -p "$dir"
  cat >"$dir/bad.c" <<'SOURCE'
#include <stdlib.h>
extern char __libc_single_threaded; /* glibc 2.32 */
void *_Znwm(unsigned long size) { return malloc(size); } /* operator new */
int PyInit_rigkit0(void) { return __libc_single_threaded; }
SOURCE
  "$toolpy" -m ziglang cc -target x86_64-linux-gnu.2.34 -shared -fPIC -g \
    "$dir/bad.c" -o "$dir/$so" || fail "cannot build the checker's bad module"
  "$tools/bin/patchelf" --add-needed libstdc++.so.6 "$dir/$so"
  "$toolpy" - "$dir/$so" "$dir/$wheel" "$PLATFORM" <<'SOURCE'
import sys, zipfile
module, path, platform = sys.argv[1:]
info = "rigkit0-0.1.0.dist-info/"
with zipfile.ZipFile(path, "w") as wheel:
    wheel.write(module, "rigkit0.cpython-39-x86_64-linux-gnu.so")
    wheel.writestr("rigkit0.pyi", "")
    wheel.writestr(info + "METADATA", "Metadata-Version: 2.1\nName: rigkit0\nVersion: 0.1.0\n")
    wheel.writestr(info + "WHEEL", "Wheel-Version: 1.0\nGenerator: release.sh\n"
                   "Root-Is-Purelib: false\nTag: cp39-cp39-%s\n" % platform)
    wheel.writestr(info + "RECORD", "")
SOURCE
  if report=$(PATH="$tools/bin:$PATH" "$toolpy" "$ROOT/scripts/check_wheel.py" "$dir/$wheel" \
      --python-tag cp39 --platform "$PLATFORM" --max-glibc "$MAX_GLIBC"); then
    fail "the wheel checker passed a wheel it must refuse"
  fi
  for expected in "libstdc++.so.6" "needs GLIBC_2.32" "beyond its entry point: _Znwm" \
      "carries debug information" "auditwheel show"; do
    grep -qF "$expected" <<<"$report" ||
      { echo "$report" >&2; fail "the wheel checker missed: $expected"; }
  done
}
if linux_part; then
step=$SECONDS
check_the_checker
say "the wheel checker refuses a bad module ($((SECONDS - step)) s)"

rm -rf "$DIST"
mkdir -p "$DIST"
fi

# --- the source distribution -------------------------------------------------

step=$SECONDS
if linux_part; then
  say "source distribution"
  "$toolpy" -m build --sdist --outdir "$DIST" "$ROOT" >"$WORK/sdist.log" 2>&1 ||
    { cat "$WORK/sdist.log" >&2; fail "the source distribution did not build"; }
else
  say "source distribution: the one in dist/ (from scripts/release.sh linux)"
fi
sdists=("$DIST"/rigkit0-*.tar.gz)
[ "${#sdists[@]}" = 1 ] && [ -f "${sdists[0]}" ] || fail "expected one rigkit0-*.tar.gz in dist/"
sdist=${sdists[0]}
# The wheels are built from the unpacked sdist, not from the work tree: what
# the sdist lacks shows up as a failed build or test below.
rm -rf "$WORK/src"
mkdir -p "$WORK/src"
# The sdist stores one fixed date for reproducibility; unpacked with that date,
# sources changed since an earlier run would look older than its objects.
tar -xzf "$sdist" -m -C "$WORK/src"
source_dir=$(echo "$WORK"/src/rigkit0-*)
[ -f "$source_dir/pyproject.toml" ] || fail "the sdist holds no pyproject.toml"
for needed in CMakeLists.txt src/rigkit0.pyi tests/conftest.py standin/Zentrik/_api/__hybrid__/__init__.py; do
  [ -e "$source_dir/$needed" ] || fail "the sdist lacks $needed"
done
say "source distribution in $((SECONDS - step)) s: ${sdist#"$ROOT"/}"

# --- how what ships is tested (both halves) -------------------------------------

# A copy of the test suite and the stand-in in a folder of its own (as the
# sdist has them: the tests find the stand-in and the stub beside them), run
# with the given interpreter. Prints pytest's closing line.
run_suite() {
  local python=$1 folder=$2 label=$3
  shift 3
  local log="$folder.log"
  (cd "$folder" && "$python" -m pytest -q -p no:cacheprovider "$@") >"$log" 2>&1
  local status=$?
  local closing
  closing=$(tr -d '\r' <"$log" | grep -E '[0-9]+ (passed|failed|errors?)' | tail -1 |
    sed -E 's/^=+ //; s/ =+$//; s/ in [0-9.]+s.*//')
  if [ "$status" != 0 ]; then
    tail -60 "$log" >&2
    echo "== release: FAILED: $label: ${closing:-pytest exited $status} (log: ${log#"$ROOT"/})" >&2
    return 1
  fi
  echo "$closing"
}

# The suite, the stand-in, the project's test settings and the root conftest
# (the choice of Maya, batch mode and its fixture) copied from the
# unpacked sdist into a new folder.
copy_suite() {
  local folder=$1
  rm -rf "$folder"
  mkdir -p "$folder/src"
  cp -r "$source_dir/tests" "$source_dir/standin" "$source_dir/pyproject.toml" \
    "$source_dir/conftest.py" "$folder/"
}

declare -A WHEEL PASSED DROPPED
status=0
if linux_part; then
# --- wheels ------------------------------------------------------------------

for version in $LINUX_SHIPPING; do
  step=$SECONDS
  tag="cp${version/./}"
  buildvenv="$ROOT/.venv/release-build-py$version"
  say "CPython $version: build tools (.venv/release-build-py$version)"
  [ -x "$buildvenv/bin/python" ] || fresh_venv "${PYTHON[$version]}" "$buildvenv"
  pipq "$buildvenv/bin/python" -c "$REQUIREMENTS" scikit-build-core pybind11 cmake ninja ||
    fail "CPython $version: cannot install the build tools"
  say "CPython $version: building the wheel from the sdist (minutes on two cores; log in build/release/build-py$version.log)"
  rm -rf "$WORK/wheels-py$version"
  # Without build isolation, so the pinned backend above builds it.
  if ! CC="$WORK/bin/cc" CXX="$WORK/bin/c++" "$buildvenv/bin/python" -m pip wheel \
      --disable-pip-version-check --no-deps --no-build-isolation -v \
      -w "$WORK/wheels-py$version" \
      "--config-settings=build-dir=$WORK/{wheel_tag}" \
      --config-settings=cmake.define.RIGKIT_RELEASE=ON \
      "$source_dir" >"$WORK/build-py$version.log" 2>&1; then
    tail -40 "$WORK/build-py$version.log" >&2
    fail "CPython $version: the wheel did not build"
  fi
  built=("$WORK/wheels-py$version"/rigkit0-*-"$tag"-"$tag"-linux_x86_64.whl)
  [ -f "${built[0]}" ] || fail "CPython $version: no $tag linux_x86_64 wheel was built"
  # auditwheel (with patchelf from the tools) gives the wheel the platform tag only if everything it links
  # against is allowed there; nothing needs to be copied in.
  PATH="$tools/bin:$PATH" "$toolpy" -m auditwheel repair --plat "$PLATFORM" --only-plat -w "$DIST" "${built[0]}" \
    >"$WORK/repair-py$version.log" 2>&1 ||
    { cat "$WORK/repair-py$version.log" >&2; fail "CPython $version: auditwheel refused $PLATFORM"; }
  wheels=("$DIST"/rigkit0-*-"$tag"-"$tag"-*"$PLATFORM"*.whl)
  [ -f "${wheels[0]}" ] || fail "CPython $version: no $PLATFORM wheel in dist/"
  WHEEL[$version]=${wheels[0]}
  PATH="$tools/bin:$PATH" "$toolpy" "$ROOT/scripts/check_wheel.py" "${WHEEL[$version]}" --python-tag "$tag" \
    --platform "$PLATFORM" --max-glibc "$MAX_GLIBC" >&2 ||
    fail "CPython $version: the wheel is not portable (above)"
  say "CPython $version: wheel built and checked in $((SECONDS - step)) s"
done

# --- the suite's folder ----------------------------------------------------------

mkdir -p "$DROP"
for version in $LINUX_SHIPPING; do
  "$toolpy" - "${WHEEL[$version]}" "$DROP" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as wheel:
    for name in wheel.namelist():
        if "/" not in name and (name.endswith(".so") or name == "rigkit0.pyi"):
            wheel.extract(name, sys.argv[2])
EOF
done
[ "$(ls "$DROP"/rigkit0.cpython-*.so | wc -l)" = "$(echo $LINUX_SHIPPING | wc -w)" ] && [ -f "$DROP/rigkit0.pyi" ] ||
  fail "dist/suite lacks a compiled module or the stub"

# A fresh environment of CPython $1 at $2 with the test tools and nothing else
# (maya-stubs: the stand-in's names are checked against Maya's).
test_venv() {
  fresh_venv "${PYTHON[$1]}" "$2"
  pipq "$2/bin/python" -c "$REQUIREMENTS" pytest hypothesis mypy "maya-stubs>=0.4,<0.5" ||
    fail "CPython $1: cannot install the test tools"
}

for version in $LINUX_SHIPPING; do
  step=$SECONDS
  tag="cp${version/./}"
  say "CPython $version: the suite against the wheel alone in a fresh environment, and at the" \
    "same time in another against the suite's folder with nothing installed"
  venv="$WORK/venv-test-py$version"
  folder="$WORK/test-py$version"
  test_venv "$version" "$venv"
  pipq "$venv/bin/python" --no-index --no-deps "${WHEEL[$version]}" ||
    fail "CPython $version: the wheel does not install"
  copy_suite "$folder"
  # The stub the tests compare with the module is the one the wheel installed.
  site=$("$venv/bin/python" -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
  cp "$site/rigkit0.pyi" "$folder/src/rigkit0.pyi" || fail "CPython $version: the wheel installed no stub"
  loaded=$(cd "$folder" && PYTHONPATH=standin "$venv/bin/python" -c \
    'from Zentrik._api.__hybrid__ import rigkit0; print(rigkit0.__file__)') ||
    fail "CPython $version: the installed wheel does not load"
  case $loaded in
    "$site"/rigkit0.*.so) ;;
    *) fail "CPython $version: loaded $loaded, not the installed wheel's module" ;;
  esac

  # The suite's folder: the same tests, the stand-in package with the release
  # modules dropped into it, nothing installed.
  bare="$WORK/venv-bare-py$version"
  test_venv "$version" "$bare"
  dropped="$WORK/suite-py$version"
  copy_suite "$dropped"
  cp "$DROP"/rigkit0.* "$dropped/standin/Zentrik/_api/__hybrid__/"
  cp "$DROP/rigkit0.pyi" "$dropped/src/rigkit0.pyi"
  loaded=$(cd "$dropped" && PYTHONPATH=standin "$bare/bin/python" -c \
    'from Zentrik._api.__hybrid__ import rigkit0; print(rigkit0.__file__)') ||
    fail "CPython $version: the module does not load from the suite's folder"
  case $loaded in
    "$dropped"/standin/Zentrik/_api/__hybrid__/rigkit0.cpython-"${tag#cp}"-*.so) ;;
    *) fail "CPython $version: loaded $loaded, not the module dropped into the suite's folder" ;;
  esac

  # The two runs at once, one per core. One test imports the module at the
  # top level, which needs it installed: the folder's run leaves it out.
  run_suite "$venv/bin/python" "$folder" "CPython $version wheel" >"$folder.closing" &
  wheelRun=$!
  run_suite "$bare/bin/python" "$dropped" "CPython $version suite folder" \
    --deselect tests/test_loading.py::test_top_level_import_has_no_package_for_the_sibling \
    >"$dropped.closing" &
  folderRun=$!
  wait "$wheelRun" && PASSED[$version]=$(cat "$folder.closing") || { PASSED[$version]="FAILED"; status=1; }
  wait "$folderRun" && DROPPED[$version]=$(cat "$dropped.closing") || { DROPPED[$version]="FAILED"; status=1; }
  say "CPython $version: wheel: ${PASSED[$version]}; suite folder: ${DROPPED[$version]} ($((SECONDS - step)) s)"
done

fi

# --- Windows -------------------------------------------------------------------

source "$ROOT/scripts/release-windows.sh"
if windows_part; then
  mkdir -p "$DROP"
  windows_release || status=1
fi

# --- summary -------------------------------------------------------------------

row() { printf '%-74s %8s  %-34s %-64s  %s\n' "$@"; }
echo
row "in dist/" "size" "tag" "SHA-256" "tests"
linux_part && for version in $LINUX_SHIPPING; do
  wheel=${WHEEL[$version]}
  row "$(basename "$wheel")" "$(($(stat -c %s "$wheel") / 1024)) KiB" \
    "cp${version/./}-cp${version/./}-$PLATFORM" "$(sha256sum "$wheel" | cut -d' ' -f1)" \
    "${PASSED[$version]}"
done
row "$(basename "$sdist")" "$(($(stat -c %s "$sdist") / 1024)) KiB" "source" \
  "$(sha256sum "$sdist" | cut -d' ' -f1)" "the wheels above are built from it"
linux_part && for version in $LINUX_SHIPPING; do
  module=$(echo "$DROP"/rigkit0.cpython-"${version/./}"-*.so)
  row "${module#"$DIST"/}" "$(($(stat -c %s "$module") / 1024)) KiB" "suite folder, CPython $version" \
    "$(sha256sum "$module" | cut -d' ' -f1)" "${DROPPED[$version]}"
done
windows_part && for version in $WINDOWS_SHIPPING; do
  wheel=${WIN_WHEEL[$version]}
  row "$(basename "$wheel")" "$(($(stat -c %s "$wheel") / 1024)) KiB" \
    "cp${version/./}-cp${version/./}-$WIN_PLATFORM" "$(sha256sum "$wheel" | cut -d' ' -f1)" \
    "through the $WIN_TEST_VERSION build: $WINE_PASSED"
done
windows_part && for version in $WINDOWS_SHIPPING; do
  module="$DROP/rigkit0.cp${version/./}-$WIN_PLATFORM.pyd"
  row "${module#"$DIST"/}" "$(($(stat -c %s "$module") / 1024)) KiB" "suite folder, Windows $version" \
    "$(sha256sum "$module" | cut -d' ' -f1)" "built in ${WIN_SECONDS[$version]} s"
done
windows_part && echo "Windows CPython $WIN_TEST_VERSION test build under Wine: $WINE_PASSED;" \
  "Linux CPython $WIN_TEST_VERSION: $LINUX312_PASSED"
echo
if [ "$status" != 0 ]; then
  say "FAILED after $((SECONDS - started)) s (logs in build/release/)"
  exit 1
fi
say "done in $((SECONDS - started)) s"
