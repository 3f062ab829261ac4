#!/usr/bin/env bash
# The main job: builds rigkit0 and runs a short demonstration in the stand-in
# scene. Uses the oldest supported CPython found (Maya's own is 3.9).
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"
ensure_toolchain
for version in $SUPPORTED; do
  if python=$(find_python "$version"); then
    envpython=$(prepare_env "$python" "$version")
    PYTHONPATH="$ROOT/standin" exec "$envpython" "$ROOT/scripts/demo.py"
  fi
done
echo "no supported CPython ($SUPPORTED) found" >&2
exit 1
