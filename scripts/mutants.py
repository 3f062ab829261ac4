#!/usr/bin/env python3
"""Puts each fault listed in scripts/mutants.txt into a copy of the tree, one
at a time, and runs the module's tests and the stand-in's tests against it. A
mutant the suites fail on is killed (by the first failing test); one they pass
is a fault they cannot see.

The copy (build/mutants/tree), its build folder (build/mutants/build) and its
virtual environment (.venv/mutants-pyX.Y, the oldest supported CPython found)
are kept between mutants and between runs: the first run builds everything,
then a C++ mutant recompiles its own file and relinks, and a stand-in mutant
needs no build at all. Each file is put back as it was after its mutant. With
--jobs N each job has a copy, build folder and environment of its own
(suffixed -2, -3, ...), each built once.

    scripts/mutants.py [--only ID[,ID]] [--json FILE] [--jobs N] [--first EARLIER.json]
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LIST = ROOT / "scripts" / "mutants.txt"
AREAS = (("src/module/", "module"), ("src/scene/", "scene"), ("src/attributes/", "attributes"),
         ("src/layers/", "layers"), ("src/tools/", "tools"), ("standin/", "stand-in"))
PYTEST = ["-m", "pytest", "-x", "-q", "-p", "no:randomly", "-p", "no:cacheprovider"]
SUITES = ["tests", "standin/tests"]
# The fuzz at the suite's own 50 examples per class, whatever the caller's environment.
TEST_ENV = dict(os.environ, RIGKIT_FUZZ_EXAMPLES="50")
# pytest's summary line: "FAILED <node id> - <message>"; an id may hold spaces.
FAILURE = re.compile(r"^(?:FAILED|ERROR) (.+?)(?: - .*)?$")


@dataclass
class Mutant:
    """One fault: `original` replaced by `replacement` in `file`."""
    id: str
    file: str
    what: str
    original: str
    replacement: str

    @property
    def area(self):
        """The subsystem the file belongs to."""
        return next((name for prefix, name in AREAS if self.file.startswith(prefix)), "?")

    @property
    def compiled(self):
        """Whether the mutant needs the module rebuilt."""
        return self.file.startswith("src/")


def parseList(text):
    """The mutants of the list's text, in order."""
    mutants, current = [], None
    for number, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        header = re.match(r"^\[([\w-]+)\] (\S+)$", line)
        if header:
            current = Mutant(header.group(1), header.group(2), "", "", "")
            mutants.append(current)
        elif current is None:
            raise SystemExit("%s:%d: text before the first mutant" % (LIST, number))
        elif line.startswith(("- ", "+ ")):
            field = "original" if line[0] == "-" else "replacement"
            old = getattr(current, field)
            setattr(current, field, line[2:] if not old else old + "\n" + line[2:])
        elif not current.what:
            current.what = line.strip()
        else:
            raise SystemExit("%s:%d: unexpected line %r" % (LIST, number, line))
    return mutants


def problemsOf(mutants, tree):
    """Why the list cannot be applied to `tree`: each entry a text."""
    problems, seen = [], set()
    for m in mutants:
        if m.id in seen:
            problems.append("%s: the id is used twice" % m.id)
        seen.add(m.id)
        path = tree / m.file
        if not m.what or not m.original or m.original == m.replacement:
            problems.append("%s: needs a description, an original and a different replacement" % m.id)
        elif not path.is_file():
            problems.append("%s: no file %s" % (m.id, m.file))
        else:
            count = path.read_text(encoding="utf-8").count(m.original)
            if count != 1:
                problems.append("%s: the original occurs %d times in %s (stale or ambiguous)"
                                % (m.id, count, m.file))
    return problems


