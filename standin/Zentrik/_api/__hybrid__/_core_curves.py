"""Animation curves as the suite's tools see them: ``AnimCurve`` and
``AnimCurveFn``, with the helpers that find a blend's layer.  Gathered
by ``_core``.
"""

from maya import cmds
from maya.OpenMaya import (
    MDagPath, MFn, MFnAttribute, MFnDependencyNode, MIntArray, MObject, MObjectHandle,
    MPlug, MPlugArray, MSelectionList, MTime)
from maya.OpenMayaAnim import MFnAnimCurve
from ._core_base import asList, CORE, CoreObject, _rigkitNode
from ._core_tools import _timeRangeFlag
from ._rotation import rotationMath

__all__ = ["AnimCurve", "AnimCurveFn"]


# --- anim curves ---------------------------------------------------------------

# The MFn types of Maya's animation layer blend nodes. Maya lists only a
# blend's own type among its function sets, not kBlendNodeBase, so the test
# has to name each one.
_BLEND_NODE_TYPES = (
    "kBlendNodeBase", "kBlendNodeAdditiveRotation", "kBlendNodeAdditiveScale",
    "kBlendNodeBoolean", "kBlendNodeDouble", "kBlendNodeDoubleAngle",
    "kBlendNodeDoubleLinear", "kBlendNodeEnum", "kBlendNodeFloat",
    "kBlendNodeFloatAngle", "kBlendNodeFloatLinear", "kBlendNodeInt16",
    "kBlendNodeInt32", "kBlendNodeTime",
)


def _isBlendNode(nodeObject):
    return any(nodeObject.hasFn(getattr(MFn, name)) for name in _BLEND_NODE_TYPES)


def _firstDestination(plug):
    """The first plug that ``plug`` feeds, or ``None``."""
    destinations = MPlugArray()
    plug.connectedTo(destinations, False, True)
    if destinations.length() == 0:
        return None
    return MPlug(destinations[0])  # a copy: an item of the array dies with it


def _childIndex(plug):
    """The position of a child plug among its compound's children."""
    parent = plug.parent()
    for index in range(parent.numChildren()):
        if parent.child(index) == plug:
            return index
    raise RuntimeError("Zentrik - %s is not among its parent's children" % plug.name())


def _attributeName(plug):
    """The long name of a plug's attribute ("rotateX")."""
    return MFnAttribute(plug.attribute()).name()


def _nodePathName(nodeObject):
    """A DAG node's full path ("|rig|arm"), a DG node's name."""
    if nodeObject.hasFn(MFn.kDagNode):
        path = MDagPath()
        MDagPath.getAPathTo(nodeObject, path)
        return path.fullPathName()
    return MFnDependencyNode(nodeObject).name()


def _layerOfBlend(blendObject):
    """The name of the animation layer a blend belongs to, or ``None``.

    Maya wires a layer's "foregroundWeight" into the "weightB" of each of
    its blends and each blend's "message" into the layer's "blendNodes";
    either connection names the layer, so a blend wired by hand with only
    one of them is still found.
    """
    blend = MFnDependencyNode(blendObject)
    for plugName, asDestination in (("weightB", True), ("message", False)):
        try:
            plug = blend.findPlug(plugName, False)
        except RuntimeError:
            continue
        others = MPlugArray()
        plug.connectedTo(others, asDestination, not asDestination)
        for index in range(others.length()):
            node = others[index].node()
            if node.hasFn(MFn.kAnimLayer):
                return MFnDependencyNode(node).name()
    return None


def _rootLayer():
    """The scene's root animation layer ("BaseAnimation"), or ``None``.

    ``None`` also when the ``animLayer`` command is missing or refuses the
    query: a scene whose layers cannot be asked about counts as having none.
    """
    command = getattr(cmds, "animLayer", None)
    if command is None:
        return None
    try:
        root = command(query=True, root=True)
    except (RuntimeError, TypeError, ValueError):
        return None
    if isinstance(root, (list, tuple)):
        root = root[0] if root else None
    return root or None


