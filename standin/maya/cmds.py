"""Maya commands over the stand-in scene (see ``maya._scene``).

Each command takes Maya's long and short flag names and answers as Maya's
Python commands do: names of DAG nodes come back as their shortest unique
path (full paths with ``long``/``fullPath``), values in the user's working
units (``currentUnit``), ``None`` where Maya gives nothing.  A flag the
command does not know raises ``TypeError("Invalid flag '...'")``.  Object
names are resolved by ``Scene.resolveName``: a name that matches nothing
raises ``ValueError("No object matches name: ...")``, and so does a name
without wildcards that several nodes carry ("More than one object matches
name: ..."); only ``ls`` and ``objExists`` take such a name as a pattern.
An object argument that is no name (a dict, a number, any other object;
strings, bytes and lists or tuples of them are names) raises
``TypeError("Object ... is invalid")``.

Every call is recorded as ``(commandName, args, kwargs)`` exactly as given;
``maya._scene.commandLog()`` returns the record.

Simplifications: ``parent`` and ``group`` keep world positions by
decomposing into translate / rotate / scale (pivots are not adjusted);
``currentUnit(time=...)`` keeps keys at their absolute times; a value set
with ``setAttr`` on an animated attribute holds until the current time
changes (see ``Scene.setPlugValue``) and does not key.
"""

import re

from . import _attrs, _keys, _layers, _math, _units
from ._scene import SCENE, FREE_TO_CHANGE
from ._types import MFN_NAMES

_NO_VALUE = object()


def _command(name, flags):
    """Wrap a command: log the call, turn short flag names into long ones and
    reject flags the command does not have."""
    shortToLong = dict((short, long_) for long_, short in flags.items())

    def decorate(function):
        def command(*args, **kwargs):
            SCENE.log.append((name, args, dict(kwargs)))
            options = {}
            for key, value in kwargs.items():
                if key in flags:
                    options[key] = value
                elif key in shortToLong:
                    options[shortToLong[key]] = value
                else:
                    raise TypeError("Invalid flag '%s'" % key)
            return function(*args, **options)
        command.__name__ = name
        command.__doc__ = function.__doc__
        return command
    return decorate


def _invalidObject(arg):
    """Maya's refusal of an object argument that is no name (a dict, a
    number, any other object): it shows the object as ``str`` shows it."""
    try:
        shown = str(arg)
    except Exception:
        shown = "<%s object>" % type(arg).__name__
    return TypeError("Object %s is invalid" % shown)


def _name(arg):
    """One object argument as a name: a string, or bytes in UTF-8."""
    if isinstance(arg, str):
        return arg
    if isinstance(arg, bytes):
        return arg.decode("utf-8")
    raise _invalidObject(arg)


def _names(args):
    """Flatten positional object arguments (strings, bytes, lists and
    tuples of them; ``None`` stands for nothing)."""
    result = []
    for arg in args:
        if isinstance(arg, (list, tuple)):
            result.extend(_names(arg))
        elif arg is not None:
            result.append(_name(arg))
    return result


def _node(name):
    return SCENE.resolveOne(_name(name))


def _nodes(names, useSelection=True):
    """The nodes of a command's object arguments (the selection when none
    is given): every match of a pattern, exactly one node for other names."""
    if not names and useSelection:
        return list(SCENE.selection)
    result = []
    for name in names:
        for node in SCENE.resolveName(name):
            if node not in result:
                result.append(node)
    return result


def _display(node, long_=False):
    return SCENE.fullPath(node) if long_ else SCENE.partialPath(node)


def _plug(text):
    """"node.attr[1].child" -> plug key; ValueError when nothing matches or
    the node name is ambiguous."""
    nodeName, dot, path = text.partition(".")
    if not dot or not path:
        raise ValueError("No object matches name: %s" % text)
    node = SCENE.resolveOne(nodeName, shownAs=text)
    try:
        attr, indices = SCENE.parsePlug(node, path)
    except ValueError:
        raise ValueError("No object matches name: %s" % text)
    return (node, attr, indices)


def _plugMatches(text):
    """Every plug a name designates when its node part is a pattern (``ls``,
    ``objExists``): each matching node that has the attribute."""
    nodeName, dot, path = text.partition(".")
    result = []
    if dot and path:
        for node in SCENE.resolve(nodeName):
            try:
                attr, indices = SCENE.parsePlug(node, path)
            except ValueError:
                continue
            result.append((node, attr, indices))
    return result


def _plugText(key, long_=False):
    node, attr, indices = key
    return "%s.%s" % (_display(node, long_), SCENE.plugPath(attr, indices, fullPath=False))


def _isType(node, typeNames):
    if isinstance(typeNames, str):
        typeNames = [typeNames]
    return any(node.nodeType.isA(t) for t in typeNames)


# --- values in working units ---------------------------------------------------

def _toUi(attr, value):
    kind = attr.kind
    if kind == _attrs.LINEAR:
        return SCENE.linearToUi(value)
    if kind == _attrs.ANGLE:
        return SCENE.angleToUi(value)
    if kind == _attrs.TIME:
        return SCENE.ticksToUi(value)
    if kind == _attrs.NUMERIC:
        if attr.numericType == _attrs.N_BOOLEAN:
            return bool(value)
        if attr.numericType in _attrs.INTEGER_TYPES:
            return int(value)
        return float(value)
    if kind == _attrs.ENUM:
        return int(value)
    if kind == _attrs.MATRIX or (kind == _attrs.TYPED and attr.dataType == _attrs.D_MATRIX):
        return [float(v) for v in value]
    if kind == _attrs.TYPED:
        if value is None:
            return None
        if attr.dataType == _attrs.D_POINT_ARRAY:
            return [tuple(p) for p in value]
        if isinstance(value, list):
            return list(value)
        return value
    return value


def _fromUi(attr, value):
    kind = attr.kind
    if kind == _attrs.LINEAR:
        return SCENE.linearFromUi(value)
    if kind == _attrs.ANGLE:
        return SCENE.angleFromUi(value)
    if kind == _attrs.TIME:
        return SCENE.ticksFromUi(value)
    if kind == _attrs.ENUM:
        return int(value)
    if kind == _attrs.NUMERIC:
        if attr.numericType == _attrs.N_BOOLEAN:
            return bool(value)
        if attr.numericType in _attrs.INTEGER_TYPES:
            return int(value)
        return float(value)
    raise RuntimeError("setAttr: the attribute does not take a number.")


def _readUi(key, ticks=None):
    node, attr, indices = key
    if attr.kind == _attrs.MESSAGE:
        raise RuntimeError("getAttr: Message attributes have no data values.")
    if attr.multi and not SCENE.isElementKey(attr, indices):
        if attr.compute is not None:
            # Instanced outputs (worldMatrix ...) read as their instance 0.
            return _readUi((node, attr, indices + (0,)), ticks)
        return [_readUi((node, attr, indices + (i,)), ticks)
                for i in SCENE.existingIndices(node, attr, indices)] or None
    if attr.children:
        values = []
        for child in attr.children:
            value = _readUi((node, child, indices), ticks)
            if isinstance(value, list) and len(value) == 1 and isinstance(value[0], tuple):
                values.extend(value[0])
            else:
                values.append(value)
        return [tuple(values)]
    return _toUi(attr, SCENE.value(key, ticks))


# --- scene ---------------------------------------------------------------------

@_command("file", dict(new="n", force="f", open="o", save="s", query="q",
                       sceneName="sn", modified="mf", prompt="pmt"))
def file(*args, **flags):
    """Only a new scene is modelled: ``file(new=True, force=True)``."""
    if flags.get("query"):
        if flags.get("sceneName"):
            return ""
        if flags.get("modified"):
            return False
        return ""
    if flags.get("new"):
        SCENE.reset()
        return ""
    raise RuntimeError("file: only new scenes are supported by the stand-in.")


@_command("createNode", dict(name="n", parent="p", shared="s", skipSelect="ss"))
def createNode(nodeType, **flags):
    parent = None
    if flags.get("parent"):
        parent = _node(flags["parent"])
    node = SCENE.createNode(nodeType, flags.get("name"), parent)
    if not flags.get("skipSelect"):
        SCENE.selection[:] = [node]
    return _display(node)


# The camera settings the camera command reads and writes, by flag (each the
# camera shape's attribute of the same name).
_CAMERA_SETTINGS = ("focalLength", "orthographic", "orthographicWidth", "nearClipPlane",
                    "farClipPlane", "horizontalFilmAperture", "verticalFilmAperture")


def _cameraShape(name):
    """The camera shape a name gives: the shape itself, or the first camera
    shape directly below a transform."""
    node = _node(name)
    if node.typeName == "camera":
        return node
    for child in node.children:
        if child.typeName == "camera":
            return child
    raise RuntimeError("camera: %s is not a camera." % name)


@_command("camera", dict(query="q", edit="e", focalLength="fl", orthographic="o",
                         orthographicWidth="ow", nearClipPlane="ncp", farClipPlane="fcp",
                         horizontalFilmAperture="hfa", verticalFilmAperture="vfa"))
def camera(*args, **flags):
    """Creates a camera: a transform ("camera1") with a camera shape
    ("cameraShape1") below it, selected, and returns both names.  Query and
    edit read and write the settings above on a camera shape or its
    transform, lengths in working units.  The camera is placed at the
    origin: position, rotation and the other creation flags are not
    modelled."""
    names = _names(args)
    if flags.get("query"):
        shape = _cameraShape(names[0] if names else "")
        for name in _CAMERA_SETTINGS:
            if flags.get(name):
                return _readUi((shape, shape.findAttr(name), ()))
        raise RuntimeError("camera: the stand-in answers only the camera settings.")
    if flags.get("edit"):
        shape = _cameraShape(names[0] if names else "")
    else:
        shape = SCENE.createNode("camera")
    for name in _CAMERA_SETTINGS:
        if flags.get(name) is not None:
            attr = shape.findAttr(name)
            SCENE.setValue((shape, attr, ()), _fromUi(attr, flags[name]))
    if flags.get("edit"):
        return None
    SCENE.selection[:] = [shape.parent]
    return [_display(shape.parent), _display(shape)]


@_command("objExists", {})
def objExists(name):
    """True when anything matches, also a name several nodes carry."""
    name = _names([name])[0]
    if "." in name:
        return bool(_plugMatches(name))
    return bool(SCENE.resolve(name))


@_command("nodeType", dict(apiType="api", inherited="i", derived="d", isTypeName="itn"))
def nodeType(name, **flags):
    name = _names([name])[0]
    if flags.get("isTypeName"):
        from ._types import NODE_TYPES
        if name not in NODE_TYPES:
            raise ValueError("Unknown node type: %s" % name)
        node = None
        typeInfo = NODE_TYPES[name]
    else:
        node = _node(name.partition(".")[0])
        typeInfo = node.nodeType
    if flags.get("apiType"):
        return MFN_NAMES.get(typeInfo.apiType, "kInvalid")
    if flags.get("inherited"):
        return [t for t in reversed(typeInfo.inheritedTypes) if t not in ("dependNode",)] \
            if typeInfo.name != "dependNode" else ["dependNode"]
    return typeInfo.name


