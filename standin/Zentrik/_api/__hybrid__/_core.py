"""The shared implementation behind the stand-in core modules core37 ... core311.

The suite ships one core module per interpreter; ``rigkit0`` star-imports the
one that matches the running interpreter and finds here everything it uses
from outside: ``CORE`` and its services, the Maya command module, the Maya
API 1.0 classes, the base class ``CoreObject`` with its decorators, and a few
small utilities.

This stand-in reaches Maya only through the public ``maya.cmds``,
``maya.OpenMaya`` and ``maya.OpenMayaAnim`` modules, as the suite does. Where
the real suite shows something to the animator (error reports, toolbar
buttons, option toggles) the stand-in records it instead, so tests can assert
on what the module asked for:

- ``CORE.calls``: every operation on a service, as ``(service, operation,
  args)`` with the arguments in signature order, defaults filled in;
- ``CORE.traceKit.errors``: the reported error texts;
- ``CORE.modifierContexts`` / ``CORE.lastModifier``: what
  ``coreModifierContext`` yielded and whether it was applied;
- ``CORE.decoratedCalls``: how often each ``coreDecorator`` method ran;
- the tools' records: ``CORE.messages`` (each ``ToolMessage.show``),
  ``CORE.toolErrors`` (``reportToolError``), ``CORE.progressBars``,
  ``CORE.targetSelections`` (``TargetSelection.selectTargets``),
  ``CORE.eulerFilterCalls`` (``AnimCurve.smartEulerFilter``),
  ``CORE.smartKeys`` (``AnimCurve.setSmartKey``) and
  ``CORE.frameSteppers`` (each ``FrameStepper`` entered, with the nodes
  registered and the steps taken).

What the suite answers the tools, tests preset on ``CORE``: the option
stores ``CORE.toolOptions`` and ``CORE.auxToolOptions`` (dictionaries by
option key), ``CORE.curveTarget`` (``curveNames``, ``targetTime``,
``keyTimes``, ``hasTimeRange``, ``preferTargetCurves`` of
``CurveTarget``), ``CORE.keySelectionContext.isActive`` and
``CORE.frameStepper.canStep``.

``CORE.resetRecords()`` clears all of them and puts every service and
setting back to its default answer; tests call it between cases.

The suite's own objects that rigkit0 builds or consults:

- ``MirrorNode(node)``: a node's side and counterpart, found from its name
  (markers such as ``L_``, ``_R``, ``left``/``Right`` words; see
  ``MirrorNode.splitSideName``);
- ``mirrorService.getMirrorFromNode(node)``: the counterpart's node wrapper;
- ``MirrorStore(container=..., lookupFlag=False).lookup(attr)``: a value from
  one of the four mirror stores. ``CORE.mirrorStoreA`` holds the names of
  mirroring attributes, ``mirrorStoreB`` and ``mirrorStoreC`` multipliers,
  ``mirrorStoreD`` default values; tests fill a store's ``entries``
  dictionary, keyed by an attribute wrapper's ``settingsKey``
  ("rig|L_arm_ctrl.translateX"), ``plainPlugName`` ("L_arm_ctrl.translateX"),
  ``attrName`` ("translateX", a rule for the channel on every node) or
  ``shortAttrName`` ("tx"), and ``resetRecords()`` empties them;
- ``AnimCurve(name, mode=None, targetTime=None, targetController=None)``:
  one anim curve's keys, key kinds, tangent types, target keys, driven plug
  and node, layer, smart key and its Euler filter; ``AnimCurveFn``, the
  function set its ``curveFn`` hands the tools;
- ``MatrixDecomposition(matrix)``: translation, scale and Euler rotation
  of a matrix; ``LinearValue``: a distance in centimetres and in the
  working unit; ``FrameStepper``: steps the scene through frames;
- ``EnumAttribute``, ``NumericAttribute``: wrappers of an attribute
  ``MObject``;
- ``rotationMath``: rotate-order names and the Euler filters
  ``filterAngle`` and ``filterRotation``;
- the tool objects: ``CurveTarget``, ``TargetSelection``,
  ``KeySelectionContext``, ``ToolOption``, ``AuxToolOption``,
  ``ProgressBar``, ``ToolMessage`` with ``askMessageKind``,
  ``infoMessageKind`` and ``MessageClick``, ``reportToolError`` and the
  record class ``ValueRecord``.
"""

import collections
import functools
import itertools
import math
import re
import sys
from functools import partial

from maya import cmds
import maya.OpenMaya as OpenMaya
from maya.OpenMaya import (
    MAngle,
    MDGContext,
    MDagModifier,
    MDagPath,
    MDistance,
    MDoubleArray,
    MEulerRotation,
    MFn,
    MFnAttribute,
    MFnDagNode,
    MFnData,
    MFnDependencyNode,
    MFnDoubleArrayData,
    MFnEnumAttribute,
    MFnIkJoint,
    MFnIntArrayData,
    MFnMatrixData,
    MFnNumericAttribute,
    MFnNumericData,
    MFnPointArrayData,
    MFnTransform,
    MFnTypedAttribute,
    MGlobal,
    MIntArray,
    MItSelectionList,
    MMatrix,
    MObject,
    MObjectArray,
    MObjectHandle,
    MPlug,
    MPlugArray,
    MPoint,
    MPointArray,
    MQuaternion,
    MScriptUtil,
    MSelectionList,
    MSpace,
    MTime,
    MTransformationMatrix,
    MVector,
)
from maya.OpenMayaAnim import MAnimControl, MAnimMessage, MAnimUtil, MFnAnimCurve

