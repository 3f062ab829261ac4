"""Animation classes of Python API 1.0 over the stand-in scene.

Anim curves evaluate linearly between keys (boolean and enum curves step)
and hold their end values outside the keyed range; tangent types and the
curve's weighted flag are recorded but change no value, and infinity modes
are not modelled.  Key values are in internal units (centimetres, radians);
key times are ``MTime``.  Keys carry Maya's breakdown and tick-draw-special
flags and their tangent types (see ``maya._keys``).
"""

from . import _keys, _layers
from ._scene import SCENE
from .OpenMaya import (MObject, MTime, MPlug, MObjectArray, MScriptUtil, MFn,
                       MFnDependencyNode, MMessage, MSelectionList, _node, _invalid)
from .OpenMaya import MFnIkJoint as _MFnIkJoint


class MAnimControl(object):
    """Static access to the current time and the playback range."""

    kPlaybackOnce, kPlaybackLoop, kPlaybackOscillate = range(3)
    kPlaybackViewActive, kPlaybackViewAll = range(2)

    @staticmethod
    def currentTime():
        return MTime._fromTicks(SCENE.currentTicks, SCENE.timeUnit)

    @staticmethod
    def setCurrentTime(mtime):
        SCENE.setCurrentTicks(MTime(mtime)._ticks)

    @staticmethod
    def minTime():
        return MTime._fromTicks(SCENE.minTicks, SCENE.timeUnit)

    @staticmethod
    def maxTime():
        return MTime._fromTicks(SCENE.maxTicks, SCENE.timeUnit)

    @staticmethod
    def setMinTime(mtime):
        SCENE.minTicks = MTime(mtime)._ticks

    @staticmethod
    def setMaxTime(mtime):
        SCENE.maxTicks = MTime(mtime)._ticks

    @staticmethod
    def setMinMaxTime(start, end):
        SCENE.minTicks = MTime(start)._ticks
        SCENE.maxTicks = MTime(end)._ticks

    @staticmethod
    def animationStartTime():
        return MTime._fromTicks(SCENE.animStartTicks, SCENE.timeUnit)

    @staticmethod
    def animationEndTime():
        return MTime._fromTicks(SCENE.animEndTicks, SCENE.timeUnit)

    @staticmethod
    def setAnimationStartTime(mtime):
        SCENE.animStartTicks = MTime(mtime)._ticks

    @staticmethod
    def setAnimationEndTime(mtime):
        SCENE.animEndTicks = MTime(mtime)._ticks

    @staticmethod
    def setAnimationStartEndTime(start, end):
        SCENE.animStartTicks = MTime(start)._ticks
        SCENE.animEndTicks = MTime(end)._ticks

    @staticmethod
    def isPlaying():
        return False

    @staticmethod
    def autoKeyMode():
        return False

    @staticmethod
    def playbackMode():
        return MAnimControl.kPlaybackLoop