class Slot:
    """A copy of the tree with its own build folder and virtual environment."""

    def __init__(self, number):
        suffix = "" if number == 1 else "-%d" % number
        self.tree = ROOT / "build" / "mutants" / ("tree" + suffix)
        self.build = ROOT / "build" / "mutants" / ("build" + suffix)
        self.venvPrefix, self.suffix = ROOT / ".venv" / "mutants-py", suffix
        self.python = self.installed = None
        self.dirty = False  # a restored C++ file not yet rebuilt

    def sync(self):
        """Brings the copy up to date with the work tree (tracked files and new
        ones not ignored); unchanged files keep their times, so that the build
        stays incremental. A file the work tree no longer has leaves the copy
        too: a test file deleted or merged away must not go on killing."""
        listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                                check=True, capture_output=True).stdout.decode().split("\0")
        kept = set()
        for name in filter(None, listed):
            source, target = ROOT / name, self.tree / name
            if not source.is_file():
                continue
            kept.add(target)
            if target.is_file() and target.read_bytes() == source.read_bytes():
                continue
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(source, target)  # a new time: the build must see the change
        for target in list(self.tree.rglob("*")):
            generated = any(part == "__pycache__" or part.startswith(".")
                            for part in target.relative_to(self.tree).parts)
            if target.is_file() and target not in kept and not generated:
                target.unlink()

    def prepare(self):
        """Builds and installs the copy into its environment (scripts/env.sh).
        Debug: without optimisation one file recompiles several times faster,
        and the suites' time is spent in the stand-in's Python anyway."""
        script = ('source "$1/scripts/env.sh" && find_oldest_python && '
                  'prepare_env "$python" "$version" "$2$version$3" "--config-settings=build-dir=$4" '
                  '--config-settings=cmake.build-type=Debug')
        out = subprocess.run(["bash", "-c", script, "-", str(self.tree), str(self.venvPrefix),
                              self.suffix, str(self.build)],
                             capture_output=True, text=True)
        if out.returncode != 0:
            raise SystemExit("building %s failed:\n%s" % (self.tree, out.stderr[-4000:]))
        self.python = out.stdout.split()[-1]
        found = subprocess.run([self.python, "-c", "import importlib.util as u; "
                               "print(u.find_spec('rigkit0').origin)"],
                              cwd="/", check=True, capture_output=True, text=True)
        self.installed = Path(found.stdout.strip())

    def rebuild(self):
        """Recompiles what changed and puts the module in place of the
        installed one; the compiler's output when that fails."""
        out = subprocess.run(["cmake", "--build", str(self.build)], capture_output=True, text=True)
        if out.returncode != 0:
            return out.stdout[-3000:] + out.stderr[-3000:]
        built = next(p for p in self.build.iterdir() if p.name.startswith("rigkit0.")
                     and p.suffix in (".so", ".pyd"))
        staged = self.installed.with_name(self.installed.name + ".new")
        shutil.copyfile(built, staged)
        os.replace(staged, self.installed)
        self.dirty = False
        return None

    def test(self, timeout, first=None):
        """Runs both suites; (status, killed by, output). With `first` (a test
        file), that file runs first, and the suites only when it passes: a
        mutant killed before is then usually killed in seconds."""
        if first and (self.tree / first).is_file():
            status, killedBy, output = self.pytest(timeout, [first])
            if status == "killed":
                return status, killedBy, output
        return self.pytest(timeout, SUITES)

    def pytest(self, timeout, paths):
        """Runs pytest on `paths`; (status, killed by, output)."""
        try:
            out = subprocess.run([self.python] + PYTEST + paths, cwd=self.tree, env=TEST_ENV,
                                 capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return "killed", "timeout (%d s)" % timeout, ""
        if out.returncode == 0:
            return "survived", "", out.stdout
        if out.returncode < 0:
            return "killed", "crash (signal %d)" % -out.returncode, out.stdout
        found = (FAILURE.match(line) for line in out.stdout.splitlines())
        first = next((m.group(1) for m in found if m), "pytest exit %d" % out.returncode)
        return "killed", first, out.stdout

    def run(self, mutant, timeout, first=None):
        """Applies the mutant, tests it (`first`: a test file to try before
        the suites) and puts the file back."""
        path = self.tree / mutant.file
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read()
        started = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text.replace(mutant.original, mutant.replacement, 1))
            failure = self.rebuild() if mutant.compiled or self.dirty else None
            if failure:
                status, killedBy = "build failed", failure.strip().splitlines()[-1][:80]
            else:
                status, killedBy, _ = self.test(timeout, first)
        finally:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            self.dirty = self.dirty or mutant.compiled
        return dict(id=mutant.id, area=mutant.area, file=mutant.file, what=mutant.what,
                    status=status, killedBy=killedBy,
                    seconds=round(time.monotonic() - started, 1))


