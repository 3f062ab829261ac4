"""worldMatricesAt and setSpecialKeys in rigkit0 against the same logic in pure
Python, each at a size and at ten times that size (per-item figures that stay
flat show linear growth). Prints microseconds per item and the ratio
(C++ / Python).

- worldMatricesAt: nodes x frames, two curves per node, so that each node is
  evaluated once per frame whichever curve asks; the frames are stepped;
- setSpecialKeys: every key of the target in one modifier.

    PYTHONPATH=standin python bench/bench_matrices.py
"""
import gc
import sys
import time

from maya import cmds
from Zentrik._api.__hybrid__ import rigkit0
from Zentrik._api.__hybrid__._core import CORE, AnimCurve, FrameStepper, coreModifierContext


class PyTools(rigkit0.AnimTools):
    """The two tools as Python would write them."""

    def worldMatricesAt(self, frames, animCurves=None):
        curves = animCurves or [c for c in self.animCurves
                                if c.isRotate or c.isTranslate or c.isScale]
        result, evaluated = {}, {}
        with FrameStepper() as stepper:
            for frame in frames:
                for curve in curves:
                    key = (curve.nodeName, frame)
                    if key not in evaluated:
                        evaluated[key] = rigkit0.Node(curve.nodeName).worldMatrixAtFrame(
                            frame, stepper)
                    result.setdefault(curve, {})[frame] = evaluated[key]
        return result

    def setSpecialKeys(self, isSpecial, frameRange=None):
        with coreModifierContext(False, True) as (_, modifier):
            for curve in self.animCurves:
                if frameRange is None:
                    indices = curve.targetKeyIndices
                else:
                    keyIndices = curve.keyIndices
                    indices = [keyIndices[n] for n, t in enumerate(curve.keyTimes)
                               if frameRange[0] <= t < frameRange[1]]
                curveFn = curve.curveFn
                for index in indices:
                    if bool(curveFn.isSpecialAt(index)) == bool(isSpecial):
                        continue
                    element = curveFn.tickDrawSpecialPlug.elementByLogicalIndex(index)
                    modifier.newPlugValueBool(element, isSpecial)


def timed(function):
    """Seconds for one call, with the cyclic collector off as timeit runs: a
    collection over the records the stand-in keeps would land on whichever
    side happened to cross the threshold."""
    gc.collect()
    gc.disable()
    try:
        start = time.perf_counter()
        function()
        return time.perf_counter() - start
    finally:
        gc.enable()


def report(label, cpp, python, count):
    print("%-44s rigkit0 %9.2f us   python %9.2f us   ratio %.3f"
          % (label, cpp / count * 1e6, python / count * 1e6, cpp / python))


def matrixScene(nodes):
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    curves = []
    for n in range(nodes):
        name = cmds.createNode("transform", name="node%d" % n)
        for attr in ("tx", "ry"):
            cmds.setKeyframe("%s.%s" % (name, attr), time=(1,), value=0.0)
            cmds.setKeyframe("%s.%s" % (name, attr), time=(100,), value=float(n))
            curves.append(AnimCurve(cmds.listConnections("%s.%s" % (name, attr),
                                                         source=True)[0]))
    return curves


def benchMatrices(nodes, frames):
    curves = matrixScene(nodes)
    frameList = list(range(2, 2 + frames))
    figures = []
    for cls in (rigkit0.AnimTools, PyTools):
        tools = cls()
        tools.setAnimCurves(curves)
        figures.append(min(timed(lambda: tools.worldMatricesAt(frameList)) for _ in range(2)))
    report("worldMatricesAt, %d nodes x %d frames" % (nodes, frames), figures[0], figures[1],
           nodes * frames)


def benchSpecialKeys(keys):
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    curves = []
    per = 1000
    for n in range(keys // per):
        name = cmds.createNode("transform", name="node%d" % n)
        for frame in range(per):
            cmds.setKeyframe(name + ".tx", time=(frame,), value=float(frame))
        curves.append(AnimCurve(cmds.listConnections(name + ".tx", source=True)[0]))
    figures = []
    for cls in (rigkit0.AnimTools, PyTools):
        CORE.resetRecords()  # drop the modifiers the other side kept
        tools = cls()
        tools.setAnimCurves(curves)
        tools.setSpecialKeys(False, (0, per))
        # Alternate the state so that every pass writes every key.
        figures.append(min(timed(lambda: tools.setSpecialKeys(state, (0, per)))
                           for state in (True, False, True)))
    report("setSpecialKeys, %d keys" % keys, figures[0], figures[1], keys)


def main():
    print("CPython %d.%d.%d" % sys.version_info[:3])
    benchMatrices(50, 100)
    benchMatrices(500, 100)
    benchSpecialKeys(10000)
    benchSpecialKeys(100000)


if __name__ == "__main__":
    main()