class MFnAnimCurve(MFnDependencyNode):
    """Anim curve function set: attaches to a curve node, or to the curve
    driving a plug."""

    _required = MFn.kAnimCurve
    (kAnimCurveTA, kAnimCurveTL, kAnimCurveTT, kAnimCurveTU, kAnimCurveUA,
     kAnimCurveUL, kAnimCurveUT, kAnimCurveUU, kAnimCurveUnknown) = range(9)
    (kTangentGlobal, kTangentFixed, kTangentLinear, kTangentFlat, kTangentSmooth,
     kTangentStep, kTangentSlow, kTangentFast, kTangentClamped, kTangentPlateau,
     kTangentStepNext, kTangentAuto) = range(12)

    def __init__(self, obj=None):
        if isinstance(obj, MPlug):
            curve = SCENE.curveDriving(obj._live())
            if curve is None:
                raise _invalid("No anim curve drives the plug")
            obj = MObject._wrap(curve)
        MFnDependencyNode.__init__(self, obj)

    def _keys(self):
        node = self._n()
        if node.keys is None:
            raise _invalid("Object is not an anim curve")
        return node.keys

    def animCurveType(self):
        return {"animCurveTA": self.kAnimCurveTA, "animCurveTL": self.kAnimCurveTL,
                "animCurveTT": self.kAnimCurveTT, "animCurveTU": self.kAnimCurveTU}.get(
                    self._n().typeName, self.kAnimCurveUnknown)

    def numKeys(self):
        return len(self._keys())

    numKeyframes = numKeys

    def _index(self, index):
        keys = self._keys()
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(keys):
            raise _invalid("Index not within range")
        return keys[index]

    def time(self, index):
        return MTime._fromTicks(self._index(index)[0], SCENE.timeUnit)

    def value(self, index):
        return self._index(index)[1]

    def setValue(self, index, value):
        self._index(index)[1] = float(value)

    def isBreakdown(self, index):
        """Whether the key at ``index`` is a breakdown key."""
        return _keys.isBreakdown(self._index(index))

    def setIsBreakdown(self, index, isBreakdown, change=None):
        """Make the key at ``index`` a breakdown key or a normal one."""
        self._index(index)
        _keys.setFlag(self._n(), index, "breakdown", isBreakdown)

    def inTangentType(self, index):
        """The in tangent type of the key at ``index`` (a ``kTangent``
        constant); a new key's is ``kTangentAuto``, Maya's default."""
        return _keys.TANGENT_TYPES.index(_keys.tangentTypes(self._index(index))[0])

    def outTangentType(self, index):
        """The out tangent type of the key at ``index``."""
        return _keys.TANGENT_TYPES.index(_keys.tangentTypes(self._index(index))[1])

    def _setTangentType(self, index, side, tangentType):
        self._index(index)
        if isinstance(tangentType, bool) or not 0 <= int(tangentType) < len(_keys.TANGENT_TYPES):
            raise _invalid("Unknown tangent type")
        _keys.setTangentType(self._n(), index, side, _keys.TANGENT_TYPES[int(tangentType)])

    def setInTangentType(self, index, tangentType, change=None):
        """Set the in tangent type of the key at ``index`` (recorded only:
        curves interpolate linearly)."""
        self._setTangentType(index, "inTangent", tangentType)

    def setOutTangentType(self, index, tangentType, change=None):
        """Set the out tangent type of the key at ``index``."""
        self._setTangentType(index, "outTangent", tangentType)

    def isWeighted(self):
        """Whether the curve has weighted tangents (its weightedTangents
        attribute)."""
        node = self._n()
        return bool(SCENE.value((node, node.findAttr("weightedTangents"), ())))

    def setIsWeighted(self, isWeighted, change=None):
        """Give the curve weighted tangents or not."""
        node = self._n()
        SCENE.setValue((node, node.findAttr("weightedTangents"), ()), bool(isWeighted))

    def setTime(self, index, mtime):
        self._index(index)[0] = MTime(mtime)._ticks
        self._keys().sort(key=lambda k: k[0])

    def evaluate(self, mtime):
        return SCENE.evaluateCurve(self._n(), MTime(mtime)._ticks)

    def isStatic(self):
        values = [k[1] for k in self._keys()]
        return len(set(values)) <= 1

    def find(self, mtime, indexPtr=None):
        ticks = MTime(mtime)._ticks
        for i, key in enumerate(self._keys()):
            if abs(key[0] - ticks) < 1e-6:
                if indexPtr is not None:
                    MScriptUtil.setUint(indexPtr, i)
                return True
        return False

    def findClosest(self, mtime):
        ticks = MTime(mtime)._ticks
        keys = self._keys()
        if not keys:
            raise _invalid("Curve has no keys")
        return min(range(len(keys)), key=lambda i: abs(keys[i][0] - ticks))

    def addKey(self, mtime, value, *args):
        node = self._n()
        SCENE.setKey(node, MTime(mtime)._ticks, float(value))
        return self.find(mtime) and [k[0] for k in node.keys].index(MTime(mtime)._ticks)

    addKeyframe = addKey

    def remove(self, index, change=None):
        keys = self._keys()
        self._index(index)
        del keys[index]


