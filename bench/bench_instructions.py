"""Instructions per item, module against plain Python, counted by valgrind's
callgrind: a measure the machine's load does not move, for the paths where
the module and the plain steps differ by a few per cent and a timer on a
shared machine cannot tell them apart.

Each operation runs in a child interpreter under callgrind twice, once with
no rounds and once with ROUNDS rounds over the same scene; the difference,
divided by the items, is what one item costs, start-up and scene building
cancelled out. Hash randomisation is off so that both runs lay out their
dictionaries alike. Needs valgrind (Debian: apt-get install valgrind); a run
takes a few minutes.

    PYTHONPATH=standin python bench/bench_instructions.py [--only TEXT]
"""
import argparse
import os
import re
import subprocess
import sys

ROUNDS = 5
NODES = 100


def operations():
    """(label, the module's class, the plain class, one round over the scene)."""
    import bench_calls
    from bench_node import PyNode
    from maya import cmds
    from Zentrik._api.__hybrid__ import rigkit0

    cmds.file(new=True, force=True)
    cmds.group(empty=True, name="root")
    names = [cmds.createNode("transform", name="node%d" % i, parent="root")
             for i in range(NODES)]
    paths = [n + ".translateX" for n in names]

    def roundTrip(cls):
        for name in names:
            node = cls(name)
            node.nodeMObject
            node.fullName()

    return [
        ("Node(name).exists()", rigkit0.Node, bench_calls.PlainNode,
         lambda cls: [cls(n).exists() for n in names]),
        ("Node(name), nodeMObject, fullName()", rigkit0.Node, PyNode, roundTrip),
        ("AnimAttr(plugName=...).value", rigkit0.AnimAttr, bench_calls.PlainAnimAttr,
         lambda cls: [cls(plugName=p).value for p in paths]),
        ("AnimAttr(plugName=...).setValue(v)", rigkit0.AnimAttr, bench_calls.PlainAnimAttr,
         lambda cls: [cls(plugName=p).setValue(1.5) for p in paths]),
    ]


def child(label, side, rounds):
    """In the child: one warm-up round, then `rounds` more."""
    for name, module, plain, once in operations():
        if name == label:
            cls = module if side == "module" else plain
            once(cls)
            for _ in range(rounds):
                once(cls)


def instructions(label, side, rounds):
    """Instructions callgrind counts for a child running `rounds` rounds."""
    env = dict(os.environ, PYTHONHASHSEED="0")
    command = ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + os.devnull,
               sys.executable, os.path.abspath(__file__), "--child", label, side, str(rounds)]
    run = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         universal_newlines=True, check=False)
    found = re.search(r"Collected : (\d+)", run.stderr)
    if run.returncode != 0 or not found:
        raise SystemExit("callgrind failed for %s (%s):\n%s" % (label, side, run.stderr[-2000:]))
    return int(found.group(1))


def perItem(label, side):
    return (instructions(label, side, ROUNDS) - instructions(label, side, 0)) / (ROUNDS * NODES)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--only", help="run the operations whose label holds this text")
    parser.add_argument("--child", nargs=3, help=argparse.SUPPRESS)
    arguments = parser.parse_args()
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    if arguments.child:
        label, side, rounds = arguments.child
        child(label, side, int(rounds))
        return
    print("CPython %d.%d.%d, instructions per item" % sys.version_info[:3])
    print("%-40s %10s %10s %7s" % ("operation", "module", "plain", "ratio"))
    for label, _, _, _ in operations():
        if arguments.only and arguments.only not in label:
            continue
        module, plain = perItem(label, "module"), perItem(label, "plain")
        print("%-40s %10.0f %10.0f %7.3f" % (label, module, plain, module / plain))


if __name__ == "__main__":
    main()
