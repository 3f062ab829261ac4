#!/usr/bin/env bash
# The main job: builds rigkit0 and runs a short demonstration in the stand-in
# scene. Uses the oldest supported CPython found (Maya's own is 3.9).
# Arguments go to scripts/demo.py (--picture PATH: where the PNG of the Euler
# filter's curves goes; a relative path is taken from where you run this).
set -euo pipefail
source "$(dirname "$0")/env.sh"
caller=$PWD
cd "$ROOT"
ensure_toolchain
for version in $SUPPORTED; do
  if python=$(find_python "$version"); then
    envpython=$(prepare_env "$python" "$version")
    # The picture's plotting library is the demo's own need, not the module's:
    # without it (no network, say) the demo still runs and says so.
    echo "== CPython $version: the demo's own requirements (scripts/demo-requirements.txt)" >&2
    "$envpython" -m pip install -q --disable-pip-version-check \
      -r "$ROOT/scripts/demo-requirements.txt" >&2 ||
      echo "== could not install them; the demo runs without its picture" >&2
    cd "$caller"
    PYTHONPATH="$ROOT/standin" exec "$envpython" "$ROOT/scripts/demo.py" "$@"
  fi
done
echo "no supported CPython ($SUPPORTED) found" >&2
exit 1
