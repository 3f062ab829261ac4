"""Commands on attributes and connections: ``addAttr``, ``deleteAttr``,
``setAttr``, ``getAttr``, ``connectAttr`` and its kin,
``attributeQuery`` and ``listAttr``.  Gathered by ``maya.cmds``.
"""

from . import _attrs
from ._cmd_base import (
    _command, _display, _fromUi, _isType, _names, _node, _nodes, _plug, _plugMatches,
    _plugText, _readUi, _toUi)
from ._scene import SCENE
from ._scene_plugs import FREE_TO_CHANGE

__all__ = [
    "addAttr", "deleteAttr", "setAttr", "getAttr", "connectAttr", "disconnectAttr",
    "isConnected", "connectionInfo", "listConnections", "attributeQuery", "listAttr",
]


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
                          hasSoftMaxValue="hsx"))
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


@_command("deleteAttr", dict(attribute="at", query="q", edit="e"))
def deleteAttr(*args, **flags):
    """Deletes one dynamic attribute, named "node.attribute" or as the
    ``attribute`` flag; with the flag, from each node named (or selected),
    the flag winning over an attribute in a plug path.  A node given with
    no attribute, an attribute a node lacks by the flag, a static attribute
    and the child of a compound are ``RuntimeError``; a plug path that
    matches nothing, and a node name that matches nothing, are
    ``ValueError``.  The attribute's connections are broken.  A query lists
    the node's dynamic attributes (long names; None when it has none)."""
    names = _names(args)
    if flags.get("query"):
        nodes = _nodes(names)
        if not nodes:
            raise RuntimeError("deleteAttr: No object specified.")
        return [a.longName for a in nodes[0].dynamicAttrs] or None
    if flags.get("attribute"):
        # The flag wins over an attribute named in a plug path.
        nodeNames = [name.partition(".")[0] for name in names]
        targets = [(node, None, flags["attribute"]) for node in _nodes(nodeNames)]
    else:
        targets = []
        for text in names[:1]:
            nodeName, _, path = text.partition(".")
            if not path:
                raise RuntimeError("Must specify attribute to be deleted.")
            targets.append((_node(nodeName), text, path))
    if not targets:
        raise RuntimeError("deleteAttr: No object specified.")
    found = []
    for node, text, path in targets:
        try:
            attr, _ = SCENE.parsePlug(node, path)
        except ValueError:
            if text is not None:
                raise ValueError("No object matches name: %s" % text)
            raise RuntimeError("Node '%s' does not have attribute '%s'."
                               % (_display(node), path))
        if not attr.dynamic:
            raise RuntimeError("Only dynamic attributes can be deleted: %s" % attr.longName)
        if attr not in node.dynamicAttrs:
            raise RuntimeError("deleteAttr: Children of a compound attribute cannot be "
                               "deleted: %s" % text)
        found.append((node, attr))
    for node, attr in found:
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
                          expandEnvironmentVariables="x", caching="ca"))
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
    """Connects two plugs.  The pair already connected is refused as Maya
    refuses it: a warning naming the pair, then ``RuntimeError: Maya
    command error`` (also with ``force``)."""
    src = _connectionEnd(_names([source])[0], "source")
    dst = _connectionEnd(_names([destination])[0], "destination")
    if SCENE.connections.get(dst) == src:
        print("# Warning: '%s' is already connected to '%s'. #" % (_plugText(src), _plugText(dst)))
        raise RuntimeError("Maya command error")
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


_CONNECTION_INFO_FLAGS = (
    "isSource", "isDestination", "isExactSource", "isExactDestination", "getExactSource",
    "getExactDestination", "sourceFromDestination", "destinationFromSource", "isLocked",
    "getLockedAncestor")


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
    when there is no such plug.  Exactly one flag is taken, as in Maya."""
    given = [name for name in _CONNECTION_INFO_FLAGS if flags.get(name)]
    if not given:
        raise RuntimeError("You must specify exactly one flag.")
    if len(given) > 1:
        raise RuntimeError("You cannot specify more than one flag.")
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
    """Attributes of the objects (the selection when none is given), in
    attribute index order, each node's in turn; ``None`` when none
    qualifies.  Filter flags combine: an attribute is listed when it passes
    every one given.  A multi attribute is listed by its own name; an
    attribute below a multi by its path from the top, "iog.og.gcl", as Maya
    prints it (elements are listed only with ``multi``, which the stand-in
    does not model)."""
    useShort = bool(flags.get("shortNames"))
    filters = [test for flag, test in _LIST_FILTERS if flags.get(flag)]
    result = []
    for node in _nodes(_names(args)):
        for attr in node.allAttrs():
            # The plug findPlug gives for the attribute: under a multi, its
            # indices are left open, and so are its flags.
            below = attr.arrayDepth() - (1 if attr.multi else 0)
            key = (node, attr, (None,) * below)
            if not all(test(key, attr) for test in filters):
                continue
            path = attr.ancestors() if below else (attr,)
            result.append(".".join(a.shortName if useShort else a.longName for a in path))
    return result or None


# listAttr's filter flags, each a test of (plug key, attribute).
_LIST_FILTERS = (
    ("keyable", lambda key, attr: SCENE.isKeyable(key)),
    # "non keyable attributes that show in the Channel Box"
    ("channelBox", lambda key, attr: SCENE.isChannelBox(key) and not SCENE.isKeyable(key)),
    ("userDefined", lambda key, attr: attr.dynamic),
    ("locked", lambda key, attr: SCENE.isLocked(key)),
    ("unlocked", lambda key, attr: not SCENE.isLocked(key)),
    ("visible", lambda key, attr: not attr.hidden),
    ("leaf", lambda key, attr: not attr.children),
)