from ._rotation import rotationMath

_MAYA_API_NAMES = [
    "MAngle", "MAnimControl", "MAnimMessage", "MAnimUtil", "MDGContext",
    "MDagModifier", "MDagPath", "MDistance", "MDoubleArray", "MEulerRotation",
    "MFn", "MFnAnimCurve", "MFnAttribute", "MFnDagNode", "MFnData",
    "MFnDependencyNode", "MFnDoubleArrayData", "MFnIkJoint", "MFnIntArrayData",
    "MFnMatrixData", "MFnNumericAttribute", "MFnNumericData",
    "MFnPointArrayData", "MFnTransform", "MFnTypedAttribute", "MGlobal",
    "MIntArray", "MItSelectionList", "MMatrix", "MObject", "MObjectArray",
    "MObjectHandle", "MPlug", "MPlugArray", "MPoint", "MPointArray",
    "MQuaternion", "MScriptUtil", "MSelectionList", "MSpace", "MTime",
    "MTransformationMatrix", "MVector",
]

__all__ = [
    "AnimCurve", "AnimCurveFn", "AuxToolOption", "CORE", "CoreObject",
    "CurveTarget", "EnumAttribute", "FrameStepper", "KeySelectionContext",
    "LinearValue", "MatrixDecomposition", "MessageClick", "MirrorNode",
    "MirrorStore", "NodeHandle", "NumericAttribute", "ProgressBar",
    "TargetSelection", "ToolMessage", "ToolOption", "ValueRecord",
    "askMessageKind", "asList", "cmds", "coreDecorator", "coreModifierContext",
    "coreProperty", "infoMessageKind", "math", "mayaVersion", "mirrorService",
    "partial", "pythonMajor", "reportToolError", "rotationMath",
] + _MAYA_API_NAMES

pythonMajor = sys.version_info[0]

# The host version the stand-in scene claims to be; the module only compares
# it against older releases.
mayaVersion = 2024

# rigkit0 lives in this package; graphKit hands back its Node wrappers.
_RIGKIT0_MODULE = __name__.rpartition(".")[0] + ".rigkit0"


def asList(value):
    """Return ``value`` as a new list.

    ``None`` gives ``[]``; a text or bytes value is one item, not a sequence
    of characters; any other iterable gives its items; anything else becomes
    a list of that one value.
    """
    if value is None:
        return []
    if isinstance(value, (str, bytes, bytearray)):
        return [value]
    try:
        items = iter(value)
    except TypeError:
        return [value]
    return list(items)


class NodeHandle(object):
    """A node name in the form ``MSelectionList.add`` accepts.

    The suite resolves names more cleverly; the stand-in hands the name on
    unchanged, so an unknown name raises ``RuntimeError`` inside ``add`` as
    Maya does.
    """

    __slots__ = ("selectionItem",)

    def __init__(self, name):
        self.selectionItem = name


class coreProperty(object):
    """Turn a one-argument callable into an attribute computed once per instance.

    The first read calls ``fget(instance)`` and stores the result in the
    instance ``__dict__`` under the attribute's name (``None`` included).
    This is a non-data descriptor, so the stored entry shadows it: later reads
    are plain dictionary hits that never run Python code. A read that raises
    stores nothing, and the next read tries again.

    ``fget`` may be any callable with a ``__name__``, a C builtin included.
    The name comes from ``fget.__name__`` and is replaced by the name the
    class binds the descriptor to, if that differs, so storing always shadows.

    Unlike Python's ``property`` this does not stop an assignment to the
    attribute; the suite never assigns and presets values through
    ``CoreObject.setProperty`` only.
    """

    def __init__(self, fget):
        self.fget = fget
        self.name = fget.__name__
        self.__doc__ = getattr(fget, "__doc__", None)

    def __set_name__(self, owner, name):
        self.name = name

    def __get__(self, instance, owner=None):
        if instance is None:
            return self
        value = self.fget(instance)
        instance.__dict__[self.name] = value
        return value


class CoreObject(object):
    """Base of the suite's wrapper classes.

    Subclasses define their own ``__init__``; instances keep a ``__dict__``,
    where ``coreProperty`` stores the values it computes.
    """

    def setProperty(self, name, value):
        """Make later reads of the property ``name`` return ``value``.

        Works before and after the first read; the property's method is not
        run for this instance afterwards.
        """
        self.__dict__[name] = value


def coreDecorator(method):
    """Wrap one method; the wrapper counts calls in ``CORE.decoratedCalls``.

    The suite's decorator does more work around the call; the stand-in only
    makes its use visible. The wrapper is a Python function, so it binds
    ``self`` even when ``method`` is a C builtin or an instancemethod object,
    which do not bind by themselves or bind on their own terms.
    """
    name = method.__name__

    @functools.wraps(method)
    def decorated(self, *args, **kwargs):
        CORE.decoratedCalls[name] += 1
        return method(self, *args, **kwargs)

    return decorated


