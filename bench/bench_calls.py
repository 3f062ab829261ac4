"""Calls into Maya per tool action: for each public operation a tool uses at rig
scale, how many maya.cmds commands and API 1.0 methods and constructors it
calls, split into the module's own and those the suite's objects make for it,
per operation and per item, what those calls would cost in Maya by a cost
model, and how long the stand-in takes; beside it, where there is one, the
same operation written as plain Python over the same stand-in scene (the
steps the module must take, done plainly). Operations whose calls may grow
with the keys on the curves run on a rig keyed with 10 and with 100 keys.

Inside Maya time is calls into Maya, so the call counts are the figures that
carry over from the stand-in; the times are the stand-in's. The cost model
prices an API 1.0 call at API_US and a command at COMMAND_US microseconds:
an estimate of Maya, not a measurement.

    PYTHONPATH=standin python bench/bench_calls.py [--scale N] [--only TEXT]
        [--keys N [N ...]] [--json FILE] [--before FILE]
"""
import argparse
import json
import math
import os
import statistics
import sys
import time

import maya
from maya import _cmd_base, _scene, cmds
from bench_node import PyNode
from Zentrik._api.__hybrid__ import _core, rigkit0
from Zentrik._api.__hybrid__._core import (
    CORE, AnimCurve, MDGContext, MDistance, MFn, MFnAnimCurve, MFnDependencyNode,
    MObjectHandle, MPlug, MSelectionList, MTime, coreProperty)

MAYA_DIR = os.path.dirname(os.path.abspath(maya.__file__)) + os.sep
# The suite's core stand-in: a call into maya made from its code is one the
# suite's objects make (anim curves, layers, messages) for the module.
SUITE_DIR = os.path.dirname(os.path.abspath(_core.__file__)) + os.sep
# The suite's wrappers around the module's own members (a property computed
# once, a decorated method): a call into maya from them comes from the
# module's C++ beneath, so it is the module's.
TRAMPOLINES = (_core.coreProperty.__get__.__code__,
               _core.coreDecorator(lambda self: None).__code__)
# Every maya.cmds command runs through the one wrapper that logs it.
COMMAND_CODE = _cmd_base._command("bench", {})(lambda: None).__code__
# The cost model: microseconds per call in Maya (an estimate, not a measurement).
API_US = 2.0
COMMAND_US = 30.0
# The one place where the stand-in hands control to foreign code (callbacks):
# a call from there into maya comes from a callback, so it counts.
HANDOFF = type(_scene.SCENE).fire.__code__
RUNS = 25
BUDGET = 0.5  # seconds of timed runs per operation and side; at least one run
KEY_COUNTS = (10, 100)  # keys per curve of the keyed rigs
CHANNELS = ("tx", "ty", "tz", "rx", "ry", "rz")


class CallCounter(object):
    """Counts calls into the stand-in's maya package made from outside it, by
    kind (command or API) and by caller (the module, or the suite's objects).

    A 'call' event of code inside maya counts when the calling frame is not
    inside maya: calls from the module (C++) arrive with the caller being the
    Python frame that called the module, so they count; the stand-in's own
    calls to itself do not. A caller in the suite's core stand-in makes the
    call the suite's, unless it is one of the suite's wrappers of the
    module's members (TRAMPOLINES); any other caller (the bench's line that
    called the module, a callback) makes it the module's."""

    def __init__(self):
        self.counts = dict(((kind, caller), 0) for kind in ("command", "api")
                           for caller in ("module", "suite"))
        self.inside = {}
        self.suite = {}

    @property
    def count(self):
        return sum(self.counts.values())

    def isMaya(self, code):
        inside = self.inside.get(code)
        if inside is None:
            inside = self.inside[code] = os.path.abspath(code.co_filename).startswith(MAYA_DIR)
        return inside

    def isSuite(self, code):
        suite = self.suite.get(code)
        if suite is None:
            suite = self.suite[code] = os.path.abspath(code.co_filename).startswith(SUITE_DIR)
        return suite

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
                kind = "command" if frame.f_code is COMMAND_CODE else "api"
                suite = (caller is not None and caller.f_code not in TRAMPOLINES
                         and self.isSuite(caller.f_code))
                by = "suite" if suite else "module"
                self.counts[kind, by] += 1

    def __enter__(self):
        sys.setprofile(self.profile)
        return self

    def __exit__(self, *exc):
        sys.setprofile(None)