@_command("objectType", dict(isType="i", isAType="isa", typeFromTag="tgt"))
def objectType(name, **flags):
    node = _node(_names([name])[0])
    if flags.get("isType"):
        return node.typeName == flags["isType"]
    if flags.get("isAType"):
        return node.nodeType.isA(flags["isAType"])
    return node.typeName


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


@_command("parent", dict(world="w", relative="r", absolute="a", addObject="add",
                         shape="s", noConnections="nc", removeObject="rm",
                         noInvScale="nis"))
def parent(*args, **flags):
    """``parent(child..., newParent)`` or ``parent(child..., world=True)``;
    returns the children's new names.  Without ``relative`` the world
    position is kept."""
    names = _names(args)
    if flags.get("world"):
        children = _nodes(names)
        newParent = SCENE.world
    else:
        if not names:
            raise RuntimeError("parent: no parent given.")
        if len(names) == 1:
            children = list(SCENE.selection)
            newParent = _node(names[0])
        else:
            children = _nodes(names[:-1], useSelection=False)
            newParent = _node(names[-1])
    if not children:
        raise RuntimeError("parent: no objects to parent.")
    result = []
    for child in children:
        if child.parent is newParent:
            result.append(_display(child))
            continue
        world = SCENE.worldMatrix(child)
        SCENE.reparent(child, newParent)
        if not flags.get("relative"):
            _keepWorld(child, world)
        result.append(_display(child))
    return result


@_command("group", dict(empty="em", name="n", parent="p", world="w",
                        absolute="a", relative="r", useAsGroup="uag"))
def group(*args, **flags):
    names = _names(args)
    members = [] if flags.get("empty") else _nodes(names)
    if flags.get("parent"):
        where = _node(flags["parent"])
    elif flags.get("world") or not members:
        where = SCENE.world
    else:
        parents = set(m.parent for m in members)
        where = parents.pop() if len(parents) == 1 else SCENE.world
    if not flags.get("empty") and not members:
        raise RuntimeError("group: Not enough objects or values.")
    groupNode = SCENE.createNode("transform", flags.get("name") or "group#", where)
    if not flags.get("name"):
        SCENE._unindex(groupNode)
        groupNode.name = SCENE.autoName("group")
        SCENE._index(groupNode)
    for member in members:
        world = SCENE.worldMatrix(member)
        SCENE.reparent(member, groupNode)
        if not flags.get("relative"):
            _keepWorld(member, world)
    SCENE.selection[:] = [groupNode]
    return _display(groupNode)


@_command("rename", dict(ignoreShape="is", uuid="uid"))
def rename(*args, **flags):
    names = _names(args)
    if len(names) == 1:
        if not SCENE.selection:
            raise RuntimeError("rename: No object specified.")
        node, newName = SCENE.selection[0], names[0]
    elif len(names) == 2:
        node, newName = _node(names[0]), names[1]
    else:
        raise RuntimeError("rename: wrong number of arguments.")
    if not newName:
        raise RuntimeError("rename: New name cannot be empty.")
    SCENE.rename(node, newName)
    return _display(node)


@_command("delete", dict(constraints="cn", channels="c", attribute="at",
                         hierarchy="hi", inputConnectionsAndNodes="icn",
                         expressions="e", staticChannels="sc"))
def delete(*args, **flags):
    names = _names(args)
    nodes = _nodes(names)
    if not nodes:
        raise RuntimeError("delete: Not enough objects or values.")
    for node in nodes:
        if _layers.isLayer(node):
            _layers.dissolve(node)
    SCENE.delete(nodes)


def _typeFilter(nodes, typeNames, exact=False):
    if typeNames is None:
        return nodes
    if isinstance(typeNames, str):
        typeNames = [typeNames]
    if exact:
        return [n for n in nodes if n.typeName in typeNames]
    return [n for n in nodes if _isType(n, typeNames)]


def _preorder(node):
    result = []
    for child in node.children:
        result.append(child)
        result.extend(_preorder(child))
    return result


@_command("ls", dict(long="l", type="typ", exactType="et", selection="sl",
                     orderedSelection="os", dag="dag", shapes="s",
                     transforms="tr", showType="st", objectsOnly="o",
                     dependencyNodes="dep", recursive="r", visible="v",
                     absoluteName="an", allPaths="ap", geometry="g",
                     flatten="fl", noIntermediate="ni", cameras="ca",
                     lights="lt", leaf="lf", readOnly="ro", uuid="uid",
                     shortNames="sn", head="hd", tail="tl"))
def ls(*args, **flags):
    """Listed in creation order (the selection in selection order); names of
    plugs given as arguments come back with long attribute names."""
    names = _names(args)
    long_ = flags.get("long")
    plugs = []
    if flags.get("selection") or flags.get("orderedSelection"):
        nodes = list(SCENE.selection)
        if names:
            wanted = []
            for name in names:
                wanted.extend(SCENE.resolve(name))
            nodes = [n for n in nodes if n in wanted]
    elif names:
        nodes = []
        for name in names:
            if "." in name:
                plugs.extend(p for p in _plugMatches(name) if p not in plugs)
                continue
            for node in SCENE.resolve(name):
                if node not in nodes:
                    nodes.append(node)
    else:
        nodes = list(SCENE.nodes)
    if flags.get("dag"):
        expanded = []
        source = nodes if (names or flags.get("selection")) else \
            [n for n in SCENE.nodes if n.isDag]
        for node in source:
            if not node.isDag:
                continue
            for n in [node] + (_preorder(node) if names or flags.get("selection") else []):
                if n not in expanded:
                    expanded.append(n)
        nodes = expanded
    if flags.get("shapes"):
        nodes = [n for n in nodes if n.nodeType.isShape]
    if flags.get("transforms"):
        nodes = [n for n in nodes if n.nodeType.isTransform]
    if flags.get("cameras"):
        nodes = [n for n in nodes if n.typeName == "camera"]
    if flags.get("geometry"):
        nodes = [n for n in nodes if n.nodeType.isShape and n.typeName != "camera"]
    if flags.get("leaf"):
        nodes = [n for n in nodes if n.isDag and not n.children]
    nodes = _typeFilter(nodes, flags.get("type"))
    nodes = _typeFilter(nodes, flags.get("exactType"), exact=True)
    result = [_display(n, long_) for n in nodes]
    result.extend(_plugText(p, long_) for p in plugs)
    if flags.get("showType"):
        typed = []
        for n, text in zip(nodes, result):
            typed.extend([text, n.typeName])
        result = typed
    if flags.get("head"):
        result = result[:flags["head"]]
    if flags.get("tail"):
        result = result[-flags["tail"]:]
    return result


@_command("listRelatives", dict(children="c", parent="p", shapes="s",
                                allDescendents="ad", allParents="ap",
                                fullPath="f", path="pa", type="typ",
                                noIntermediate="ni"))
def listRelatives(*args, **flags):
    """``None`` when there is nothing to list, as in Maya."""
    names = _names(args)
    nodes = _nodes(names)
    result = []
    for node in nodes:
        if not node.isDag:
            continue
        if flags.get("parent") or flags.get("allParents"):
            found = [node.parent] if node.parent is not SCENE.world else []
        elif flags.get("allDescendents"):
            found = list(reversed(_preorder(node)))
        else:
            found = list(node.children)
        if flags.get("shapes"):
            found = [n for n in found if n.nodeType.isShape]
        if flags.get("noIntermediate"):
            found = [n for n in found if not (
                n.nodeType.isShape and SCENE.value((n, n.findAttr("intermediateObject"), ())))]
        found = _typeFilter(found, flags.get("type"))
        for n in found:
            if n not in result:
                result.append(n)
    if not result:
        return None
    return [_display(n, flags.get("fullPath")) for n in result]


@_command("select", dict(add="add", addFirst="af", replace="r", clear="cl",
                         deselect="d", toggle="tgl", noExpand="ne", all="all",
                         hierarchy="hi", visible="vis", symmetry="sym"))
def select(*args, **flags):
    names = _names(args)
    if flags.get("clear"):
        del SCENE.selection[:]
        return
    if flags.get("all"):
        nodes = [n for n in SCENE.nodes if n.isDag and n.parent is SCENE.world]
    else:
        nodes = []
        for name in names:
            found = SCENE.resolveName(name.partition(".")[0], shownAs=name)
            nodes.extend(n for n in found if n not in nodes)
    if flags.get("hierarchy"):
        expanded = []
        for n in nodes:
            for m in [n] + (_preorder(n) if n.isDag else []):
                if m not in expanded:
                    expanded.append(m)
        nodes = expanded
    current = SCENE.selection
    if flags.get("deselect"):
        current[:] = [n for n in current if n not in nodes]
    elif flags.get("toggle"):
        for n in nodes:
            if n in current:
                current.remove(n)
            else:
                current.append(n)
    elif flags.get("add"):
        current.extend(n for n in nodes if n not in current)
    elif flags.get("addFirst"):
        current[:0] = [n for n in nodes if n not in current]
    else:
        current[:] = nodes


# --- attributes ----------------------------------------------------------------

@_command("addAttr", dict(longName="ln", shortName="sn", niceName="nn",
                          attributeType="at", dataType="dt",
                          numberOfChildren="nc", parent="p", multi="m",
                          enumName="en", defaultValue="dv", keyable="k",
                          minValue="min", maxValue="max", hasMinValue="hnv",
                          hasMaxValue="hxv", softMinValue="smn",
                          softMaxValue="smx", hidden="h", readable="r",
                          writable="w", storable="s", usedAsColor="uac",
                          indexMatters="im", query="q", edit="e",
                          exists="ex", cachedInternally="ci",
                          internalSet="is", proxy="pxy", category="ct",
                          fromPlugin="fp", disconnectBehaviour="dcb",
                          usedAsFilename="uaf", hasSoftMinValue="hsn",
                          hasSoftMaxValue="hsx", attributeType2="at2"))
