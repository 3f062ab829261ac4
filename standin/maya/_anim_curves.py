"""Animation curves and what animates a plug: ``MFnAnimCurve`` and
``MAnimUtil``.  Gathered by ``maya.OpenMayaAnim``.
"""

from . import _keys, _layers
from ._api_nodes import MFnDependencyNode
from ._api_objects import _invalid, MFn, MObject
from ._api_plug import MPlug
from ._api_scriptutil import MScriptUtil
from ._api_selection import MSelectionList, _node
from ._api_time import MTime
from ._scene import SCENE

__all__ = ["MFnAnimCurve", "MAnimUtil"]


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

    @staticmethod
    def _tangentName(tangentType):
        """The keyTangent name of a ``kTangent`` constant; ``kTangentGlobal``
        stands for the global default type (auto, Maya's default)."""
        if isinstance(tangentType, bool) or not isinstance(tangentType, int) \
                or not 0 <= tangentType < len(_keys.TANGENT_TYPES):
            raise _invalid("Unknown tangent type")
        if tangentType == MFnAnimCurve.kTangentGlobal:
            return _keys.DEFAULT_TANGENT
        return _keys.TANGENT_TYPES[tangentType]

    def addKey(self, mtime, value, tangentInType=kTangentGlobal, tangentOutType=kTangentGlobal,
               change=None):
        """Key the curve at ``mtime`` with ``value`` (internal units) and the
        given tangent types (``kTangentGlobal``, the default: the global
        type); returns the key's index.  A key already at ``mtime`` takes
        the value and types."""
        node = self._n()
        self._keys()
        inName = self._tangentName(tangentInType)
        outName = self._tangentName(tangentOutType)
        ticks = MTime(mtime)._ticks
        SCENE.setKey(node, ticks, float(value))
        index = [abs(k[0] - ticks) < 1e-6 for k in node.keys].index(True)
        _keys.setTangentType(node, index, "inTangent", inName)
        _keys.setTangentType(node, index, "outTangent", outName)
        return index

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
    driven counts through the parent's driver; a plug item of an
    ``MSelectionList`` stands for its leaf plugs (a compound for its
    children).  A node (``MObject``, ``MDagPath`` or an item of an
    ``MSelectionList``) is examined through its leaf plugs in attribute
    order (see ``_leafPlugs``), and with ``checkParent`` ``isAnimated``
    examines its DAG parents too (the stand-in has no instances, so a node
    and its path have the same parents); ``findAnimatedPlugs`` accepts
    ``checkParent`` and ignores it.

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
                if kind == "plug":
                    key = _liveKey(ref)
                    keys.extend(_plugLeaves(key) or [key])
                else:
                    keys.extend(_leafPlugs(_liveNode(ref)))
            return keys
        if isinstance(target, MPlug):
            return [target._live()]
        return _leafPlugs(_node(target))

    @staticmethod
    def isAnimated(target, checkParent=False):
        keys = MAnimUtil._plugsOf(target)
        if checkParent and not isinstance(target, MPlug):
            if isinstance(target, MSelectionList):
                nodes = [_liveNode(ref) for kind, ref in target._items if kind != "plug"]
            else:
                nodes = [_node(target)]
            for node in nodes:
                parent = node.parent if node.isDag else None
                while parent is not None and parent is not SCENE.world:
                    keys.extend(_leafPlugs(parent))
                    parent = parent.parent
        return any(_layers.curvesFeeding(key) for key in keys)

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
