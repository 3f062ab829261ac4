"""Mirroring and smart keys in rigkit0 against the same logic in pure Python.

Each pure-Python class below derives from rigkit0's own and replaces only the
members under measure, written as the module's logic reads, so both sides
share everything beneath (reading a value, finding a plug) and differ only in
the code measured. Prints microseconds per channel and the ratio
(C++ / Python) for a rig and for one ten times its size: per-channel figures
that stay flat show linear growth.

    PYTHONPATH=standin python bench/bench_mirror.py
"""
import math
import sys
import time
from functools import partial

from maya import cmds
from Zentrik._api.__hybrid__ import rigkit0
from Zentrik._api.__hybrid__._core import (
    CORE, MAnimMessage, MFn, MFnDependencyNode, MFnNumericAttribute, MFnNumericData, MTime,
    AnimCurve, MirrorNode, MirrorStore, coreProperty, mirrorService)

CHANNELS = ("tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz")


class PyMirrorAttr(rigkit0.AnimAttr):
    """mirrorAttr, getMirrorValueAt and what they read, in Python."""

    @coreProperty
    def mirrorNodeInfo(self):
        node = self.node
        if node is None:
            return None
        key = node.nodeName
        cached = self.mirrorNodeCache.get(key)
        if cached is None or not cached.node.exists() or node.nodeMObject is None \
                or cached.node.nodeMObject != node.nodeMObject:
            self.mirrorNodeCache[key] = MirrorNode(node)
        return self.mirrorNodeCache[key]

    @coreProperty
    def isScale(self):
        return self.attrName in "scaleX scaleY scaleZ sx sy sz".split()

    @coreProperty
    def isMirrorable(self):
        try:
            apiType = self.apiType
            if apiType in (MFn.kTypedAttribute, MFn.kMatrixAttribute, MFn.kEnumAttribute):
                return False
            if apiType == MFn.kNumericAttribute and MFnNumericAttribute(
                    self.plug.attribute()).unitType() in (MFnNumericData.kBoolean,):
                return False
        except Exception as e:
            CORE.traceKit.reportError(
                "Zentrik - Could not determine mirrorable attribute %s, %s, %s, %s"
                % (str(e), self.plugName, self.apiType, self.plug.attribute().apiTypeStr()))
            return False
        return not self.isScale

    @coreProperty
    def mirrorFromAnimAttr(self):
        mirrorNode = mirrorService.getMirrorFromNode(self.node)
        if mirrorNode is None or not cmds.objExists(mirrorNode.nodeName):
            return None
        partner = rigkit0.AnimAttr(plugName="%s.%s" % (mirrorNode.fullName(), self.attrName))
        return partner if getattr(partner, "plug", None) is not None else None

    @coreProperty
    def mirrorMultiplier(self):
        if not self.isMirrorable:
            return 1
        attr = self.mirrorFromAnimAttr or self
        value = MirrorStore(container=CORE.mirrorStoreB).lookup(attr)
        if value is not None:
            return value
        value = MirrorStore(container=CORE.mirrorStoreC, lookupFlag=True).lookup(attr)
        if value is not None:
            return value
        return 1

    @coreProperty
    def mirrorAttr(self):
        info = self.mirrorNodeInfo
        if info is None or not info.node.exists():
            return None
        side = info.side
        target = info if side is MirrorNode.kCenter else info.partner
        name = MirrorStore(container=CORE.mirrorStoreA).lookup(self)
        if name is not None:
            plug = target.node.getPlug(name)
            if plug is not None:
                return PyMirrorAttr(plug)
        if side is MirrorNode.kCenter:
            otherName = MirrorNode.splitSideName(self.attrName)[0]
            if otherName is not None:
                plug = target.node.getPlug(otherName)
                if plug is not None:
                    return PyMirrorAttr(plug)
        plug = target.node.getPlug(self.attrName)
        return None if plug is None else PyMirrorAttr(plug)

    def getMirrorValueAt(self, time):
        mirror = self.mirrorAttr
        if mirror is None:
            return None
        v = mirror.valueAtTime(time)
        multiplier = self.mirrorMultiplier
        if v is None or multiplier is None:
            return None
        return scaled(v, multiplier)


def scaled(value, multiplier):
    if isinstance(value, (list, tuple)):
        return type(value)(scaled(v, multiplier) for v in value)
    return value * multiplier