def addAttr(*args, **flags):
    names = _names(args)
    nodes = _nodes(names)
    if not nodes:
        raise RuntimeError("addAttr: No object specified.")
    ln = flags.get("longName")
    sn = flags.get("shortName")
    if not ln and not sn:
        raise RuntimeError("New attribute needs either a long (-ln) or short (-sn) "
                           "attribute name.")
    ln = ln or sn
    sn = sn or ln
    for node in nodes:
        if flags.get("dataType"):
            attr = _attrs.fromDataType(flags["dataType"], ln, sn, multi=flags.get("multi", False),
                                       keyable=flags.get("keyable", False))
        else:
            enumNames = flags.get("enumName")
            if isinstance(enumNames, str):
                enumNames = _attrs.parseEnumNames(enumNames)
            attr = _attrs.fromAttributeType(
                flags.get("attributeType", "double"), ln, sn,
                numberOfChildren=flags.get("numberOfChildren", 0),
                enumNames=enumNames, default=flags.get("defaultValue"),
                multi=flags.get("multi", False), keyable=flags.get("keyable", False),
                minValue=flags.get("minValue"), maxValue=flags.get("maxValue"))
            if attr.kind in (_attrs.LINEAR, _attrs.ANGLE, _attrs.TIME) \
                    and flags.get("defaultValue") is not None:
                attr.default = _fromUi(attr, flags["defaultValue"])
        attr.hidden = bool(flags.get("hidden", False))
        attr.usedAsColor = attr.usedAsColor or bool(flags.get("usedAsColor", False))
        if "readable" in flags:
            attr.readable = bool(flags["readable"])
        if "writable" in flags:
            attr.writable = bool(flags["writable"])
        parentAttr = None
        if flags.get("parent"):
            parentAttr = node.findAttr(flags["parent"])
            if parentAttr is None:
                raise RuntimeError("addAttr: No attribute matches %s." % flags["parent"])
        SCENE.addDynamicAttr(node, attr, parentAttr)


@_command("deleteAttr", dict(attribute="at"))
def deleteAttr(*args, **flags):
    """Deletes one dynamic attribute, named "node.attribute" or as the
    ``attribute`` flag; an attribute the node lacks is a ``RuntimeError``
    (a node name that matches nothing stays a ``ValueError``)."""
    names = _names(args)
    if flags.get("attribute"):
        text = "%s.%s" % (names[0], flags["attribute"])
    else:
        text = names[0]
    nodeName, _, path = text.partition(".")
    node = _node(nodeName)
    try:
        attr, _ = SCENE.parsePlug(node, path)
    except ValueError:
        raise RuntimeError("deleteAttr: No attribute matches %s." % text)
    SCENE.removeDynamicAttr(node, attr)


def _settable(key):
    """Raise Maya's setAttr error for a plug that cannot take a value: one
    locked, or driven by anything but an anim curve."""
    if SCENE.freeToChange(key, True, False) != FREE_TO_CHANGE:
        raise RuntimeError("setAttr: The attribute '%s' is locked or connected and cannot "
                           "be modified." % _plugText(key))


def _flatten(values):
    flat = []
    for v in values:
        if isinstance(v, (list, tuple)):
            flat.extend(_flatten(v))
        else:
            flat.append(v)
    return flat


@_command("setAttr", dict(type="typ", lock="l", keyable="k", channelBox="cb",
                          size="s", clamp="c", alteredValue="av", caching="ca",
                          capacityHint="ch"))
def setAttr(plugName, *values, **flags):
    key = _plug(_names([plugName])[0])
    node, attr, indices = key
    if "lock" in flags:
        SCENE.setLocked(key, flags["lock"])
    if "keyable" in flags:
        SCENE.setKeyable(key, flags["keyable"])
    if "channelBox" in flags:
        SCENE.setChannelBox(key, flags["channelBox"])
    if not values:
        return
    dataType = flags.get("type")
    _settable(key)
    if attr.kind == _attrs.MATRIX or (attr.kind == _attrs.TYPED and attr.dataType == _attrs.D_MATRIX):
        numbers = [float(v) for v in _flatten(values)]
        if len(numbers) != 16:
            raise RuntimeError("setAttr: a matrix needs 16 values.")
        SCENE.setValue(key, tuple(numbers))
        return
    if attr.kind == _attrs.TYPED:
        dt = attr.dataType
        if dt == _attrs.D_STRING:
            if dataType != "string":
                raise RuntimeError("setAttr: Type 'string' must be given to set a string.")
            SCENE.setValue(key, str(values[0]) if values[0] is not None else None)
        elif dt in (_attrs.D_DOUBLE_ARRAY, _attrs.D_FLOAT_ARRAY):
            SCENE.setValue(key, [float(v) for v in _flatten(values)])
        elif dt == _attrs.D_INT_ARRAY:
            SCENE.setValue(key, [int(v) for v in _flatten(values)])
        elif dt == _attrs.D_STRING_ARRAY:
            items = list(values[1:] if isinstance(values[0], int) else _flatten(values))
            SCENE.setValue(key, [str(v) for v in items])
        elif dt in (_attrs.D_POINT_ARRAY, _attrs.D_VECTOR_ARRAY):
            items = list(values)
            if items and isinstance(items[0], int) and not isinstance(items[0], bool):
                items = items[1:]
            if len(items) == 1 and isinstance(items[0], list):
                items = items[0]
            points = []
            for p in items:
                p = [float(v) for v in p]
                if dt == _attrs.D_POINT_ARRAY:
                    p = (p + [0.0, 0.0, 0.0, 1.0][len(p):])[:4]
                points.append(tuple(p))
            SCENE.setValue(key, points)
        else:
            raise RuntimeError("setAttr: data of this type is not supported by the stand-in.")
        return
    if attr.kind == _attrs.MESSAGE:
        raise RuntimeError("setAttr: Message attributes have no data values.")
    if attr.children:
        numbers = _flatten(values)
        leaves = []

        def collect(a):
            if a.children:
                for c in a.children:
                    collect(c)
            else:
                leaves.append(a)
        collect(attr)
        if len(numbers) != len(leaves):
            raise RuntimeError("setAttr: '%s' needs %d values." % (_plugText(key), len(leaves)))
        for leaf, number in zip(leaves, numbers):
            leafKey = (node, leaf, indices)
            _settable(leafKey)
            SCENE.setPlugValue(leafKey, _fromUi(leaf, number))
        return
    value = values[0]
    if isinstance(value, (list, tuple)):
        value = value[0]
    SCENE.setPlugValue(key, _fromUi(attr, value))


_TYPE_NAMES = {
    _attrs.N_BOOLEAN: "bool", _attrs.N_BYTE: "byte", _attrs.N_CHAR: "char",
    _attrs.N_SHORT: "short", _attrs.N_LONG: "long", _attrs.N_INT64: "long64",
    _attrs.N_FLOAT: "float", _attrs.N_DOUBLE: "double", _attrs.N_ADDR: "addr",
    _attrs.N_2SHORT: "short2", _attrs.N_3SHORT: "short3", _attrs.N_2LONG: "long2",
    _attrs.N_3LONG: "long3", _attrs.N_2FLOAT: "float2", _attrs.N_3FLOAT: "float3",
    _attrs.N_2DOUBLE: "double2", _attrs.N_3DOUBLE: "double3", _attrs.N_4DOUBLE: "double4",
}


def _typeName(attr):
    kind = attr.kind
    if kind == _attrs.NUMERIC or (kind == _attrs.COMPOUND and attr.numericType):
        return _TYPE_NAMES.get(attr.numericType, "double")
    return {
        _attrs.LINEAR: "floatLinear" if attr.isFloat else "doubleLinear",
        _attrs.ANGLE: "floatAngle" if attr.isFloat else "doubleAngle",
        _attrs.TIME: "time", _attrs.ENUM: "enum", _attrs.MESSAGE: "message",
        _attrs.MATRIX: "fltMatrix" if attr.isFloat else "matrix",
        _attrs.COMPOUND: "TdataCompound",
        _attrs.TYPED: _attrs.DATA_TYPE_LABELS.get(attr.dataType, "data"),
    }.get(kind, "unknown")


@_command("getAttr", dict(lock="l", keyable="k", channelBox="cb", time="t",
                          type="typ", size="s", asString="asString",
                          settable="se", silent="sl", multiIndices="mi",
                          expandEnvironmentVariables="x", caching="ca",
                          asTexture="ast"))
def getAttr(plugName, **flags):
    key = _plug(_names([plugName])[0])
    node, attr, indices = key
    if flags.get("lock"):
        return SCENE.isLocked(key)
    if flags.get("keyable"):
        return SCENE.isKeyable(key)
    if flags.get("channelBox"):
        return SCENE.isChannelBox(key)
    if flags.get("settable"):
        return SCENE.freeToChange(key) == FREE_TO_CHANGE
    if flags.get("type"):
        return _typeName(attr)
    if flags.get("multiIndices"):
        if not attr.multi:
            return None
        return SCENE.existingIndices(node, attr, indices[:attr.arrayDepth() - 1]) or None
    if flags.get("size"):
        if attr.multi and not SCENE.isElementKey(attr, indices):
            return len(SCENE.existingIndices(node, attr, indices))
        return 1
    ticks = None
    if flags.get("time") is not None:
        ticks = SCENE.ticksFromUi(flags["time"])
    value = _readUi(key, ticks)
    if flags.get("asString") and attr.kind == _attrs.ENUM:
        for name, v in attr.enumNames or ():
            if v == value:
                return name
        return ""
    return value


def _connectionEnd(text, role):
    """A connectAttr argument: a plug that does not exist is Maya's
    "cannot be found" error, an ambiguous node name the usual ValueError."""
    if not _plugMatches(text):
        raise RuntimeError("The %s attribute '%s' cannot be found." % (role, text))
    return _plug(text)


@_command("connectAttr", dict(force="f", lock="l", nextAvailable="na",
                              referenceDest="rd"))
def connectAttr(source, destination, **flags):
    src = _connectionEnd(_names([source])[0], "source")
    dst = _connectionEnd(_names([destination])[0], "destination")
    if flags.get("nextAvailable") and dst[1].multi and not SCENE.isElementKey(dst[1], dst[2]):
        used = SCENE.existingIndices(dst[0], dst[1], dst[2])
        index = 0
        while index in used:
            index += 1
        dst = (dst[0], dst[1], dst[2] + (index,))
    SCENE.connect(src, dst, force=bool(flags.get("force")))
    if flags.get("lock"):
        SCENE.setLocked(dst, True)
    return "Connected %s to %s." % (_plugText(src), _plugText(dst))


@_command("disconnectAttr", dict(nextAvailable="na"))
def disconnectAttr(source, destination, **flags):
    src = _plug(_names([source])[0])
    dst = _plug(_names([destination])[0])
    if SCENE.connections.get(dst) != src:
        raise RuntimeError("There is no connection from '%s' to '%s' to disconnect"
                           % (_plugText(src), _plugText(dst)))
    SCENE._disconnect(src, dst)
    return "Disconnect %s from %s." % (_plugText(src), _plugText(dst))


@_command("isConnected", dict(ignoreUnitConversion="iuc"))
def isConnected(source, destination, **flags):
    return SCENE.connections.get(_plug(destination)) == _plug(source)


def _lineage(key):
    """A plug, then its ancestors (compound parents, the array of an
    element), nearest first."""
    while key is not None:
        yield key
        key = SCENE.parentKey(key)


@_command("connectionInfo", dict(isSource="is", isDestination="id",
                                 isExactSource="ies", isExactDestination="ied",
                                 getExactSource="ges", getExactDestination="ged",
                                 sourceFromDestination="sfd",
                                 destinationFromSource="dfs", isLocked="il",
                                 getLockedAncestor="gla"))
