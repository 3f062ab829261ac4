"""The tools' own logic in rigkit0 against the same logic in pure Python.

- alignRotationKeys: pairing rotation curves into trios and walking their
  common key times, over light curve objects (no scene), with a rotation
  filter that returns its input, so that the figures are the pairing and
  the walk, not the filter;
- setKeyKindOnFrames: grouping frames into runs, with a key command that
  only counts its calls;
- ChannelBox activeAttrs + nonAnimatedAttrs over keyed nodes in the scene.

Each is measured at a size and at ten times that size: per-item figures that
stay flat show linear growth. Prints microseconds and the ratio
(C++ / Python).

    PYTHONPATH=standin python bench/bench_tools.py
"""
import sys
import time
from types import SimpleNamespace

from maya import cmds
from Zentrik._api.__hybrid__ import rigkit0
from Zentrik._api.__hybrid__._core import CORE, AnimCurve, CurveTarget, TargetSelection, asList

FAST_MATH = SimpleNamespace(filterAngle=lambda previous, current: current,
                            filterRotation=lambda previous, current, order: current)


class LightCurve(object):
    """What the pre-pass reads of a rotation curve, without a scene."""

    isRotation = True

    def __init__(self, node, axis, keys):
        self.nodeName = node
        self.animLayer = None
        self.attrName = "rotate" + axis
        self.parentAttribute = "rotate"
        self.keyTimes = [float(t) for t in range(keys)]
        self.keyValues = [0.1 * t for t in range(keys)]
        self.node = SimpleNamespace(getAttr=lambda name: 0)

    def setProperty(self, name, value):
        self.written = value


class PyTools(rigkit0.AnimTools):
    """alignRotationKeys and setKeyKindOnFrames, written as Python would."""

    def alignRotationKeys(self, startFrame=None):
        curves = [c for c in self.animCurves if c.isRotation]
        if not curves:
            return None
        singles, trios, info = [], [], {}
        for curve in curves:
            if curve.parentAttribute is None:
                singles.append(curve)
                continue
            layers = info.setdefault(curve.nodeName, {})
            layers.setdefault(curve.animLayer, {})[curve.attrName] = curve
        for layers in info.values():
            for attrs in layers.values():
                record = SimpleNamespace(x=None, y=None, z=None)
                for attrName, curve in attrs.items():
                    if len(attrs) != 3:
                        singles.append(curve)
                    elif "X" in attrName:
                        record.x = curve
                    elif "Y" in attrName:
                        record.y = curve
                    elif "Z" in attrName:
                        record.z = curve
                if None not in (record.x, record.y, record.z):
                    trios.append((record.x, record.y, record.z))
        math = rigkit0.rotationMath
        for curve in singles:
            original = list(curve.keyValues)
            working = list(original)
            times = curve.keyTimes
            for i in range(1, len(working)):
                if startFrame is not None and startFrame >= times[i]:
                    continue
                working[i] = math.filterAngle(working[i - 1], original[i])
            curve.setProperty("newKeyValues", working)
        for x, y, z in trios:
            original = [list(c.keyValues) for c in (x, y, z)]
            working = [list(v) for v in original]
            index = []
            for c in (x, y, z):
                first = {}
                for n, t in enumerate(c.keyTimes):
                    first.setdefault(t, n)
                index.append(first)
            order = None
            for t in x.keyTimes:
                if t not in index[1] or t not in index[2]:
                    continue
                at = [index[0][t], index[1][t], index[2][t]]
                if 0 in at or (startFrame is not None and startFrame > t):
                    continue
                previous = tuple(working[c][at[c] - 1] for c in range(3))
                current = tuple(original[c][at[c]] for c in range(3))
                if order is None:
                    order = x.node.getAttr("ro")
                result = math.filterRotation(previous, current, order)
                for c in range(3):
                    working[c][at[c]] = result[c]
            for c, curve in enumerate((x, y, z)):
                curve.setProperty("newKeyValues", working[c])

    def setKeyKindOnFrames(self, keyTarget, keyKind, frameList=None):
        if not keyKind:
            keyKind = AnimCurve.KEY_DEFAULT
        frameList = asList(frameList)
        if not frameList:
            frameList = CurveTarget().targetTime
        runs = [[]]
        for n, frame in enumerate(frameList or []):
            if n > 0 and frame - frameList[n - 1] > 1:
                runs.append([])
            runs[-1].append(frame)
        if not runs[0]:
            return None
        TargetSelection.selectTargets()
        for run in runs:
            pair = (run[0], run[-1])
            rigkit0.cmds.keyframe(keyTarget, edit=True, time=pair,
                                  breakdown=keyKind == AnimCurve.KEY_BREAKDOWN)
            rigkit0.cmds.keyframe(keyTarget, edit=True, time=pair,
                                  tickDrawSpecial=keyKind == AnimCurve.KEY_SPECIAL)