class PySmartKeyAttr(rigkit0.AnimAttr):
    """setSmartKey and its callback, in Python."""

    def setSmartKey(self, frame=None, keyKind=None, actionId=None, animLayer=None):
        if isinstance(frame, (int, float)) and not math.isfinite(frame):
            CORE.traceKit.reportError("Zentrik - Could not set smart key %s at frame %s: not a "
                                      "finite number" % (self.plugName, frame))
            return None
        before = getattr(self, "lastKeyedCurve", None)
        CORE.hookKit.addCallback(MAnimMessage.addAnimCurveEditedCallback,
                                 [partial(type(self).onCurveEdited, self)],
                                 "animAttr_setSmartKey", callbackFlag=False)
        try:
            if animLayer is None:
                cmds.setKeyframe(self.plugName, time=(frame,), shape=False)
            else:
                cmds.setKeyframe(self.plugName, time=(frame,), shape=False,
                                 animLayer=animLayer.name)
        except ValueError:
            if getattr(self, "lastKeyedCurve", None) is before:
                CORE.hookKit.removeCallback("animAttr_setSmartKey")
            return None
        curve = getattr(self, "lastKeyedCurve", None)
        if curve is before:
            CORE.hookKit.removeCallback("animAttr_setSmartKey")
            return None
        if keyKind is not None and curve is not None:
            for keyed in getattr(self, "lastKeyedCurves", [curve]):
                index = keyed.keyTimes.index(frame)
                keyed.setKeyKindAt(index=index, keyKind=keyKind, actionId=actionId)
        return curve

    def onCurveEdited(self, editedCurves, *args):
        CORE.hookKit.removeCallback("animAttr_setSmartKey")
        curves = [AnimCurve(MFnDependencyNode(editedCurves[i]).name())
                  for i in range(editedCurves.length())]
        self.lastKeyedCurve = curves[0]
        self.lastKeyedCurves = curves


def mirrorRig(controls):
    """`controls` left/right controls under "rig", the mirror stores filled."""
    cmds.file(new=True, force=True)
    cmds.group(empty=True, name="rig")
    for i in range(controls // 2):
        for side in "LR":
            cmds.createNode("transform", name="%s_ctrl%d" % (side, i), parent="rig")
    for channel in ("translateX", "rotateY", "rotateZ"):
        CORE.mirrorStoreB.entries[channel] = -1
    return [("%s_ctrl%d" % (side, i), c)
            for i in range(controls // 2) for side in "LR" for c in CHANNELS]


def mirrorPass(cls, channels, time):
    start = time_now()
    nodes = {}
    for nodeName, channel in channels:
        node = nodes.get(nodeName) or nodes.setdefault(nodeName, rigkit0.Node(nodeName))
        attr = cls(node.getPlug(channel))
        attr.mirrorAttr
        attr.getMirrorValueAt(time)
    return time_now() - start


def smartKeyRig(channels):
    cmds.file(new=True, force=True)
    layer = rigkit0.AnimLayer.create("layerA")
    names = []
    for i in range(channels):
        name = cmds.createNode("transform", name="node%d" % i)
        layer.addAttribute(name + ".tx")
        names.append(name)
    return layer, names


FRAMES = iter(range(10, 10 ** 9))


def smartKeyPass(cls, setup):
    """A new frame per pass, so that every pass adds keys and none replaces one."""
    layer, names = setup
    frame = next(FRAMES)
    start = time_now()
    for name in names:
        cls(rigkit0.Node(name).getPlug("tx")).setSmartKey(
            frame, keyKind=AnimCurve.KEY_BREAKDOWN, animLayer=layer)
    return time_now() - start


time_now = time.perf_counter


def compare(measure, classes, count, repeat):
    """Microseconds per channel for each class; passes alternate so that a busy
    moment of the machine falls on both, and the best pass of each counts."""
    best = [float("inf")] * len(classes)
    for r in range(repeat):
        for i, cls in enumerate(classes):
            best[i] = min(best[i], measure(cls, r))
    return [b / count * 1e6 for b in best]


def report(label, cpp, python):
    print("%-44s rigkit0 %8.2f us   python %8.2f us   ratio %.3f"
          % (label, cpp, python, cpp / python))


def main():
    print("CPython %d.%d.%d" % sys.version_info[:3])
    frame = MTime(10, MTime.uiUnit())
    for controls in (100, 1000):
        channels = mirrorRig(controls)
        a = PyMirrorAttr(rigkit0.Node("L_ctrl0").getPlug("tx"))
        b = rigkit0.AnimAttr(rigkit0.Node("L_ctrl0").getPlug("tx"))
        assert a.mirrorAttr.plugName == b.mirrorAttr.plugName == "|rig|R_ctrl0.translateX"
        cpp, python = compare(lambda cls, r: mirrorPass(cls, channels, frame),
                              (rigkit0.AnimAttr, PyMirrorAttr), len(channels), 5)
        report("mirrorAttr + getMirrorValueAt, %d controls" % controls, cpp, python)
    if not hasattr(cmds, "animLayer"):
        return
    for count in (100, 1000):
        setup = smartKeyRig(count)
        cpp, python = compare(lambda cls, r: smartKeyPass(cls, setup),
                              (rigkit0.AnimAttr, PySmartKeyAttr), count, 6)
        report("setSmartKey in a layer, %d channels" % count, cpp, python)


if __name__ == "__main__":
    main()