def connectionInfo(plugName, **flags):
    """One end of a connection.  Where Maya speaks of "the plug (or its
    ancestor)", the nearest of the plug and its ancestors that is such an
    end answers; plugs below the given one do not count.  Names come back
    as "node.longAttributeName", "" (or [] for ``destinationFromSource``)
    when there is no such plug.  The stand-in requires one query flag."""
    key = _plug(_names([plugName])[0])
    destination = next((k for k in _lineage(key) if k in SCENE.connections), None)
    source = next((k for k in _lineage(key) if SCENE.outgoing.get(k)), None)
    if flags.get("isSource"):
        return source is not None
    if flags.get("isDestination"):
        return destination is not None
    if flags.get("isExactSource"):
        return bool(SCENE.outgoing.get(key))
    if flags.get("isExactDestination"):
        return key in SCENE.connections
    if flags.get("getExactSource"):
        return _plugText(source) if source is not None else ""
    if flags.get("getExactDestination"):
        return _plugText(destination) if destination is not None else ""
    if flags.get("sourceFromDestination"):
        return _plugText(SCENE.connections[destination]) if destination is not None else ""
    if flags.get("destinationFromSource"):
        return [_plugText(d) for d in SCENE.outgoing[source]] if source is not None else []
    if flags.get("isLocked"):
        return any(SCENE.isLocked(k) for k in _lineage(key))
    if flags.get("getLockedAncestor"):
        return next((_plugText(k) for k in _lineage(key) if SCENE.isLocked(k)), "")
    raise RuntimeError("connectionInfo: a query flag is required by the stand-in.")


@_command("listConnections", dict(source="s", destination="d", plugs="p",
                                  connections="c", type="t", exactType="et",
                                  skipConversionNodes="scn", shapes="sh",
                                  fullNodeName="fnn"))
def listConnections(*args, **flags):
    """Connected nodes (or plugs with ``plugs``); ``None`` when none, as in
    Maya."""
    names = _names(args)
    wantSource = flags.get("source", True)
    wantDestination = flags.get("destination", True)
    pairs = []
    for name in (names or [_display(n) for n in SCENE.selection]):
        if "." in name:
            base = _plug(name)
            node = base[0]
            mine = [base]
            pending = list(SCENE.childKeys(base))
            while pending:
                child = pending.pop(0)
                mine.append(child)
                pending.extend(SCENE.childKeys(child))

            def ours(key):
                return key in mine
        else:
            node = _node(name)

            def ours(key, node=node):
                return key[0] is node
        if wantSource:
            for dst, src in list(SCENE.connections.items()):
                if ours(dst):
                    pairs.append((dst, src))
        if wantDestination:
            for src, dsts in list(SCENE.outgoing.items()):
                if ours(src):
                    for dst in dsts:
                        pairs.append((src, dst))
    result = []
    for mine, other in pairs:
        otherNode = other[0]
        if flags.get("type") and not _isType(otherNode, flags["type"]):
            continue
        if flags.get("exactType") and otherNode.typeName != flags["exactType"]:
            continue
        otherText = _plugText(other, flags.get("fullNodeName")) if flags.get("plugs") \
            else _display(otherNode, flags.get("fullNodeName"))
        if flags.get("connections"):
            result.extend([_plugText(mine), otherText])
        elif otherText not in result or flags.get("plugs"):
            result.append(otherText)
    return result or None


@_command("attributeQuery", dict(node="n", exists="ex", keyable="k",
                                 channelBox="ch", listChildren="lc",
                                 listParent="lp", listSiblings="ls",
                                 attributeType="at", enum="e", listEnum="le",
                                 multi="m", minExists="mne", maxExists="mxe",
                                 minimum="min", maximum="max",
                                 shortName="sn", longName="ln", niceName="nn",
                                 numberOfChildren="nc", hidden="h",
                                 readable="r", writable="w", usedAsColor="uac",
                                 typeExact="tex", type="typ", listDefault="ld",
                                 indexMatters="im", connectable="c",
                                 storable="s", categories="ct"))
def attributeQuery(attribute, **flags):
    node = _node(flags["node"]) if flags.get("node") else None
    if node is None:
        raise RuntimeError("attributeQuery: a node (-n) is required by the stand-in.")
    attr = node.findAttr(attribute)
    if flags.get("exists"):
        return attr is not None
    if attr is None:
        raise RuntimeError("attributeQuery: Node '%s' does not have attribute '%s'."
                           % (node.name, attribute))
    if flags.get("keyable"):
        return attr.keyable
    if flags.get("channelBox"):
        return attr.channelBox
    if flags.get("listChildren"):
        return [c.longName for c in attr.children] or None
    if flags.get("listParent"):
        return [attr.parent.longName] if attr.parent is not None else None
    if flags.get("listSiblings"):
        if attr.parent is None:
            return None
        return [c.longName for c in attr.parent.children if c is not attr] or None
    if flags.get("attributeType"):
        return _typeName(attr)
    if flags.get("enum"):
        return attr.kind == _attrs.ENUM
    if flags.get("listEnum"):
        if attr.kind != _attrs.ENUM:
            return None
        return [":".join("%s=%d" % (n, v) if i and v != prev + 1 else n
                         for i, (n, v, prev) in enumerate(
                             (n, v, (attr.enumNames[j - 1][1] if j else v - 1))
                             for j, (n, v) in enumerate(attr.enumNames)))]
    if flags.get("multi"):
        return attr.multi
    if flags.get("minExists"):
        return attr.minValue is not None
    if flags.get("maxExists"):
        return attr.maxValue is not None
    if flags.get("minimum"):
        return [attr.minValue] if attr.minValue is not None else None
    if flags.get("maximum"):
        return [attr.maxValue] if attr.maxValue is not None else None
    if flags.get("shortName"):
        return attr.shortName
    if flags.get("longName"):
        return attr.longName
    if flags.get("numberOfChildren"):
        return len(attr.children)
    if flags.get("hidden"):
        return attr.hidden
    if flags.get("readable"):
        return attr.readable
    if flags.get("writable"):
        return attr.writable
    if flags.get("usedAsColor"):
        return attr.usedAsColor
    if flags.get("listDefault"):
        leaves = attr.children or (attr,)
        if any(a.kind not in _DEFAULT_KINDS or a.default is None for a in leaves):
            return None
        return [float(_toUi(a, a.default)) for a in leaves]
    return None


# Kinds whose defaults attributeQuery lists: numbers, in working units.
_DEFAULT_KINDS = (_attrs.NUMERIC, _attrs.LINEAR, _attrs.ANGLE, _attrs.TIME, _attrs.ENUM)


@_command("listAttr", dict(keyable="k", userDefined="ud", channelBox="cb",
                           locked="l", unlocked="u", multi="m", scalar="s",
                           readOnly="r", write="w", hasData="hd",
                           visible="v", shortNames="sn", connectable="c",
                           settable="se", array="a", leaf="lf"))
def listAttr(*args, **flags):
    """Attributes of the first object, in definition order; ``None`` when
    none qualifies."""
    names = _names(args)
    nodes = _nodes(names)
    if not nodes:
        return None
    node = nodes[0]
    result = []
    for top in node.topAttrs():
        for attr in top.walk():
            if attr.arrayDepth():
                continue
            key = (node, attr, ())
            if flags.get("keyable") and not SCENE.isKeyable(key):
                continue
            if flags.get("channelBox") and not (SCENE.isChannelBox(key)
                                                and not SCENE.isKeyable(key)):
                continue
            if flags.get("userDefined") and not attr.dynamic:
                continue
            if flags.get("locked") and not SCENE.isLocked(key):
                continue
            if flags.get("unlocked") and SCENE.isLocked(key):
                continue
            if flags.get("visible") and attr.hidden:
                continue
            if flags.get("leaf") and attr.children:
                continue
            result.append(attr.shortName if flags.get("shortNames") else attr.longName)
    return result or None


# --- keys ------------------------------------------------------------------------

def _keyTargets(names, attributes):
    """Plug keys that setKeyframe / keyframe act on."""
    if isinstance(attributes, str):
        attributes = [attributes]
    result = []
    objects = names or [_display(n) for n in SCENE.selection]
    for name in objects:
        if "." in name:
            result.append(_plug(name))
            continue
        node = _node(name)
        if attributes:
            for a in attributes:
                result.append(_plug("%s.%s" % (_display(node), a)))
        elif node.keys is not None:
            result.append(("curve", node))
        else:
            for top in node.topAttrs():
                for attr in top.walk():
                    if attr.arrayDepth() or attr.children:
                        continue
                    key = (node, attr, ())
                    if SCENE.isKeyable(key) and SCENE.curveTypeFor(attr) is not None:
                        result.append(key)
    return result


def _leafKeys(key):
    node, attr, indices = key
    if not attr.children:
        return [key]
    result = []
    for child in attr.children:
        result.extend(_leafKeys((node, child, indices)))
    return result


def _times(value, default):
    if value is None:
        return [default]
    if isinstance(value, (list, tuple)):
        return [SCENE.ticksFromUi(v) for v in value]
    return [SCENE.ticksFromUi(value)]


@_command("setKeyframe", dict(attribute="at", time="t", value="v",
                              breakdown="bd", inTangentType="itt",
                              outTangentType="ott", hierarchy="hi",
                              controlPoints="cp", shape="s", animLayer="al",
                              identity="id", insert="i", dirtyDG="dd",
                              respectKeyable="rk", minimizeRotation="mr",
                              noResolve="nr", float="f", animated="an",
                              useCurrentLockedWeights="lw"))
def setKeyframe(*args, **flags):
    """Returns the number of keys set.  A key's value defaults to the plug's
    value at that time; ``value`` is in working units; ``insert`` keys an
    animated plug's curve with the curve's own value, keeping its shape.  A
    plug in animation layers is keyed on the curve of the ``animLayer`` layer when that layer
    holds it (Maya ignores the flag otherwise), else of its best layer (see
    ``maya._layers``); ``value`` is then the layer's own value, and a key
    in a locked layer is not set."""
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    count = 0
    edited = []
    for target in targets:
        if target[0] == "curve":
            continue
        for key in _leafKeys(target):
            if SCENE.isLocked(key) or key[0].locked:
                continue
            if SCENE.curveTypeFor(key[1]) is None:
                continue
            slot = _layers.keySlot(key, flags.get("animLayer"))
            if slot is False:
                continue  # the layer that would take the key is locked
            if slot is None:
                if SCENE.connections.get(key) is not None and SCENE.curveDriving(key) is None:
                    continue
                if flags.get("animated") and SCENE.curveDriving(key) is None:
                    continue
            elif flags.get("animated") and not _layers.curvesFeeding(key):
                continue
            for ticks in _times(flags.get("time"), SCENE.currentTicks):
                value = None
                inserted = SCENE.curveDriving(key if slot is None else slot) \
                    if flags.get("insert") else None
                if inserted is not None:  # keeps the curve's shape
                    value = SCENE.evaluateCurve(inserted, ticks)
                elif flags.get("value") is not None:
                    value = _fromUi(key[1], flags["value"])
                elif slot is not None:
                    value = _layers.valueToKey(key, slot, ticks)
                elif key in SCENE.overrides and ticks == SCENE.currentTicks:
                    value = SCENE.overrides[key]
                curve = SCENE.keyPlug(key if slot is None else slot, ticks, value)
                _setNewKeyTangents(curve, ticks, flags)
                if curve not in edited:
                    edited.append(curve)
                count += 1
    if edited:
        from .OpenMayaAnim import _fireCurvesEdited
        _fireCurvesEdited(edited)
    return count