class coreModifierContext(object):
    """Context that yields ``(actionId, modifier)`` for one user action.

    ``actionId`` is a new integer on every entry. When the second flag is
    true (the suite's call is ``coreModifierContext(False, True)``) the
    modifier is a new ``MDagModifier``, applied with ``doIt()`` when the block
    ends normally; otherwise it is ``None``. When the block raises, nothing
    queued is applied and the exception goes on unchanged. The first flag is
    recorded but changes nothing here: the suite uses it for its undo
    bookkeeping, which the stand-in does not model.

    Every entry is recorded in ``CORE.modifierContexts``; ``applied`` is
    ``None`` while the block runs, then ``True`` or ``False``.
    """

    _actionIds = itertools.count(1)  # never reset, so ids stay unique

    def __init__(self, *flags):
        self.flags = flags
        self.actionId = None
        self.modifier = None
        self.applied = None

    def __enter__(self):
        self.actionId = next(coreModifierContext._actionIds)
        if len(self.flags) > 1 and self.flags[1]:
            self.modifier = MDagModifier()
        CORE.modifierContexts.append(self)
        return (self.actionId, self.modifier)

    def __exit__(self, excType, excValue, traceback):
        self.applied = False  # stays so if doIt() raises
        if excType is None and self.modifier is not None:
            self.modifier.doIt()
        self.applied = excType is None
        return False


class _Service(object):
    """One service of ``CORE``; writes each operation to ``CORE.calls``."""

    def __init__(self, calls, serviceName):
        self._calls = calls
        self._serviceName = serviceName

    def _record(self, operation, *args):
        self._calls.append((self._serviceName, operation, args))


class _TraceKit(_Service):
    """Error reports; the suite shows them, the stand-in keeps them in ``errors``."""

    def __init__(self, calls):
        _Service.__init__(self, calls, "traceKit")
        self.errors = []

    def reportError(self, message):
        self._record("reportError", message)
        self.errors.append(message)


class _HookKit(_Service):
    """Named Maya callbacks.

    ``callbacks`` maps a name to the id that the registration function
    returned; registering goes through that function with the arguments
    given, so the callback is Maya's own. Adding under a name already in use
    removes the older callback first, so a name never stands for two
    callbacks. A callback may remove itself, or another, while it fires:
    Maya's dispatch skips a callback removed before its turn. A callback
    whose id Maya no longer knows (its scene was reset) counts as removed.
    ``callbackFlag`` is recorded only.
    """

    def __init__(self, calls):
        _Service.__init__(self, calls, "hookKit")
        self.callbacks = {}

    def addCallback(self, registerFunction, callbackArguments, callbackName,
                    callbackFlag=False):
        """Register ``registerFunction(*callbackArguments)`` under the name."""
        self._record("addCallback", registerFunction, callbackArguments,
                     callbackName, callbackFlag)
        self._remove(callbackName)
        self.callbacks[callbackName] = registerFunction(*callbackArguments)

    def removeCallback(self, callbackName):
        """Remove the callback of that name; an unknown name does nothing."""
        self._record("removeCallback", callbackName)
        self._remove(callbackName)

    def _remove(self, callbackName):
        if callbackName in self.callbacks:
            try:
                OpenMaya.MMessage.removeCallback(self.callbacks.pop(callbackName))
            except RuntimeError:
                pass  # already gone with its scene

    def _removeAll(self):
        for callbackName in list(self.callbacks):
            self._remove(callbackName)


class _GraphKit(_Service):
    """Node creation and deletion through ``maya.cmds``."""

    def __init__(self, calls):
        _Service.__init__(self, calls, "graphKit")

    def createNode(self, nodeName, nodeType, firstFlag=False, secondFlag=False):
        """Create the node and return rigkit0's ``Node`` for it.

        Returns the plain name while rigkit0 is not loaded. The node is
        created without changing the selection; the two flags are recorded
        only.
        """
        self._record("createNode", nodeName, nodeType, firstFlag, secondFlag)
        return _rigkitNode(cmds.createNode(nodeType, name=nodeName, skipSelect=True))

    def deleteNode(self, nodeName):
        self._record("deleteNode", nodeName)
        cmds.delete(nodeName)


class _ToolButton(_Service):
    """A checkable toolbar button; ``checked`` holds the last state set."""

    def __init__(self, calls, serviceName):
        _Service.__init__(self, calls, serviceName)
        self.checked = False

    def setChecked(self, state):
        self._record("setChecked", state)
        self.checked = state

    def isChecked(self):
        return self.checked


class _CommonKit(object):
    def __init__(self, calls):
        self.smartEulerFilter_toolButton = _ToolButton(
            calls, "commonKit.smartEulerFilter_toolButton")


class _Trigger(_Service):
    """Suite commands; the stand-in counts the runs in ``highlightRuns``.

    The suite's highlight command flips a stored option and tints the time
    slider; the stand-in does neither.
    """

    def __init__(self, calls):
        _Service.__init__(self, calls, "trigger")
        self.highlightRuns = 0

    def channelBoxAuxKit_channelBoxSelectionTimelineHighlight(self):
        self._record("channelBoxAuxKit_channelBoxSelectionTimelineHighlight")
        self.highlightRuns += 1


class _Toolbar(_Service):
    """A toolbar; ``underMouse()`` answers ``mouseOver``, which tests set."""

    def __init__(self, calls, serviceName):
        _Service.__init__(self, calls, serviceName)
        self.mouseOver = False

    def underMouse(self):
        self._record("underMouse")
        return self.mouseOver


class _Color(_Service):
    def __init__(self, calls):
        _Service.__init__(self, calls, "color")

    def toOutlinerColor(self, color):
        """Return ``color`` as an ``(r, g, b)`` tuple of floats from 0 to 1.

        Three ints are read as 0..255 components; anything else as floats
        that are already 0..1. Another length, or a component out of range,
        raises ``ValueError``.
        """
        self._record("toOutlinerColor", color)
        components = tuple(color)
        if len(components) != 3:
            raise ValueError("Zentrik - a colour needs 3 components, got %r"
                             % (color,))
        isBytes = all(isinstance(c, int) and not isinstance(c, bool)
                      for c in components)
        scale = 255.0 if isBytes else 1.0
        result = tuple(float(c) / scale for c in components)
        if not all(0.0 <= c <= 1.0 for c in result):
            raise ValueError("Zentrik - colour component out of range: %r"
                             % (color,))
        return result


