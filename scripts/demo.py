"""A short demonstration of rigkit0 in the stand-in scene: loads the module as
the suite does, builds a small hierarchy through maya.cmds and prints what the
wrappers answer."""
import sys

from maya import cmds
from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__ import rigkit0


def show(label, value):
    print("  %-34s %r" % (label, value))


def main():
    print("rigkit0 loaded on CPython %d.%d (version number %d)" % (
        sys.version_info[0], sys.version_info[1], rigkit0._))

    cmds.file(new=True, force=True)
    cmds.group(empty=True, name="rig")
    cmds.createNode("transform", name="arm_ctrl", parent="rig")
    cmds.createNode("mesh", name="arm_ctrlShape", parent="|rig|arm_ctrl")
    cmds.createNode("transform", name="hand_ctrl", parent="|rig|arm_ctrl")
    cmds.createNode("network", name="settings")

    print("\nNode")
    arm = rigkit0.Node("arm_ctrl")
    show("Node('arm_ctrl').fullName()", arm.fullName())
    show("partialPathName()", arm.partialPathName())
    show("shortName()", arm.shortName())
    show("parent().fullName()", arm.parent().fullName())
    show("children()", [c.nodeName for c in arm.children()])
    show("shape.nodeName", arm.shape.nodeName)
    show("isVisible()", arm.isVisible())
    show("Node('settings').fullName()", rigkit0.Node("settings").fullName())
    show("Node('|old|arm_ctrl', True).nodeName", rigkit0.Node("|old|arm_ctrl", True).nodeName)
    show("Node('missing').exists()", rigkit0.Node("missing").exists())

    print("\nAttributes")
    arm.setAttr("translateX", 100.0)
    arm.setAttr("rotateY", 1.5707963267948966)
    show("getAttr('translate')  (cm)", arm.getAttr("translate"))
    show("getAttr('rotateY')  (radians)", round(arm.getAttr("rotateY"), 6))
    attr = rigkit0.AnimAttr(plugName="arm_ctrl.tx")
    show("AnimAttr('arm_ctrl.tx').plugName", attr.plugName)
    show("attrName, shortAttrName", (attr.attrName, attr.shortAttrName))
    show("nodeName", attr.nodeName)
    cmds.setKeyframe("arm_ctrl", attribute="translateX", time=1, value=0)
    cmds.setKeyframe("arm_ctrl", attribute="translateX", time=10, value=90)
    show("value at frame 10 (cm)", attr.valueAtTime(rigkit0.FrameTime(10)))
    for channel in ("rx", "ry", "rz"):
        arm.lockAttr(channel)
    show("isRotationLocked()", arm.isRotationLocked())

    print("\nWhat the module reported to the suite")
    for message in _core.CORE.traceKit.errors:
        print("  " + message)


if __name__ == "__main__":
    main()
