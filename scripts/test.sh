#!/usr/bin/env bash
# Builds rigkit0 for every supported CPython found on the machine and runs the
# whole test suite under each; an interpreter that is not found is skipped.
set -uo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"
ensure_toolchain || exit 1

ran=0 failed=0
for version in $SUPPORTED; do
  python=$(find_python "$version") || { echo "== CPython $version: skipped (not found)"; continue; }
  echo "== CPython $version: $python"
  if ! envpython=$(prepare_env "$python" "$version"); then
    echo "== CPython $version: build failed"; failed=1; continue
  fi
  "$envpython" -m pytest -q -p no:cacheprovider "$@" || failed=1
  ran=$((ran + 1))
done

if [ "$ran" = 0 ]; then
  echo "no supported CPython ($SUPPORTED) found" >&2
  exit 1
fi
exit "$failed"
