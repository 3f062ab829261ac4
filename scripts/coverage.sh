#!/usr/bin/env bash
# Measures what the two test suites run: builds rigkit0 in Debug with gcc's
# --coverage into a venv of its own (.venv/coverage-pyX.Y, build files under
# build/coverage/) for the oldest supported CPython found, runs the module's
# tests and the stand-in's under coverage.py, and reports the C++ lines and
# branches of src/ (gcovr) and the stand-in's Python lines and branches.
# Reports go to build/coverage/; the last line is the summary. Arguments are
# passed to pytest.
set -uo pipefail
source "$(dirname "$0")/env.sh"
cd "$ROOT"
ensure_toolchain || exit 1

find_oldest_python || exit 1

# Debug: optimisation would fold lines and branches away from the counts.
envpython=$(prepare_env "$python" "$version" "$ROOT/.venv/coverage-py$version" \
  --config-settings=cmake.build-type=Debug \
  "--config-settings=cmake.define.CMAKE_CXX_FLAGS=--coverage" \
  "--config-settings=cmake.define.CMAKE_MODULE_LINKER_FLAGS=--coverage" \
  "--config-settings=build-dir=build/coverage/{wheel_tag}") || {
  echo "== CPython $version: coverage build failed" >&2
  exit 1
}
"$envpython" -m pip install -q --disable-pip-version-check \
  -r "$ROOT/scripts/measure-requirements.txt" >&2 || exit 1

out=$ROOT/build/coverage
# Counters add up across runs: start each run from zero.
find "$out" -name '*.gcda' -delete
rm -f "$out/.coverage"

# Child interpreters that tests start add to the C++ counters (each process
# merges its own into the .gcda files at exit) but not to the Python figures.
echo "== CPython $version: running the tests under coverage"
COVERAGE_FILE=$out/.coverage "$envpython" -m coverage run --branch \
  --source=standin/maya,standin/Zentrik \
  -m pytest -q -p no:cacheprovider tests standin/tests "$@"
status=$?

echo "== reporting (build/coverage/cpp.txt, standin.txt, cpp/ and standin/ in HTML)"
mkdir -p "$out/cpp"
# A line counts once however many template instances compile it (else
# methods.h's wrappers, one instance per method, would outweigh the rest).
# A branch that only a thrown exception takes (every call that may throw
# has one) and one the compiler made but no path reaches are not counted:
# they say nothing about what the tests check.
"$envpython" -m gcovr --root "$ROOT" --filter "$ROOT/src/" \
  --merge-lines --exclude-throw-branches --exclude-unreachable-branches \
  --txt "$out/cpp.txt" --json-summary "$out/cpp.json" \
  --html-details "$out/cpp/index.html" "$out" > "$out/gcovr.log" 2>&1 || {
  cat "$out/gcovr.log" >&2
  exit 1
}
export COVERAGE_FILE=$out/.coverage
"$envpython" -m coverage report > "$out/standin.txt" &&
  "$envpython" -m coverage json -q -o "$out/standin.json" &&
  "$envpython" -m coverage html -q -d "$out/standin" || exit 1

"$envpython" - "$out" <<'PY'
import json, sys, os

def part(covered, total):
    return "%d/%d (%.1f%%)" % (covered, total, 100.0 * covered / total if total else 100.0)

cpp = json.load(open(os.path.join(sys.argv[1], "cpp.json")))
py = json.load(open(os.path.join(sys.argv[1], "standin.json")))["totals"]
print("C++ lines %s, branches %s; stand-in lines %s, branches %s" % (
    part(cpp["line_covered"], cpp["line_total"]),
    part(cpp["branch_covered"], cpp["branch_total"]),
    part(py["covered_lines"], py["num_statements"]),
    part(py["covered_branches"], py["num_branches"])))
PY
exit "$status"