class _OptionSet(object):
    """The suite's option set; tests add option names to ``activeOptions``."""

    def __init__(self):
        self.activeOptions = set()


class _MirrorStore(object):
    """A mirror-rule store: ``entries`` maps the keys ``MirrorStore`` reads
    (attribute name forms, see there) to the stored values."""

    def __init__(self, name):
        self.name = name
        self.entries = {}

    def __repr__(self):
        return "<mirror store %s>" % self.name


class _CurveTargetSettings(object):
    """What ``CurveTarget`` answers (``CORE.curveTarget``).

    ``curveNames``, ``targetTime`` and ``keyTimes`` are ``None`` until a
    test sets them; ``None`` lets ``CurveTarget`` read the scene instead
    (the curves of the selection, the playback range, the keys of those
    curves in that range). ``preferTargetCurves`` and ``hasTimeRange`` are
    ``False``.
    """

    def __init__(self):
        self.curveNames = None
        self.targetTime = None
        self.preferTargetCurves = False
        self.keyTimes = None
        self.hasTimeRange = False


class _FrameStepperSettings(object):
    """What ``FrameStepper.step`` answers (``CORE.frameStepper``):
    ``canStep``, ``True`` until a test sets it; when false every step
    answers ``False`` and leaves the time alone, as the suite's stepper
    does for nodes it cannot evaluate by stepping."""

    def __init__(self):
        self.canStep = True


class _KeySelectionSettings(object):
    """What ``KeySelectionContext`` answers (``CORE.keySelectionContext``):
    ``isActive``, ``False`` until a test sets it."""

    def __init__(self):
        self.isActive = False


class _Core(object):
    """The suite's central object, with every service rigkit0 uses, and the
    settings and records of the tool objects (see ``_installToolState``)."""

    def __init__(self):
        self.calls = []
        self.modifierContexts = []
        self.decoratedCalls = collections.Counter()
        self._installServices()
        self._installToolState()

    def _installServices(self):
        calls = self.calls
        self.traceKit = _TraceKit(calls)
        self.hookKit = _HookKit(calls)
        self.graphKit = _GraphKit(calls)
        self.commonKit = _CommonKit(calls)
        self.trigger = _Trigger(calls)
        self.ZentrikToolbar = _Toolbar(calls, "ZentrikToolbar")
        self.secondToolbar = _Toolbar(calls, "secondToolbar")
        self.timeSlider = "timeControl1"
        self.color = _Color(calls)
        self.optionSet = _OptionSet()
        self.mirrorStoreA = _MirrorStore("A")
        self.mirrorStoreB = _MirrorStore("B")
        self.mirrorStoreC = _MirrorStore("C")
        self.mirrorStoreD = _MirrorStore("D")

    def _installToolState(self):
        """Fresh settings and records of the tool objects.

        The tool objects (``CurveTarget``, ``ToolOption``, ``ToolMessage``,
        ...) keep nothing themselves: what they answer and what they were
        asked lives here, where a test presets and reads it (see the
        module's docstring).
        """
        self.curveTarget = _CurveTargetSettings()
        self.keySelectionContext = _KeySelectionSettings()
        self.frameStepper = _FrameStepperSettings()
        self.frameSteppers = []
        self.smartKeys = []
        self.toolOptions = {}
        self.auxToolOptions = {}
        self.targetSelections = []
        self.progressBars = []
        self.messages = []
        self.toolErrors = []
        self.eulerFilterCalls = []

    @property
    def lastModifier(self):
        """The modifier of the latest context that made one, or ``None``."""
        for context in reversed(self.modifierContexts):
            if context.modifier is not None:
                return context.modifier
        return None

    def resetRecords(self):
        """Clear every record, remove registered callbacks, restore defaults.

        The record lists are cleared in place; the services are new objects,
        so a service a test replaced (a toolbar set to ``None``) is back.
        """
        self.hookKit._removeAll()
        del self.calls[:]
        del self.modifierContexts[:]
        self.decoratedCalls.clear()
        self._installServices()
        self._installToolState()


CORE = _Core()


# --- mirroring ---------------------------------------------------------------

class _Side(object):
    """One side of the mirror plane: ``MirrorNode.kCenter``, ``kLeft`` or
    ``kRight``. There is one object per side, so sides compare by identity."""

    __slots__ = ("name",)

    def __init__(self, name):
        self.name = name

    def __repr__(self):
        return "MirrorNode.k%s" % self.name


_CENTER, _LEFT, _RIGHT = _Side("Center"), _Side("Left"), _Side("Right")

# A side marker and what it marks: its side and the other side's marker,
# in the same letter case.
_SIDE_MARKERS = {
    "L": (_LEFT, "R"), "R": (_RIGHT, "L"),
    "l": (_LEFT, "r"), "r": (_RIGHT, "l"),
    "Left": (_LEFT, "Right"), "Right": (_RIGHT, "Left"),
    "left": (_LEFT, "right"), "right": (_RIGHT, "left"),
    "LEFT": (_LEFT, "RIGHT"), "RIGHT": (_RIGHT, "LEFT"),
}