def modelUs(counts):
    """The cost model's microseconds for a set of counts."""
    return sum(n * (COMMAND_US if kind == "command" else API_US)
               for (kind, _), n in counts.items())


def checkCounter(curve):
    """Three calls, the last made from C (map), count three; the stand-in's
    calls beneath them do not. A command counts as one; what a suite's curve
    object reads counts as the suite's."""
    with CallCounter() as counter:
        selection = MSelectionList()
        selection.add("ctrl0")
        list(map(MSelectionList.length, [selection]))
    assert counter.count == 3, counter.count
    with CallCounter() as counter:
        cmds.ls("ctrl0")
    assert counter.counts["command", "module"] == 1 and counter.count == 1, counter.counts
    with CallCounter() as counter:
        AnimCurve(curve).keyTimes
    assert counter.count == counter.counts["api", "suite"] > 0, counter.counts


# --- the rig --------------------------------------------------------------------------

def rotationAt(n):
    """Rotation key n in degrees: steady through y = 90, the other Euler triple
    of the same orientation past it, as a constraint bake leaves keys."""
    x, y, z = 20.0 + 0.8 * n, 40.0 + 1.0 * n, -10.0 + 0.6 * n
    if y > 90.0:
        x, y, z = x + 180.0, 180.0 - y, z + 180.0
    return x, y, z


SMART_CHANNELS = ("tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz")


