"""A short demonstration of rigkit0 in the stand-in scene: loads the module as
the suite does, builds a small character rig through maya.cmds and shows what
the suite's tools get from the module: nodes and values, a pose keyed on an
animation layer, the pose mirrored from left to right, the Channel Box
selection, and the Smart Euler Filter repairing a gimbal flip, with a picture
of the curves before and after it. Each section says first what it shows.

    scripts/demo.sh [--picture PATH]

The picture needs matplotlib, which scripts/demo.sh installs from
scripts/demo-requirements.txt; without it the demo says so and goes on."""
import argparse
import math
import os
import sys

from maya import cmds
from maya.OpenMaya import MEulerRotation
from Zentrik._api.__hybrid__._core import CORE, AnimCurve
from Zentrik._api.__hybrid__ import rigkit0

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_PICTURE = os.path.join(ROOT, "build", "demo", "euler_filter.png")

_reported = 0
_failed = []   # what the demonstration found wrong, for the exit status


def section(title, *lines):
    print("\n" + title)
    for line in lines:
        print("  " + line)


def show(label, value):
    """One answer; a list too long for the line gets one item per line."""
    text = repr(value)
    if isinstance(value, list) and value and len(label) + len(text) > 84:
        print("    %-44s [%r," % (label, value[0]))
        for item in value[1:]:
            print("    %-44s  %r%s" % ("", item, "]" if item is value[-1] else ","))
        return
    print("    %-44s %s" % (label, text))


def expectReports(what):
    """Prints the reports the module made to the suite since the last call:
    the demonstration makes them on purpose."""
    global _reported
    errors = CORE.traceKit.errors
    if len(errors) > _reported:
        print("    expected report%s for %s:" % ("s" if len(errors) > _reported + 1 else "", what))
        for message in errors[_reported:]:
            print("      " + message)
    _reported = len(errors)


def number(value):
    return "%.1f" % (value + 0.0)  # + 0.0 turns -0.0 into 0.0


def buildRig():
    """The character: char:rig holding a left and a right arm control (each
    with a curve shape, as controls have), a spine and a head control."""
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    cmds.namespace(add="char")
    cmds.group(empty=True, name="char:rig")
    for name in ("char:L_arm_ctrl", "char:R_arm_ctrl", "char:spine_ctrl", "char:head_ctrl"):
        cmds.createNode("transform", name=name, parent="char:rig")
    for side in ("L", "R"):
        cmds.createNode("nurbsCurve", name="char:%s_arm_ctrlShape" % side,
                        parent="char:%s_arm_ctrl" % side)
    cmds.select(clear=True)


def showNodes():
    section("Node: a control found by name",
            "The rig: char:rig holds char:L_arm_ctrl and char:R_arm_ctrl (each with a",
            "curve shape), char:spine_ctrl and char:head_ctrl, in the namespace 'char'.")
    arm = rigkit0.Node("char:L_arm_ctrl")
    show("Node('char:L_arm_ctrl').fullName()", arm.fullName())
    show("shortName()", arm.shortName())
    show("parent().fullName()", arm.parent().fullName())
    show("shape.nodeName", arm.shape.nodeName)
    show("parent().children(), short names",
         [c.shortName() for c in arm.parent().children()])

    section("Names that no longer match",
            "A tool may keep a path from an older scene. With searchShorterPaths the",
            "wrapper drops leading path components until a name matches; each name",
            "that matches nothing is reported to the suite once, not raised.")
    show("Node('|old|char:L_arm_ctrl', True).nodeName",
         rigkit0.Node("|old|char:L_arm_ctrl", True).nodeName)
    expectReports("the path that matched nothing")
    return arm


def showValues(arm):
    section("Attribute values",
            "Values are read and written in Maya's internal units, whatever the",
            "user's working units: centimetres and radians.")
    arm.setAttr("translateY", 4.0)
    arm.setAttr("rotateZ", math.radians(90.0))
    show("getAttr('translate')  (cm)", arm.getAttr("translate"))
    show("getAttr('rotateZ')  (radians)", round(arm.getAttr("rotateZ"), 6))
    attr = rigkit0.AnimAttr(plugName="char:L_arm_ctrl.tx")
    show("AnimAttr('char:L_arm_ctrl.tx').attrName", attr.attrName)
    show("nodeName", attr.nodeName)
    show("AnimAttr('char:L_arm_ctrl.nothing').exists",
         rigkit0.AnimAttr(plugName="char:L_arm_ctrl.nothing").exists)
    expectReports("a missing attribute")
    arm.setAttr("translateY", 0.0)
    arm.setAttr("rotateZ", 0.0)

    section("Values between two keys",
            "The base animation keys L_arm_ctrl.translateX 0 at frame 1 and 10 at",
            "frame 21. Reading at a time evaluates there without moving the current",
            "time; frame 11 lies halfway (the stand-in interpolates linearly, so 5;",
            "Maya's tangents would give another value).")
    cmds.setKeyframe("char:L_arm_ctrl.tx", time=(1,), value=0.0)
    cmds.setKeyframe("char:L_arm_ctrl.tx", time=(21,), value=10.0)
    attr = rigkit0.AnimAttr(arm.getPlug("tx"))
    for frame in (1, 11, 21):
        show("valueAtTime(FrameTime(%d))  (cm)" % frame,
             attr.valueAtTime(rigkit0.FrameTime(frame)))
    show("current frame after the reads", rigkit0.AnimControl.currentTime().value())


