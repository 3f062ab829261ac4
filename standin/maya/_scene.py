"""The one in-memory scene behind ``maya.cmds`` and ``maya.OpenMaya``.

Both public modules are thin views over the ``Scene`` held in ``SCENE``:
nodes, names, the DAG, attribute values, locks, connections, anim curves,
units, the current time and the active selection live here and nowhere
else, so a write through one module is what a read through the other sees.

Private helpers for tests (not part of Maya):

- ``commandLog()``: the list of ``(commandName, args, kwargs)`` tuples of
  every ``maya.cmds`` call since the last new scene, in call order.
- ``clearCommandLog()``: empties that list.
- ``newScene()``: the same reset as ``cmds.file(new=True, force=True)``,
  without logging a command.
- ``addNumericAttribute(node, longName, shortName, numericType)``: a plain
  numeric attribute of any ``MFnNumericData`` type (kInvalid, kAddr, k3Double
  ...), which ``addAttr`` cannot make.

Where the model simplifies Maya (each is repeated where it applies):

- No instancing: every DAG node has exactly one parent and one path.
- Namespaces are names only (a node takes its namespace from the prefix
  of its name; cmds.namespace keeps their names); no default cameras are created, only the world
  and ``time1``.
- Anim curves interpolate linearly between keys (boolean and enum targets
  step), and hold the first / last key's value outside the keyed range;
  tangent types and weighted tangents are recorded but change no value, and
  there are no infinity cycles.
- Matrices of transforms follow Maya's formula (pivots, rotate axis, joint
  orient, a joint's inverseScale, offsetParentMatrix, inheritsTransform),
  but there is no shear on joints.
- Connections between attributes of different units pass the internal value
  through unchanged (Maya would insert a unitConversion node).
- Only the node types listed in ``_node_attrs`` exist.  Nodes, DAG nodes,
  transforms, joints, anim curves and animation layers carry Maya's
  attributes; other types a reduced set.  Attribute minimum and maximum
  values are recorded but not enforced.  Layer blends, layer weights and
  plusMinusAverage compute their outputs (``maya._computes``); constraint
  and expression outputs hold the values their commands gave them.
- Animation layers follow ``maya._layers`` (best layer, blending and keying
  rules, and what they leave out).
- A value written to a plug driven by an anim curve (``setAttr``, ``MPlug``
  setters, modifiers) is kept beside the curve and read at the current time
  until the current time changes; Maya keeps it until the next evaluation at
  another time, which the model has no other way to trigger.  Moving the
  current time, or breaking the curve's connection, drops it.
- ``ls`` lists nodes in creation order (the selection in selection order).
- Changing the time unit keeps keys and the current time at the same
  absolute time, so their frame numbers change.
"""

import fnmatch
import re

from . import _attrs, _units
from ._node_attrs import nodeAttributes
from ._scene_plugs import PlugModel
from ._types import NODE_TYPES

__all__ = []


_NAME_CHAR = re.compile(r"[^A-Za-z0-9_:]")


_WILDCARDS = "*?["


def hasWildcard(text):
    """Whether a name is a pattern that may stand for many nodes."""
    return any(c in text for c in _WILDCARDS)


def _splitTrailingDigits(name):
    """``("ctrl", "12")`` for "ctrl12"; a scan from the end, so a long name
    costs its length once."""
    end = len(name)
    while end and name[end - 1].isdecimal():
        end -= 1
    return name[:end], name[end:]


_ANY_CHAR = object()


class _Malformed(Exception):
    """A character class of a pattern is no valid set."""


class _CharClass(object):
    """One "[...]" of a pattern, read as ``fnmatch`` reads it.  Compiled when
    first needed: a pattern that fails on a plain character never pays for a
    long class, and a class alone matches one character, so it cannot
    backtrack."""

    __slots__ = ("text", "_match")

    def __init__(self, text):
        self.text = text
        self._match = None

    def __call__(self, c):
        if self._match is None:
            try:
                self._match = re.compile(fnmatch.translate(self.text)).match
            except re.error:
                raise _Malformed(self.text)
        return self._match(c) is not None


