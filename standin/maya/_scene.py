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
- Only the node types listed in ``_attrs`` exist, with a reduced set of
  attributes each.  Attribute minimum and maximum values are recorded but
  not enforced.  Layer blends, layer weights and plusMinusAverage compute
  their outputs (``maya._computes``); constraint and expression outputs
  hold the values their commands gave them.
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

from . import _attrs, _keys, _math, _units
from ._attrs import nodeAttributes
from ._types import NODE_TYPES

_MISSING = object()

# MPlug.FreeToChangeState values.
FREE_TO_CHANGE, NOT_FREE_TO_CHANGE, CHILDREN_NOT_FREE_TO_CHANGE = 0, 1, 2

_NAME_CHAR = re.compile(r"[^A-Za-z0-9_:]")
_KEYABLE_NUMERIC = frozenset((_attrs.N_BOOLEAN, _attrs.N_BYTE, _attrs.N_CHAR,
                              _attrs.N_SHORT, _attrs.N_LONG, _attrs.N_INT64,
                              _attrs.N_FLOAT, _attrs.N_DOUBLE))
_PLUG_COMPONENT = re.compile(r"^([A-Za-z_][A-Za-z0-9_]*)(?:\[(-?\d+)\])?$")
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
        for top in self.topAttrs():
            for attr in top.walk():
                yield attr


class _DeleteRecord(object):
    """Everything needed to bring deleted nodes back (modifier undo)."""

    def __init__(self):
        self.nodes = []          # (node, parent, index in parent's children)
        self.connections = []    # (srcKey, dstKey)
        self.selection = []


