"""The scene model's plugs, connections, values and evaluation: the half of
``Scene`` that works below the node (see ``maya._scene``).
"""

import re

from . import _attrs, _keys, _math, _units

__all__ = []


_MISSING = object()


# MPlug.FreeToChangeState values.
FREE_TO_CHANGE, NOT_FREE_TO_CHANGE, CHILDREN_NOT_FREE_TO_CHANGE = 0, 1, 2


_KEYABLE_NUMERIC = frozenset((_attrs.N_BOOLEAN, _attrs.N_BYTE, _attrs.N_CHAR,
                              _attrs.N_SHORT, _attrs.N_LONG, _attrs.N_INT64,
                              _attrs.N_FLOAT, _attrs.N_DOUBLE))


_PLUG_COMPONENT = re.compile(r"^([A-Za-z_][A-Za-z0-9_]*)(?:\[(-?\d+)\])?$")


def _dataClass(attr):
    """What an attribute carries, for the connection check: "number" for
    every numeric, unit and enum attribute (units convert), "matrix",
    "message", a typed attribute's data type, a compound's child classes;
    None for a generic attribute, which takes anything."""
    kind = attr.kind
    if kind == _attrs.COMPOUND:
        return tuple(_dataClass(child) for child in attr.children)
    if kind == _attrs.MATRIX or (kind == _attrs.TYPED and attr.dataType == _attrs.D_MATRIX):
        return "matrix"
    if kind == _attrs.MESSAGE:
        return "message"
    if kind == _attrs.TYPED:
        return ("data", attr.dataType)
    if kind == _attrs.GENERIC:
        return None
    return "number"


def _compatible(a, b):
    """Whether data of class ``a`` can flow into class ``b``."""
    if a is None or b is None:
        return True
    if isinstance(a, tuple) and isinstance(b, tuple) and a[:1] != ("data",) \
            and b[:1] != ("data",):
        return len(a) == len(b) and all(_compatible(x, y) for x, y in zip(a, b))
    return a == b


class PlugModel(object):
    """Plugs, connections, values, evaluation, keys and callbacks of the
    scene; ``Scene`` inherits them.  Works on the state ``Scene``
    keeps (``nodes``, ``connections``, ``currentTicks``, ...)."""

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
        connection from anything but an anim curve; with ``checkChildren`` a
        free plug whose child or element plugs are not free answers
        ``kChildrenNotFreeToChange``. A locked node does not make its plugs
        unfree: its unlocked attributes still take values and connections."""
        if self._blocksChange(key):
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
        def shown(key):
            # As connectAttr names plugs: the leaf attribute, no compound path.
            return "%s.%s" % (self.partialPath(key[0]),
                              self.plugPath(key[1], key[2], fullPath=False))
        if not src[0].alive or not dst[0].alive:
            raise RuntimeError("Cannot connect plugs of a deleted node.")
        if not _compatible(_dataClass(src[1]), _dataClass(dst[1])):
            # connectAttr's own words when the types differ (a compound into
            # a single value, a matrix into a number, ...).
            raise RuntimeError("Connection not made: '%s' -> '%s'. Data types of source "
                               "and destination are not compatible."
                               % (shown(src), shown(dst)))
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
                                   % (shown(src), shown(dst)))
            if not force:
                raise RuntimeError("'%s' already has an incoming connection from '%s'."
                                   % (shown(dst), shown(previous)))
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
        opmAttr = node.findAttr("offsetParentMatrix")   # transforms only
        if opmAttr is not None:
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

    def unitToUi(self, attr, value):
        """A linear, angle or time attribute's internal value in the working
        unit; any other attribute's value unchanged."""
        kind = attr.kind
        if kind == _attrs.LINEAR:
            return self.linearToUi(value)
        if kind == _attrs.ANGLE:
            return self.angleToUi(value)
        if kind == _attrs.TIME:
            return self.ticksToUi(value)
        return value

    def unitFromUi(self, attr, value):
        """The inverse of ``unitToUi``."""
        kind = attr.kind
        if kind == _attrs.LINEAR:
            return self.linearFromUi(value)
        if kind == _attrs.ANGLE:
            return self.angleFromUi(value)
        if kind == _attrs.TIME:
            return self.ticksFromUi(value)
        return value
