"""A short demonstration of rigkit0 in the stand-in scene: loads the module as
the suite does, builds a small hierarchy through maya.cmds and prints what the
wrappers answer. Each section says first what it shows."""
import sys

from maya import cmds
from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__ import rigkit0

_reported = 0


def section(title, *lines):
    print("\n" + title)
    for line in lines:
        print("  " + line)


def show(label, value):
    print("    %-40s %r" % (label, value))


def expectReports(what):
    """Prints the reports the module made to the suite since the last call:
    the demonstration makes them on purpose."""
    global _reported
    errors = _core.CORE.traceKit.errors
    if len(errors) > _reported:
        print("    expected report%s for %s:" % ("s" if len(errors) > _reported + 1 else "", what))
        for message in errors[_reported:]:
            print("      " + message)
    _reported = len(errors)


def main():
    print("rigkit0 loaded on CPython %d.%d (version number %d), as the suite loads it:\n"
          "from the package Zentrik._api.__hybrid__, on top of that interpreter's core module."
          % (sys.version_info[0], sys.version_info[1], rigkit0._))

    cmds.file(new=True, force=True)
    cmds.group(empty=True, name="rig")
    cmds.createNode("transform", name="arm_ctrl", parent="rig")
    cmds.createNode("mesh", name="arm_ctrlShape", parent="|rig|arm_ctrl")
    cmds.createNode("transform", name="hand_ctrl", parent="|rig|arm_ctrl")
    cmds.createNode("network", name="settings")

    section("Node: one node, found by name",
            "The scene: |rig|arm_ctrl with a mesh shape and a child hand_ctrl, and a",
            "network node 'settings' (a node outside the DAG, so it has no path).")
    arm = rigkit0.Node("arm_ctrl")
    show("Node('arm_ctrl').fullName()", arm.fullName())
    show("partialPathName()", arm.partialPathName())
    show("shortName()", arm.shortName())
    show("parent().fullName()", arm.parent().fullName())
    show("children()", [c.nodeName for c in arm.children()])
    show("shape.nodeName", arm.shape.nodeName)
    show("isVisible()", arm.isVisible())
    show("Node('settings').fullName()", rigkit0.Node("settings").fullName())

    section("Names that no longer match",
            "A tool may keep a path from an older scene. With searchShorterPaths the",
            "wrapper drops leading path components until a name matches; each name",
            "that matches nothing is reported to the suite once, not raised.")
    show("Node('|old|arm_ctrl', True).nodeName", rigkit0.Node("|old|arm_ctrl", True).nodeName)
    expectReports("the paths that matched nothing")
    show("Node('missing').exists()", rigkit0.Node("missing").exists())
    expectReports("a missing node")

    section("Attribute values",
            "Values are read and written in Maya's internal units, whatever the",
            "user's working units: centimetres and radians.")
    arm.setAttr("translateX", 100.0)
    arm.setAttr("rotateY", 1.5707963267948966)
    show("getAttr('translate')  (cm)", arm.getAttr("translate"))
    show("getAttr('rotateY')  (radians)", round(arm.getAttr("rotateY"), 6))
    attr = rigkit0.AnimAttr(plugName="arm_ctrl.tx")
    show("AnimAttr('arm_ctrl.tx').plugName", attr.plugName)
    show("attrName, shortAttrName", (attr.attrName, attr.shortAttrName))
    show("nodeName", attr.nodeName)
    missing = rigkit0.AnimAttr(plugName="arm_ctrl.nothing")
    show("AnimAttr('arm_ctrl.nothing').exists", missing.exists)
    expectReports("a missing attribute")

    section("Animation: values at other times",
            "translateX is keyed 0 at frame 1 and 90 at frame 10; reading at a time",
            "evaluates there without moving the current time. Frame 5 lies between",
            "the keys (the stand-in interpolates linearly, so 40; Maya's tangents",
            "would give another value).")
    cmds.setKeyframe("arm_ctrl", attribute="translateX", time=1, value=0)
    cmds.setKeyframe("arm_ctrl", attribute="translateX", time=10, value=90)
    before = rigkit0.AnimControl.currentTime().value()
    for frame in (1, 5, 10):
        show("valueAtTime(FrameTime(%d))  (cm)" % frame,
             attr.valueAtTime(rigkit0.FrameTime(frame)))
    show("Node.getAttrAtTime('tx', FrameTime(5))",
         arm.getAttrAtTime("tx", rigkit0.FrameTime(5)))
    show("current frame before, after the reads",
         (before, rigkit0.AnimControl.currentTime().value()))

    section("Locks",
            "isRotationLocked() is True only when all three rotation channels are.")
    arm.lockAttr("rx")
    show("rx locked: isRotationLocked()", arm.isRotationLocked())
    for channel in ("ry", "rz"):
        arm.lockAttr(channel)
    show("rx, ry, rz locked: isRotationLocked()", arm.isRotationLocked())
    expectReports("the rest (none expected)")


if __name__ == "__main__":
    main()