class _liveProperty(object):
    """A property computed afresh on every read; a value preset with
    ``CoreObject.setProperty`` shadows it.

    Like ``coreProperty`` this is a non-data descriptor, so an entry in the
    instance ``__dict__`` wins; unlike it, a computed value is never stored,
    so reads follow the scene.
    """

    def __init__(self, fget):
        self.fget = fget
        self.name = fget.__name__
        self.__doc__ = fget.__doc__

    def __set_name__(self, owner, name):
        self.name = name

    def __get__(self, instance, owner=None):
        if instance is None:
            return self
        return self.fget(instance)


# Key times within this many frames of a range end count as on the end, so
# a time that went through a unit conversion still lands inside.
_FRAME_TOLERANCE = 1e-6


class AnimCurve(CoreObject):
    """One anim curve node, known by name, read through ``MFnAnimCurve``.

    ``AnimCurve(name, mode=None, targetTime=None, targetController=None)``:
    built from the curve node's name; an unknown name raises
    ``RuntimeError`` and a node that is not an anim curve the error of
    ``MFnAnimCurve``. The wrapper stays with that node when it is renamed.
    ``mode`` (the tool mode the curve was chosen in: 0 target curves,
    1 selected keys), ``targetTime`` and ``targetController`` (the tool
    object that chose it) are kept as attributes of those names and change
    nothing here. ``curveObject`` is the curve node's ``MObject``.

    Every property reads the scene afresh on each access (keys, driven
    plug, layer); none is kept. ``setProperty`` presets a property's value
    for this wrapper as on any ``CoreObject``; ``refreshKeys`` drops the
    presets of the key properties so they read the scene again.
    ``setProperty("newKeyValues", values)`` also writes the values into the
    curve's keys.

    Key kinds (``KEY_KINDS``): ``KEY_DEFAULT`` (a normal key),
    ``KEY_BREAKDOWN`` (Maya's breakdown flag) and ``KEY_SPECIAL`` (Maya's
    tick-draw-special flag, a key drawn in the special colour in the time
    slider).

    Every ``smartEulerFilter`` call is recorded in ``CORE.eulerFilterCalls``
    as a dictionary: "curve" (the curve's name), "frameRange",
    "includePreviousKey", "filterFlag", "actionId" as given, and "changed",
    the result.
    """

    KEY_DEFAULT = "default"
    KEY_BREAKDOWN = "breakdown"
    KEY_SPECIAL = "special"
    KEY_KINDS = (KEY_DEFAULT, KEY_BREAKDOWN, KEY_SPECIAL)

    # The properties that read keys; refreshKeys drops their presets.
    _KEY_PROPERTIES = ("numKeys", "keyTimes", "keyValues")

    def __init__(self, name, mode=None, targetTime=None, targetController=None):
        selection = MSelectionList()
        selection.add(name)
        self.curveObject = MObject()
        selection.getDependNode(0, self.curveObject)
        self._fn = MFnAnimCurve(self.curveObject)
        self.mode = mode
        self.targetTime = targetTime
        self.targetController = targetController

    def name(self):
        """The curve node's current name."""
        return self._fn.name()

    def __repr__(self):
        return "AnimCurve(%r)" % self.name()

    # --- keys ---

    @_liveProperty
    def numKeys(self):
        """How many keys the curve has."""
        return self._fn.numKeys()

    @_liveProperty
    def keyTimes(self):
        """The key times in key order, as frame numbers (floats) in the
        current UI time unit."""
        return self._sceneKeyTimes()

    @_liveProperty
    def keyValues(self):
        """The key values in key order, in Maya's internal units
        (centimetres, radians), as ``MFnAnimCurve.value`` gives them."""
        return self._sceneKeyValues()

    def _sceneKeyTimes(self):
        unit = MTime.uiUnit()
        return [self._fn.time(i).asUnits(unit) for i in range(self._fn.numKeys())]

    def _sceneKeyValues(self):
        return [self._fn.value(i) for i in range(self._fn.numKeys())]

    def refreshKeys(self):
        """Make ``numKeys``, ``keyTimes`` and ``keyValues`` answer from the
        scene again. They read the scene on every access, so this drops
        only values preset for them with ``setProperty``."""
        for name in self._KEY_PROPERTIES:
            self.__dict__.pop(name, None)

    def setProperty(self, name, value):
        """Preset the property ``name`` (see ``CoreObject.setProperty``).

        "newKeyValues" is also written into the curve: ``value`` holds one
        value per key, in key order and internal units (as ``keyValues``
        gives them), and each key gets its value through
        ``MFnAnimCurve.setValue``, in key order. Another number of values
        raises ``ValueError`` and neither writes nor presets anything.
        """
        if name == "newKeyValues":
            self._writeKeyValues(value)
        CoreObject.setProperty(self, name, value)

    def _writeKeyValues(self, values):
        values = [float(v) for v in values]
        if len(values) != self._fn.numKeys():
            raise ValueError("Zentrik - %s has %d keys, got %d values"
                             % (self.name(), self._fn.numKeys(), len(values)))
        for index, value in enumerate(values):
            self._fn.setValue(index, value)

    def setKeyKindAt(self, index=None, keyKind=None, actionId=None):
        """Give the key at ``index`` the kind ``keyKind``, one of the
        ``KEY_`` constants; the other kinds' flags are cleared, so
        ``KEY_DEFAULT`` makes a normal key again.

        An index outside the keys raises ``IndexError``, an unknown kind
        ``ValueError``. ``actionId`` names the user action the change
        belongs to; the stand-in keeps no undo record of it.
        """
        if keyKind not in self.KEY_KINDS:
            raise ValueError("Zentrik - unknown key kind %r" % (keyKind,))
        if isinstance(index, bool) or not isinstance(index, int):
            raise TypeError("Zentrik - a key index is an int, not %r" % (index,))
        if not 0 <= index < self._fn.numKeys():
            raise IndexError("Zentrik - %s has no key %d" % (self.name(), index))
        cmds.keyframe(self.name(), edit=True, index=(index, index),
                      breakdown=keyKind == self.KEY_BREAKDOWN,
                      tickDrawSpecial=keyKind == self.KEY_SPECIAL)

    # --- what the curve drives ---

    @_liveProperty
    def drivenPlug(self):
        """The ``MPlug`` the curve finally drives, or ``None``.

        Follows the curve's "output" to the first plug it feeds and on
        through animation layer blends: from a blend's input to its
        "output" (from the input child a value came in on, such as
        inputBX, to the output child at the same position, outputX, or to
        that child of the plug the whole output compound feeds). Stops at
        the first plug of a node that is not a blend; ``None`` when a step
        feeds nothing.
        """
        plug = _firstDestination(self._fn.findPlug("output", False))
        seen = set()
        while plug is not None:
            node = plug.node()
            if not _isBlendNode(node):
                return plug
            name = plug.name()
            if name in seen:
                return None  # blends wired in a loop drive nothing
            seen.add(name)
            output = MFnDependencyNode(node).findPlug("output", False)
            if not plug.isChild():
                plug = _firstDestination(output)
                continue
            index = _childIndex(plug)
            if output.numChildren() <= index:
                return None
            plug = _firstDestination(output.child(index))
            if plug is None:
                whole = _firstDestination(output)
                if whole is not None and whole.numChildren() > index:
                    plug = whole.child(index)
                else:
                    plug = whole
        return None

    @_liveProperty
    def nodeName(self):
        """The full name of the node of ``drivenPlug``: the full DAG path
        ("|rig|arm_ctrl") of a DAG node, the name of another node;
        ``None`` when the curve drives nothing."""
        plug = self.drivenPlug
        return None if plug is None else _nodePathName(plug.node())

    @_liveProperty
    def attrName(self):
        """The long name of the attribute of ``drivenPlug`` ("rotateX");
        ``None`` when the curve drives nothing."""
        plug = self.drivenPlug
        return None if plug is None else _attributeName(plug)

    @_liveProperty
    def parentAttribute(self):
        """The long name of the compound attribute ``drivenPlug`` is a child
        of ("rotate" for rotateX); ``None`` for a plug that is no compound's
        child, or when the curve drives nothing."""
        plug = self.drivenPlug
        if plug is None or not plug.isChild():
            return None
        return _attributeName(plug.parent())

    @_liveProperty
    def isRotation(self):
        """Whether this is an angular curve (``animCurveTA``) that drives a
        rotate channel: rotateX, rotateY or rotateZ, the children of
        "rotate". An angular curve on another angle attribute is not."""
        if self._fn.animCurveType() != MFnAnimCurve.kAnimCurveTA:
            return False
        return self.parentAttribute == "rotate"

    @_liveProperty
    def node(self):
        """rigkit0's ``Node`` for ``nodeName`` (the plain name while rigkit0
        is not loaded); ``None`` when the curve drives nothing."""
        name = self.nodeName
        return None if name is None else _rigkitNode(name)

    @_liveProperty
    def animLayer(self):
        """The name of the animation layer this curve belongs to, or ``None``.

        A curve that feeds a layer blend's "inputB" (or one of its
        children) is that layer's: the layer whose weight drives the
        blend's "weightB", or that lists the blend among its "blendNodes".
        Any other curve that feeds something (a blend's "inputA" or a plug
        directly) is a base curve: the root layer ("BaseAnimation") that
        ``cmds.animLayer(query=True, root=True)`` names, ``None`` in a
        scene without layers. ``None`` also for a curve that feeds nothing
        and for a blend no layer can be found for.
        """
        plug = _firstDestination(self._fn.findPlug("output", False))
        if plug is None:
            return None
        node = plug.node()
        if _isBlendNode(node) and _attributeName(plug).startswith("inputB"):
            return _layerOfBlend(node)
        return _rootLayer()

    # --- what the tools read per key ---

    @_liveProperty
    def curveName(self):
        """The curve node's current name (as ``name()``)."""
        return self._fn.name()

    @_liveProperty
    def isTranslate(self):
        """Whether the curve drives a translate channel (translateX ...,
        by the long or the short name)."""
        return self.attrName in _TRANSLATE_NAMES

    @_liveProperty
    def isRotate(self):
        """Whether the curve drives a rotate channel (rotateX ...)."""
        return self.attrName in _ROTATE_NAMES

    @_liveProperty
    def isScale(self):
        """Whether the curve drives a scale channel (scaleX ...)."""
        return self.attrName in _SCALE_NAMES

    @_liveProperty
    def keyIndices(self):
        """Per key, in time order, the logical index of its element in the
        curve's per-key array attributes (keyTickDrawSpecial ...).

        Read from the elements that exist; Maya's numbering need not
        follow the key order after edits, the stand-in's does.
        """
        indices = MIntArray()
        self._tickDrawSpecialPlug().getExistingArrayAttributeIndices(indices)
        return sorted(indices)[:self._fn.numKeys()]

    @_liveProperty
    def keyKinds(self):
        """Per key its kind: ``KEY_SPECIAL`` for a key with the special
        tick, else ``KEY_BREAKDOWN`` for a breakdown, else ``KEY_DEFAULT``."""
        plug = self._tickDrawSpecialPlug()
        kinds = []
        for position, index in enumerate(self.keyIndices):
            if plug.elementByLogicalIndex(index).asBool():
                kinds.append(self.KEY_SPECIAL)
            elif self._fn.isBreakdown(position):
                kinds.append(self.KEY_BREAKDOWN)
            else:
                kinds.append(self.KEY_DEFAULT)
        return kinds

    @_liveProperty
    def tangentTypes(self):
        """Per key the pair ``[inTangentType, outTangentType]`` of
        ``MFnAnimCurve.kTangent`` constants."""
        return [[self._fn.inTangentType(i), self._fn.outTangentType(i)]
                for i in range(self._fn.numKeys())]

    @_liveProperty
    def targetKeyIndices(self):
        """The logical indices (see ``keyIndices``) of the keys the tool's
        target covers, in time order; ``[]`` when it covers none.

        With a ``targetTime`` (the curve was built with one) these are the
        keys within it, both ends included (a single frame covers the keys
        on it); without one, the curve's selected keys
        (``cmds.keyframe(query=True, selected=True)``).
        """
        indices = self.keyIndices
        if self.targetTime is None:
            selected = cmds.keyframe(self.name(), query=True, selected=True,
                                     indexValue=True)
            return [indices[i] for i in sorted(asList(selected))]
        start, end = _timeRangeFlag(self.targetTime)
        return [indices[i] for i in _indicesInRange(self._sceneKeyTimes(), (start, end))]

    @_liveProperty
    def curveFn(self):
        """The curve's function set for the tools (``AnimCurveFn``)."""
        return AnimCurveFn(self.curveObject)

    def _tickDrawSpecialPlug(self):
        return self._fn.findPlug("keyTickDrawSpecial", False)

    @staticmethod
    def findIndex(keyTimes, frame):
        """The position of ``frame`` among ``keyTimes`` (within a millionth
        of a frame), or ``None`` when no time matches."""
        for index, time in enumerate(keyTimes):
            if abs(time - frame) <= _FRAME_TOLERANCE:
                return index
        return None

    def interpolationAt(self, frame):
        """How far the curve's value at ``frame`` has gone from the key
        before ``frame`` to the key after it: 0 at the earlier key's value,
        1 at the later one's (a breakdown's place between its neighbours).

        ``None`` when ``frame`` has no key on both sides (a key on
        ``frame`` itself is on neither side) or both keys hold the same
        value.
        """
        times = self._sceneKeyTimes()
        before = [i for i, t in enumerate(times) if t < frame - _FRAME_TOLERANCE]
        after = [i for i, t in enumerate(times) if t > frame + _FRAME_TOLERANCE]
        if not before or not after:
            return None
        start, end = self._fn.value(before[-1]), self._fn.value(after[0])
        if end == start:
            return None
        value = self._fn.evaluate(MTime(frame, MTime.uiUnit()))
        return (value - start) / (end - start)

    def exists(self):
        """Whether the curve node is still in the scene."""
        return MObjectHandle(self.curveObject).isValid()

    def setSmartKey(self, keyFlag=False, actionId=None):
        """Key the curve at the current time.

        The key goes through ``cmds.setKeyframe`` on the plug the curve
        drives (with ``animLayer`` naming the curve's layer, so the key
        lands on this curve) and takes the value the plug shows now; with
        ``keyFlag`` true it is inserted instead, keeping the curve's shape.
        A curve that drives nothing is keyed directly with its own value.
        Each call is recorded in ``CORE.smartKeys`` as a dictionary:
        "curve", "time" (UI frames), "keyFlag", "actionId".
        """
        time = cmds.currentTime(query=True)
        plug = self.drivenPlug
        if plug is None:
            self._fn.addKey(MTime(time, MTime.uiUnit()),
                            self._fn.evaluate(MTime(time, MTime.uiUnit())))
        else:
            flags = dict(time=(time,))
            if keyFlag:
                flags["insert"] = True
            layer = self.animLayer
            if layer is not None:
                flags["animLayer"] = layer
            cmds.setKeyframe("%s.%s" % (self.nodeName, self.attrName), **flags)
        CORE.smartKeys.append(dict(curve=self.name(), time=time, keyFlag=keyFlag,
                                   actionId=actionId))

    # --- Euler filter ---

    def smartEulerFilter(self, frameRange=None, includePreviousKey=True,
                         filterFlag=True, actionId=None):
        """Unwrap this curve's angles over the keys in ``frameRange``;
        ``True`` when that changes a key value.

        ``frameRange`` is ``[start, end]`` in UI frames, both ends included
        (``None`` for either end leaves that side open, ``None`` for the
        range takes every key). Each key in the range, in time order, is
        brought within π of the key before it by whole turns
        (``rotationMath.filterAngle``, against the value that key got).
        The first reference is the last key before the range when
        ``includePreviousKey`` is true and there is one; otherwise the first
        key in the range, which then stays as it is. Keys outside the range
        never change.

        The keys are read from the scene (values preset with
        ``setProperty`` are not used) and changed values are written back
        with ``MFnAnimCurve.setValue``. With ``filterFlag`` false nothing is
        written, and the result tells whether the filter would change the
        curve. A curve that is not angular (``animCurveTA``) is left alone
        and gives ``False``. ``actionId`` names the user action; the
        stand-in keeps no undo record of it.
        """
        changed = False
        if self._fn.animCurveType() == MFnAnimCurve.kAnimCurveTA:
            values = self._sceneKeyValues()
            inRange = _indicesInRange(self._sceneKeyTimes(), frameRange)
            if inRange:
                if includePreviousKey and inRange[0] > 0:
                    reference, filtered = values[inRange[0] - 1], inRange
                else:
                    reference, filtered = values[inRange[0]], inRange[1:]
                for index in filtered:
                    reference = rotationMath.filterAngle(reference, values[index])
                    if reference != values[index]:
                        changed = True
                        if filterFlag:
                            self._fn.setValue(index, reference)
        CORE.eulerFilterCalls.append(dict(
            curve=self.name(), frameRange=frameRange,
            includePreviousKey=includePreviousKey, filterFlag=filterFlag,
            actionId=actionId, changed=changed))
        return changed