def table(results):
    """The results as aligned text: id, area, description, killed by."""
    rows = [("id", "area", "what it breaks", "killed by")]
    for r in results:
        verdict = r["killedBy"] if r["status"] == "killed" else r["status"].upper()
        rows.append((r["id"], r["area"], r["what"], verdict))
    widths = [max(len(row[i]) for row in rows) for i in range(3)]
    return "\n".join("  ".join(cell.ljust(w) for cell, w in zip(row[:3], widths)) + "  " + row[3]
                     for row in rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--only", help="the mutants to run, by id (comma-separated)")
    parser.add_argument("--json", help="also save the results to this file")
    parser.add_argument("--jobs", type=int, default=1, help="mutants run at once (default 1)")
    parser.add_argument("--first", help="the --json of an earlier run: each mutant's killing "
                                        "test file is tried before the suites")
    args = parser.parse_args()

    mutants = parseList(LIST.read_text(encoding="utf-8"))
    problems = problemsOf(mutants, ROOT)
    if problems:
        raise SystemExit("scripts/mutants.txt cannot be applied:\n  " + "\n  ".join(problems))
    if args.only:
        wanted = args.only.split(",")
        unknown = sorted(set(wanted) - {m.id for m in mutants})
        if unknown:
            raise SystemExit("no such mutant: " + ", ".join(unknown))
        mutants = [m for m in mutants if m.id in wanted]

    started = time.monotonic()
    slots = [Slot(n) for n in range(1, max(1, min(args.jobs, len(mutants))) + 1)]
    for slot in slots:
        print("== preparing %s" % slot.tree.relative_to(ROOT), flush=True)
        slot.sync()
        slot.prepare()
    print("== the unmutated copy (baseline)", flush=True)
    checked = time.monotonic()
    status, failedBy, output = slots[0].test(timeout=3600)
    if status != "survived":
        sys.stdout.write(output[-3000:])
        raise SystemExit("the unmutated copy fails (%s): fix the tree first" % failedBy)
    baseline = time.monotonic() - checked
    print("== baseline passes in %.0f s; %d mutants" % (baseline, len(mutants)), flush=True)

    # Stand-in mutants first, while the build is clean; then C++ mutants of
    # one file after another, so that each recompiles one file.
    order = sorted(mutants, key=lambda m: m.compiled)
    firstFiles = {}
    if args.first:
        with open(args.first, encoding="utf-8") as f:
            for r in json.load(f)["results"]:
                if r["status"] == "killed" and "::" in r["killedBy"]:
                    firstFiles[r["id"]] = r["killedBy"].split("::")[0]
    free, lock, done = list(slots), threading.Lock(), []
    timeout = max(600, 3 * baseline)

    def runOne(mutant):
        with lock:
            slot = free.pop()
        try:
            result = slot.run(mutant, timeout, firstFiles.get(mutant.id))
        finally:
            with lock:
                free.append(slot)
        with lock:
            done.append(result)
            print("[%d/%d] %s: %s %s (%.0f s)" % (len(done), len(mutants), mutant.id,
                  result["status"], result["killedBy"], result["seconds"]), flush=True)
        return result

    with ThreadPoolExecutor(max_workers=len(slots)) as pool:
        byId = {r["id"]: r for r in pool.map(runOne, order)}
    for slot in slots:  # leave each build as the tree is
        if slot.dirty:
            slot.rebuild()
    results = [byId[m.id] for m in mutants]

    print("\n" + table(results))
    killed = sum(r["status"] == "killed" for r in results)
    survived = [r["id"] for r in results if r["status"] == "survived"]
    broken = [r["id"] for r in results if r["status"] == "build failed"]
    elapsed = time.monotonic() - started
    print("\nkilled %d of %d; survived %d%s%s" % (
        killed, len(results), len(survived), (": " + ", ".join(survived)) if survived else "",
        ("; build failed: " + ", ".join(broken)) if broken else ""))
    print("total %.0f s (baseline %.0f s, %.0f s per mutant)" % (
        elapsed, baseline, sum(r["seconds"] for r in results) / max(1, len(results))))
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump(dict(results=results, seconds=round(elapsed), baseline=round(baseline)),
                      f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