# The left arm's pose, in the units an animator types (cm and degrees), and
# the kind of key each frame gets.
POSE_CHANNELS = ("tx", "ty", "rz")
POSE = {1: (0.0, 0.0, 0.0), 11: (3.0, 1.0, 20.0), 21: (6.0, 4.0, 45.0)}
KEY_KINDS = {1: AnimCurve.KEY_DEFAULT, 11: AnimCurve.KEY_BREAKDOWN, 21: AnimCurve.KEY_DEFAULT}


def layerCurveTable(layer, nodes):
    frames = sorted(POSE)
    print("    %-40s %s" % ("curve in layer '%s'" % layer.name,
                            "".join("%10s" % ("frame %d" % f) for f in frames)))
    for name in rigkit0.AnimLayer(layer.name).animCurveNames:
        if not name.startswith(nodes):
            continue
        # cmds answers in working units: degrees on the rotation curves.
        times = cmds.keyframe(name, query=True, timeChange=True)
        values = dict(zip(times, cmds.keyframe(name, query=True, valueChange=True)))
        kinds = dict(zip(times, AnimCurve(name).keyKinds))
        cells = ["%10s" % (number(values[f]) + (" b" if kinds[f] == AnimCurve.KEY_BREAKDOWN
                                                  else "  ")) for f in frames]
        print("    %-40s %s" % (name, "".join(cells)))


def showPoseLayer():
    section("A pose keyed with smart keys on an animation layer",
            "AnimLayer.create('pose') makes a layer; addAttribute puts the arms'",
            "channels in it. At frames 1, 11 and 21 the left arm is posed and each",
            "channel gets setSmartKey(frame, keyKind, animLayer=layer): the key lands",
            "on the layer's own curve, which holds the offset from the base animation",
            "(translateX already moves 0 to 10 below it). Frame 11 is a breakdown (b).")
    layer = rigkit0.AnimLayer.create("pose")
    for node in ("char:L_arm_ctrl", "char:R_arm_ctrl"):
        for channel in POSE_CHANNELS:
            layer.addAttribute(node + "." + channel)
    arm = rigkit0.Node("char:L_arm_ctrl")
    left = [rigkit0.AnimAttr(arm.getPlug(channel)) for channel in POSE_CHANNELS]
    for frame in sorted(POSE):
        cmds.currentTime(frame)
        for attr, value in zip(left, POSE[frame]):
            attr.setValue(math.radians(value) if attr.isRotate else value)
            attr.setSmartKey(frame, keyKind=KEY_KINDS[frame], animLayer=layer)
    show("layer.attributes (first two)", layer.attributes[:2])
    show("AnimAttr(tx).lastKeyedCurve.keyKinds", left[0].lastKeyedCurve.keyKinds)
    layerCurveTable(layer, "char:L_")
    show("what the animator sees: tx at 1, 11, 21",
         [cmds.getAttr("char:L_arm_ctrl.tx", time=f) for f in sorted(POSE)])
    return layer, left


def showMirror(layer, left):
    section("The left arm's pose mirrored onto the right arm",
            "mirrorAttr finds the partner channel from the side marker in the name",
            "(L_ to R_, namespace kept). The rig stores the multipliers: -1 for",
            "translateX and rotateZ (CORE.mirrorStoreB, a rule per channel name).",
            "For each frame, getMirrorValueAt on the right channel reads the left one",
            "times the multiplier; setValue writes it and a smart key keeps it.")
    CORE.mirrorStoreB.entries["translateX"] = -1
    CORE.mirrorStoreB.entries["rotateZ"] = -1
    first = left[0]
    show("AnimAttr(L_arm_ctrl.tx).side", first.side)
    show("settingsKey (how the stores look it up)", first.settingsKey)
    show("mirrorAttr.plugName", first.mirrorAttr.plugName)
    show("mirrorMultiplier of tx, ty, rz", [a.mirrorMultiplier for a in left])
    right = [attr.mirrorAttr for attr in left]
    for frame in sorted(POSE):
        cmds.currentTime(frame)
        for attr in right:
            attr.setValue(attr.getMirrorValueAt(rigkit0.FrameTime(frame)))
            attr.setSmartKey(frame, keyKind=KEY_KINDS[frame], animLayer=layer)
    layerCurveTable(layer, "char:R_")
    cmds.currentTime(21)
    print("    %-40s %s" % ("both arms at frame 21 (cm, degrees)",
                            "".join("%10s" % c for c in ("tx", "ty", "tz", "rz"))))
    for side in ("L", "R"):
        node = "char:%s_arm_ctrl" % side
        values = list(cmds.getAttr(node + ".translate")[0]) + [cmds.getAttr(node + ".rz")]
        print("    %-40s %s" % (node, "".join("%10s" % number(v) for v in values)))


