#!/usr/bin/env bash
# Builds rigkit0 with AddressSanitizer and UndefinedBehaviorSanitizer into a
# venv of its own (.venv/sanitize-pyX.Y, build files under build/sanitize/)
# for the oldest supported CPython found, and runs the whole test suite under
# it. Any sanitizer report ends the run with a non-zero exit. Arguments are
# passed to pytest (scripts/sanitize.sh -k node).
set -uo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"
ensure_toolchain || exit 1

find_oldest_python || exit 1

# Debug: no optimisation hides a fault, and reports name file and line.
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
envpython=$(prepare_env "$python" "$version" "$ROOT/.venv/sanitize-py$version" \
  --config-settings=cmake.build-type=Debug \
  "--config-settings=cmake.define.CMAKE_CXX_FLAGS=$flags" \
  "--config-settings=build-dir=build/sanitize/{wheel_tag}") || {
  echo "== CPython $version: sanitizer build failed" >&2
  exit 1
}

# The interpreter is not built with the sanitizers, so their runtimes must be
# loaded before anything else. Leaks are not checked: CPython keeps memory
# until exit on purpose. Python's own allocator is bypassed so that a Python
# object the module freed too early is heap memory ASan watches. Tests that
# start a child interpreter pass the environment on, so children run checked
# too.
export LD_PRELOAD="$(g++ -print-file-name=libasan.so):$(g++ -print-file-name=libubsan.so)"
export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1:abort_on_error=0:exitcode=99"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=99"
export PYTHONMALLOC=malloc
echo "== CPython $version: running the tests under ASan and UBSan"
# pytest's default capture redirects file descriptor 2 while a test runs, and
# a sanitizer that ends the process would take its report down with the
# capture file: capture only sys.stdout and sys.stderr.
"$envpython" -m pytest -q -p no:cacheprovider --capture=sys "$@"
status=$?
unset LD_PRELOAD
if [ "$status" = 99 ]; then
  echo "== CPython $version: a sanitizer reported a fault (report above)" >&2
fi
exit "$status"