def _indicesInRange(times, frameRange):
    """The indices of the ``times`` within ``frameRange`` (see
    ``AnimCurve.smartEulerFilter``)."""
    if frameRange is None:
        return list(range(len(times)))
    start, end = frameRange
    if start is not None and end is not None and start > end:
        start, end = end, start
    return [index for index, time in enumerate(times)
            if (start is None or time >= start - _FRAME_TOLERANCE)
            and (end is None or time <= end + _FRAME_TOLERANCE)]


# The driven channels the tools treat as translate, rotate and scale, by long
# and short name.
_TRANSLATE_NAMES = frozenset(("translateX", "translateY", "translateZ", "tx", "ty", "tz"))


_ROTATE_NAMES = frozenset(("rotateX", "rotateY", "rotateZ", "rx", "ry", "rz"))


_SCALE_NAMES = frozenset(("scaleX", "scaleY", "scaleZ", "sx", "sy", "sz"))


class AnimCurveFn(object):
    """What the tools ask an anim curve's function set (``AnimCurve.curveFn``).

    ``fn`` is the curve's ``MFnAnimCurve``. ``tickDrawSpecialPlug`` is the
    curve's keyTickDrawSpecial array plug: element ``i`` (a logical index,
    see ``AnimCurve.keyIndices``) holds the special-tick flag of its key,
    and writing it (``MDGModifier.newPlugValueBool``) sets the flag.
    """

    def __init__(self, curveObject):
        self.fn = MFnAnimCurve(curveObject)

    @property
    def tickDrawSpecialPlug(self):
        """The array plug of the keys' special-tick flags."""
        return self.fn.findPlug("keyTickDrawSpecial", False)

    def isSpecialAt(self, index):
        """Whether the key at logical ``index`` has the special tick."""
        return self.tickDrawSpecialPlug.elementByLogicalIndex(index).asBool()

    @property
    def isWeighted(self):
        """Whether the curve has weighted tangents."""
        return self.fn.isWeighted()