# Where a side marker may stand in a name, the first match deciding:
# - a whole token between "_" or "." and the ends: L_arm, arm_L, arm_L_ctrl,
#   l_arm, Left_arm, arm_right, LEFT_arm;
# - "left"/"right" opening a token, followed by a capital or a digit:
#   leftEye, right2;
# - "Left"/"Right" as a capitalised word, followed by the end of the token, a
#   capital or a digit: LeftEye, eyeLeft, armLeftUpper.
# Marker-like letters inside a word never count: Lock, leftover, upright,
# bright_ctrl. Neither do one-letter camel prefixes (lArm).
_SIDE_MARKER = re.compile(
    r"(?<![^_.])(?:L|R|l|r|Left|Right|left|right|LEFT|RIGHT)(?![^_.])"
    r"|(?<![^_.])(?:left|right)(?=[A-Z0-9])"
    r"|(?:Left|Right)(?![^_.A-Z0-9])")


def _swapSide(name):
    """``(name with its first side marker swapped, side)``, or
    ``(None, _CENTER)`` when the name carries no marker."""
    match = _SIDE_MARKER.search(name)
    if match is None:
        return None, _CENTER
    side, other = _SIDE_MARKERS[match.group()]
    return name[:match.start()] + other + name[match.end():], side


class MirrorNode(object):
    """What the mirror service knows of one node: its side and counterpart.

    Sides come from the node's leaf name (the last DAG path component)
    without its namespace; the first side marker decides (see
    ``splitSideName`` for the markers). The counterpart's name is the same
    name with that marker swapped for the other side's, in the same
    namespace; a node whose name has no marker is centred and is its own
    counterpart. Counterparts are looked up by that short name, so it must
    name one node.

    Built from a node wrapper offering ``nodeName``, ``fullName()``,
    ``shortName()`` and ``exists()``; the counterpart's node is a wrapper of
    the same class. Attributes, fixed when built:

    - ``node``: the wrapper given;
    - ``nodeName``: the node's leaf name with its namespace
      ("char1:L_arm_ctrl"), the name given when the node does not exist;
    - ``namespacePrefix``: the namespace with its trailing ":" ("char1:"),
      or "";
    - ``side``: ``kLeft``, ``kRight`` or ``kCenter``, these very objects;
    - ``partnerName``: the counterpart's name ("char1:R_arm_ctrl"), the
      node's own for a centred node.
    """

    kCenter = _CENTER
    kLeft = _LEFT
    kRight = _RIGHT

    def __init__(self, node):
        self.node = node
        if node.exists():
            name = node.shortName()
        else:
            name = node.nodeName.rpartition("|")[2]
        self.nodeName = name
        namespace, colon, baseName = name.rpartition(":")
        self.namespacePrefix = namespace + colon
        otherName, self.side = _swapSide(baseName)
        if otherName is None:
            self.partnerName = name
        else:
            self.partnerName = self.namespacePrefix + otherName
        self._partner = None

    @property
    def partner(self):
        """The counterpart's ``MirrorNode``; a centred node's is itself.

        Kept once built, and built again once its node is gone, so a
        counterpart created or replaced later is found.
        """
        if self.side is _CENTER:
            return self
        if self._partner is None or not self._partner.node.exists():
            partner = MirrorNode(type(self.node)(self.partnerName))
            if partner.partnerName == self.nodeName:
                partner._partner = self
            self._partner = partner
        return self._partner

    @staticmethod
    def splitSideName(attrName):
        """``(otherName, side)`` for an attribute name.

        ``otherName`` is the name of the other side's attribute, the first
        side marker swapped ("leftEyeBlink" gives "rightEyeBlink",
        "blink_L" gives "blink_R"), or ``None`` when the name carries no
        marker; ``side`` is the side the name marks, ``kCenter`` when none.
        Markers: "L", "R", "l", "r", "Left", "Right", "left", "right",
        "LEFT", "RIGHT" as a whole token between "_" or "." and the ends;
        "left"/"right" opening a token before a capital or a digit;
        "Left"/"Right" as a capitalised word.
        """
        return _swapSide(attrName)

    def __repr__(self):
        return "MirrorNode(%r, side=%r, partnerName=%r)" % (
            self.nodeName, self.side, self.partnerName)


class MirrorStore(object):
    """Reads the value one of the mirror stores (``CORE.mirrorStoreA`` ...
    ``D``) holds for an attribute wrapper.

    A store's ``entries`` dictionary is keyed by text. ``lookup(attr)``
    tries these keys of the wrapper in turn and returns the first value
    stored (not ``None``):

    1. ``attr.settingsKey``: "parent|node.attr" without namespaces, one
       attribute of one node of a rig ("rig|L_arm_ctrl.translateX");
    2. ``attr.plainPlugName``: "node.attr" without namespace;
    3. ``attr.attrName``: the attribute's name alone, a rule for that
       channel on every node ("translateX");
    4. ``attr.shortAttrName``: the same by the short name ("tx").

    With ``lookupFlag`` true only the per-channel keys 3 and 4 are tried:
    the channel's rule, whatever the store holds for single nodes. None of
    the keys carries a namespace, so one setting serves every reference of
    a rig. A wrapper lacking one of the name forms skips that key.

    ``container`` is the store read (``None`` reads as an empty store);
    ``lookupFlag`` selects the per-channel keys only.
    """

    _NODE_KEYS = ("settingsKey", "plainPlugName")
    _CHANNEL_KEYS = ("attrName", "shortAttrName")

    def __init__(self, container=None, lookupFlag=False):
        self.container = container
        self.lookupFlag = lookupFlag

    def keysFor(self, attr):
        """The keys ``lookup`` tries for ``attr``, in order, without repeats."""
        names = self._CHANNEL_KEYS
        if not self.lookupFlag:
            names = self._NODE_KEYS + names
        keys = []
        for name in names:
            key = getattr(attr, name, None)
            if key is not None and key not in keys:
                keys.append(key)
        return keys

    def lookup(self, attr):
        """The value stored for the attribute wrapper ``attr``, or ``None``."""
        if self.container is None:
            return None
        entries = self.container.entries
        for key in self.keysFor(attr):
            value = entries.get(key)
            if value is not None:
                return value
        return None