def _patternAtoms(pattern):
    """A wildcard pattern as a list of atoms: a character, ``_ANY_CHAR``
    ("?"), ``None`` ("*") or a ``_CharClass`` ("[...]"; an unclosed "[" is a
    plain character)."""
    atoms = []
    i, n = 0, len(pattern)
    while i < n:
        c = pattern[i]
        i += 1
        if c == "*":
            if not atoms or atoms[-1] is not None:
                atoms.append(None)
        elif c == "?":
            atoms.append(_ANY_CHAR)
        elif c == "[":
            j = i
            if j < n and pattern[j] == "!":
                j += 1
            if j < n and pattern[j] == "]":
                j += 1
            while j < n and pattern[j] != "]":
                j += 1
            if j >= n:
                atoms.append("[")
            else:
                atoms.append(_CharClass(pattern[i - 1:j + 1]))
                i = j + 1
        else:
            atoms.append(c)
    return atoms


def _segmentAt(segment, text, start):
    """Whether the star-free ``segment`` matches ``text`` at ``start``."""
    for offset, atom in enumerate(segment):
        c = text[start + offset]
        if atom is _ANY_CHAR:
            continue
        if isinstance(atom, str):
            if atom != c:
                return False
        elif not atom(c):
            return False
    return True


def _findSegment(segment, text, start, stop):
    """The leftmost place in ``text[start:stop]`` where ``segment`` fits
    whole, or -1."""
    if all(isinstance(atom, str) for atom in segment):
        return text.find("".join(segment), start, stop)
    for position in range(start, stop - len(segment) + 1):
        if _segmentAt(segment, text, position):
            return position
    return -1


def globMatcher(pattern):
    """A test ``match(text) -> bool`` that answers as ``fnmatch.fnmatchcase``
    does; a malformed pattern ("[0--]") matches nothing.

    The pattern is cut at its stars into segments of fixed length; the first
    must fit at the start, the last at the end, and each one between at the
    leftmost place after the one before.  Each character of the text is
    compared a bounded number of times per segment, so a long pattern of
    many stars against a long path cannot make the match blow up, as a
    regular expression translated from it can."""
    segments = [[]]
    for atom in _patternAtoms(pattern):
        if atom is None:
            segments.append([])
        else:
            segments[-1].append(atom)
    head, middle, tail = segments[0], segments[1:-1], segments[-1]

    def matchSegments(text):
        if len(segments) == 1:
            return len(text) == len(head) and _segmentAt(head, text, 0)
        stop = len(text) - len(tail)
        if stop < len(head) or not _segmentAt(head, text, 0) or \
                not _segmentAt(tail, text, stop):
            return False
        position = len(head)
        for segment in middle:
            found = _findSegment(segment, text, position, stop)
            if found < 0:
                return False
            position = found + len(segment)
        return True

    def match(text):
        try:
            return matchSegments(text)
        except _Malformed:
            return False
    return match


class Node(object):
    """One node of the scene.

    ``values`` maps ``(attr, indices)`` to a value in internal units, where
    ``indices`` holds one logical index per array attribute on the way from
    the top attribute down to ``attr`` (``attr`` itself included when the key
    is an element).  ``plugFlags`` holds lock / keyable / Channel Box state
    per plug, ``elements`` the existing logical indices of array plugs.
    """

    __slots__ = ("name", "nodeType", "uid", "alive", "parent", "children",
                 "dynamicAttrs", "dynamicIndex", "values", "plugFlags",
                 "elements", "keys", "stepped", "locked", "readOnly",
                 "__weakref__")

    def __init__(self, name, nodeType, uid):
        self.name = name
        self.nodeType = nodeType
        self.uid = uid
        self.alive = True
        self.parent = None
        self.children = []
        self.dynamicAttrs = []
        self.dynamicIndex = {}
        self.values = {}
        self.plugFlags = {}
        self.elements = {}
        self.keys = None        # anim curves: sorted list of [ticks, value]
        self.stepped = False    # anim curves driving boolean / enum plugs
        self.locked = False     # lockNode
        self.readOnly = False   # default nodes such as time1

    def __repr__(self):
        return "<Node %s (%s)>" % (self.name, self.nodeType.name)

    @property
    def isDag(self):
        return self.nodeType.isDag

    @property
    def typeName(self):
        return self.nodeType.name

    def findAttr(self, name):
        attr = self.dynamicIndex.get(name)
        if attr is None:
            attr = nodeAttributes(self.nodeType)[1].get(name)
        return attr

    def topAttrs(self):
        return list(nodeAttributes(self.nodeType)[0]) + self.dynamicAttrs

    def allAttrs(self):
        """Every attribute in index order: the type's, then dynamic ones.
        The list may be the type's own, shared by its nodes: read only."""
        nodeAttributes(self.nodeType)
        if not self.dynamicAttrs:
            return self.nodeType.attrList
        return self.nodeType.attrList + [a for top in self.dynamicAttrs for a in top.walk()]

    def attributeCount(self):
        """How many attributes the node has, children included."""
        nodeAttributes(self.nodeType)
        count = len(self.nodeType.attrList)
        for top in self.dynamicAttrs:
            count += sum(1 for _ in top.walk())
        return count

    def attributeAt(self, index):
        """The attribute at an index, or None out of range."""
        nodeAttributes(self.nodeType)
        static = self.nodeType.attrList
        if 0 <= index < len(static):
            return static[index]
        attrs = self.allAttrs()
        return attrs[index] if 0 <= index < len(attrs) else None

    def attributeIndex(self, attr):
        """The index of one of the node's attributes."""
        nodeAttributes(self.nodeType)
        position = self.nodeType.attrPosition.get(attr)
        return position if position is not None else self.allAttrs().index(attr)