def showChannelBox():
    section("The Channel Box as the tools see it",
            "Both arms selected, and translateX and rotateZ highlighted in the Channel",
            "Box: ChannelBox() answers the plugs a tool should act on. With nothing",
            "highlighted, a tool acts on every channel the Channel Box shows.")
    cmds.select("char:L_arm_ctrl", "char:R_arm_ctrl")
    cmds.channelBox("mainChannelBox", edit=True,
                    select=["char:L_arm_ctrl.tx", "char:L_arm_ctrl.rz",
                            "char:R_arm_ctrl.tx", "char:R_arm_ctrl.rz"])
    channelBox = rigkit0.ChannelBox()
    show("nodes", channelBox.nodes)
    show("selectedPlugNames", channelBox.selectedPlugNames)
    show("[a.plugName for a in activeAttrs] == them",
         [a.plugName for a in channelBox.activeAttrs] == channelBox.selectedPlugNames)
    cmds.channelBox("mainChannelBox", edit=True, select=[])
    shown = rigkit0.ChannelBox().activeAttrs
    show("nothing highlighted: len(activeAttrs)", len(shown))
    show("  the first four", [a.plugName.rpartition(".")[2] for a in shown[:4]])
    cmds.select(clear=True)


# The head turns steadily through y = 90 degrees; the keys past that hold the
# other Euler triple of the same orientation, and one is a whole turn away,
# as keys come out of a constraint bake or a matrix decomposition.
HEAD_FRAMES = list(range(1, 25, 2))
XYZ = 0  # MEulerRotation.kXYZ, the controls' rotate order


def wrap(angle):
    return (angle + 180.0) % 360.0 - 180.0 or 180.0


def headKeys():
    keys = []
    for n, frame in enumerate(HEAD_FRAMES):
        x, y, z = 20.0 + 8.0 * n, 40.0 + 9.0 * n, -10.0 + 6.0 * n
        if y > 90.0:
            x, y, z = wrap(x + 180.0), wrap(180.0 - y), wrap(z + 180.0)
        if frame == 17:
            x -= 360.0
        keys.append((frame, (x, y, z)))
    return keys


def keyTriples(curves):
    """The keys of the three rotation curves, as (x, y, z) per key, degrees."""
    values = [cmds.keyframe(c, query=True, valueChange=True) for c in curves]
    return [tuple(axis[i] for axis in values) for i in range(len(values[0]))]


def orientationDifference(a, b):
    """The largest element difference between the two rotations' matrices."""
    ma = MEulerRotation(*[math.radians(v) for v in a] + [XYZ]).asMatrix()
    mb = MEulerRotation(*[math.radians(v) for v in b] + [XYZ]).asMatrix()
    return max(abs(ma(i, j) - mb(i, j)) for i in range(3) for j in range(3))


def largestStep(triples):
    return max(abs(c - p) for previous, current in zip(triples, triples[1:])
               for p, c in zip(previous, current))