class _MirrorService(_Service):
    """The suite's mirror service: which node mirrors which."""

    def getMirrorFromNode(self, node):
        """A new wrapper, of ``node``'s class, of the node that mirrors
        ``node``: the counterpart named by ``MirrorNode(node).partnerName``;
        a centred node gives a wrapper of itself, by the name ``node`` was
        built from. The counterpart need not exist."""
        self._record("getMirrorFromNode", node)
        mirror = MirrorNode(node)
        if mirror.side is _CENTER:
            return type(node)(node.nodeName)
        return type(node)(mirror.partnerName)


mirrorService = _MirrorService(CORE.calls, "mirrorService")


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
    return destinations[0]


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


def _rigkitNode(name):
    """rigkit0's ``Node`` for ``name``; the plain name while rigkit0 is not
    loaded."""
    nodeClass = getattr(sys.modules.get(_RIGKIT0_MODULE), "Node", None)
    return name if nodeClass is None else nodeClass(name)


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


# --- attribute kinds ---------------------------------------------------------------

class EnumAttribute(CoreObject):
    """An enum attribute's fields, read through ``MFnEnumAttribute``.

    Built on the attribute's ``MObject`` (``plug.attribute()``), kept as
    ``attribute``; another kind of attribute raises as ``MFnEnumAttribute``
    does.
    """

    def __init__(self, attributeMObject):
        self.attribute = attributeMObject
        self._fn = MFnEnumAttribute(attributeMObject)

    def _bound(self, method):
        util = MScriptUtil()
        pointer = util.asShortPtr()
        method(pointer)
        return MScriptUtil.getShort(pointer)

    @property
    def enumNumber(self):
        """The highest field index (value): 5 for a rotate order's six
        fields 0 to 5."""
        return self._bound(self._fn.getMax)

    @property
    def fieldNames(self):
        """The field names in order of their indices."""
        names = []
        for index in range(self._bound(self._fn.getMin), self.enumNumber + 1):
            try:
                names.append(self._fn.fieldName(index))
            except RuntimeError:
                pass  # no field has this index
        return names

    @property
    def enumKey(self):
        """The field names joined with ":" ("xyz:yzx:zxy:xzy:yxz:zyx")."""
        return ":".join(self.fieldNames)


class NumericAttribute(CoreObject):
    """A numeric attribute's type, read through ``MFnNumericAttribute``.

    Built on the attribute's ``MObject`` (``plug.attribute()``), kept as
    ``attribute``; another kind of attribute raises as
    ``MFnNumericAttribute`` does.
    """

    def __init__(self, attributeMObject):
        self.attribute = attributeMObject
        self._fn = MFnNumericAttribute(attributeMObject)

    @property
    def unitType(self):
        """The ``MFnNumericData`` type of the attribute's value."""
        return self._fn.unitType()

    @property
    def isBoolean(self):
        """Whether the attribute holds a boolean."""
        return self.unitType == MFnNumericData.kBoolean


# --- tool objects ------------------------------------------------------------------
# What the suite's tools show the animator (options, progress, messages) the
# stand-in records on CORE instead; what a tool asks the suite (its target,
# whether the key selection is active) it answers from settings on CORE.

class ValueRecord(object):
    """A plain record: ``x``, ``y`` and ``z`` are ``None`` until set, and
    every keyword of the constructor becomes an attribute of that name
    (``ValueRecord(translation=t, rotation=r)``). Records with the same
    attributes and values compare equal."""

    def __init__(self, **values):
        self.x = None
        self.y = None
        self.z = None
        self.__dict__.update(values)

    def __eq__(self, other):
        if not isinstance(other, ValueRecord):
            return NotImplemented
        return self.__dict__ == other.__dict__

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None  # records are changed after they are made

    def __repr__(self):
        return "ValueRecord(%s)" % ", ".join(
            "%s=%r" % item for item in sorted(self.__dict__.items()))


# --- matrices, units and time stepping ----------------------------------------------

class MatrixDecomposition(object):
    """A matrix split into Maya's transformation components, through
    ``MTransformationMatrix``.

    ``translation`` and ``scale`` are ``MVector``s (the scale that Maya's
    decomposition gives, shear kept apart); ``eulerRotation(order)`` gives
    the rotation as an ``MEulerRotation`` in ``order``, a rotateOrder value
    (0 xyz ... 5 zyx). ``matrix`` keeps a copy of the matrix given.
    """

    def __init__(self, matrix):
        self.matrix = MMatrix(matrix)
        self.transformation = MTransformationMatrix(self.matrix)
        self.translation = self.transformation.getTranslation(MSpace.kTransform)
        util = MScriptUtil()
        util.createFromList([0.0, 0.0, 0.0], 3)
        pointer = util.asDoublePtr()
        self.transformation.getScale(pointer, MSpace.kTransform)
        self.scale = MVector(*[MScriptUtil.getDoubleArrayItem(pointer, i) for i in range(3)])

    def eulerRotation(self, order=MEulerRotation.kXYZ):
        """The rotation, its angles (radians) in the rotate order ``order``."""
        return self.transformation.eulerRotation().reorder(order)

    def __repr__(self):
        return "MatrixDecomposition(%r)" % (self.matrix,)


