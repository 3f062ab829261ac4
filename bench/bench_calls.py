"""Calls into Maya per tool action: for each public operation a tool uses at rig
scale, how many API 1.0 methods and constructors and maya.cmds commands it
calls, per operation and per item, and how long it takes; beside it, where
there is one, the same operation written as plain Python over the same
stand-in scene (the steps the module must take, done plainly).

Inside Maya time is calls into Maya, so the call counts are the figures that
carry over from the stand-in; the times are the stand-in's.

    PYTHONPATH=standin python bench/bench_calls.py [--scale N] [--only TEXT]
        [--json FILE] [--before FILE]
"""
import argparse
import json
import math
import os
import statistics
import sys
import time

import maya
from maya import _scene, cmds
from bench_node import PyNode
from Zentrik._api.__hybrid__ import rigkit0
from Zentrik._api.__hybrid__._core import (
    CORE, AnimCurve, MDGContext, MDistance, MFn, MFnAnimCurve, MFnDependencyNode,
    MObjectHandle, MPlug, MSelectionList, MTime, coreProperty)

MAYA_DIR = os.path.dirname(os.path.abspath(maya.__file__)) + os.sep
# The one place where the stand-in hands control to foreign code (callbacks):
# a call from there into maya comes from a callback, so it counts.
HANDOFF = type(_scene.SCENE).fire.__code__
RUNS = 25
BUDGET = 0.5  # seconds of timed runs per operation and side; at least one run
KEYS = 100  # keys per rotation curve for the Euler filter
CHANNELS = ("tx", "ty", "tz", "rx", "ry", "rz")


class CallCounter(object):
    """Counts calls into the stand-in's maya package made from outside it.

    A 'call' event of code inside maya counts when the calling frame is not
    inside maya: calls from the module (C++) arrive with the caller being the
    Python frame that called the module, so they count; the stand-in's own
    calls to itself do not."""

    def __init__(self):
        self.count = 0
        self.inside = {}

    def isMaya(self, code):
        inside = self.inside.get(code)
        if inside is None:
            inside = self.inside[code] = os.path.abspath(code.co_filename).startswith(MAYA_DIR)
        return inside

    @staticmethod
    def isEntry(code):
        """Maya's own names: not the stand-in's private helpers, nor lambdas
        (a weakref callback the stand-in keeps its views with)."""
        name = code.co_name
        return name.startswith("__") or not name.startswith(("_", "<"))

    def profile(self, frame, event, arg):
        if event == "call" and self.isMaya(frame.f_code) and self.isEntry(frame.f_code):
            caller = frame.f_back
            if caller is None or caller.f_code is HANDOFF or not self.isMaya(caller.f_code):
                self.count += 1

    def __enter__(self):
        sys.setprofile(self.profile)
        return self

    def __exit__(self, *exc):
        sys.setprofile(None)


def checkCounter():
    """Three calls, the last made from C (map), count three; the stand-in's
    calls beneath them do not."""
    with CallCounter() as counter:
        selection = MSelectionList()
        selection.add("ctrl0")
        list(map(MSelectionList.length, [selection]))
    assert counter.count == 3, counter.count


# --- the rig --------------------------------------------------------------------------

def rotationAt(n):
    """Rotation key n in degrees: steady through y = 90, the other Euler triple
    of the same orientation past it, as a constraint bake leaves keys."""
    x, y, z = 20.0 + 0.8 * n, 40.0 + 1.0 * n, -10.0 + 0.6 * n
    if y > 90.0:
        x, y, z = x + 180.0, 180.0 - y, z + 180.0
    return x, y, z


