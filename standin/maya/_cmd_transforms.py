"""Commands on transforms and joints: ``xform`` and ``joint``.  Gathered
by ``maya.cmds``.
"""

from . import _attrs, _math
from ._cmd_attributes import _settable
from ._cmd_base import _command, _display, _fromUi, _names, _nodes, _toUi
from ._scene import SCENE
from ._scene_plugs import FREE_TO_CHANGE

__all__ = ["xform", "joint"]


# --- hierarchy -------------------------------------------------------------------

def _channelsForWorld(node, world):
    """The translate, rotate and scale values (internal units) that give a
    transform the world matrix ``world``; None when its parent's matrix
    cannot be inverted."""
    parentWorld = SCENE.parentWorldMatrix(node)
    try:
        local = _math.multiply(world, _math.inverse(parentWorld))
    except ZeroDivisionError:
        return None
    t, s, rot = _math.decompose(local)
    order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
    if node.nodeType.isA("joint"):
        jo = [SCENE.value((node, c, ())) for c in node.findAttr("jointOrient").children]
        rot = _math.multiply(rot, _math.inverse(_math.euler(jo[0], jo[1], jo[2], 0)))
    return t, _math.matrixToEuler(rot, order), s


def _keepWorld(node, world):
    """Set a transform's channels so its world matrix stays ``world``."""
    if not node.nodeType.isTransform:
        return
    channels = _channelsForWorld(node, world)
    if channels is None:
        return
    for name, values in zip(("translate", "rotate", "scale"), channels):
        for child, value in zip(node.findAttr(name).children, values):
            key = (node, child, ())
            if SCENE.freeToChange(key) == FREE_TO_CHANGE:
                SCENE.setPlugValue(key, float(value))


# --- transforms ------------------------------------------------------------------

@_command("xform", dict(query="q", translation="t", rotation="ro", scale="s",
                        worldSpace="ws", objectSpace="os", relative="r",
                        absolute="a", matrix="m", rotatePivot="rp",
                        scalePivot="sp", rotateOrder="roo", preserve="p",
                        rotateAxis="ra", shear="sh", pivots="piv",
                        boundingBox="bb", worldSpaceDistance="wd",
                        zeroTransformPivots="ztp", centerPivots="cp",
                        euler="eu", reflection="rfl"))
def xform(*args, **flags):
    """Translation in working linear units, rotation in working angle units.
    World space is supported for the translation and matrix queries.  The
    ``euler`` flag (Euler filtering of relative rotations) is accepted and
    changes nothing."""
    nodes = _nodes(_names(args))
    query = flags.get("query")
    channels = (("translation", "translate", _attrs.LINEAR),
                ("rotation", "rotate", _attrs.ANGLE),
                ("scale", "scale", None),
                ("rotatePivot", "rotatePivot", _attrs.LINEAR),
                ("scalePivot", "scalePivot", _attrs.LINEAR),
                ("rotateAxis", "rotateAxis", _attrs.ANGLE),
                ("shear", "shear", None))
    for node in nodes:
        if not node.nodeType.isTransform:
            raise RuntimeError("xform: %s is not a transform." % node.name)
        if query:
            if flags.get("matrix"):
                m = SCENE.worldMatrix(node) if flags.get("worldSpace") else SCENE.localMatrix(node)
                m = list(m)
                for i in (12, 13, 14):
                    m[i] = SCENE.linearToUi(m[i])
                return m
            if flags.get("translation") and flags.get("worldSpace"):
                m = SCENE.worldMatrix(node)
                return [SCENE.linearToUi(m[12]), SCENE.linearToUi(m[13]), SCENE.linearToUi(m[14])]
            if flags.get("rotateOrder"):
                return _math.ROTATION_ORDERS[SCENE.value((node, node.findAttr("rotateOrder"), ()))]
            for flag, name, kind in channels:
                if flags.get(flag):
                    attr = node.findAttr(name)
                    return [_toUi(c, SCENE.value((node, c, ()))) for c in attr.children]
            return None
        if flags.get("rotateOrder"):
            order = _math.ROTATION_ORDERS.index(flags["rotateOrder"])
            SCENE.setValue((node, node.findAttr("rotateOrder"), ()), order)
        if flags.get("matrix"):
            m = [float(v) for v in flags["matrix"]]
            for i in (12, 13, 14):
                m[i] = SCENE.linearFromUi(m[i])
            if flags.get("worldSpace"):
                _keepWorld(node, m)
            else:
                _keepWorld(node, _math.multiply(m, SCENE.parentWorldMatrix(node)))
        for flag, name, kind in channels:
            values = flags.get(flag)
            if values is None or isinstance(values, bool):
                continue
            attr = node.findAttr(name)
            if flag == "translation" and flags.get("worldSpace"):
                world = SCENE.worldMatrix(node)
                world = list(world)
                world[12:15] = [SCENE.linearFromUi(v) for v in values]
                _keepWorld(node, world)
                continue
            for child, value in zip(attr.children, values):
                key = (node, child, ())
                _settable(key)
                internal = _fromUi(child, value)
                if flags.get("relative"):
                    internal = SCENE.value(key) + internal if kind is not None \
                        or name != "scale" else SCENE.value(key) * value
                SCENE.setPlugValue(key, internal)