def _setNewKeyTangents(curve, ticks, flags):
    """Give the key at ``ticks`` the tangent types setKeyframe was given."""
    for flag, side in (("inTangentType", "inTangent"), ("outTangentType", "outTangent")):
        if flags.get(flag) is not None:
            index = [abs(k[0] - ticks) < 1e-6 for k in curve.keys].index(True)
            _keys.setTangentType(curve, index, side, flags[flag])


def _curvesOf(targets):
    curves = []
    for target in targets:
        if target[0] == "curve":
            curves.append((None, target[1]))
            continue
        for key in _leafKeys(target):
            curve = SCENE.curveDriving(key)
            if curve is None and _layers.chain(key):
                curve = SCENE.curveDriving(_layers.slotOf(_layers.bestLayer(key), key))
            if curve is not None:
                curves.append((key, curve))
    return curves


def _inRange(ticks, rangeTicks):
    if rangeTicks is None:
        return True
    lo, hi = rangeTicks
    return lo - 1e-6 <= ticks <= hi + 1e-6


def _timeRange(value):
    if value is None:
        return None
    if isinstance(value, (list, tuple)):
        if len(value) == 1:
            value = value[0]
        if isinstance(value, (list, tuple)):
            lo, hi = value[0], value[-1]
        else:
            lo, hi = value, value
    else:
        lo, hi = value, value
    lo = SCENE.ticksFromUi(lo) if lo not in (None, "") else float("-inf")
    hi = SCENE.ticksFromUi(hi) if hi not in (None, "") else float("inf")
    return lo, hi


def _indexRange(value):
    """A key command's ``index`` flag as an inclusive (first, last) pair, or
    ``None``: one index, a one-element list of either, or a pair."""
    if value is None:
        return None
    if not isinstance(value, (list, tuple)):
        return (value, value)
    if len(value) == 1:
        return value[0] if isinstance(value[0], (list, tuple)) else (value[0], value[0])
    return value


def _keysIn(curve, rangeTicks, indexRange, activeOnly=False, upperBound=True):
    """``(index, key)`` of the keys of ``curve`` in an index range and a time
    range (both inclusive, either ``None`` for all; ``upperBound`` False
    leaves out the last time of a range), only selected keys when
    ``activeOnly``."""
    for i, k in enumerate(curve.keys):
        if indexRange is not None and not indexRange[0] <= i <= indexRange[-1]:
            continue
        if activeOnly and not _keys.isSelected(k):
            continue
        if not _inRange(k[0], rangeTicks):
            continue
        if not upperBound and rangeTicks is not None and rangeTicks[0] < rangeTicks[1] \
                and abs(k[0] - rangeTicks[1]) < 1e-6:
            continue
        yield i, k


def _activeCurves():
    """``(None, curve)`` for every anim curve that has selected keys, in
    creation order."""
    return [(None, node) for node in SCENE.nodes
            if node.keys is not None and any(_keys.isSelected(k) for k in node.keys)]


def _keyset(names, flags, curves):
    """The curves a key command works on, and whether only their selected
    keys count, by Maya's ``animation`` rule ("keysOrObjects" unless given):
    with no object or attribute named, the selected keys when there are any,
    else ``curves`` (of the named or selected objects); "keys" always takes
    the selected keys and "objects" never does.  ``selected`` (queries) keeps
    only selected keys, of ``curves`` when something is named."""
    named = bool(names) or bool(flags.get("attribute"))
    if flags.get("selected"):
        if named:
            return [(k, c) for k, c in curves if any(_keys.isSelected(x) for x in c.keys)], True
        return _activeCurves(), True
    animation = flags.get("animation") or "keysOrObjects"
    if animation == "objects" or (animation != "keys" and named):
        return curves, False  # named objects never look at the key selection
    active = _activeCurves()
    if animation == "keys" or active:
        return active, True
    return curves, False


@_command("keyframe", dict(query="q", edit="e", timeChange="tc", valueChange="vc",
                           keyframeCount="kc", attribute="at", time="t",
                           index="in", absolute="a", relative="r", option="o",
                           name="n", indexValue="iv", selected="sl",
                           float="f", lastSelected="lsl", hierarchy="hi",
                           controlPoints="cp", shape="s", animation="an",
                           includeUpperBound="iub", tangent="tgt",
                           breakdown="bd", eval="ev", tickDrawSpecial="tds"))
def keyframe(*args, **flags):
    """Query (``query=True``) or edit (``edit=True``) keys.  Queries answer
    ``None`` when there are no keys; times and values in working units.
    ``breakdown`` queries the times of the breakdown keys; ``breakdown`` and
    ``tickDrawSpecial`` edits set those flags of the keys (see
    ``maya._keys``).  A plug in animation layers answers with the curve of
    its best layer (see ``maya._layers``).  Which keys count follows
    ``_keyset``: with no object or attribute named, the selected keys when
    there are any; ``selected`` keeps only selected keys."""
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    curves, activeOnly = _keyset(names, flags, _curvesOf(targets))
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))

    def selectedKeys(curve):
        return _keysIn(curve, rangeTicks, indexRange, activeOnly)

    def uiValue(key, curve, value):
        attr = key[1] if key is not None else curve.findAttr("output")
        return _toUi(attr, value) if attr.kind != _attrs.NUMERIC else float(value)

    if flags.get("query"):
        if flags.get("name"):
            return [c.name for _, c in curves] or None
        if flags.get("keyframeCount"):
            return sum(len(list(selectedKeys(c))) for _, c in curves)
        result = []
        for key, curve in curves:
            for i, k in selectedKeys(curve):
                if flags.get("timeChange"):
                    result.append(SCENE.ticksToUi(k[0]))
                if flags.get("valueChange"):
                    result.append(float(uiValue(key, curve, k[1])))
                if flags.get("indexValue"):
                    result.append(i)
                if flags.get("breakdown") and _keys.isBreakdown(k):
                    result.append(SCENE.ticksToUi(k[0]))
        return result or None
    if flags.get("edit") or flags.get("timeChange") is not None \
            or flags.get("valueChange") is not None:
        relative = flags.get("relative") and not flags.get("absolute")
        changed = 0
        edited = []
        for key, curve in curves:
            attr = key[1] if key is not None else curve.findAttr("output")
            for i, k in list(selectedKeys(curve)):
                if flags.get("valueChange") is not None:
                    v = flags["valueChange"]
                    if relative:
                        k[1] = k[1] + (_fromUi(attr, v) - _fromUi(attr, 0))
                    else:
                        k[1] = _fromUi(attr, v)
                if flags.get("timeChange") is not None:
                    t = flags["timeChange"]
                    k[0] = k[0] + SCENE.ticksFromUi(t) if relative else SCENE.ticksFromUi(t)
                for flag in ("breakdown", "tickDrawSpecial"):
                    if flags.get(flag) is not None:
                        _keys.setFlag(curve, i, flag, flags[flag])
                changed += 1
            curve.keys.sort(key=lambda item: item[0])
            edited.append(curve)
        if edited:
            from .OpenMayaAnim import _fireCurvesEdited
            _fireCurvesEdited(edited)
        return changed
    return len(curves)


@_command("cutKey", dict(attribute="at", time="t", index="in", clear="cl",
                         option="o", hierarchy="hi", controlPoints="cp",
                         shape="s", animation="an", float="f",
                         includeUpperBound="iub", selectKey="sl"))
def cutKey(*args, **flags):
    """Removes keys (all, or those in ``time``); a curve left without keys is
    deleted.  Returns the number of curves changed."""
    names = _names(args)
    curves = _curvesOf(_keyTargets(names, flags.get("attribute")))
    rangeTicks = _timeRange(flags.get("time"))
    changed = 0
    for key, curve in curves:
        before = len(curve.keys)
        curve.keys[:] = [k for k in curve.keys if not _inRange(k[0], rangeTicks)]
        if len(curve.keys) != before:
            changed += 1
        if not curve.keys:
            SCENE.delete([curve])
    return changed


@_command("keyTangent", dict(query="q", edit="e", attribute="at", time="t", index="in",
                             inTangentType="itt", outTangentType="ott",
                             weightedTangents="wt", animation="an", float="f",
                             hierarchy="hi", controlPoints="cp", shape="s",
                             includeUpperBound="iub"))
def keyTangent(*args, **flags):
    """Tangent types of keys and the weighted flag of curves, with
    ``keyframe``'s choice of keys (see ``_keyset``).

    Queries: ``inTangentType`` / ``outTangentType`` answer the type names
    of the keys in order ("auto", "linear", ...), ``weightedTangents`` one
    boolean per curve; ``None`` when nothing matches.  Edits (the default
    mode) set the given types on the keys and ``weightedTangents`` on the
    curves, and answer the number of curves changed.  Types are recorded
    only: the stand-in's curves interpolate linearly (see ``maya._keys``).
    """
    names = _names(args)
    curves, activeOnly = _keyset(names, flags, _curvesOf(_keyTargets(names, flags.get("attribute"))))
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))
    if flags.get("query"):
        result = []
        for _, curve in curves:
            if flags.get("weightedTangents"):
                result.append(bool(SCENE.value((curve, curve.findAttr("weightedTangents"), ()))))
                continue
            for _, k in _keysIn(curve, rangeTicks, indexRange, activeOnly):
                inType, outType = _keys.tangentTypes(k)
                if flags.get("inTangentType"):
                    result.append(inType)
                if flags.get("outTangentType"):
                    result.append(outType)
        return result or None
    for flag in ("inTangentType", "outTangentType"):
        if flags.get(flag) is not None and flags[flag] not in _keys.TANGENT_TYPES:
            raise RuntimeError("keyTangent: Invalid tangent type '%s'." % flags[flag])
    changed = 0
    for _, curve in curves:
        if flags.get("weightedTangents") is not None:
            SCENE.setValue((curve, curve.findAttr("weightedTangents"), ()),
                           bool(flags["weightedTangents"]))
        for i, _ in list(_keysIn(curve, rangeTicks, indexRange, activeOnly)):
            for flag, side in (("inTangentType", "inTangent"), ("outTangentType", "outTangent")):
                if flags.get(flag) is not None:
                    _keys.setTangentType(curve, i, side, flags[flag])
        changed += 1
    return changed


# Flags of selectKey that pick tangents or unitless-input keys, which the
# stand-in does not model.
_UNMODELLED_KEY_SELECTION = ("inTangent", "outTangent", "float", "unsnappedKeys")


