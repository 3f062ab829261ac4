"""Node construction followed by the first reads of nodeMObject and fullName(),
in rigkit0 and in a pure-Python class written the same way over the same
stand-in scene. Prints microseconds per round and the ratio (C++ / Python);
the module should not be slower (ratio <= 1.0).

    PYTHONPATH=standin python bench/bench_node.py
"""
import sys
import time

from maya import cmds
from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__ import rigkit0

from Zentrik._api.__hybrid__._core import (  # noqa: E402  (the same shared names)
    CORE, CoreObject, MDagPath, MFn, MFnDependencyNode, MObject, MSelectionList, coreProperty)

pythonMajor = _core.pythonMajor


def severalNodes(selection):
    """Whether the items of `selection` are more than one node."""
    first = MObject()
    selection.getDependNode(0, first)
    for index in range(1, selection.length()):
        other = MObject()
        selection.getDependNode(index, other)
        if other != first:
            return True
    return False


class PyNode(CoreObject):
    def __init__(self, nodeName, searchShorterPaths=False):
        if pythonMajor >= 3 and isinstance(nodeName, bytes):
            nodeName = nodeName.decode("latin_1")
        if searchShorterPaths and not PyNode(nodeName).exists():
            components = nodeName.split("|")
            currentIndex = 1
            while True:
                partialName = "|".join(components[currentIndex:])
                if PyNode(partialName).exists():
                    nodeName = partialName
                    break
                if currentIndex + 1 >= len(components):
                    break
                currentIndex += 1
        self.nodeName = nodeName

    @coreProperty
    def nodeMObject(self):
        selection = MSelectionList()
        try:
            selection.add(self.nodeName.encode("utf-8"))
        except RuntimeError:
            try:
                selection.add(self.nodeName)
            except RuntimeError:
                try:
                    selection.add("|%s" % self.nodeName)
                except Exception as e:
                    CORE.traceKit.reportError(
                        "Zentrik - Error handling object %s - %s" % (self.nodeName, str(e)))
                    return None
        if selection.length() > 1 and severalNodes(selection):
            # A name several nodes share is a failed lookup, as in rigkit0.
            CORE.traceKit.reportError(
                "Zentrik - Error handling object %s - More than one object matches name: %s"
                % (self.nodeName, self.nodeName))
            return None
        obj = MObject()
        selection.getDependNode(0, obj)
        return obj

    @coreProperty
    def dagPath(self):
        path = MDagPath()
        MDagPath.getAPathTo(self.nodeMObject, path)
        return path

    @coreProperty
    def fnDependencyNode(self):
        return MFnDependencyNode(self.nodeMObject)

    def fullName(self):
        if self.nodeMObject.hasFn(MFn.kDagNode):
            return self.dagPath.fullPathName()
        if self.nodeMObject.hasFn(MFn.kDependencyNode):
            return self.fnDependencyNode.name()
        return self.nodeName


def round_trip(cls, names):
    """Seconds for one pass of construction and first reads over `names`."""
    start = time.perf_counter()
    for name in names:
        node = cls(name)
        node.nodeMObject
        node.fullName()
    return time.perf_counter() - start


def construct_only(cls, names):
    start = time.perf_counter()
    for name in names:
        cls(name)
    return time.perf_counter() - start


def compare(measure, names, repeat=25):
    """Microseconds per node for rigkit0 and Python; the two alternate, so
    that a busy moment of the machine falls on both, and the best pass of
    each counts."""
    best = {rigkit0.Node: float("inf"), PyNode: float("inf")}
    for _ in range(repeat):
        for cls in best:
            best[cls] = min(best[cls], measure(cls, names))
    return [best[cls] / len(names) * 1e6 for cls in (rigkit0.Node, PyNode)]


def main():
    cmds.file(new=True, force=True)
    cmds.group(empty=True, name="root")
    names = [cmds.createNode("transform", name="node%d" % i, parent="root") for i in range(200)]
    assert rigkit0.Node(names[0]).fullName() == PyNode(names[0]).fullName()
    print("CPython %d.%d.%d" % sys.version_info[:3])
    for label, measure in (("construct only", construct_only),
                           ("construct + nodeMObject + fullName()", round_trip)):
        cpp, python = compare(measure, names)
        print("%-40s rigkit0 %7.3f us   python %7.3f us   ratio %.3f"
              % (label, cpp, python, cpp / python))


if __name__ == "__main__":
    main()