class LinearValue(object):
    """One distance in both of Maya's forms: ``internalValue`` in
    centimetres and ``uiValue`` in the working linear unit
    (``cmds.currentUnit(query=True, linear=True)``).

    Built from either keyword; the other form is computed when read, so it
    follows the working unit of that moment.
    """

    def __init__(self, internalValue=None, uiValue=None):
        if (internalValue is None) == (uiValue is None):
            raise TypeError("Zentrik - LinearValue takes internalValue or uiValue")
        if internalValue is None:
            internalValue = MDistance.uiToInternal(float(uiValue))
        self.internalValue = float(internalValue)

    @property
    def uiValue(self):
        """The distance in the working linear unit."""
        return MDistance.internalToUI(self.internalValue)

    def __repr__(self):
        return "LinearValue(internalValue=%r)" % (self.internalValue,)


class FrameStepper(object):
    """Moves the scene through frames for tools that read nodes at many
    frames: ``with FrameStepper() as stepper:``, then ``register(node)``
    for each node to be read and ``step(frame)`` before reading.

    ``step`` moves the current time to ``frame`` (UI frames) and answers
    ``True``, or answers ``False`` and moves nothing when the stepper cannot
    step (``CORE.frameStepper.canStep`` false); the caller then has to
    evaluate another way. Leaving the block puts the time back where it was
    when the block began. Stepping outside the block raises
    ``RuntimeError``.

    Each stepper is appended to ``CORE.frameSteppers`` when entered and
    keeps ``registered`` (the nodes, one entry per call), ``steps`` (one
    ``(frame, stepped)`` pair per call), ``startTime`` and ``active``.
    """

    def __init__(self):
        self.registered = []
        self.steps = []
        self.startTime = None
        self.active = False

    def __enter__(self):
        self.startTime = cmds.currentTime(query=True)
        self.active = True
        CORE.frameSteppers.append(self)
        return self

    def __exit__(self, excType, excValue, traceback):
        self.active = False
        if any(stepped for _, stepped in self.steps):
            cmds.currentTime(self.startTime)
        return False

    def register(self, node):
        """Note a node the caller will read while stepping."""
        self.registered.append(node)

    def step(self, frame):
        """Move to ``frame``; ``True`` when the time moved there."""
        if not self.active:
            raise RuntimeError("Zentrik - a frame stepper steps only inside its block")
        stepped = bool(CORE.frameStepper.canStep)
        if stepped:
            cmds.currentTime(frame)
        self.steps.append((frame, stepped))
        return stepped


class CurveTarget(object):
    """The curves and time the tools act on in target-curves mode.

    Each attribute answers the value set in ``CORE.curveTarget`` when a
    test set one, else reads the scene:

    - ``curveNames``: the names of the anim curves of the selected objects'
      channels (``cmds.keyframe(query=True, name=True)`` over the
      selection), without repeats; ``[]`` when nothing is selected;
    - ``targetTime``: the playback range as a ``(start, end)`` pair of UI
      frames, usable as the ``time`` flag of ``cmds.keyframe``;
    - ``preferTargetCurves``: whether the tools take the target curves even
      when keys are selected; ``False`` unless set;
    - ``keyTimes``: the times (UI frames, ascending, each once) of the keys
      of ``curveNames`` within ``targetTime``, both ends included;
    - ``hasTimeRange``: whether the animator marked a time range (the
      target is that range rather than the current frame); ``False``
      unless set, since the stand-in's time slider marks no range.

    A list set in ``CORE.curveTarget.curveNames`` or ``keyTimes`` is handed
    out as a copy.
    """

    @property
    def curveNames(self):
        """Names of the target's anim curves (see the class)."""
        preset = CORE.curveTarget.curveNames
        if preset is not None:
            return list(preset)
        if not cmds.ls(selection=True):
            return []
        names = []
        for name in asList(cmds.keyframe(query=True, name=True)):
            if name not in names:
                names.append(name)
        return names

    @property
    def targetTime(self):
        """The target's time (see the class)."""
        preset = CORE.curveTarget.targetTime
        if preset is not None:
            return preset
        return (cmds.playbackOptions(query=True, minTime=True),
                cmds.playbackOptions(query=True, maxTime=True))

    @property
    def preferTargetCurves(self):
        """Whether target curves win over selected keys (see the class)."""
        return CORE.curveTarget.preferTargetCurves

    @property
    def keyTimes(self):
        """The target's key times (see the class)."""
        preset = CORE.curveTarget.keyTimes
        if preset is not None:
            return list(preset)
        names = self.curveNames
        if not names:
            return []
        times = asList(cmds.keyframe(names, query=True, timeChange=True,
                                     time=_timeRangeFlag(self.targetTime)))
        return sorted(set(times))

    @property
    def hasTimeRange(self):
        """Whether the target is a marked time range (see the class)."""
        return bool(CORE.curveTarget.hasTimeRange)


def _timeRangeFlag(targetTime):
    """A target time as ``cmds.keyframe``'s ``time`` flag: a pair stays a
    pair, a single frame becomes the range of that frame."""
    if isinstance(targetTime, (list, tuple)):
        return tuple(targetTime)
    return (targetTime, targetTime)


class TargetSelection(object):
    """Selects what the tools' command edits act on.

    The stand-in leaves the selection as it is: ``selectTargets()`` appends
    the current selection (long names) to ``CORE.targetSelections`` and
    returns it. Callable on the class or on an instance.
    """

    @staticmethod
    def selectTargets():
        """Record and return the current selection, as a list of long names."""
        selection = asList(cmds.ls(selection=True, long=True))
        CORE.targetSelections.append(selection)
        return selection