def _clearKeySelection():
    """Take every key off the active list; returns the curves that had
    selected keys."""
    cleared = []
    for _, curve in _activeCurves():
        for i, k in enumerate(curve.keys):
            if _keys.isSelected(k):
                _keys.setFlag(curve, i, "selected", False)
        cleared.append(curve)
    return cleared


@_command("selectKey", dict(addTo="add", animation="an", attribute="at", clear="cl",
                            controlPoints="cp", float="f", hierarchy="hi", inTangent="it",
                            includeUpperBound="iub", index="in", keyframe="k",
                            outTangent="ot", remove="rm", replace="r", shape="s",
                            time="t", toggle="tgl", unsnappedKeys="uk"))
def selectKey(*args, **flags):
    """Puts keys on the active list: those of the curves ``keyframe`` would
    work on (see ``_keyset``) in ``time`` and ``index``, replacing the key
    selection unless ``addTo``, ``remove`` or ``toggle`` is given; ``clear``
    empties it.  Returns the number of curves whose keys were selected or
    deselected.  A reversed time range holds no key.  The key selection is
    kept apart from the object selection (``ls -sl`` does not list curves);
    selecting tangents or unitless-input keys is not modelled and raises,
    and ``hierarchy``, ``shape`` and ``controlPoints`` change nothing."""
    for flag in _UNMODELLED_KEY_SELECTION:
        if flags.get(flag):
            raise RuntimeError("selectKey: the %s flag is not modelled by the stand-in." % flag)
    if flags.get("clear"):
        return len(_clearKeySelection())
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    curves, activeOnly = _keyset(names, flags, _curvesOf(targets))
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))
    upperBound = flags.get("includeUpperBound", True) is not False
    if flags.get("remove"):
        mode = "remove"
    elif flags.get("toggle"):
        mode = "toggle"
    elif flags.get("addTo"):
        mode = "add"
    else:
        mode = "replace"
    chosen = []
    seen = set()
    for _, curve in curves:
        if curve in seen:
            continue
        seen.add(curve)
        picked = [i for i, _ in _keysIn(curve, rangeTicks, indexRange, activeOnly, upperBound)]
        if picked:
            chosen.append((curve, picked))
    if mode == "replace":
        _clearKeySelection()
    for curve, picked in chosen:
        for i in picked:
            state = not _keys.isSelected(curve.keys[i]) if mode == "toggle" else mode != "remove"
            _keys.setFlag(curve, i, "selected", state)
    return len(chosen)


# --- animation layers ----------------------------------------------------------------

# Layer settings the animLayer command reads and writes as flags, by flag name
# (all but weight are on/off).
_LAYER_SETTINGS = ("mute", "lock", "solo", "override", "passthrough", "preferred",
                   "selected", "collapse", "weight")


def _layerPlugKeys(texts):
    """The leaf plug keys of plug names given to animLayer ("ctrl.t" gives
    its three children)."""
    keys = []
    for text in _names([texts]):
        for key in _leafKeys(_plug(text)):
            if key not in keys:
                keys.append(key)
    return keys


def _selectedLayerPlugs(flags):
    """The keyable plugs of the selected nodes that addSelectedObjects and
    removeSelectedObjects act on, less the excluded kinds."""
    excluded = {"translate": flags.get("excludeTranslate"),
                "rotate": flags.get("excludeRotate"),
                "scale": flags.get("excludeScale"),
                "visibility": flags.get("excludeVisibility")}
    keys = []
    for key in _keyTargets([_display(n) for n in SCENE.selection], None):
        if key[0] == "curve":
            continue
        attr = key[1]
        top = attr.parent.longName if attr.parent is not None else attr.longName
        if excluded.get(top) or (flags.get("excludeDynamic") and attr.dynamic) or \
                (flags.get("excludeEnum") and attr.kind == _attrs.ENUM) or \
                (flags.get("excludeBoolean") and attr.numericType == _attrs.N_BOOLEAN):
            continue
        keys.append(key)
    return keys


def _editLayer(layer, flags):
    """Apply animLayer's create or edit flags to one layer."""
    if flags.get("parent") and not isinstance(flags["parent"], bool):
        _layers.setParent(layer, _layers.layerNamed(flags["parent"]))
    for name in _LAYER_SETTINGS:
        if flags.get(name) is not None:
            _layers.setFlag(layer, name, flags[name])
    for key in _layerPlugKeys(flags.get("attribute")):
        _layers.addPlug(layer, key)
    if flags.get("addSelectedObjects"):
        for key in _selectedLayerPlugs(flags):
            _layers.addPlug(layer, key)
    for key in _layerPlugKeys(flags.get("removeAttribute")):
        _layers.removePlug(layer, key)
    if flags.get("removeSelectedObjects"):
        for key in _selectedLayerPlugs(flags):
            _layers.removePlug(layer, key)
    if flags.get("removeAllAttributes"):
        _layers.dissolve(layer)


def _layerNames(layers):
    """Names of nodes for a query answer; None for none."""
    return [layer.name for layer in layers] or None


def _curveNames(curves):
    """Names of curves for a query answer; None for none."""
    return [curve.name for curve in curves] or None


def _bestLayers(names, flags):
    """Names of the best layers for the given (or selected) objects, or for
    the plugs the attribute flag names."""
    if _layers.baseLayer() is None:
        return None
    if isinstance(flags.get("attribute"), (str, list, tuple)):
        found = [_layers.bestLayer(key) for key in _layerPlugKeys(flags["attribute"])]
    else:
        nodes = _nodes(names)
        found = [_layers.bestLayerFor(_layers.layersOfNodes([node])) for node in nodes]
    result = []
    for layer in found:
        if layer.name not in result:
            result.append(layer.name)
    return result or None


def _queryLayer(names, flags):
    """animLayer in query mode."""
    if flags.get("exists"):
        return bool(names) and any(_layers.isLayer(n) for n in SCENE.resolve(names[0]))
    if flags.get("root"):
        base = _layers.baseLayer()
        return base.name if base is not None else None
    if flags.get("bestAnimLayer"):
        return _bestLayers(names, flags)
    if flags.get("bestLayer"):
        keys = _layerPlugKeys(names or flags.get("attribute"))
        return _layers.bestLayer(keys[0]).name if keys and _layers.baseLayer() else None
    if flags.get("affectedLayers"):
        affected = _layers.layersOfNodes(_nodes(names))
        return [_layers.BASE_LAYER] + _layerNames(affected) if affected else None
    if flags.get("maxLayers"):
        return 1000000
    if isinstance(flags.get("children"), str):
        names = [flags["children"]]
    if not names:
        raise RuntimeError("animLayer: No animation layer was given.")
    layer = _layers.layerNamed(names[0])
    if flags.get("children"):
        return _layerNames(_layers.childLayers(layer))
    if flags.get("parent"):
        parent = _layers.parentOf(layer)
        return parent.name if parent is not None else None
    if flags.get("animCurves"):
        return _curveNames(_layers.layerCurves(layer))
    if flags.get("baseAnimCurves"):
        return _curveNames(_layers.baseCurves(layer))
    if flags.get("blendNodes"):
        return _layerNames(_layers.blendsOf(layer))
    if isinstance(flags.get("findCurveForPlug"), str):
        slot = _layers.slotOf(layer, _plug(flags["findCurveForPlug"]))
        curve = SCENE.curveDriving(slot) if slot is not None else None
        return [curve.name] if curve is not None else None
    if isinstance(flags.get("layeredPlug"), str):
        slot = _layers.slotOf(layer, _plug(flags["layeredPlug"]))
        return _plugText(slot) if slot is not None else None
    if flags.get("attribute"):
        return [_plugText(key) for key in _layers.members(layer)] or None
    for name in _LAYER_SETTINGS:
        if flags.get(name):
            value = _layers.flag(layer, name)
            return float(value) if name == "weight" else bool(value)
    raise RuntimeError("animLayer: a query flag is required by the stand-in.")


@_command("animLayer", dict(
    query="q", edit="e", addRelatedKG="akg", addSelectedObjects="aso",
    affectedLayers="afl", animCurves="anc", attribute="at", baseAnimCurves="bac",
    bestAnimLayer="blr", bestLayer="bl", blendNodes="bld", children="c", collapse="col",
    copy="cp", copyAnimation="ca", copyNoAnimation="cna", excludeBoolean="ebl",
    excludeDynamic="edn", excludeEnum="een", excludeRotate="ert", excludeScale="esc",
    excludeTranslate="etr", excludeVisibility="evs", exists="ex", extractAnimation="ea",
    findCurveForPlug="fcv", forceUIRebuild="fur", forceUIRefresh="uir", layeredPlug="lp",
    lock="l", maxLayers="ml", moveLayerAfter="mva", moveLayerBefore="mvb", mute="m",
    override="o", parent="p", passthrough="pth", preferred="prf", removeAllAttributes="raa",
    removeAttribute="ra", removeSelectedObjects="rso", root="r", selected="sel", solo="s",
    weight="w", writeBlendnodeDestinations="wbd"))
def animLayer(*args, **flags):
    """Creates a layer (returns its name, made unique as a node name is, and
    makes BaseAnimation first), edits layers (``edit=True``) or answers a
    query (``query=True``); see ``maya._layers`` for the model.  Queries of
    lists answer ``None`` when empty; ``affectedLayers`` and
    ``bestAnimLayer`` read the selection when no object is given.  The copy,
    extract and move flags are not modelled and raise."""
    names = _names(args)
    for unmodelled in ("copy", "copyAnimation", "copyNoAnimation", "extractAnimation",
                       "moveLayerAfter", "moveLayerBefore"):
        if flags.get(unmodelled):
            raise RuntimeError("animLayer: -%s is not modelled by the stand-in." % unmodelled)
    if flags.get("query"):
        return _queryLayer(names, flags)
    if flags.get("edit"):
        if not names:
            raise RuntimeError("animLayer: No animation layer was given.")
        for name in names:
            _editLayer(_layers.layerNamed(name), flags)
        return None
    parent = None
    if flags.get("parent"):
        parent = _layers.layerNamed(flags.pop("parent"))
    layer = _layers.createLayer(names[0] if names else None, parent)
    _editLayer(layer, flags)
    return layer.name


# --- units and time ----------------------------------------------------------------

@_command("currentUnit", dict(linear="l", angle="a", time="t", query="q",
                              fullName="f", updateAnimation="ua"))