def buildRig(scale, keys):
    """100 x scale controls ctrl0.. under "rig" in a tree three wide, keyed,
    with user attributes; the first third's rotation keyed at frames 1 to
    `keys`; left/right pairs L_ctrlN/R_ctrlN; a layer "layerA" holding the
    nine transform channels of the second half of the controls, each keyed
    on the layer at frames 1 to `keys`. Returns what the operations use."""
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
        cmds.setKeyframe([name + ".rotate" + a for a in "XYZ"], time=list(range(1, keys + 1)))
    curves = [cmds.listConnections(name + ".rotate" + a, source=True)[0]
              for name in rotated for a in "XYZ"]
    for n in range(count // 4):
        for side in "LR":
            cmds.createNode("transform", name="%s_ctrl%d" % (side, n), parent="rig")
        cmds.setAttr("L_ctrl%d.translate" % n, 1.0, 2.0, 3.0)
        cmds.setAttr("L_ctrl%d.rotate" % n, 10.0, 20.0, 30.0)
    for channel in ("translateX", "rotateY", "rotateZ"):
        CORE.mirrorStoreB.entries[channel] = -1
    layered = names[count // 2:]
    layer = cmds.animLayer("layerA")
    cmds.animLayer(layer, edit=True, attribute=[n + "." + c for n in layered
                                                for c in SMART_CHANNELS])
    for name in layered:
        cmds.setKeyframe([name + "." + c for c in SMART_CHANNELS],
                         time=list(range(1, keys + 1)), animLayer=layer)
    mirrored = ["%s_ctrl%d" % (side, n) for n in range(count // 4) for side in "LR"]
    return dict(names=names, curves=curves, mirrored=mirrored, layer=layer, keys=keys,
                layered=layered)


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
    curves, keys = rig["curves"], rig["keys"]
    CORE.toolOptions["smartEulerFilter"] = True

    def prepare(cls):
        """The keys as built again, then the curves as the tool's target."""
        for name in curves:
            axis = "XYZ".index(name[-1])
            fn = MFnAnimCurve(PlainNode(name).nodeMObject)
            for n in range(keys):
                # The flip through y = 90 half way, whatever the key count.
                fn.setValue(n, math.radians(rotationAt(n * 100.0 / keys)[axis]))
        CORE.curveTarget.curveNames = curves
        CORE.curveTarget.targetTime = (1, keys)
        return lambda: rigkit0.AnimTools().applySmartEulerFilterToFrames([1, keys], "bench")
    return len(curves), prepare


def keyKindAt(rig):
    """One frame of the range, 100 curves."""
    times = list(range(1, rig["keys"] + 1))
    curves = rig["curves"][:100]

    def prepare(cls):
        CORE.curveTarget.curveNames = curves
        CORE.curveTarget.targetTime = (1, rig["keys"])
        tools = rigkit0.AnimTools()
        tools.animCurves  # the target read before: the query alone is measured
        return lambda: tools.keyKindAt(times[len(times) // 2], times)
    return len(curves), prepare


def setKeyKind(rig):
    """Every key of 100 curves made a breakdown, through one modifier."""
    curves = rig["curves"][:100]

    def prepare(cls):
        CORE.curveTarget.curveNames = curves
        CORE.curveTarget.targetTime = (1, rig["keys"])
        return lambda: rigkit0.AnimTools().setKeyKind(AnimCurve.KEY_BREAKDOWN)
    return len(curves), prepare


def timelineHighlight(rig):
    """100 channels highlighted, the slider already showing them and the
    highlight on: the everyday case, nothing to ask."""
    names = rig["names"]

    def prepare(cls):
        cmds.select(names)
        cmds.channelBox("mainChannelBox", edit=True, select=[n + ".tx" for n in names])
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True
        return lambda: rigkit0.AnimTools().updateChannelBoxHighlight()
    return len(names), prepare


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


def smartKey(rig):
    """A breakdown on the layer at a frame already keyed, so the curves keep
    their key count however often the action runs."""
    plugs = [n + "." + c for n in rig["layered"] for c in SMART_CHANNELS]

    def prepare(cls):
        frame, layer = rig["keys"] // 2, rigkit0.AnimLayer(rig["layer"])
        return lambda: [rigkit0.AnimAttr(plugName=p).setSmartKey(
            frame, keyKind=AnimCurve.KEY_BREAKDOWN, animLayer=layer) for p in plugs]
    return len(plugs), prepare


# (label, operation, the module's class [and the plain one], the answers' form
# that both sides must give alike (None: as they are), whether the figures may
# grow with the keys on the curves)
OPERATIONS = [
    ("Node(name).exists()", nodeExists, (rigkit0.Node, PlainNode), None, False),
    ("AnimAttr(plugName).value", attrValue, (rigkit0.AnimAttr, PlainAnimAttr), None, False),
    ("AnimAttr(plugName).setValue(v)", attrSetValue, (rigkit0.AnimAttr, PlainAnimAttr), None,
     False),
    ("Channel Box read (channelBoxAttrs), per control", channelBoxAttrs,
     (rigkit0.ChannelBox, PlainChannelBox), plugNames, False),
    ("ChannelBox().animatableAttrs, per control", animatableAttrs, (rigkit0.ChannelBox,),
     None, False),
    ("timeline sync and highlight, per channel", timelineHighlight, (rigkit0.AnimTools,), None,
     False),
    ("mirror a pose, per channel", mirrorPose, (rigkit0.AnimAttr,), None, False),
    ("Smart Euler Filter, per curve", eulerFilter, (rigkit0.AnimTools,), None, True),
    ("setKeyKind with the modifier, per curve", setKeyKind, (rigkit0.AnimTools,), None, True),
    ("setSmartKey on a layer, per channel", smartKey, (rigkit0.AnimAttr,), None, True),
    ("keyKindAt one frame, per curve", keyKindAt, (rigkit0.AnimTools,), None, True),
]


def measure(prepare, classes):
    """Per class (the module's, then the plain one): the calls of one run by
    kind and caller, the median seconds of up to RUNS runs within BUDGET, the
    answer. Each run is prepared afresh and timed alone; the classes take
    turns, so that a busy moment of the machine falls on both."""
    counts, answers = [], []
    for cls in classes:
        action = prepare(cls)
        with CallCounter() as counter:
            answers.append(action())
        counts.append(counter.counts)
    seconds = [[] for _ in classes]
    while len(seconds[0]) < RUNS and sum(seconds[0]) < BUDGET:
        for cls, spent in zip(classes, seconds):
            action = prepare(cls)
            start = time.perf_counter()
            action()
            spent.append(time.perf_counter() - start)
    return counts, [statistics.median(spent) for spent in seconds], answers


def run(rig, only, first):
    """The figures of the operations on one rig, by label; those that cannot
    grow with the keys only on the first rig."""
    figures = {}
    for label, operation, classes, same, keyed in OPERATIONS:
        if (only and only not in label) or not (keyed or first):
            continue
        # No operation sees what the one before left selected (the target
        # curves' first read asks about highlighted channels).
        cmds.select(clear=True)
        cmds.channelBox("mainChannelBox", edit=True, select="")
        items, prepare = operation(rig)
        counts, seconds, answers = measure(prepare, classes)
        own = counts[0]
        entry = dict(items=items, keys=rig["keys"] if keyed else None,
                     calls=sum(own.values()), us=seconds[0] / items * 1e6,
                     modelUs=modelUs(own),
                     **dict(("%s_%s" % key, n) for key, n in own.items()))
        if len(classes) > 1:
            same = same or (lambda answer: answer)
            assert same(answers[0]) == same(answers[1]), label
            entry.update(plainCalls=sum(counts[1].values()), plainUs=seconds[1] / items * 1e6)
        figures[label + (", %d keys" % rig["keys"] if keyed else "")] = entry
        if CORE.traceKit.errors:
            raise SystemExit("%s reported: %s" % (label, CORE.traceKit.errors))
    return figures


def cell(value, form):
    return "-" if value is None else form % value


def printTable(figures, before):
    head = ("operation", "items", "keys", "cmds", "API", "suite cmds", "suite API",
            "calls/item", "model ms", "model us/item", "us/item", "plain calls", "ratio")
    form = "%-50s %5s %4s %6s %7s %10s %9s %10s %8s %13s %8s %11s %5s"
    if before:
        head += ("calls/item before", "model ms before")
        form += " %17s %15s"
    print(form % head)
    for label, f in figures.items():
        plainUs = f.get("plainUs")
        modelMs = f.get("modelUs")
        row = (label, f["items"], cell(f.get("keys"), "%d"),
               cell(f.get("command_module"), "%d"), cell(f.get("api_module"), "%d"),
               cell(f.get("command_suite"), "%d"), cell(f.get("api_suite"), "%d"),
               cell(f["calls"] / float(f["items"]), "%.1f"),
               cell(modelMs and modelMs / 1000.0, "%.2f"),
               cell(modelMs and modelMs / f["items"], "%.1f"),
               "%.1f" % f["us"], cell(f.get("plainCalls"), "%d"),
               cell(plainUs and f["us"] / plainUs, "%.2f"))
        if before:
            old = before.get(label)
            row += (cell(old and old["calls"] / float(old["items"]), "%.1f"),
                    cell(old and old.get("modelUs") and old["modelUs"] / 1000.0, "%.2f"))
        print(form % row)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scale", type=int, default=1, help="multiply the rig by N")
    parser.add_argument("--keys", type=int, nargs="+", default=list(KEY_COUNTS),
                        help="keys per curve of the keyed rigs (default: 10 100)")
    parser.add_argument("--only", help="run the operations whose label holds this text")
    parser.add_argument("--json", help="save the figures to this file")
    parser.add_argument("--before", help="show the figures saved in this file beside")
    arguments = parser.parse_args()
    before = None
    if arguments.before:
        with open(arguments.before) as saved:
            before = json.load(saved)
    print("CPython %d.%d.%d, rig of %d controls; cost model %g us per API call, %g us per "
          "command (an estimate of Maya)" % (sys.version_info[:3] + (
              100 * arguments.scale, API_US, COMMAND_US)))
    figures = {}
    for number, keys in enumerate(arguments.keys):
        rig = buildRig(arguments.scale, keys)
        checkCounter(rig["curves"][0])
        figures.update(run(rig, arguments.only, number == 0))
    printTable(figures, before)
    if arguments.json:
        with open(arguments.json, "w") as out:
            json.dump(figures, out, indent=1)


if __name__ == "__main__":
    main()