class _DeleteRecord(object):
    """Everything needed to bring deleted nodes back (modifier undo)."""

    def __init__(self):
        self.nodes = []          # (node, parent, index in parent's children)
        self.connections = []    # (srcKey, dstKey)
        self.selection = []


class Scene(PlugModel):

    def __init__(self):
        self.log = []
        self.reset()

    # --- whole scene ---------------------------------------------------------

    def reset(self):
        for node in getattr(self, "nodes", {}):
            node.alive = False
        self.nodes = {}          # insertion-ordered set of live nodes
        self.byName = {}         # short name -> [nodes]
        self.connections = {}    # destination plug key -> source plug key
        self.outgoing = {}       # source plug key -> [destination plug keys]
        self.connectedKeys = {}  # node -> {plug key: None} of its connected plugs, in order
        self.selection = []
        self.overrides = {}      # animated plug key -> value set by setAttr
        self.linearUnit = _units.DIST_CENTIMETERS
        self.angleUnit = _units.ANGLE_DEGREES
        self.timeUnit = _units.TIME_FILM
        self.currentTicks = _units.timeToTicks(1, _units.TIME_FILM)
        self.minTicks = _units.timeToTicks(1, _units.TIME_FILM)
        self.maxTicks = _units.timeToTicks(120, _units.TIME_FILM)
        self.animStartTicks = self.minTicks
        self.animEndTicks = _units.timeToTicks(200, _units.TIME_FILM)
        self.refreshSuspended = False
        self.namespaces = set()  # namespaces added below the root, by full name
        self.callbacks = {}
        self._nextUid = 1
        del self.log[:]
        self.world = Node("", NODE_TYPES["world"], 0)
        time1 = self.createNode("time", "time1")
        time1.readOnly = True
        self.time1 = time1

    # --- names ---------------------------------------------------------------

    @staticmethod
    def legalName(name):
        name = _NAME_CHAR.sub("_", name)
        if name[:1].isdigit():
            name = "_" + name
        return name

    def _nameTaken(self, name, isDag, parent, exclude=None):
        for other in self.byName.get(name, ()):
            if other is exclude:
                continue
            if not isDag or not other.isDag or other.parent is parent:
                return True
        return False

    def uniqueName(self, desired, isDag, parent, exclude=None):
        """The name a node gets when it asks for ``desired``: unchanged when
        free, else its trailing number (1 when none) counted up until no node
        anywhere has the name.  A "#" asks for the lowest free number."""
        if "#" in desired:
            base = desired.replace("#", "")
            number = 1
            while self.byName.get(base + str(number)):
                number += 1
            return base + str(number)
        if not self._nameTaken(desired, isDag, parent, exclude):
            return desired
        base, digits = _splitTrailingDigits(desired)
        number = int(digits) + 1 if digits else 1
        while [n for n in self.byName.get(base + str(number), ()) if n is not exclude]:
            number += 1
        return base + str(number)

    def autoName(self, base):
        number = 1
        while self.byName.get(base + str(number)):
            number += 1
        return base + str(number)

    def _index(self, node):
        self.byName.setdefault(node.name, []).append(node)

    def _unindex(self, node):
        entries = self.byName.get(node.name)
        if entries:
            try:
                entries.remove(node)
            except ValueError:
                pass
            if not entries:
                del self.byName[node.name]

    # --- lookup --------------------------------------------------------------

    def pathNodes(self, node):
        """DAG nodes from the top-level ancestor down to ``node``."""
        chain = []
        while node is not None and node is not self.world:
            chain.append(node)
            node = node.parent
        chain.reverse()
        return chain

    def fullPath(self, node):
        if not node.isDag:
            return node.name
        if node is self.world:
            return ""
        parts = []
        while node is not None and node is not self.world:
            parts.append(node.name)
            node = node.parent
        parts.reverse()
        return "|" + "|".join(parts)

    def partialPath(self, node):
        """The shortest path that names ``node`` alone."""
        if not node.isDag or node is self.world:
            return node.name
        if len(self.byName.get(node.name, ())) == 1:
            return node.name
        names = [n.name for n in self.pathNodes(node)]
        for count in range(2, len(names) + 1):
            candidate = "|".join(names[-count:])
            if len(self.resolve(candidate)) == 1:
                return candidate
        return self.fullPath(node)

    def displayName(self, node):
        """How commands print a node: the shortest unique path for DAG nodes."""
        return self.partialPath(node)

    def resolve(self, text):
        """Every live node a name, partial path or full path designates.

        Wildcards ("*", "?", "[...]") are matched against short names, or
        against full paths when the pattern holds a "|"; a malformed pattern
        ("[0--]") matches nothing."""
        if not text:
            return []
        if hasWildcard(text):
            pattern = text
            if "|" in text and not text.startswith("|"):
                pattern = "*|" + text
            match = globMatcher(pattern)
            if "|" in text:
                return [n for n in self.nodes if n.isDag and match(self.fullPath(n))]
            return [n for n in self.nodes if match(n.name)]
        if "|" not in text:
            return list(self.byName.get(text, ()))
        absolute = text.startswith("|")
        parts = text.strip("|").split("|")
        if not all(parts):
            return []
        result = []
        for node in self.byName.get(parts[-1], ()):
            if not node.isDag:
                continue
            ancestor = node.parent
            ok = True
            for name in reversed(parts[:-1]):
                if ancestor is None or ancestor is self.world or ancestor.name != name:
                    ok = False
                    break
                ancestor = ancestor.parent
            if ok and absolute and ancestor is not self.world:
                ok = False
            if ok:
                result.append(node)
        return result

    def resolveName(self, text, shownAs=None):
        """The nodes an object name given to a command designates: every
        match of a wildcard pattern, else exactly one node.  Raises Maya's
        ``ValueError`` for a name that matches nothing, or, without
        wildcards, more than one node (a short name several DAG nodes carry);
        ``shownAs`` is the name the message shows (a whole plug name)."""
        nodes = self.resolve(text)
        shownAs = text if shownAs is None else shownAs
        if not nodes:
            raise ValueError("No object matches name: %s" % shownAs)
        if len(nodes) > 1 and not hasWildcard(text):
            raise ValueError("More than one object matches name: %s" % shownAs)
        return nodes

    def resolveOne(self, text, shownAs=None):
        """The one node a command's single-object argument designates; a
        pattern matching several nodes is refused as an ambiguous name is."""
        shownAs = text if shownAs is None else shownAs
        nodes = self.resolveName(text, shownAs)
        if len(nodes) > 1:
            raise ValueError("More than one object matches name: %s" % shownAs)
        return nodes[0]

    # --- node creation and deletion ------------------------------------------

    def _newNode(self, typeName, name, parent):
        nodeType = NODE_TYPES[typeName]
        node = Node(name, nodeType, self._nextUid)
        self._nextUid += 1
        if nodeType.isA("animCurve"):
            node.keys = []      # a curve made by createNode starts without keys
        if nodeType.isDag:
            node.parent = parent if parent is not None else self.world
        return node

    def _register(self, node, index=None):
        node.alive = True
        self.nodes[node] = None
        self._index(node)
        if node.isDag:
            children = node.parent.children
            if index is None or index > len(children):
                children.append(node)
            else:
                children.insert(index, node)

    def createNode(self, typeName, name=None, parent=None, register=True):
        """Create a node; a shape made without a parent gets a new parent
        transform, as in Maya.  Returns the node asked for (the shape)."""
        nodeType = NODE_TYPES.get(typeName)
        if nodeType is None or typeName in ("dependNode", "containerBase", "entity",
                                            "dagNode", "world", "shape", "animCurve",
                                            "animBlendNodeBase", "constraint"):
            raise RuntimeError("Unknown object type: %s" % typeName)
        if nodeType.isDag:
            if parent is not None and parent is not self.world and parent.nodeType.isShape:
                raise RuntimeError("A shape node cannot have children: %s"
                                   % self.partialPath(parent))
            if nodeType.isShape and (parent is None or parent is self.world):
                parentName = self.autoName(nodeType.autoParent)
                parent = self._newNode("transform", parentName, None)
                if register:
                    self._register(parent)
            if parent is None:
                parent = self.world
            if name:
                name = self.uniqueName(self.legalName(name), True, parent)
            else:
                name = self.autoName(nodeType.shapeName or typeName)
        else:
            if name:
                name = self.uniqueName(self.legalName(name), False, None)
            else:
                name = self.autoName(typeName)
        node = self._newNode(typeName, name, parent)
        if register:
            self._register(node)
        return node

    def isDescendant(self, node, ancestor):
        while node is not None:
            if node is ancestor:
                return True
            node = node.parent
        return False

    def subtree(self, node):
        """``node`` and every DAG node below it, deepest first."""
        result = []
        for child in list(node.children):
            result.extend(self.subtree(child))
        result.append(node)
        return result

    def delete(self, nodes, record=None):
        """Delete nodes (a transform takes its subtree along, and anim curves
        left driving nothing go too).  Returns a record for ``restore``."""
        record = record or _DeleteRecord()
        doomed = []
        for node in nodes:
            if not node.alive or node is self.world:
                continue
            if node.readOnly:
                raise RuntimeError("Cannot delete a read only node: %s" % node.name)
            for n in (self.subtree(node) if node.isDag else [node]):
                if n not in doomed:
                    doomed.append(n)
        doomedSet = set(doomed)
        # Anim curves whose outputs all go to deleted nodes are deleted too.
        for n in list(doomed):
            for key in self.connectionsOf(n):
                src = self.connections.get(key)
                if src and src[0].keys is not None and src[0] not in doomedSet:
                    outs = [d for s, ds in self.outgoing.items() if s[0] is src[0] for d in ds]
                    if all(d[0] in doomedSet for d in outs):
                        doomed.append(src[0])
                        doomedSet.add(src[0])
        for n in doomed:
            for key in self.connectionsOf(n):
                src = self.connections.get(key)
                if src is not None:
                    record.connections.append((src, key))
                    self._disconnect(src, key)
            for src, dsts in list(self.outgoing.items()):
                if src[0] is n:
                    for dst in list(dsts):
                        record.connections.append((src, dst))
                        self._disconnect(src, dst)
        for n in doomed:
            index = None
            if n.isDag and n.parent is not None:
                index = n.parent.children.index(n)
                n.parent.children.remove(n)
            record.nodes.append((n, n.parent, index))
            if n in self.selection:
                record.selection.append(n)
                self.selection.remove(n)
            self._unindex(n)
            self.nodes.pop(n, None)
            n.alive = False
        return record

    def restore(self, record):
        for node, parent, index in reversed(record.nodes):
            node.parent = parent
            if self._nameTaken(node.name, node.isDag, parent):
                node.name = self.uniqueName(node.name, node.isDag, parent)
            self._register(node, index)
        for src, dst in record.connections:
            if dst not in self.connections:
                self._connect(src, dst)

    def connectionsOf(self, node):
        """Destination plug keys on ``node`` (plugs it receives on)."""
        return [key for key in self.connectedKeys.get(node, ()) if key in self.connections]

    # --- renaming and parenting ---------------------------------------------

    def rename(self, node, newName):
        if node.readOnly or node.locked:
            raise RuntimeError("Cannot rename a read only node '%s'." % node.name)
        newName = self.legalName(newName)
        final = self.uniqueName(newName, node.isDag, node.parent, exclude=node)
        self._unindex(node)
        node.name = final
        self._index(node)
        return final

    def reparent(self, node, newParent, index=None):
        """Move a DAG node under ``newParent`` (``None`` or the world for the
        top level).  The local transform is left as it is."""
        newParent = newParent if newParent is not None else self.world
        if not node.isDag or node is self.world:
            raise RuntimeError("Only DAG objects can be parented: %s" % node.name)
        if not newParent.isDag:
            raise RuntimeError("Cannot parent under a non-DAG node: %s" % newParent.name)
        if newParent is node or self.isDescendant(newParent, node):
            raise RuntimeError("Cannot parent '%s' under itself or its descendant."
                               % self.partialPath(node))
        if newParent is not self.world and newParent.nodeType.isShape:
            raise RuntimeError("Cannot parent under a shape: %s" % self.partialPath(newParent))
        if newParent is self.world and node.nodeType.isShape:
            raise RuntimeError("Shapes cannot be parented to the world: %s"
                               % self.partialPath(node))
        oldParent = node.parent
        oldIndex = oldParent.children.index(node)
        oldParent.children.remove(node)
        node.parent = newParent
        if index is None:
            newParent.children.append(node)
        else:
            newParent.children.insert(index, node)
        if self._nameTaken(node.name, True, newParent, exclude=node):
            self._unindex(node)
            node.name = self.uniqueName(node.name, True, newParent, exclude=node)
            self._index(node)
        return oldParent, oldIndex

    # --- dynamic attributes ----------------------------------------------------

    def addDynamicAttr(self, node, attr, parentAttr=None):
        """Add an attribute (with its children) to one node, or as a new
        child of one of the node's compound attributes."""
        for a in attr.walk():
            for name in (a.longName, a.shortName):
                if node.findAttr(name) is not None:
                    raise RuntimeError("Found more than one attribute with the name %s." % name)
        if parentAttr is not None:
            if parentAttr.kind != _attrs.COMPOUND:
                raise RuntimeError("The parent attribute %s is not a compound."
                                   % parentAttr.longName)
            parentAttr.children = parentAttr.children + (attr,)
            attr.parent = parentAttr
        else:
            node.dynamicAttrs.append(attr)
        for a in attr.walk():
            a.dynamic = True
            node.dynamicIndex[a.longName] = a
            node.dynamicIndex[a.shortName] = a

    def removeDynamicAttr(self, node, attr):
        if attr not in node.dynamicAttrs:
            raise RuntimeError("Only dynamic attributes can be deleted: %s" % attr.longName)
        node.dynamicAttrs.remove(attr)
        doomed = set(attr.walk())
        # Connections of the attribute go with it: none may point at a plug
        # that no longer exists.
        for key in list(self.connectedKeys.get(node, ())):
            if key[1] in doomed:
                if key in self.connections:
                    self._disconnect(self.connections[key], key)
                for dst in list(self.outgoing.get(key, ())):
                    self._disconnect(key, dst)
        for a in attr.walk():
            for name in (a.longName, a.shortName):
                if node.dynamicIndex.get(name) is a:
                    del node.dynamicIndex[name]
            for key in [k for k in node.values if k[0] is a]:
                del node.values[key]


SCENE = Scene()


def commandLog():
    """The ``(commandName, args, kwargs)`` of every ``maya.cmds`` call since
    the last new scene (private test helper)."""
    return SCENE.log


def addNumericAttribute(nodeName, longName, shortName, numericType, defaultValue=0):
    """Add a plain numeric attribute (``MFn.kNumericAttribute``) of any
    ``MFnNumericData`` type to a node, kInvalid, kAddr and the multi-value
    types included, which ``addAttr`` cannot make (private test helper; in
    Maya such attributes come from plug-in nodes).  The value is one number."""
    node = SCENE.resolveOne(nodeName)
    attr = _attrs.numeric(longName, shortName, numericType, defaultValue)
    SCENE.addDynamicAttr(node, attr)
    return attr


def clearCommandLog():
    del SCENE.log[:]


def newScene():
    """Reset to a new, empty scene, as ``cmds.file(new=True, force=True)``."""
    SCENE.reset()