class MAnimUtil(object):
    """Which plugs anim curves animate: a plug an anim curve drives, or one
    animation layer blends drive (every curve behind the blends counts, all
    three channels' curves for a rotation blend).  Expressions, constraints
    and utility nodes are not animation.  A plug is examined alone (a
    compound's children are not), but a child whose compound parent is
    driven counts through the parent's driver.  A node (``MObject``,
    ``MDagPath`` or an item of an ``MSelectionList``) is examined through
    its leaf plugs in attribute order (see ``_leafPlugs``).  ``checkParent``
    is accepted and ignored.

    ``findAnimatablePlugs`` takes an ``MSelectionList`` only, as Maya does,
    and finds the plugs an animator can key: keyable, unlocked leaf plugs
    whose type an anim curve can drive (a compound stands for its
    children); a node gives those outside arrays, a plug item may be an
    array element.  Shapes below a selected transform are not added."""

    @staticmethod
    def _plugsOf(target):
        if isinstance(target, MSelectionList):
            keys = []
            for kind, ref in target._items:
                keys.extend([_liveKey(ref)] if kind == "plug" else _leafPlugs(_liveNode(ref)))
            return keys
        if isinstance(target, MPlug):
            return [target._live()]
        return _leafPlugs(_node(target))

    @staticmethod
    def isAnimated(target, checkParent=False):
        return any(_layers.curvesFeeding(key) for key in MAnimUtil._plugsOf(target))

    @staticmethod
    def findAnimation(target, objects):
        found = False
        for key in MAnimUtil._plugsOf(target):
            for curve in _layers.curvesFeeding(key):
                objects.append(MObject._wrap(curve))
                found = True
        return found

    @staticmethod
    def findAnimatedPlugs(target, plugs, checkParent=False):
        found = False
        for key in MAnimUtil._plugsOf(target):
            if _layers.curvesFeeding(key):
                plug = MPlug()
                plug._set(*key)
                plugs.append(plug)
                found = True
        return found

    @staticmethod
    def findAnimatablePlugs(selectionList, plugs):
        if not isinstance(selectionList, MSelectionList):
            raise TypeError("in method 'MAnimUtil_findAnimatablePlugs', argument 1 of type "
                            "'MSelectionList const &'")
        found = False
        for kind, ref in selectionList._items:
            if kind == "plug":
                keys = _plugLeaves(_liveKey(ref))
            else:
                keys = [k for k in _leafPlugs(_liveNode(ref)) if not k[2]]
            for key in keys:
                if _isAnimatable(key):
                    plug = MPlug()
                    plug._set(*key)
                    plugs.append(plug)
                    found = True
        return found


def _liveNode(node):
    """A selection list's node, which must still exist."""
    if not node.alive:
        raise _invalid("Object does not exist")
    return node


def _liveKey(key):
    """A selection list's plug, whose node must still exist."""
    _liveNode(key[0])
    return key


def _leafPlugs(node):
    """Every leaf plug of a node in attribute order: one per attribute that
    is neither a compound nor in an array, then, within an array, each
    connected element."""
    elements = {}
    for key in SCENE.connections:
        if key[0] is node and key[2]:
            elements.setdefault(key[1], []).append(key)
    keys = []
    for attr in node.allAttrs():
        if attr.children:
            continue
        if attr.arrayDepth():
            keys.extend(sorted(elements.get(attr, ()), key=lambda k: k[2]))
        else:
            keys.append((node, attr, ()))
    return keys


def _plugLeaves(key):
    """The leaf plugs a plug stands for: itself, or a compound's children;
    an array plug without an index has none."""
    node, attr, indices = key
    if None in indices or (attr.multi and not SCENE.isElementKey(attr, indices)):
        return []
    if not attr.children:
        return [key]
    leaves = []
    for child in attr.children:
        leaves.extend(_plugLeaves((node, child, indices)))
    return leaves


def _isAnimatable(key):
    """Whether an animator can key a leaf plug: keyable, unlocked and of a
    type an anim curve drives."""
    return SCENE.isKeyable(key) and not SCENE.isLocked(key) \
        and SCENE.curveTypeFor(key[1]) is not None


class MAnimMessage(MMessage):
    """Anim curve edited callbacks fire, with an ``MObjectArray`` of the
    edited curves and the client data, after ``cmds.setKeyframe`` changes
    keys."""

    @staticmethod
    def addAnimCurveEditedCallback(function, clientData=None):
        return SCENE.addCallback("animCurveEdited", function, clientData)


def _fireCurvesEdited(curves):
    if not curves:
        return
    array = MObjectArray()
    for curve in curves:
        array.append(MObject._wrap(curve))
    SCENE.fire("animCurveEdited", array)


# Maya's joint function set lives here; the stand-in defines it in OpenMaya
# (where the suite's core imports it from) and offers the same class here.
MFnIkJoint = _MFnIkJoint


__all__ = ["MAnimControl", "MAnimMessage", "MAnimUtil", "MFnAnimCurve", "MFnIkJoint"]