class KeySelectionContext(object):
    """Whether the animator is working on selected keys (a graph editor
    with keys selected has focus). ``isActive`` answers
    ``CORE.keySelectionContext.isActive``, ``False`` unless a test sets it."""

    @property
    def isActive(self):
        """Whether key selection is the active context."""
        return CORE.keySelectionContext.isActive


class ToolOption(object):
    """One on/off option of the tools, by key ("smartEulerFilter").

    The values live in the dictionary ``_store`` names on ``CORE``
    (``CORE.toolOptions``); a key never saved loads as ``False``. Tests
    preset and read that dictionary.
    """

    _store = "toolOptions"

    def __init__(self, key):
        self.key = key

    def load(self):
        """The option's stored value; ``False`` when none was saved."""
        return getattr(CORE, self._store).get(self.key, False)

    def save(self, value):
        """Store ``value`` for the option."""
        getattr(CORE, self._store)[self.key] = value

    def __repr__(self):
        return "%s(%r)" % (type(self).__name__, self.key)


class AuxToolOption(ToolOption):
    """An option of the suite's auxiliary tools
    ("channelBoxSelectionTimelineHighlight"), stored in
    ``CORE.auxToolOptions``; otherwise as ``ToolOption``."""

    _store = "auxToolOptions"


class ProgressBar(object):
    """``with ProgressBar(title, count) as progress:`` shows progress over
    ``count`` items; ``progress.step()`` marks one item done.

    Each bar is appended to ``CORE.progressBars`` when entered; it keeps
    ``title``, ``count``, ``steps`` (how often ``step`` ran), ``active``
    (inside the block) and ``finished`` (the block was left, normally or
    not). Stepping a bar that is not entered raises ``RuntimeError``, as
    the suite's bar does not exist outside its block; stepping past
    ``count`` is only counted. Leaving never suppresses an exception.
    """

    def __init__(self, title, count):
        self.title = title
        self.count = count
        self.steps = 0
        self.active = False
        self.finished = False

    def __enter__(self):
        self.active = True
        CORE.progressBars.append(self)
        return self

    def __exit__(self, excType, excValue, traceback):
        self.active = False
        self.finished = True
        return False

    def step(self):
        """Mark one more item done."""
        if not self.active:
            raise RuntimeError("Zentrik - progress bar %r is not shown" % (self.title,))
        self.steps += 1

    def __repr__(self):
        return "ProgressBar(%r, %r, steps=%d)" % (self.title, self.count, self.steps)


# The kinds of tool message: a question the animator answers by clicking,
# and a note that goes away by itself.
askMessageKind = "ask"
infoMessageKind = "info"


class MessageClick(object):
    """The values a tool message's click hands to its ``onMessageClick``:
    ``accepted`` (the animator agreed) and ``declined``."""

    accepted = "accepted"
    declined = "declined"


class _ShownMessage(object):
    """One message ``ToolMessage.show`` displayed, as recorded in
    ``CORE.messages``: every argument under its own name, and ``clicks``,
    the values it was clicked with."""

    def __init__(self, key, title, body, kind, onMessageClick, messageId,
                 clickValue, duration):
        self.key = key
        self.title = title
        self.body = body
        self.kind = kind
        self.onMessageClick = onMessageClick
        self.messageId = messageId
        self.clickValue = clickValue
        self.duration = duration
        self.clicks = []

    def __repr__(self):
        return "<message %r %r (%s)>" % (self.messageId, self.title, self.kind)


class ToolMessage(object):
    """The tools' messages to the animator.

    ``show`` records each message in ``CORE.messages``; ``click`` plays the
    animator's answer to one of them.
    """

    @staticmethod
    def show(key, title, body, kind, onMessageClick=None, messageId=None,
             clickValue=None, duration=None):
        """Show a message and return its record.

        ``key`` names the tool; ``body`` is a text or a list of lines (the
        suite draws "separator" as a line and a name ending ".gif" as a
        picture); ``kind`` is ``askMessageKind`` or ``infoMessageKind``;
        ``onMessageClick`` is called with the click value when the animator
        clicks; ``clickValue`` is what the message's button gives;
        ``duration`` how long a note stays up. The stand-in draws nothing.
        """
        message = _ShownMessage(key, title, body, kind, onMessageClick,
                                messageId, clickValue, duration)
        CORE.messages.append(message)
        return message

    @staticmethod
    def click(which, value=None):
        """Answer a shown message, as the animator clicking it; returns what
        its ``onMessageClick`` returned.

        ``which`` is a position in ``CORE.messages`` (an int) or a
        ``messageId``, which picks the latest message with that id; an id
        nobody showed raises ``LookupError``. ``value`` defaults to the
        message's ``clickValue``, the answer its button gives; pass
        ``MessageClick.declined`` for a refusal. The value is appended to
        the record's ``clicks``; a message without ``onMessageClick``
        returns ``None``.
        """
        if isinstance(which, int) and not isinstance(which, bool):
            message = CORE.messages[which]
        else:
            matches = [m for m in CORE.messages if m.messageId == which]
            if not matches:
                raise LookupError("Zentrik - no message %r was shown" % (which,))
            message = matches[-1]
        if value is None:
            value = message.clickValue
        message.clicks.append(value)
        if message.onMessageClick is None:
            return None
        return message.onMessageClick(value)


def reportToolError(message):
    """Tell the animator a tool failed; recorded in ``CORE.toolErrors``."""
    CORE.toolErrors.append(message)