def showEulerFilter(picture):
    section("The Smart Euler Filter over a gimbal flip",
            "char:head_ctrl turns steadily through y = 90 degrees, but from frame 13",
            "its keys hold the other triple of the same orientation (x+180, 180-y,",
            "z+180) and frame 17's x is a whole turn away: each key is right, the",
            "motion between them is not. The animator's option is on and the tool's",
            "target is the three rotation curves over frames 1-23; then",
            "AnimTools().applySmartEulerFilterToFrames([1, 23], actionId).")
    for frame, rotation in headKeys():
        for axis, value in zip("XYZ", rotation):
            cmds.setKeyframe("char:head_ctrl.rotate" + axis, time=(frame,), value=value)
    curves = [cmds.listConnections("char:head_ctrl.rotate" + axis, source=True)[0]
              for axis in "XYZ"]
    CORE.toolOptions["smartEulerFilter"] = True
    CORE.curveTarget.curveNames = curves
    CORE.curveTarget.targetTime = (HEAD_FRAMES[0], HEAD_FRAMES[-1])
    before = keyTriples(curves)
    rigkit0.AnimTools().applySmartEulerFilterToFrames(
        [HEAD_FRAMES[0], HEAD_FRAMES[-1]], "demo-euler-filter")
    after = keyTriples(curves)

    print("    %5s   %-26s   %s" % ("frame", "before: x, y, z (degrees)", "after: x, y, z"))
    for frame, b, a in zip(HEAD_FRAMES, before, after):
        print("    %5d   %8s %8s %8s   %8s %8s %8s%s" % (
            (frame,) + tuple(number(v) for v in b + a) + ("" if a == b else "   changed",)))
    worst = max(orientationDifference(b, a) for b, a in zip(before, after))
    kept = worst < 1e-9
    continuous = largestStep(after) < 180.0
    show("every key keeps its orientation", kept)
    show("  (largest rotation matrix difference)", float("%.1g" % worst))
    show("consecutive keys continuous (steps < 180)", continuous)
    show("  largest step between keys before, after", [round(largestStep(before), 1),
                                                       round(largestStep(after), 1)])
    if not (kept and continuous):
        _failed.append("the Smart Euler Filter")
    show("curves filtered (CORE.eulerFilterCalls)", len(CORE.eulerFilterCalls))
    drawPicture(picture, before, after, kept)


def drawPicture(path, before, after, kept):
    try:
        import matplotlib
    except ImportError:
        print("    (no picture: matplotlib is missing; "
              "pip install -r scripts/demo-requirements.txt)")
        return
    matplotlib.use("Agg")
    from matplotlib import pyplot

    figure, panels = pyplot.subplots(1, 2, figsize=(10, 4), dpi=100)
    titles = ("Before: keys through the gimbal flip", "After the Smart Euler Filter")
    colours = ("#d62728", "#2ca02c", "#1f77b4")  # Maya's axis colours: x red, y green, z blue
    for panel, title, triples in zip(panels, titles, (before, after)):
        for index, axis in enumerate("XYZ"):
            panel.plot(HEAD_FRAMES, [t[index] for t in triples], marker="o", markersize=3.5,
                       linewidth=1.6, color=colours[index], label="rotate" + axis)
        panel.set_title(title, fontsize=11)
        panel.set_xlabel("frame")
        panel.set_ylabel("rotation (degrees)")
        panel.set_xticks(HEAD_FRAMES)
        panel.grid(True, color="#dddddd", linewidth=0.6)
        panel.legend(loc="lower left" if triples is before else "upper left", fontsize=9)
    flip = dict(fontsize=8.5, color="#444444", arrowprops=dict(arrowstyle="->", color="#777777"))
    panels[0].annotate("from 13: the other triple\n(x+180, 180-y, z+180)",
                       xy=(13, before[HEAD_FRAMES.index(13)][2]), xytext=(14.2, -290), **flip)
    panels[0].annotate("17: x a whole turn off", xy=(17, before[HEAD_FRAMES.index(17)][0]),
                       xytext=(7.5, -410), **flip)
    figure.suptitle("char:head_ctrl rotation keys (xyz order); %s" % (
        "every key keeps its orientation" if kept else "SOME KEYS CHANGED ORIENTATION"),
        fontsize=12)
    figure.tight_layout()
    directory = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(directory):
        os.makedirs(directory)
    figure.savefig(path)
    pyplot.close(figure)
    shown = os.path.relpath(path)
    print("    picture of the curves before and after: %s"
          % (os.path.abspath(path) if shown.startswith("..") else shown))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--picture", default=DEFAULT_PICTURE,
                        help="where to write the PNG of the rotation curves "
                             "(default: build/demo/euler_filter.png)")
    arguments = parser.parse_args()

    print("rigkit0 loaded on CPython %d.%d (version number %d), as the suite loads it:\n"
          "from the package Zentrik._api.__hybrid__, on top of that interpreter's core module."
          % (sys.version_info[0], sys.version_info[1], rigkit0._))
    buildRig()
    arm = showNodes()
    showValues(arm)
    layer, left = showPoseLayer()
    showMirror(layer, left)
    showChannelBox()
    showEulerFilter(arguments.picture)
    section("Reports",
            "Every report the module made to the suite was shown above, where the",
            "demonstration asked for it; any other would be a fault.")
    show("reports nobody expected", CORE.traceKit.errors[_reported:])
    if CORE.traceKit.errors[_reported:]:
        _failed.append("reports nobody expected")
    if _failed:
        print("\nSomething shown above is wrong: %s." % ", ".join(_failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
