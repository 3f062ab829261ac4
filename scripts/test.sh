#!/usr/bin/env bash
# Builds rigkit0 for every supported CPython found on the machine and runs the
# whole test suite under each; an interpreter that is not found is skipped.
# TEST_VERSIONS names fewer interpreters (CI runs the others elsewhere);
# TEST_JOBS=2 spreads each run over two processes (pytest-xdist).
set -uo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"
ensure_toolchain || exit 1

versions=${TEST_VERSIONS:-$SUPPORTED}
jobs=()
[ "${TEST_JOBS:-1}" -gt 1 ] && jobs=(-n "$TEST_JOBS")
ran=0 failed=0
for version in $versions; do
  python=$(find_python "$version") || { echo "== CPython $version: skipped (not found)"; continue; }
  echo "== CPython $version: $python"
  if ! envpython=$(prepare_env "$python" "$version"); then
    echo "== CPython $version: build failed"; failed=1; continue
  fi
  started=$SECONDS
  run_pytest "$envpython" -q -p no:cacheprovider "${jobs[@]}" "$@" || failed=1
  echo "== CPython $version: tests ran in $((SECONDS - started)) s"
  ran=$((ran + 1))
done

if [ "$ran" = 0 ]; then
  echo "no supported CPython ($versions) found" >&2
  exit 1
fi
exit "$failed"
