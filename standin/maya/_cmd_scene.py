"""Commands on the scene and its hierarchy: files, node creation,
existence and types, ``parent``, ``group``, ``rename``, ``delete``,
``ls``, ``listRelatives``, ``select``, ``lockNode`` and ``namespace``.
Gathered by ``maya.cmds``.
"""

from . import _layers
from ._cmd_base import (
    _command, _display, _fromUi, _isType, _names, _node, _nodes, _plugMatches,
    _plugText, _readUi)
from ._cmd_transforms import _keepWorld
from ._scene import SCENE
from ._types import MFN_NAMES

__all__ = [
    "file", "createNode", "camera", "objExists", "nodeType", "objectType", "parent",
    "group", "rename", "delete", "ls", "listRelatives", "select", "lockNode",
    "namespace",
]


# --- scene ---------------------------------------------------------------------

@_command("file", dict(newFile="new", force="f", open="o", save="s", query="q",
                       sceneName="sn", modified="mf", prompt="pmt"))
def file(*args, **flags):
    """Only a new scene is modelled: ``file(newFile=True, force=True)``
    (``new`` is the flag's short name)."""
    if flags.get("query"):
        if flags.get("sceneName"):
            return ""
        if flags.get("modified"):
            return False
        return ""
    if flags.get("newFile"):
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
                     orderedSelection="os", dagObjects="dag", shapes="s",
                     transforms="tr", showType="st", objectsOnly="o",
                     dependencyNodes="dep", recursive="r", visible="v",
                     absoluteName="an", allPaths="ap", geometry="g",
                     flatten="fl", noIntermediate="ni", cameras="ca",
                     lights="lt", leaf="lf", readOnly="ro", uuid="uid",
                     shortNames="sn", head="hd", tail="tl"))
def ls(*args, **flags):
    """Every node in creation order, the selection in selection order, and
    the matches of each name given in the order of their full paths; names
    of plugs given as arguments come back with long attribute names."""
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
            # Maya lists one name's matches by full path, whatever the
            # creation order ("|child" before "|parent|child").
            for node in sorted(SCENE.resolve(name), key=SCENE.fullPath):
                if node not in nodes:
                    nodes.append(node)
    else:
        nodes = list(SCENE.nodes)
    if flags.get("dagObjects"):
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
    """``None`` when there is nothing to list, as in Maya.  Relatives come
    back as object names (the node's own name, which other nodes may share),
    as the shortest unique path with ``path`` and as the full path with
    ``fullPath``."""
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
    if flags.get("fullPath"):
        return [SCENE.fullPath(n) for n in result]
    if flags.get("path"):
        return [SCENE.partialPath(n) for n in result]
    return [n.name for n in result]


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


@_command("lockNode", dict(lock="l", query="q", lockName="ln",
                           lockUnpublished="lu", ignoreComponents="ic"))
def lockNode(*args, **flags):
    nodes = _nodes(_names(args))
    if flags.get("query"):
        return [n.locked for n in nodes]
    for node in nodes:
        node.locked = bool(flags.get("lock", True))


@_command("namespace", dict(addNamespace="add", exists="ex", parent="p"))
def namespace(*args, **flags):
    """Adds a namespace (returning its name) or asks whether one exists.

    Only the namespaces' names are modelled: a node takes its namespace from
    the prefix of its name, and the current namespace stays the root."""
    if "exists" in flags:
        name = flags["exists"] if flags["exists"] is not True else (args[0] if args else "")
        return name.strip(":") in SCENE.namespaces
    if flags.get("addNamespace"):
        parent = (flags.get("parent") or "").strip(":")
        name = (parent + ":" if parent else "") + flags["addNamespace"].strip(":")
        if parent and parent not in SCENE.namespaces:
            raise RuntimeError("namespace: Namespace '%s' does not exist." % parent)
        if name in SCENE.namespaces:
            raise RuntimeError("namespace: A namespace called '%s' already exists." % name)
        SCENE.namespaces.add(name)
        return name
    raise RuntimeError("namespace: only add and exists are supported by the stand-in.")