class Scene(object):

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
        if nodeType is None or typeName in ("dependNode", "dagNode", "world", "shape",
                                            "animCurve", "animBlendNodeBase", "constraint"):
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
        for a in attr.walk():
            for name in (a.longName, a.shortName):
                if node.dynamicIndex.get(name) is a:
                    del node.dynamicIndex[name]
            for key in [k for k in node.values if k[0] is a]:
                del node.values[key]

    # --- plugs ---------------------------------------------------------------

    def parsePlug(self, node, path):
        """``"t"``, ``"translateX"``, ``"list[3].weight"`` -> (attr, indices).

        The first component may name any attribute of the node, children
        included ("tx"); later ones must be children of the one before.
        Indices of array ancestors that the path does not give are ``None``;
        an array plug (no index on its last component) has no entry of its
        own, an element plug has its logical index last.
        Raises ``ValueError`` for a path that names no attribute."""
        attr = None
        indices = []
        components = path.split(".")
        for position, component in enumerate(components):
            match = _PLUG_COMPONENT.match(component)
            if match is None:
                raise ValueError("No attribute matches: %s" % path)
            name, index = match.group(1), match.group(2)
            if attr is None:
                found = node.findAttr(name)
                if found is not None:
                    indices = [None] * (found.arrayDepth() - (1 if found.multi else 0))
            else:
                found = None
                for child in attr.children:
                    if name in (child.longName, child.shortName):
                        found = child
                        break
            if found is None:
                raise ValueError("No attribute matches: %s" % path)
            attr = found
            if attr.multi:
                # The array plug itself has no entry of its own; an array
                # further up without an index is unresolved (None).
                if index is not None or position < len(components) - 1:
                    indices.append(int(index) if index is not None else None)
            elif index is not None:
                raise ValueError("Attribute is not an array: %s" % path)
        return attr, tuple(indices)

    @staticmethod
    def isElementKey(attr, indices):
        return attr.multi and len(indices) == attr.arrayDepth() and indices[-1] is not None

    def plugPath(self, attr, indices, longNames=True, fullPath=True,
                 nonMandatory=False):
        """Attribute part of a plug name: "translateX", "list[3].weight"."""
        chain = attr.ancestors()
        parts = []
        pos = 0
        arrayPositions = []
        for a in chain:
            text = a.longName if longNames else a.shortName
            if a.multi:
                idx = indices[pos] if pos < len(indices) else None
                pos += 1
                if idx is not None or a is not attr:
                    text += "[%d]" % (idx if idx is not None else -1)
                    arrayPositions.append(len(parts))
            parts.append(text)
        if not fullPath:
            # Only array ancestors are mandatory; other compound parents drop.
            first = len(parts) - 1
            for p in arrayPositions:
                if p < first:
                    first = p
                    break
            parts = parts[first:]
        return ".".join(parts)

    def plugName(self, node, attr, indices, longNames=True):
        return "%s.%s" % (self.partialPath(node), self.plugPath(attr, indices, longNames))

    def parentKey(self, key):
        """The plug one level up: element -> array, child -> compound."""
        node, attr, indices = key
        if self.isElementKey(attr, indices):
            return (node, attr, indices[:-1])
        if attr.parent is not None:
            parentDepth = attr.parent.arrayDepth()
            return (node, attr.parent, indices[:parentDepth])
        return None

    def childKeys(self, key):
        node, attr, indices = key
        if attr.multi and not self.isElementKey(attr, indices):
            return [(node, attr, indices + (i,))
                    for i in self.existingIndices(node, attr, indices)]
        return [(node, child, indices) for child in attr.children]

    def existingIndices(self, node, attr, ancestorIndices):
        found = set(node.elements.get((attr, ancestorIndices), ()))
        if attr.compute is not None or (attr.kind == _attrs.TYPED
                                        and attr.dataType == _attrs.D_MATRIX
                                        and not attr.writable):
            found.add(0)   # instanced outputs such as worldMatrix[0]
        if attr.keyFlag is not None:
            found.update(range(len(node.keys or ())))
        depth = len(ancestorIndices)
        # Only the node's own connected plugs: a scan of every connection in
        # the scene made each key set in a large rig cost as much as the rig.
        walked = None
        for key in self.connectedKeys.get(node, ()):
            if len(key[2]) > depth and key[2][:depth] == ancestorIndices:
                walked = walked if walked is not None else set(attr.walk())
                if key[1] in walked:
                    found.add(key[2][depth])
        return sorted(i for i in found if i is not None)

    def ensureElements(self, node, attr, indices):
        """Record every array element on the way to a plug as existing."""
        pos = 0
        for a in attr.ancestors():
            if a.multi:
                if pos >= len(indices) or indices[pos] is None:
                    return
                node.elements.setdefault((a, tuple(indices[:pos])), set()).add(indices[pos])
                pos += 1

    def removeElement(self, node, attr, ancestorIndices, index):
        node.elements.get((attr, ancestorIndices), set()).discard(index)
        prefix = ancestorIndices + (index,)
        depth = len(prefix)
        for key in list(node.values):
            if key[0] in attr.walk() and key[1][:depth] == prefix:
                del node.values[key]

    # --- plug flags ------------------------------------------------------------

    def _flags(self, key):
        node, attr, indices = key
        return node.plugFlags.get((attr, indices))

    def _setFlag(self, key, name, value):
        node, attr, indices = key
        flags = node.plugFlags.get((attr, indices))
        if flags is None:
            flags = node.plugFlags[(attr, indices)] = {}
        flags[name] = value

    def isLocked(self, key):
        flags = self._flags(key)
        return bool(flags and flags.get("locked"))

    def setLocked(self, key, value):
        self._setFlag(key, "locked", bool(value))

    def isKeyable(self, key):
        flags = self._flags(key)
        if flags and "keyable" in flags:
            return flags["keyable"]
        return key[1].keyable

    def setKeyable(self, key, value):
        self._setFlag(key, "keyable", bool(value))
        if value:
            # Maya clears the Channel Box flag of a plug made keyable.
            self._setFlag(key, "channelBox", False)

    def isChannelBox(self, key):
        flags = self._flags(key)
        if flags and "channelBox" in flags:
            return flags["channelBox"]
        return key[1].channelBox

    def setChannelBox(self, key, value):
        self._setFlag(key, "channelBox", bool(value))

    def _blocksChange(self, key):
        """Locked, or driven by something other than animation: Maya lets a
        value be set on a plug whose only driver is a curve or a layer blend."""
        if self.isLocked(key):
            return True
        src = self.connections.get(key)
        return src is not None and not self.isAnimationNode(src[0])

    def freeToChange(self, key, checkParents=True, checkChildren=True):
        """``MPlug.isFreeToChange``: a plug is not free when it (or, with
        ``checkParents``, an ancestor plug) is locked or the destination of a
        connection from anything but an anim curve, or its node is locked;
        with ``checkChildren`` a free plug whose child or element plugs are
        not free answers ``kChildrenNotFreeToChange``."""
        if key[0].locked or self._blocksChange(key):
            return NOT_FREE_TO_CHANGE
        if checkParents:
            parent = self.parentKey(key)
            while parent is not None:
                if self._blocksChange(parent):
                    return NOT_FREE_TO_CHANGE
                parent = self.parentKey(parent)
        if checkChildren:
            pending = self.childKeys(key)
            while pending:
                child = pending.pop()
                if self._blocksChange(child):
                    return CHILDREN_NOT_FREE_TO_CHANGE
                pending.extend(self.childKeys(child))
        return FREE_TO_CHANGE

    # --- connections -----------------------------------------------------------

    def _connect(self, src, dst):
        self.connections[dst] = src
        self.outgoing.setdefault(src, []).append(dst)
        for key in (src, dst):
            self.connectedKeys.setdefault(key[0], {})[key] = None
        self.ensureElements(*src)
        self.ensureElements(*dst)

    def _disconnect(self, src, dst):
        if self.connections.get(dst) == src:
            del self.connections[dst]
            self.overrides.pop(dst, None)
        outs = self.outgoing.get(src)
        if outs and dst in outs:
            outs.remove(dst)
            if not outs:
                del self.outgoing[src]
        for key in (src, dst):
            if key not in self.connections and key not in self.outgoing:
                self.connectedKeys.get(key[0], {}).pop(key, None)

    def connect(self, src, dst, force=False):
        """Connect two plug keys; returns the connection it replaced."""
        if not src[0].alive or not dst[0].alive:
            raise RuntimeError("Cannot connect plugs of a deleted node.")
        if src[1].kind == _attrs.COMPOUND and dst[1].kind == _attrs.COMPOUND:
            if len(src[1].children) != len(dst[1].children):
                raise RuntimeError("The attributes are not compatible.")
        if self.isLocked(dst):
            raise RuntimeError("The destination attribute '%s' is locked."
                               % self.plugName(*dst))
        if not dst[1].writable:
            raise RuntimeError("The destination attribute '%s' cannot be connected to."
                               % self.plugName(*dst))
        previous = self.connections.get(dst)
        if previous is not None:
            if previous == src:
                raise RuntimeError("'%s' is already connected to '%s'."
                                   % (self.plugName(*src), self.plugName(*dst)))
            if not force:
                raise RuntimeError("'%s' already has an incoming connection from '%s'."
                                   % (self.plugName(*dst), self.plugName(*previous)))
            self._disconnect(previous, dst)
        self._connect(src, dst)
        return previous

    def sourceOf(self, key, direct=False):
        """The plug key driving ``key``: its own incoming connection, or
        (unless ``direct``) the matching child of a connected compound parent."""
        src = self.connections.get(key)
        if src is not None or direct:
            return src
        node, attr, indices = key
        if attr.parent is not None and not attr.multi:
            parentSrc = self.sourceOf((node, attr.parent, indices))
            if parentSrc is not None and parentSrc[1].children:
                position = attr.parent.children.index(attr)
                if position < len(parentSrc[1].children):
                    return (parentSrc[0], parentSrc[1].children[position], parentSrc[2])
        return None

    def destinationsOf(self, key):
        return list(self.outgoing.get(key, ()))

    # --- values ----------------------------------------------------------------

    def value(self, key, ticks=None):
        """A leaf plug's value in internal units at ``ticks`` (current time
        when ``None``), following connections and computed outputs."""
        node, attr, indices = key
        if None in indices:
            raise RuntimeError("(kFailure): Plug has an unresolved array index: %s"
                               % self.plugName(node, attr, indices))
        src = self.sourceOf(key)
        if src is not None:
            if self.overrides and key in self.overrides and (
                    ticks is None or ticks == self.currentTicks):
                return self.overrides[key]
            return self.value(src, ticks)
        if attr.keyFlag is not None:
            return _keys.flagAt(node, indices[-1], attr.keyFlag)
        if attr.compute is not None:
            return self._compute(attr.compute, node, attr, indices, ticks)
        if attr.parent is not None and attr.parent.compute is not None:
            values = self._compute(attr.parent.compute, node, attr.parent, indices, ticks)
            return values[attr.parent.children.index(attr)]
        value = node.values.get((attr, indices), _MISSING)
        if value is _MISSING:
            return attr.default
        return value

    def setValue(self, key, value):
        node, attr, indices = key
        if None in indices:
            raise RuntimeError("(kFailure): Plug has an unresolved array index: %s"
                               % self.plugName(node, attr, indices))
        if attr.keyFlag is not None:
            _keys.setFlagAt(node, indices[-1], attr.keyFlag, value)
            return
        node.values[(attr, indices)] = value
        self.ensureElements(node, attr, indices)

    def setPlugValue(self, key, value):
        """Write a value as ``setAttr`` and ``MPlug`` setters do: on a plug
        an anim curve or a layer blend drives it is kept beside the driver
        and read at the current time until the time changes (see
        ``setCurrentTicks``);
        elsewhere it is the plug's own value.  Callers check
        ``freeToChange`` first."""
        src = self.connections.get(key)
        if src is not None and self.isAnimationNode(src[0]):
            self.overrides[key] = value
        else:
            self.setValue(key, value)

    def setCurrentTicks(self, ticks):
        """Move the current time; values set by hand on animated plugs give
        way to their curves again, as when Maya changes frame."""
        self.currentTicks = float(ticks)
        self.overrides.clear()

    def currentOrGiven(self, ticks):
        return self.currentTicks if ticks is None else ticks

    def _compute(self, how, node, attr, indices, ticks):
        if callable(how):
            return how(self, node, attr, indices, ticks)
        if how == "outTime" or how == "unwarpedTime":
            return self.currentOrGiven(ticks)
        if how == "animCurve":
            inputAttr = node.findAttr("input")
            inputKey = (node, inputAttr, ())
            if self.sourceOf(inputKey) is not None:
                ticks = self.value(inputKey, ticks)
            return self.evaluateCurve(node, self.currentOrGiven(ticks))
        if how == "matrix":
            return self.localMatrix(node, ticks)
        if how == "inverseMatrix":
            return _math.inverse(self.localMatrix(node, ticks))
        if how == "worldMatrix":
            return self.worldMatrix(node, ticks)
        if how == "worldInverseMatrix":
            return _math.inverse(self.worldMatrix(node, ticks))
        if how == "parentMatrix":
            return self.parentWorldMatrix(node, ticks)
        if how == "parentInverseMatrix":
            return _math.inverse(self.parentWorldMatrix(node, ticks))
        if how == "passMatrix":
            m = self.value((node, node.findAttr("inMatrix"), ()), ticks)
            s = self.value((node, node.findAttr("inScale"), ()), ticks)
            return [v * s for v in m]
        if how == "multiplyDivide":
            op = self.value((node, node.findAttr("operation"), ()), ticks)
            a = [self.value((node, c, ()), ticks) for c in node.findAttr("input1").children]
            b = [self.value((node, c, ()), ticks) for c in node.findAttr("input2").children]
            result = []
            for x, y in zip(a, b):
                if op == 1:
                    result.append(x * y)
                elif op == 2:
                    result.append(x / y if y else 0.0)
                elif op == 3:
                    result.append(x ** y)
                else:
                    result.append(x)
            return result
        raise RuntimeError("Nothing computes %s" % how)

    # --- matrices ----------------------------------------------------------------

    def _vector(self, node, name, ticks, default=0.0):
        attr = node.findAttr(name)
        if attr is None:
            return (default, default, default)
        return tuple(self.value((node, child, ()), ticks) for child in attr.children)

    def localMatrix(self, node, ticks=None):
        """A transform's local matrix; identity for other DAG nodes.

        Transforms: [Sp]^-1 [S] [Sh] [Sp] [St] [Rp]^-1 [Ra] [R] [Rp] [Rt] [T];
        joints: [S] [Ra] [R] [Jo] [IS] [T], [IS] undoing the inverseScale
        (the parent joint's scale) while segmentScaleCompensate is on;
        HumanIK effectors: a transform's with their [Jo] right after [R]."""
        if not node.nodeType.isTransform:
            return _math.identity()
        v = self._vector
        t = v(node, "translate", ticks)
        r = v(node, "rotate", ticks)
        s = v(node, "scale", ticks, 1.0)
        ra = v(node, "rotateAxis", ticks)
        order = self.value((node, node.findAttr("rotateOrder"), ()), ticks)
        rotation = _math.euler(r[0], r[1], r[2], order)
        axis = _math.euler(ra[0], ra[1], ra[2], 0)
        orient = self.jointOrientMatrix(node, ticks)
        if node.nodeType.isA("joint"):
            return _math.chain(_math.scaling(*s), axis, rotation, orient,
                               self.inverseScaleMatrix(node, ticks), _math.translation(*t))
        if orient is not None:
            rotation = _math.multiply(rotation, orient)
        sh = v(node, "shear", ticks)
        sp = v(node, "scalePivot", ticks)
        spt = v(node, "scalePivotTranslate", ticks)
        rp = v(node, "rotatePivot", ticks)
        rpt = v(node, "rotatePivotTranslate", ticks)
        return _math.chain(
            _math.translation(-sp[0], -sp[1], -sp[2]), _math.scaling(*s),
            _math.shearing(*sh), _math.translation(*sp), _math.translation(*spt),
            _math.translation(-rp[0], -rp[1], -rp[2]), axis, rotation,
            _math.translation(*rp), _math.translation(*rpt), _math.translation(*t))

    def jointOrientMatrix(self, node, ticks=None):
        """The rotation of the jointOrient (xyz angles) of a joint or a
        HumanIK effector; ``None`` for other nodes."""
        if not (node.nodeType.isA("joint") or node.nodeType.isA("hikIKEffector")):
            return None
        jo = self._vector(node, "jointOrient", ticks)
        return _math.euler(jo[0], jo[1], jo[2], 0)

    def inverseScaleMatrix(self, node, ticks=None):
        """A joint's [IS]: the inverse of its inverseScale while
        segmentScaleCompensate is on, else (or with a zero scale) the
        identity."""
        if self.value((node, node.findAttr("segmentScaleCompensate"), ()), ticks):
            parentScale = self._vector(node, "inverseScale", ticks, 1.0)
            if all(parentScale):
                return _math.scaling(*[1.0 / p for p in parentScale])
        return _math.identity()

    def parentWorldMatrix(self, node, ticks=None):
        parent = node.parent
        if parent is None or parent is self.world:
            return _math.identity()
        return self.worldMatrix(parent, ticks)

    def worldMatrix(self, node, ticks=None):
        if node is self.world or not node.isDag:
            return _math.identity()
        local = self.localMatrix(node, ticks)
        opmAttr = node.findAttr("offsetParentMatrix")
        local = _math.multiply(local, self.value((node, opmAttr, ()), ticks))
        inherits = node.findAttr("inheritsTransform")
        if inherits is not None and not self.value((node, inherits, ()), ticks):
            return local
        return _math.multiply(local, self.parentWorldMatrix(node, ticks))

    # --- anim curves -------------------------------------------------------------

    @staticmethod
    def curveTypeFor(attr):
        """Which anim curve type keys an attribute, or ``None``."""
        if attr.kind == _attrs.LINEAR:
            return "animCurveTL"
        if attr.kind == _attrs.ANGLE:
            return "animCurveTA"
        if attr.kind == _attrs.TIME:
            return "animCurveTT"
        if attr.kind == _attrs.ENUM:
            return "animCurveTU"
        if attr.kind == _attrs.NUMERIC and attr.numericType in _KEYABLE_NUMERIC:
            return "animCurveTU"
        return None

    @staticmethod
    def isAnimationNode(node):
        """Whether a node is animation: an anim curve or an animation layer
        blend."""
        return node.keys is not None or node.nodeType.isA("animBlendNodeBase")

    def curveDriving(self, key):
        """The anim curve node connected straight into ``key``, if any."""
        src = self.connections.get(key)
        if src is not None and src[0].keys is not None:
            return src[0]
        return None

    def evaluateCurve(self, curve, ticks):
        """Value of an anim curve at ``ticks``: exact at keys, linear between
        keys (stepped curves hold the earlier key), held before the first and
        after the last key."""
        keys = curve.keys
        if not keys:
            return 0.0
        if ticks <= keys[0][0]:
            return keys[0][1]
        if ticks >= keys[-1][0]:
            return keys[-1][1]
        lo, hi = 0, len(keys) - 1
        while hi - lo > 1:
            mid = (lo + hi) // 2
            if keys[mid][0] <= ticks:
                lo = mid
            else:
                hi = mid
        t0, v0 = keys[lo]
        t1, v1 = keys[hi]
        if curve.stepped:
            return v0
        return v0 + (v1 - v0) * (ticks - t0) / (t1 - t0)

    def setKey(self, curve, ticks, value):
        keys = curve.keys
        for key in keys:
            if abs(key[0] - ticks) < 1e-6:
                key[1] = value
                return
        keys.append([ticks, value])
        keys.sort(key=lambda k: k[0])

    def keyPlug(self, key, ticks, value=None):
        """Set a key on a plug, making and connecting the anim curve (named
        "node_attribute" as Maya does) on the first key."""
        node, attr, indices = key
        curve = self.curveDriving(key)
        if curve is None:
            curveType = self.curveTypeFor(attr)
            if curveType is None:
                raise RuntimeError("Cannot key attribute: %s" % self.plugName(*key))
            if self.connections.get(key) is not None:
                raise RuntimeError("Cannot key attribute driven by a connection: %s"
                                   % self.plugName(*key))
            if value is None:
                value = self.value(key)
            name = "%s_%s" % (node.name, self.plugPath(attr, indices, fullPath=False).replace(
                ".", "_").replace("[", "_").replace("]", ""))
            curve = self.createNode(curveType, name)
            curve.keys = []
            curve.stepped = attr.kind == _attrs.ENUM or attr.numericType == _attrs.N_BOOLEAN
            self._connect((curve, curve.findAttr("output"), ()), key)
        elif value is None:
            value = self.value(key, ticks)
        if isinstance(value, bool):
            value = float(value)
        self.setKey(curve, ticks, value)
        return curve

    # --- callbacks ---------------------------------------------------------------

    def addCallback(self, kind, function, clientData):
        ident = self._nextUid
        self._nextUid += 1
        self.callbacks[ident] = (kind, function, clientData)
        return ident

    def removeCallback(self, ident):
        if self.callbacks.pop(ident, None) is None:
            raise RuntimeError("(kInvalidParameter): Invalid callback id")

    def fire(self, kind, *args):
        for ident, (k, function, clientData) in list(self.callbacks.items()):
            if k == kind and ident in self.callbacks:
                function(*(args + (clientData,)))

    # --- units -------------------------------------------------------------------

    def linearToUi(self, value):
        return _units.cmToDistance(value, self.linearUnit)

    def linearFromUi(self, value):
        return _units.distanceToCm(value, self.linearUnit)

    def angleToUi(self, value):
        return _units.radToAngle(value, self.angleUnit)

    def angleFromUi(self, value):
        return _units.angleToRad(value, self.angleUnit)

    def ticksToUi(self, ticks):
        return _units.ticksToTime(ticks, self.timeUnit)

    def ticksFromUi(self, value):
        return _units.timeToTicks(value, self.timeUnit)


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
