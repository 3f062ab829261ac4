# Shared by the README's two commands: finds the supported interpreters and
# gives each its own virtual environment with rigkit0 built and installed.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUPPORTED="3.9 3.10 3.11 3.13"
# pytest-xdist spreads one test run over both cores when nothing else runs
# (`-n 2`, as CI does); pinned with its one dependency.
XDIST=("pytest-xdist==3.8.0" "execnet==2.1.2")

# A fresh Debian machine lacks the compiler; install it when we can.
ensure_toolchain() {
  command -v g++ >/dev/null 2>&1 && return 0
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq g++ >/dev/null
  else
    echo "g++ is missing; install it (Debian: apt-get install g++)" >&2
    return 1
  fi
}

# Prints the path of a CPython of the given minor version, or nothing.
find_python() {
  local version=$1 candidate
  local roots=("${PYENV_ROOT:-${HOME:-/root}/.pyenv}/versions" /root/.pyenv/versions)
  for root in "${roots[@]}"; do
    for candidate in "$root/$version".*/bin/python; do
      [ -x "$candidate" ] && echo "$candidate" && return 0
    done
  done
  for candidate in "python$version" "/usr/bin/python$version" "/usr/local/bin/python$version"; do
    if command -v "$candidate" >/dev/null 2>&1 &&
       [ "$("$candidate" -c 'import sys; print("%d.%d" % sys.version_info[:2])' 2>/dev/null)" = "$version" ]; then
      command -v "$candidate" && return 0
    fi
  done
  return 1
}

# Sets `python` and `version` to the oldest supported CPython found; false,
# with a message, when there is none.
find_oldest_python() {
  for version in $SUPPORTED; do
    python=$(find_python "$version") && return 0
  done
  echo "no supported CPython ($SUPPORTED) found" >&2
  return 1
}

# Makes (or reuses) a virtual environment (.venv/pyX.Y unless a third argument
# names another), installs the build and test tools, builds and installs
# rigkit0 into it; further arguments go to that pip install (build settings).
# Prints the environment's python on stdout and its progress on stderr: a
# first build prints nothing for minutes on two cores.
prepare_env() {
  local python=$1 version=$2 venv=${3:-"$ROOT/.venv/py$2"}
  shift $(($# < 3 ? $# : 3))
  local started=$SECONDS
  echo "== CPython $version: preparing ${venv#"$ROOT"/} (tools, then the rigkit0 build)" >&2
  if [ ! -x "$venv/bin/python" ]; then
    if ! "$python" -m venv "$venv" >/dev/null 2>&1; then
      # Debian's own interpreters keep venv in a separate package.
      if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "python$version-venv" "python$version-dev" >/dev/null
      fi
      "$python" -m venv "$venv" >&2 || return 1
    fi
  fi
  local tools=("scikit-build-core>=0.12" "pybind11>=3.1" "pytest>=7" "hypothesis>=6" "mypy>=1.19" "maya-stubs>=0.4,<0.5"
               "${XDIST[@]}")
  command -v cmake >/dev/null 2>&1 || tools+=("cmake>=3.18")
  command -v ninja >/dev/null 2>&1 || tools+=("ninja")
  "$venv/bin/python" -m pip install -q --disable-pip-version-check "${tools[@]}" >&2 || return 1
  local building=$SECONDS
  echo "== CPython $version: tools ready in $((building - started)) s; building rigkit0" >&2
  "$venv/bin/python" -m pip install -q --disable-pip-version-check --no-build-isolation "$@" "$ROOT" >&2 || return 1
  echo "== CPython $version: built in $((SECONDS - building)) s (ready in $((SECONDS - started)) s)" >&2
  echo "$venv/bin/python"
}

# Runs pytest under the given interpreter with the remaining arguments and
# returns its exit code. Exit code 5 (pytest collected no test) is said in a
# line of its own and stays a failure: a run that tested nothing is no pass.
run_pytest() {
  local python=$1 status
  shift
  "$python" -m pytest "$@"
  status=$?
  [ "$status" = 5 ] && echo "== pytest collected no test (exit code 5): nothing was tested" >&2
  return "$status"
}