class PyChannelBox(rigkit0.ChannelBox):
    """nonAnimatedAttrs as the plain list search reads."""

    @rigkit0.coreProperty
    def nonAnimatedAttrs(self):
        animated = self.animatedPlugs
        names = [animated[i].name() for i in range(animated.length())]
        return [attr for attr in self.activeAttrs if attr.plug.name() not in names]


class CountingCommands(object):
    """cmds with a keyframe command that only counts."""

    def __init__(self):
        self.count = 0

    def keyframe(self, *args, **kwargs):
        self.count += 1

    def __getattr__(self, name):
        return getattr(cmds, name)


def best(measure, repeat):
    return min(measure() for _ in range(repeat))


def timed(function):
    start = time.perf_counter()
    function()
    return time.perf_counter() - start


def report(label, cpp, python, count):
    print("%-46s rigkit0 %9.2f us   python %9.2f us   ratio %.3f"
          % (label, cpp / count * 1e6, python / count * 1e6, cpp / python))


def benchAlign(trios, keys):
    curves = [LightCurve("node%d" % n, axis, keys) for n in range(trios) for axis in "XYZ"]
    figures = []
    for cls in (rigkit0.AnimTools, PyTools):
        tools = cls()
        tools.setAnimCurves(curves)
        figures.append(best(lambda: timed(lambda: tools.alignRotationKeys()), 3))
    report("alignRotationKeys, %d trios x %d keys" % (trios, keys), figures[0], figures[1],
           trios * keys)


def benchKeyKinds(frames):
    frameList = [f + f // 3 for f in range(frames)]  # runs of three, gaps between
    figures = []
    for cls in (rigkit0.KeyQueries, PyTools):
        tool = cls()
        figures.append(best(lambda: timed(
            lambda: tool.setKeyKindOnFrames("curve", AnimCurve.KEY_BREAKDOWN, frameList)), 5))
    report("setKeyKindOnFrames, %d frames" % frames, figures[0], figures[1], frames)


def benchChannelBox(nodes):
    cmds.file(new=True, force=True)
    names = []
    for n in range(nodes):
        name = cmds.createNode("transform", name="node%d" % n)
        cmds.setKeyframe(name + ".tx", time=(1,), value=1.0)
        names.append(name)
    figures = []
    for cls in (rigkit0.ChannelBox, PyChannelBox):
        def run():
            box = cls(names)
            box.activeAttrs
            box.nonAnimatedAttrs
        figures.append(best(lambda: timed(run), 7))
    report("ChannelBox active + nonAnimated, %d nodes" % nodes, figures[0], figures[1], nodes)


def main():
    print("CPython %d.%d.%d" % sys.version_info[:3])
    counting = CountingCommands()
    saved = rigkit0.__dict__["rotationMath"], rigkit0.__dict__["cmds"]
    rigkit0.__dict__["rotationMath"] = FAST_MATH
    try:
        benchAlign(100, 1000)
        benchAlign(100, 10000)
        rigkit0.__dict__["cmds"] = counting
        benchKeyKinds(10000)
        benchKeyKinds(100000)
    finally:
        rigkit0.__dict__["rotationMath"], rigkit0.__dict__["cmds"] = saved
    CORE.resetRecords()
    benchChannelBox(200)
    benchChannelBox(2000)


if __name__ == "__main__":
    main()