def buildRig(scale):
    """100 x scale controls ctrl0.. under "rig" in a tree three wide, keyed,
    with user attributes; left/right pairs L_ctrlN/R_ctrlN; a layer "layerA"
    holding half the controls' translateX. Returns what the operations use."""
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    count = 100 * scale
    cmds.group(empty=True, name="rig")
    names = []
    for n in range(count):
        parent = "rig" if n == 0 else "ctrl%d" % ((n - 1) // 3)
        name = cmds.createNode("transform", name="ctrl%d" % n, parent=parent)
        for attr in ("ikFk", "twist", "space", "fingers"):
            cmds.addAttr(name, longName=attr, attributeType="double",
                         keyable=attr in ("ikFk", "twist"))
        for attr in ("space", "fingers"):
            cmds.setAttr(name + "." + attr, channelBox=True)
        cmds.setAttr(name + ".twist", lock=True)
        for frame in (1, 10, 20):
            cmds.setKeyframe(name + ".tx", time=(frame,), value=0.1 * frame)
            cmds.setKeyframe(name + ".ty", time=(frame,), value=0.2 * n)
        names.append(name)
    # One command keys a control's rotation at every frame; the values are
    # written before each Euler filter run (keying key by key costs the
    # stand-in more than the rest of the bench).
    rotated = names[:int(math.ceil(count / 3.0))]
    for name in rotated:
        cmds.setKeyframe([name + ".rotate" + a for a in "XYZ"], time=list(range(1, KEYS + 1)))
    curves = [cmds.listConnections(name + ".rotate" + a, source=True)[0]
              for name in rotated for a in "XYZ"]
    for n in range(count // 4):
        for side in "LR":
            cmds.createNode("transform", name="%s_ctrl%d" % (side, n), parent="rig")
        cmds.setAttr("L_ctrl%d.translate" % n, 1.0, 2.0, 3.0)
        cmds.setAttr("L_ctrl%d.rotate" % n, 10.0, 20.0, 30.0)
    for channel in ("translateX", "rotateY", "rotateZ"):
        CORE.mirrorStoreB.entries[channel] = -1
    layer = cmds.animLayer("layerA")
    cmds.animLayer(layer, edit=True, attribute=[n + ".tx" for n in names[:count // 2]])
    mirrored = ["%s_ctrl%d" % (side, n) for n in range(count // 4) for side in "LR"]
    return dict(names=names, curves=curves, mirrored=mirrored, layer=layer)


# --- plain Python: the steps the module must take, done plainly -------------------

class PlainNode(PyNode):
    """exists() as one lookup that refuses a name several nodes share, and a
    handle on the object."""

    @coreProperty
    def objectHandle(self):
        return MObjectHandle(self.nodeMObject)

    def exists(self):
        try:
            obj = self.nodeMObject
        except Exception:
            return False
        if obj is None:
            return False
        try:
            return self.objectHandle.isValid() and self.objectHandle.isAlive()
        except ValueError:
            return False


COMPOUND = (MFn.kAttribute3Double, MFn.kAttribute3Float, MFn.kCompoundAttribute)
LINEAR = (MFn.kDoubleLinearAttribute, MFn.kFloatLinearAttribute)


class PlainAnimAttr(rigkit0.AnimAttr):
    """The module's steps written plainly: the node found by name (a name
    several nodes share refused), the attribute found on it by name, the plug
    made of both; a linear value read in a new default context, or written
    directly (any other kind as the module does)."""

    def plugFromPath(self, plugName):
        nodeName, attrName = plugName.split(".", 1)
        node = PlainNode(nodeName)
        if node.nodeMObject is None:
            raise ValueError("More than one object matches name: %s" % nodeName)
        return MPlug(node.nodeMObject, node.fnDependencyNode.attribute(attrName))

    def getValue(self, context=None):
        apiType = self.apiType
        if apiType not in COMPOUND and apiType in LINEAR:
            return self.plug.asMDistance(context or MDGContext()).asCentimeters()
        return rigkit0.AnimAttr.getValue(self, context)

    def setValue(self, value, modifier=None):
        if modifier is None and self.apiType in LINEAR and math.isfinite(value):
            self.plug.setMDistance(MDistance(value))
            return True
        return rigkit0.AnimAttr.setValue(self, value, modifier)


class PlainChannelBox(rigkit0.ChannelBox):
    """channelBoxAttrs as the plain walk of every attribute index."""

    @coreProperty
    def channelBoxAttrs(self):
        result = list(self.animatableAttrs)
        hideOrder = "nonExposedRotationOrder" in CORE.optionSet.activeOptions
        for name in self.nodes:
            obj = PlainNode(name).nodeMObject
            if obj is None:
                continue
            fn = MFnDependencyNode(obj)
            for index in range(fn.attributeCount()):
                plug = fn.findPlug(fn.attribute(index))
                if plug.isKeyable():
                    continue
                if plug.isChannelBoxFlagSet() and not plug.isArray() and not plug.isLocked():
                    result.append(rigkit0.AnimAttr(plug))
                elif (plug.partialName() == "ro" and not hideOrder
                      and plug.isFreeToChange() == MPlug.kFreeToChange):
                    result.append(rigkit0.AnimAttr(plug))
        return result


# --- the operations -----------------------------------------------------------------
# Each answers (items, prepare): prepare(cls) readies the scene and answers the
# action, done with cls (the module's class or the plain one) where it has one.

def plugNames(attrs):
    """The plug names, in an order both sides share (nodes are walked as a set)."""
    return sorted(a.plugName for a in attrs)


def nodeExists(rig):
    names = rig["names"]
    return len(names), lambda cls: lambda: [cls(n).exists() for n in names]


def attrValue(rig):
    paths = [n + ".translateX" for n in rig["names"]]
    return len(paths), lambda cls: lambda: [cls(plugName=p).value for p in paths]


def attrSetValue(rig):
    paths = [n + ".translateX" for n in rig["names"]]
    return len(paths), lambda cls: lambda: [cls(plugName=p).setValue(1.5) for p in paths]


def channelBoxAttrs(rig):
    names = rig["names"]
    cmds.select(names)
    return len(names), lambda cls: lambda: cls(names).channelBoxAttrs


def animatableAttrs(rig):
    cmds.select(rig["names"])
    return len(rig["names"]), lambda cls: lambda: rigkit0.ChannelBox().animatableAttrs


def eulerFilter(rig):
    curves = rig["curves"]
    CORE.toolOptions["smartEulerFilter"] = True

    def prepare(cls):
        """The keys as built again, then the curves as the tool's target."""
        for name in curves:
            axis = "XYZ".index(name[-1])
            fn = MFnAnimCurve(PlainNode(name).nodeMObject)
            for n in range(KEYS):
                fn.setValue(n, math.radians(rotationAt(n)[axis]))
        CORE.curveTarget.curveNames = curves
        CORE.curveTarget.targetTime = (1, KEYS)
        return lambda: rigkit0.AnimTools().applySmartEulerFilterToFrames([1, KEYS], "bench")
    return len(curves), prepare


def keyKinds(rig):
    """Three frames of the range: each query reads every key of every curve."""
    times = list(range(1, KEYS + 1))
    frames = times[:3]

    def prepare(cls):
        CORE.curveTarget.curveNames = rig["curves"][:100]
        CORE.curveTarget.targetTime = (1, KEYS)
        tools = rigkit0.AnimTools()
        return lambda: [tools.keyKindAt(f, times) for f in frames]
    return len(frames), prepare


def setKeyKinds(rig):
    """Breakdown, then special, then plain on every key of 100 curves."""
    curves = rig["curves"][:100]
    kinds = iter([AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT] * 10 ** 6)

    def prepare(cls):
        CORE.curveTarget.curveNames = curves
        CORE.curveTarget.targetTime = (1, KEYS)
        tools, kind = rigkit0.AnimTools(), next(kinds)
        return lambda: tools.setKeyKind(kind, (1, KEYS))
    return len(curves), prepare


def mirrorPose(rig):
    now = MTime(1, MTime.uiUnit())
    count = len(rig["mirrored"]) * len(CHANNELS)

    def mirror():
        attrs = [rigkit0.AnimAttr(rigkit0.Node(name).getPlug(channel))
                 for name in rig["mirrored"] for channel in CHANNELS]
        values = [attr.getMirrorValueAt(now) for attr in attrs]
        for attr, value in zip(attrs, values):
            attr.setValue(value)
    return count, lambda cls: mirror


FRAMES = iter(range(1000, 10 ** 9))


def smartKey(rig):
    names = rig["names"][:len(rig["names"]) // 2]

    def prepare(cls):
        frame, layer = next(FRAMES), rigkit0.AnimLayer(rig["layer"])
        return lambda: [rigkit0.AnimAttr(plugName=n + ".tx").setSmartKey(
            frame, keyKind=AnimCurve.KEY_BREAKDOWN, animLayer=layer) for n in names]
    return len(names), prepare


# (label, operation, the module's class [and the plain one], the answers' form
# that both sides must give alike; None: as they are)
OPERATIONS = [
    ("Node(name).exists()", nodeExists, (rigkit0.Node, PlainNode), None),
    ("AnimAttr(plugName).value", attrValue, (rigkit0.AnimAttr, PlainAnimAttr), None),
    ("AnimAttr(plugName).setValue(v)", attrSetValue, (rigkit0.AnimAttr, PlainAnimAttr), None),
    ("ChannelBox(names).channelBoxAttrs, per node", channelBoxAttrs,
     (rigkit0.ChannelBox, PlainChannelBox), plugNames),
    ("ChannelBox().animatableAttrs, per node", animatableAttrs, (rigkit0.ChannelBox,), None),
    ("Smart Euler Filter, per curve of %d keys" % KEYS, eulerFilter, (rigkit0.AnimTools,), None),
    ("keyKindAt, per frame, 100 curves of %d keys" % KEYS, keyKinds, (rigkit0.AnimTools,), None),
    ("setKeyKind with the modifier, per curve of %d keys" % KEYS, setKeyKinds,
     (rigkit0.AnimTools,), None),
    ("mirror a pose, per channel", mirrorPose, (rigkit0.AnimAttr,), None),
    ("setSmartKey on a layer, per channel", smartKey, (rigkit0.AnimAttr,), None),
]


def measure(prepare, classes):
    """Per class (the module's, then the plain one): the calls of one run,
    the median seconds of up to RUNS runs within BUDGET, the answer. Each run
    is prepared afresh and timed alone; the classes take turns, so that a busy
    moment of the machine falls on both."""
    calls, answers = [], []
    for cls in classes:
        action = prepare(cls)
        with CallCounter() as counter:
            answers.append(action())
        calls.append(counter.count)
    seconds = [[] for _ in classes]
    while len(seconds[0]) < RUNS and sum(seconds[0]) < BUDGET:
        for cls, spent in zip(classes, seconds):
            action = prepare(cls)
            start = time.perf_counter()
            action()
            spent.append(time.perf_counter() - start)
    return calls, [statistics.median(spent) for spent in seconds], answers


def run(rig, only):
    figures = {}
    for label, operation, classes, same in OPERATIONS:
        if only and only not in label:
            continue
        items, prepare = operation(rig)
        calls, seconds, answers = measure(prepare, classes)
        entry = dict(items=items, calls=calls[0], us=seconds[0] / items * 1e6)
        if len(classes) > 1:
            same = same or (lambda answer: answer)
            assert same(answers[0]) == same(answers[1]), label
            entry.update(plainCalls=calls[1], plainUs=seconds[1] / items * 1e6)
        figures[label] = entry
        if CORE.traceKit.errors:
            raise SystemExit("%s reported: %s" % (label, CORE.traceKit.errors))
    return figures


def cell(value, form):
    return "-" if value is None else form % value


def printTable(figures, before):
    head = ("operation", "items", "calls", "calls/item", "plain calls", "us/item",
            "us/item plain", "ratio")
    form = "%-46s %6s %9s %10s %11s %9s %13s %6s"
    if before:
        head += ("calls/item before", "us/item before")
        form += " %17s %14s"
    print(form % head)
    for label, f in figures.items():
        plainUs = f.get("plainUs")
        row = (label, f["items"], f["calls"], cell(f["calls"] / float(f["items"]), "%.1f"),
               cell(f.get("plainCalls"), "%d"), "%.1f" % f["us"], cell(plainUs, "%.1f"),
               cell(plainUs and f["us"] / plainUs, "%.2f"))
        if before:
            old = before.get(label)
            row += (cell(old and old["calls"] / float(old["items"]), "%.1f"),
                    cell(old and old["us"], "%.1f"))
        print(form % row)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scale", type=int, default=1, help="multiply the rig by N")
    parser.add_argument("--only", help="run the operations whose label holds this text")
    parser.add_argument("--json", help="save the figures to this file")
    parser.add_argument("--before", help="show the figures saved in this file beside")
    arguments = parser.parse_args()
    before = None
    if arguments.before:
        with open(arguments.before) as saved:
            before = json.load(saved)
    print("CPython %d.%d.%d, rig of %d controls" % (sys.version_info[:3] + (100 * arguments.scale,)))
    rig = buildRig(arguments.scale)
    checkCounter()
    figures = run(rig, arguments.only)
    printTable(figures, before)
    if arguments.json:
        with open(arguments.json, "w") as out:
            json.dump(figures, out, indent=1)


if __name__ == "__main__":
    main()