@_command("joint", dict(query="q", edit="e", exists="ex", name="n", position="p",
                        relative="r", absolute="a", orientation="o", angleX="ax",
                        angleY="ay", angleZ="az", rotationOrder="roo", radius="rad",
                        scale="s", scaleCompensate="sc"))
def joint(*args, **flags):
    """Creates a joint, or queries / edits named or selected joints.

    A new joint is made under the selected transform (the first selected
    node, when it is a transform or a joint; else at the top of the
    hierarchy), takes a parent joint's scale into its inverseScale, as Maya
    wires it, and becomes the selection.  ``position`` is a world position
    (working linear units; ``absolute``, the default), or relative to the
    joint's parent (its translation) with ``relative``; ``orientation`` is the
    joint orient and ``angleX/Y/Z`` the rotation (working angle units);
    ``rotationOrder`` a name such as "yzx".  Queries answer the same forms
    (``position`` in world space unless ``relative``) for the first joint
    named or selected.  An edit changes every joint named (or selected) the
    same way, except that a world position (``position`` without
    ``relative``) moves the first joint only: one point cannot hold them all."""
    names = _names(args)
    if flags.get("exists"):
        return bool(names) and any(n.nodeType.isA("joint") for n in SCENE.resolve(names[0]))
    if flags.get("query") or flags.get("edit"):
        nodes = _nodes(names)
        if not nodes or not all(n.nodeType.isA("joint") for n in nodes):
            raise RuntimeError("joint: No joint given or selected.")
        if flags.get("query"):
            return _queryJoint(nodes[0], flags)
        others = flags if flags.get("relative") else \
            dict((k, v) for k, v in flags.items() if k != "position")
        for index, node in enumerate(nodes):
            _editJoint(node, others if index else flags)
        return None
    parent = SCENE.selection[0] if SCENE.selection else None
    if parent is not None and not parent.nodeType.isTransform:
        parent = None
    node = SCENE.createNode("joint", flags.get("name"), parent)
    if parent is not None and parent.nodeType.isA("joint"):
        SCENE.connect((parent, parent.findAttr("scale"), ()),
                      (node, node.findAttr("inverseScale"), ()))
    _editJoint(node, flags)
    SCENE.selection[:] = [node]
    return _display(node)


def _setChannels(node, name, values, uiUnits=True):
    for child, value in zip(node.findAttr(name).children, values):
        key = (node, child, ())
        _settable(key)
        SCENE.setPlugValue(key, _fromUi(child, value) if uiUnits else float(value))


def _editJoint(node, flags):
    if flags.get("rotationOrder"):
        order = _math.ROTATION_ORDERS.index(flags["rotationOrder"])
        SCENE.setValue((node, node.findAttr("rotateOrder"), ()), order)
    if flags.get("orientation") is not None:
        _setChannels(node, "jointOrient", flags["orientation"])
    for axis, child in zip(("angleX", "angleY", "angleZ"), node.findAttr("rotate").children):
        if flags.get(axis) is not None:
            key = (node, child, ())
            _settable(key)
            SCENE.setPlugValue(key, _fromUi(child, flags[axis]))
    if flags.get("scale") is not None:
        _setChannels(node, "scale", flags["scale"])
    if flags.get("radius") is not None:
        SCENE.setValue((node, node.findAttr("radius"), ()), float(flags["radius"]))
    if flags.get("scaleCompensate") is not None:
        SCENE.setValue((node, node.findAttr("segmentScaleCompensate"), ()),
                       bool(flags["scaleCompensate"]))
    if flags.get("position") is not None:
        point = [SCENE.linearFromUi(v) for v in flags["position"]]
        if not flags.get("relative"):
            inverse = _math.inverse(SCENE.parentWorldMatrix(node))
            point = [point[0] * inverse[c] + point[1] * inverse[4 + c]
                     + point[2] * inverse[8 + c] + inverse[12 + c] for c in range(3)]
        _setChannels(node, "translate", point, uiUnits=False)


def _queryJoint(node, flags):
    def ui(name):
        attr = node.findAttr(name)
        return [_toUi(c, SCENE.value((node, c, ()))) for c in attr.children]
    if flags.get("position"):
        if flags.get("relative"):
            return ui("translate")
        m = SCENE.worldMatrix(node)
        return [SCENE.linearToUi(m[12]), SCENE.linearToUi(m[13]), SCENE.linearToUi(m[14])]
    if flags.get("orientation"):
        return ui("jointOrient")
    for index, axis in enumerate(("angleX", "angleY", "angleZ")):
        if flags.get(axis):
            return ui("rotate")[index]
    if flags.get("rotationOrder"):
        return _math.ROTATION_ORDERS[SCENE.value((node, node.findAttr("rotateOrder"), ()))]
    if flags.get("radius"):
        return SCENE.value((node, node.findAttr("radius"), ()))
    if flags.get("scale"):
        return ui("scale")
    if flags.get("scaleCompensate"):
        return bool(SCENE.value((node, node.findAttr("segmentScaleCompensate"), ())))
    return None