def currentUnit(**flags):
    if flags.get("query"):
        full = flags.get("fullName")
        if flags.get("angle"):
            table = _units.ANGLE_FULL if full else _units.ANGLE_SHORT
            return table[SCENE.angleUnit]
        if flags.get("time"):
            table = _units.TIME_FULL_NAMES if full else _units.TIME_UNIT_NAMES
            return table.get(SCENE.timeUnit, _units.TIME_UNIT_NAMES[SCENE.timeUnit])
        table = _units.LINEAR_FULL if full else _units.LINEAR_SHORT
        return table[SCENE.linearUnit]
    if flags.get("linear"):
        name = flags["linear"]
        if name not in _units.LINEAR_NAMES:
            raise RuntimeError("currentUnit: Invalid linear unit '%s'." % name)
        SCENE.linearUnit = _units.LINEAR_NAMES[name]
    if flags.get("angle"):
        name = flags["angle"]
        if name not in _units.ANGLE_NAMES:
            raise RuntimeError("currentUnit: Invalid angle unit '%s'." % name)
        SCENE.angleUnit = _units.ANGLE_NAMES[name]
    if flags.get("time"):
        name = flags["time"]
        if name not in _units.TIME_NAMES:
            raise RuntimeError("currentUnit: Invalid time unit '%s'." % name)
        SCENE.timeUnit = _units.TIME_NAMES[name]


@_command("currentTime", dict(query="q", edit="e", update="u"))
def currentTime(*args, **flags):
    """Sets (first argument, in the current time unit) or queries the
    current time; both answer the current time as a float."""
    if flags.get("query") or not args:
        return SCENE.ticksToUi(SCENE.currentTicks)
    value = args[0]
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError("currentTime: the time must be a number.")
    SCENE.setCurrentTicks(SCENE.ticksFromUi(value))
    return SCENE.ticksToUi(SCENE.currentTicks)


@_command("refresh", dict(suspend="su", force="f", currentView="cv",
                          fileExtension="fe", filename="fn"))
def refresh(**flags):
    """Redrawing is not modelled; ``suspend`` sets the flag that
    ``maya._scene.SCENE.refreshSuspended`` shows."""
    if "suspend" in flags:
        SCENE.refreshSuspended = bool(flags["suspend"])


@_command("playbackOptions", dict(query="q", edit="e", minTime="min", maxTime="max",
                                  animationStartTime="ast", animationEndTime="aet",
                                  loop="l", playbackSpeed="ps", by="by",
                                  view="v", framesPerSecond="fps"))
def playbackOptions(**flags):
    fields = (("minTime", "minTicks"), ("maxTime", "maxTicks"),
              ("animationStartTime", "animStartTicks"),
              ("animationEndTime", "animEndTicks"))
    if flags.get("query"):
        for flag, field in fields:
            if flags.get(flag):
                return SCENE.ticksToUi(getattr(SCENE, field))
        if flags.get("loop"):
            return "continuous"
        if flags.get("playbackSpeed"):
            return 1.0
        if flags.get("by"):
            return 1.0
        return None
    for flag, field in fields:
        if flags.get(flag) is not None and not isinstance(flags[flag], bool):
            setattr(SCENE, field, SCENE.ticksFromUi(flags[flag]))


# --- transforms ------------------------------------------------------------------

@_command("xform", dict(query="q", translation="t", rotation="ro", scale="s",
                        worldSpace="ws", objectSpace="os", relative="r",
                        absolute="a", matrix="m", rotatePivot="rp",
                        scalePivot="sp", rotateOrder="roo", preserve="p",
                        rotateAxis="ra", shear="sh", pivots="piv",
                        boundingBox="bb", worldSpaceDistance="wd",
                        zeroTransformPivots="ztp", centerPivots="cp",
                        eulerFilter="ef", reflection="rfl"))
def xform(*args, **flags):
    """Translation in working linear units, rotation in working angle units.
    World space is supported for the translation and matrix queries."""
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
    """Creates a joint, or queries / edits one named joint.

    A new joint is made under the selected joint (the first selected node,
    when it is a joint; else at the top of the hierarchy), takes its
    parent's scale into its inverseScale, as Maya wires it, and becomes the
    selection.  ``position`` is a world position (working linear units),
    relative to the parent joint with ``relative``; ``orientation`` is the
    joint orient and ``angleX/Y/Z`` the rotation (working angle units);
    ``rotationOrder`` a name such as "yzx".  Queries answer the same forms
    (``position`` in world space unless ``relative``)."""
    names = _names(args)
    if flags.get("exists"):
        return bool(names) and any(n.nodeType.isA("joint") for n in SCENE.resolve(names[0]))
    if flags.get("query") or flags.get("edit"):
        node = _node(names[0]) if names else (SCENE.selection[0] if SCENE.selection else None)
        if node is None or not node.nodeType.isA("joint"):
            raise RuntimeError("joint: No joint given or selected.")
        if flags.get("query"):
            return _queryJoint(node, flags)
        _editJoint(node, flags)
        return None
    parent = SCENE.selection[0] if SCENE.selection else None
    if parent is not None and not parent.nodeType.isA("joint"):
        parent = None
    node = SCENE.createNode("joint", flags.get("name"), parent)
    if parent is not None:
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


@_command("lockNode", dict(lock="l", query="q", lockName="ln",
                           lockUnpublished="lu", ignoreComponents="ic"))
def lockNode(*args, **flags):
    nodes = _nodes(_names(args))
    if flags.get("query"):
        return [n.locked for n in nodes]
    for node in nodes:
        node.locked = bool(flags.get("lock", True))


@_command("namespace", dict(add="add", exists="ex", parent="p"))
def namespace(*args, **flags):
    """Adds a namespace (returning its name) or asks whether one exists.

    Only the namespaces' names are modelled: a node takes its namespace from
    the prefix of its name, and the current namespace stays the root."""
    if "exists" in flags:
        name = flags["exists"] if flags["exists"] is not True else (args[0] if args else "")
        return name.strip(":") in SCENE.namespaces
    if flags.get("add"):
        parent = (flags.get("parent") or "").strip(":")
        name = (parent + ":" if parent else "") + flags["add"].strip(":")
        if parent and parent not in SCENE.namespaces:
            raise RuntimeError("namespace: Namespace '%s' does not exist." % parent)
        if name in SCENE.namespaces:
            raise RuntimeError("namespace: A namespace called '%s' already exists." % name)
        SCENE.namespaces.add(name)
        return name
    raise RuntimeError("namespace: only add and exists are supported by the stand-in.")


# --- constraints and expressions ------------------------------------------------------

# What each constraint type drives: (translate, rotate).
_CONSTRAINT_CHANNELS = {"parentConstraint": (True, True), "pointConstraint": (True, False),
                        "orientConstraint": (False, True)}


def _worldPivot(node):
    """World position of a transform's rotate pivot."""
    rp = SCENE._vector(node, "rotatePivot", None)
    m = SCENE.worldMatrix(node)
    return [rp[0] * m[c] + rp[1] * m[4 + c] + rp[2] * m[8 + c] + m[12 + c] for c in range(3)]


def _constraintValues(kind, driven, targets, weights):
    """(translate, rotate) in internal units that put ``driven`` where the
    weighted targets are: their world rotate pivots averaged, their world
    rotations averaged as Euler angles; the driven node's own pivots are
    taken as zero."""
    total = sum(weights) or 1.0
    world = SCENE.worldMatrix(driven)
    t, s, rotation = _math.decompose(world)
    doTranslate, doRotate = _CONSTRAINT_CHANNELS[kind]
    if doTranslate:
        pivots = [_worldPivot(target) for target in targets]
        t = [sum(w * p[c] for w, p in zip(weights, pivots)) / total for c in range(3)]
    if doRotate:
        angles = [_math.matrixToEuler(_math.decompose(SCENE.worldMatrix(target))[2], 0)
                  for target in targets]
        mean = [sum(w * a[c] for w, a in zip(weights, angles)) / total for c in range(3)]
        rotation = _math.euler(mean[0], mean[1], mean[2], 0)
    wanted = _math.chain(_math.scaling(*s), rotation, _math.translation(*t))
    channels = _channelsForWorld(driven, wanted)
    if channels is None:
        return None
    return channels[0], channels[1]


def _constraintOf(kind, driven):
    """The constraint of this kind already under ``driven``, or None."""
    for child in driven.children:
        if child.typeName == kind:
            return child
    return None


def _targetsOf(constraint):
    """(index, target node) of each connected target of a constraint."""
    result = []
    parentMatrix = constraint.findAttr("targetParentMatrix")
    for index in SCENE.existingIndices(constraint, constraint.findAttr("target"), ()):
        src = SCENE.connections.get((constraint, parentMatrix, (index,)))
        if src is not None:
            result.append((index, src[0]))
    return result


def _weightAlias(constraint, index):
    """The weight alias attribute of a constraint's target[index]."""
    return constraint.findAttr("w%d" % index)


def _addTarget(constraint, target, weight, translate, rotate):
    """Wire a target into the next target[] element with its weight alias
    "<target>W<index>"."""
    index = 0
    while any(i == index for i, _ in _targetsOf(constraint)):
        index += 1

    def wire(source, name):
        """Connect the target's attribute to target[index].<name>."""
        srcAttr = target.findAttr(source)
        if srcAttr is not None:
            src = (target, srcAttr, (0,) if srcAttr.multi else ())
            SCENE._connect(src, (constraint, constraint.findAttr(name), (index,)))
    if translate:
        wire("translate", "targetTranslate")
        wire("rotatePivot", "targetRotatePivot")
        wire("rotatePivotTranslate", "targetRotateTranslate")
    if rotate:
        wire("rotate", "targetRotate")
        wire("rotateOrder", "targetRotateOrder")
        if target.nodeType.isA("joint"):
            wire("jointOrient", "targetJointOrient")
    wire("scale", "targetScale")
    wire("parentMatrix", "targetParentMatrix")
    alias = _attrs.double("%sW%d" % (target.name, index), "w%d" % index, weight,
                          keyable=True, minValue=0.0)
    SCENE.addDynamicAttr(constraint, alias)
    SCENE._connect((constraint, alias, ()),
                   (constraint, constraint.findAttr("targetWeight"), (index,)))


