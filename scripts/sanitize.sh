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
# A part of the run, in the background with its output in a log of its own
# and its seconds beside it.
part() {
  local log=$1
  shift
  ( local started=$SECONDS
    "$@" >"$log" 2>&1
    local status=$?
    echo "$((SECONDS - started))" >"$log.seconds"
    exit "$status" ) &
}

# Checks the exit code of a finished part, and says so when it is a sanitizer's.
judge() {
  local label=$1 status=$2
  if [ "$status" = 99 ]; then
    echo "== CPython $version: $label: a sanitizer reported a fault (report above)" >&2
  fi
  return "$status"
}

# pytest's default capture redirects file descriptor 2 while a test runs, and
# a sanitizer that ends the process would take its report down with the
# capture file: capture only sys.stdout and sys.stderr.
pytest=(-q -p no:cacheprovider --capture=sys)
if [ -z "${SANITIZE_FUZZ_EXAMPLES:-}" ]; then
  echo "== CPython $version: running the tests under ASan and UBSan"
  run_pytest "$envpython" "${pytest[@]}" "$@"
  status=$?
  unset LD_PRELOAD
  judge "the tests" "$status"
  exit
fi

# SANITIZE_FUZZ_EXAMPLES=N: the suite without its fuzz tests and, at the same
# time on the other core, the fuzz tests with N examples per class, each in a
# process of its own, so that neither the two cores idle nor a fuzz test runs
# twice. Their outputs are shown one after the other once both end.
logs="$ROOT/build/sanitize"
mkdir -p "$logs"
echo "== CPython $version: under ASan and UBSan, at the same time: the tests without the" \
  "fuzz tests, and the fuzz tests at $SANITIZE_FUZZ_EXAMPLES examples per class"
part "$logs/suite.log" run_pytest "$envpython" "${pytest[@]}" -m "not fuzz" "$@"
suite=$!
RIGKIT_FUZZ_EXAMPLES=$SANITIZE_FUZZ_EXAMPLES part "$logs/fuzz.log" \
  run_pytest "$envpython" "${pytest[@]}" -m fuzz "$@"
fuzz=$!
wait "$suite"
suiteStatus=$?
wait "$fuzz"
fuzzStatus=$?
unset LD_PRELOAD
status=0
show() {
  local name=$1 label=$2 code=$3
  cat "$logs/$name.log"
  echo "== CPython $version: $label: exit code $code in $(cat "$logs/$name.log.seconds") s"
  judge "$label" "$code" || status=$code
}
show suite "the tests without the fuzz tests" "$suiteStatus"
show fuzz "the fuzz tests at $SANITIZE_FUZZ_EXAMPLES examples per class" "$fuzzStatus"
exit "$status"