def _constrain(kind, args, flags):
    """The constraint commands: create (or add targets to the constraint of
    this kind the driven node has), query or edit target weights."""
    names = _names(args)
    if flags.get("query") or flags.get("edit"):
        objects = _nodes(names)
        constraint = objects[-1] if objects and objects[-1].typeName == kind else None
        if constraint is None and objects:
            constraint = _constraintOf(kind, objects[-1])
        if constraint is None:
            raise RuntimeError("%s: No constraint of this kind on the objects given." % kind)
        targets = _targetsOf(constraint)
        if flags.get("query"):
            if flags.get("targetList"):
                return [_display(t) for _, t in targets] or None
            if flags.get("weightAliasList"):
                return [_weightAlias(constraint, i).longName for i, _ in targets] or None
            if flags.get("weight"):
                wanted = [t for t in objects if t is not constraint][:-1] or \
                    [t for _, t in targets]
                values = [SCENE.value((constraint, _weightAlias(constraint, i), ()))
                          for i, t in targets if t in wanted]
                return values[0] if len(values) == 1 else values
            raise RuntimeError("%s: a query flag is required by the stand-in." % kind)
        if flags.get("weight") is not None:
            for index, target in targets:
                if target in objects[:-1]:
                    SCENE.setPlugValue((constraint, _weightAlias(constraint, index), ()),
                                       float(flags["weight"]))
        return None
    objects = _nodes(names)
    if len(objects) < 2:
        raise RuntimeError("%s: Not enough objects or values." % kind)
    targets, driven = objects[:-1], objects[-1]
    if not driven.nodeType.isTransform:
        raise RuntimeError("%s: '%s' is not a transform and cannot be constrained."
                           % (kind, _display(driven)))
    translate, rotate = _CONSTRAINT_CHANNELS[kind]
    skipped = set()
    for flag in ("skip", "skipTranslate", "skipRotate"):
        value = flags.get(flag)
        for axis in ([value] if isinstance(value, str) else value or ()):
            if axis != "none":
                skipped.add((flag, axis))
    constraint = _constraintOf(kind, driven)
    if constraint is None:
        name = flags.get("name") or SCENE.autoName("%s_%s" % (driven.name, kind))
        constraint = SCENE.createNode(kind, name, driven)
        for attr in constraint.findAttr("translate").children + \
                constraint.findAttr("rotate").children + constraint.findAttr("scale").children:
            SCENE.setKeyable((constraint, attr, ()), False)
        SCENE._connect((driven, driven.findAttr("parentInverseMatrix"), (0,)),
                       (constraint, constraint.findAttr("constraintParentInverseMatrix"), ()))
        if translate:
            SCENE._connect((driven, driven.findAttr("rotatePivot"), ()),
                           (constraint, constraint.findAttr("constraintRotatePivot"), ()))
            SCENE._connect((driven, driven.findAttr("rotatePivotTranslate"), ()),
                           (constraint, constraint.findAttr("constraintRotateTranslate"), ()))
        if rotate:
            SCENE._connect((driven, driven.findAttr("rotateOrder"), ()),
                           (constraint, constraint.findAttr("constraintRotateOrder"), ()))
    weight = float(flags.get("weight", 1.0))
    for target in targets:
        if target not in [t for _, t in _targetsOf(constraint)]:
            _addTarget(constraint, target, weight, translate, rotate)
    current = [[SCENE.value((driven, c, ())) for c in driven.findAttr(name).children]
               for name in ("translate", "rotate")]
    if flags.get("maintainOffset"):
        values = current
    else:
        allTargets = [t for _, t in _targetsOf(constraint)]
        weights = [SCENE.value((constraint, _weightAlias(constraint, i), ()))
                   for i, _ in _targetsOf(constraint)]
        values = _constraintValues(kind, driven, allTargets, weights) or current
    offset = flags.get("offset") or (0.0, 0.0, 0.0)
    for position, (channel, output, on, skipFlag) in enumerate((
            ("translate", "constraintTranslate", translate, "skipTranslate"),
            ("rotate", "constraintRotate", rotate, "skipRotate"))):
        if not on:
            continue
        outs = constraint.findAttr(output).children
        for axis, (out, plugAttr) in enumerate(zip(outs, driven.findAttr(channel).children)):
            letter = "xyz"[axis]
            extra = _fromUi(out, offset[axis]) if not flags.get("maintainOffset") else 0.0
            SCENE.setValue((constraint, out, ()), float(values[position][axis]) + extra)
            plug = (driven, plugAttr, ())
            if (skipFlag, letter) in skipped or ("skip", letter) in skipped \
                    or SCENE.isLocked(plug):
                continue
            previous = SCENE.connections.get(plug)
            if previous is not None and previous[0] is constraint:
                continue
            if previous is not None and not SCENE.isAnimationNode(previous[0]):
                raise RuntimeError("%s: '%s' already has an incoming connection from '%s'."
                                   % (kind, _plugText(plug), _plugText(previous)))
            if previous is not None:
                SCENE._disconnect(previous, plug)
            SCENE._connect((constraint, out, ()), plug)
    return [_display(constraint)]


_CONSTRAINT_FLAGS = dict(maintainOffset="mo", weight="w", name="n", remove="rm",
                         targetList="tl", weightAliasList="wal", layer="l", query="q",
                         edit="e")


@_command("parentConstraint", dict(_CONSTRAINT_FLAGS, skipTranslate="st", skipRotate="sr",
                                   decompRotationToChild="dr"))
def parentConstraint(*args, **flags):
    """``parentConstraint(target..., driven)``: a parentConstraint node named
    "<driven>_parentConstraint1", parented under the driven transform, whose
    constraintTranslate and constraintRotate children drive translate and
    rotate; returns ``[name]``.  Its outputs are computed when the command
    runs (the targets' world rotate pivot and rotation, weighted; the
    driven node's own pivots taken as zero) and held: moving a target later
    moves nothing.  A channel an anim curve drove is taken over without the
    pairBlend Maya would insert; a locked or skipped channel is left alone."""
    return _constrain("parentConstraint", args, flags)


@_command("pointConstraint", dict(_CONSTRAINT_FLAGS, offset="o", skip="sk"))
def pointConstraint(*args, **flags):
    """As ``parentConstraint``, translate only ("<driven>_pointConstraint1");
    ``offset`` is added in working units."""
    return _constrain("pointConstraint", args, flags)


@_command("orientConstraint", dict(_CONSTRAINT_FLAGS, offset="o", skip="sk"))
def orientConstraint(*args, **flags):
    """As ``parentConstraint``, rotate only ("<driven>_orientConstraint1");
    ``offset`` is added in working units."""
    return _constrain("orientConstraint", args, flags)


# An attribute reference in an expression: "node.attr", "node.attr[2].child"
# or a bare "attr" of the default object; $variables are not references.
_EXPRESSION_REFERENCE = re.compile(
    r"(?<![\w$.|:])((?:[A-Za-z_|:][\w|:]*\.)?[A-Za-z_]\w*(?:\[\d+\])?(?:\.[A-Za-z_]\w*)*)")
_EXPRESSION_ASSIGNMENT = re.compile(r"^\s*(.*?)\s*(?<![=!<>])=(?!=)(.*)$", re.S)
_EXPRESSION_TIME_WORDS = ("time", "frame")


def _expressionPlug(text, objectNode):
    """The plug an expression names, or None for a word that is no plug."""
    if "." in text:
        try:
            return _plug(text)
        except ValueError:
            return None
    if objectNode is not None and objectNode.findAttr(text.split("[")[0]) is not None:
        return _plug("%s.%s" % (_display(objectNode), text))
    return None


def _wireExpression(node, text, objectNode):
    """Connect an expression node: each assigned plug from output[i], each
    plug read into input[j], the time node into time when it reads time or
    frame, the default object's message into objectMsg."""
    outputs, inputs, usesTime = [], [], False
    for statement in text.split(";"):
        match = _EXPRESSION_ASSIGNMENT.match(statement)
        reads = statement
        if match is not None and (match.group(1).startswith("$")
                                  or _EXPRESSION_REFERENCE.fullmatch(match.group(1))):
            target = match.group(1)
            plug = _expressionPlug(target, objectNode)
            if plug is None and not target.startswith("$"):
                raise RuntimeError("expression: Attribute not found or variable missing "
                                   "'$': %s" % target)
            if plug is not None and plug not in outputs:
                outputs.append(plug)
            reads = match.group(2)
        for word in _EXPRESSION_REFERENCE.findall(reads):
            if word in _EXPRESSION_TIME_WORDS:
                usesTime = True
                continue
            plug = _expressionPlug(word, objectNode)
            if plug is not None and plug not in inputs and plug not in outputs:
                inputs.append(plug)
    outAttr, inAttr = node.findAttr("output"), node.findAttr("input")
    for index, plug in enumerate(outputs):
        out = (node, outAttr, (index,))
        SCENE.setValue(out, SCENE.value(plug))
        SCENE.connect(out, plug)
    for index, plug in enumerate(inputs):
        SCENE._connect(plug, (node, inAttr, (index,)))
    if usesTime:
        SCENE._connect((SCENE.time1, SCENE.time1.findAttr("outTime"), ()),
                       (node, node.findAttr("time"), ()))
    if objectNode is not None:
        SCENE._connect((objectNode, objectNode.findAttr("message"), ()),
                       (node, node.findAttr("objectMsg"), ()))


def _unwireExpression(node):
    """Disconnect every plug of an expression node."""
    for key in SCENE.connectionsOf(node):
        SCENE._disconnect(SCENE.connections[key], key)
    for src, dsts in list(SCENE.outgoing.items()):
        if src[0] is node:
            for dst in list(dsts):
                SCENE._disconnect(src, dst)


@_command("expression", dict(string="s", object="o", name="n", alwaysEvaluate="ae",
                             animated="an", attribute="a", safe="sf", shortNames="sn",
                             timeDependent="td", unitConversion="uc", query="q", edit="e"))
def expression(*args, **flags):
    """Creates an expression node ("expression1", or ``name``) and returns
    its name; queries and edits its string and default object.  The
    expression is not evaluated: each plug it assigns is driven from the
    node's output[i], which keeps the value the plug had when the
    expression was made; plugs it reads feed input[j], and ``time`` or
    ``frame`` connects time1.  Only "node.attr" references (and bare
    attributes of the default object) are recognised, and the string is
    kept as given, not in Maya's internal form."""
    names = _names(args)
    if flags.get("query") or flags.get("edit"):
        if not names:
            raise RuntimeError("expression: No expression node was given.")
        node = _node(names[0])
        if not node.nodeType.isA("expression"):
            raise RuntimeError("expression: '%s' is not an expression." % names[0])
        objectKey = SCENE.connections.get((node, node.findAttr("objectMsg"), ()))
        if flags.get("query"):
            if flags.get("string"):
                return SCENE.value((node, node.findAttr("internalExpression"), ()))
            if flags.get("object"):
                return _display(objectKey[0]) if objectKey is not None else ""
            if flags.get("name"):
                return node.name
            raise RuntimeError("expression: a query flag is required by the stand-in.")
        objectNode = _node(flags["object"]) if flags.get("object") else \
            (objectKey[0] if objectKey is not None else None)
        text = flags.get("string")
        if text is None:
            text = SCENE.value((node, node.findAttr("internalExpression"), ()))
        _unwireExpression(node)
        _wireExpression(node, text, objectNode)
        SCENE.setValue((node, node.findAttr("internalExpression"), ()), text)
        if flags.get("name"):
            SCENE.rename(node, flags["name"])
        return _display(node)
    text = flags.get("string")
    if not text:
        raise RuntimeError("expression: An expression string (-s) is required.")
    objectNode = _node(flags["object"]) if flags.get("object") else None
    node = SCENE.createNode("expression", flags.get("name"))
    try:
        _wireExpression(node, text, objectNode)
    except Exception:
        SCENE.delete([node])
        raise
    SCENE.setValue((node, node.findAttr("internalExpression"), ()), text)
    return _display(node)


# The Channel Box and time slider commands live with their state; imported
# last because that module builds on the helpers above.
from ._controls import channelBox, timeControl  # noqa: E402

__all__ = sorted(name for name, value in list(globals().items())
                 if not name.startswith("_") and callable(value)
                 and getattr(value, "__module__", None) == __name__
                 and not isinstance(value, type))
