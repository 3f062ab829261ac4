"""``MPlug``: reading, writing and walking one attribute of one node.
Gathered by ``maya.OpenMaya``.
"""

import weakref

from . import _attrs, _units
from ._api_geometry import MPoint
from ._api_objects import (
    _Array, _checkUnsigned, _Data, _fail, _invalid, _makeData, MObject)
from ._api_time import _contextTicks, MAngle, MDistance, MTime
from ._attrs import AttrDef as _AttrDef
from ._scene import Node as _Node, SCENE
from ._scene_plugs import CHILDREN_NOT_FREE_TO_CHANGE, FREE_TO_CHANGE, NOT_FREE_TO_CHANGE

__all__ = ["MPlugArray", "MPlug"]


class MPlugArray(_Array):
    """An array of plugs.  As in Maya's Python API 1.0, ``array[i]`` (and
    iterating) gives a plug that refers into the array's own memory: once
    the array is gone that plug is null, and using it raises.
    ``MPlug(array[i])`` is an independent copy.  (Maya's plugs dangle when
    the array shrinks too; the stand-in models only the array's end.)"""

    _convert = staticmethod(lambda v: MPlug(v))

    def __init__(self, *args):
        _Array.__init__(self, *args)
        self._views = {}  # id of a plug handed out -> weak reference to it

    def _default(self):
        return MPlug()

    def __getitem__(self, index):
        view = MPlug(self._items[index])
        views, key = self._views, id(view)
        views[key] = weakref.ref(view, lambda _, views=views, key=key: views.pop(key, None))
        return view

    def __iter__(self):
        return iter([self[i] for i in range(len(self._items))])

    def __del__(self):
        for ref in list(getattr(self, "_views", {}).values()):
            view = ref()
            if view is not None:
                view._set(None, None, ())


# --- MPlug -----------------------------------------------------------------------

class MPlug(object):
    """A plug: an attribute of a node, with a logical index for each array
    on its path (``None`` where not yet chosen)."""

    kFreeToChange = FREE_TO_CHANGE
    kNotFreeToChange = NOT_FREE_TO_CHANGE
    kChildrenNotFreeToChange = CHILDREN_NOT_FREE_TO_CHANGE
    kAll, kNonDefault, kChanged, kLastAttrSelector = range(4)

    def __init__(self, *args):
        self._node = None
        self._attr = None
        self._indices = ()
        if len(args) == 1 and isinstance(args[0], MPlug):
            src = args[0]
            self._set(src._node, src._attr, src._indices)
        elif len(args) == 2:
            nodeObj, attrObj = args
            node = nodeObj._ref if isinstance(nodeObj, MObject) else None
            attr = attrObj._ref if isinstance(attrObj, MObject) else None
            if isinstance(node, _Node) and isinstance(attr, _AttrDef):
                self._set(node, attr, (None,) * (attr.arrayDepth() - (1 if attr.multi else 0)))

    def _set(self, node, attr, indices):
        self._node = node
        self._attr = attr
        self._indices = tuple(indices)

    def _key(self):
        if self._node is None:
            raise _invalid("Plug is null")
        return (self._node, self._attr, self._indices)

    def _live(self):
        if self._node is None or self._attr is None:
            raise _invalid("Plug is null")
        if not self._node.alive:
            raise _invalid("Object does not exist")
        return self._key()

    def _isElement(self):
        return SCENE.isElementKey(self._attr, self._indices)

    # identity
    def isNull(self):
        return self._node is None or self._attr is None

    def node(self):
        self._key()
        return MObject._wrap(self._node)

    def attribute(self):
        self._key()
        return MObject._wrap(self._attr)

    def setAttribute(self, attrObj):
        attr = attrObj._ref
        self._set(self._node, attr, (None,) * (attr.arrayDepth() - (1 if attr.multi else 0)))

    def name(self):
        key = self._live()
        return "%s.%s" % (SCENE.partialPath(key[0]),
                          SCENE.plugPath(key[1], key[2], longNames=True, fullPath=False))

    def info(self):
        key = self._live()
        return "%s.%s" % (SCENE.partialPath(key[0]),
                          SCENE.plugPath(key[1], key[2], longNames=True, fullPath=True))

    def partialName(self, includeNodeName=False, includeNonMandatoryIndices=False,
                    includeInstancedIndices=False, useAlias=False,
                    useFullAttributePath=False, useLongNames=False):
        key = self._live()
        text = SCENE.plugPath(key[1], key[2], longNames=useLongNames,
                              fullPath=useFullAttributePath)
        if includeNodeName:
            text = "%s.%s" % (SCENE.partialPath(key[0]), text)
        return text

    def __eq__(self, other):
        if isinstance(other, MPlug):
            return (self._node is other._node and self._attr is other._attr
                    and self._indices == other._indices)
        if isinstance(other, MObject):
            return self._attr is other._ref
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        if self.isNull():
            return "<MPlug (null)>"
        return "<MPlug %s>" % SCENE.plugName(self._node, self._attr, self._indices)

    # structure
    def isArray(self):
        return self._attr is not None and self._attr.multi and not self._isElement()

    def isElement(self):
        return self._attr is not None and self._isElement()

    def isCompound(self):
        attr = self._attr
        return attr is not None and attr.kind == _attrs.COMPOUND and not self.isArray()

    def isChild(self):
        return self._attr is not None and self._attr.parent is not None

    def isDynamic(self):
        return self._attr is not None and self._attr.dynamic

    def isNetworked(self):
        return False

    def isProcedural(self):
        return False

    def numChildren(self):
        self._key()
        return len(self._attr.children)

    def child(self, which):
        self._live()
        attr = self._attr
        if isinstance(which, MObject):
            child = which._ref
            if child not in attr.children:
                raise _invalid("Attribute is not a child of this plug")
        else:
            if not 0 <= which < len(attr.children):
                raise _invalid("Index not within range")
            child = attr.children[which]
        plug = MPlug()
        plug._set(self._node, child, self._indices)
        return plug

    def parent(self):
        self._live()
        attr = self._attr
        if attr.parent is None:
            raise _invalid("Plug is not a child")
        depth = attr.parent.arrayDepth()
        plug = MPlug()
        plug._set(self._node, attr.parent, self._indices[:depth])
        return plug

    def array(self):
        self._live()
        if not self._isElement():
            raise _invalid("Plug is not an array element")
        plug = MPlug()
        plug._set(self._node, self._attr, self._indices[:-1])
        return plug

    def logicalIndex(self):
        self._live()
        if not self._isElement():
            raise _invalid("Plug is not an array element")
        return self._indices[-1]

    def _arrayKey(self):
        """Indices of the array plug's own ancestors."""
        self._live()
        if not self._attr.multi or self._isElement():
            raise _invalid("Plug is not an array")
        return self._indices

    def elementByLogicalIndex(self, index, status=None):
        _checkUnsigned(index, "MPlug_elementByLogicalIndex", 2)
        ancestor = self._arrayKey()
        if None in ancestor:
            raise _invalid("Plug has an unresolved array index")
        plug = MPlug()
        plug._set(self._node, self._attr, ancestor + (index,))
        SCENE.ensureElements(self._node, self._attr, plug._indices)
        return plug

    def elementByPhysicalIndex(self, index, status=None):
        ancestor = self._arrayKey()
        existing = SCENE.existingIndices(self._node, self._attr, ancestor)
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(existing):
            raise _invalid("Index not within range")
        plug = MPlug()
        plug._set(self._node, self._attr, ancestor + (existing[index],))
        return plug

    def numElements(self):
        ancestor = self._arrayKey()
        return len(SCENE.existingIndices(self._node, self._attr, ancestor))

    evaluateNumElements = numElements

    def getExistingArrayAttributeIndices(self, indices):
        ancestor = self._arrayKey()
        existing = SCENE.existingIndices(self._node, self._attr, ancestor)
        indices.clear()
        for i in existing:
            indices.append(i)
        return len(existing)

    def selectAncestorLogicalIndex(self, index, attribute=MObject.kNullObj):
        _checkUnsigned(index, "MPlug_selectAncestorLogicalIndex", 2)
        self._live()
        target = attribute._ref if isinstance(attribute, MObject) and not attribute.isNull() \
            else self._attr
        position = 0
        for a in self._attr.ancestors():
            if a is target:
                if not a.multi:
                    break
                indices = list(self._indices)
                if position >= len(indices):
                    indices.append(index)
                else:
                    indices[position] = index
                self._indices = tuple(indices)
                return
            if a.multi:
                position += 1
        raise _invalid("Attribute is not an array ancestor of this plug")

    # flags
    def isLocked(self):
        return SCENE.isLocked(self._live())

    def setLocked(self, locked):
        SCENE.setLocked(self._live(), locked)

    def isKeyable(self):
        return SCENE.isKeyable(self._live())

    def setKeyable(self, keyable):
        SCENE.setKeyable(self._live(), keyable)

    def isChannelBoxFlagSet(self):
        return SCENE.isChannelBox(self._live())

    def setChannelBox(self, state):
        SCENE.setChannelBox(self._live(), state)

    def isFreeToChange(self, checkParents=True, checkChildren=True):
        return SCENE.freeToChange(self._live(), checkParents, checkChildren)

    def isDefaultValue(self):
        key = self._live()
        try:
            return SCENE.value(key) == key[1].default
        except RuntimeError:
            return True

    # connections
    def isConnected(self):
        return self.isDestination() or self.isSource()

    def isDestination(self):
        return SCENE.sourceOf(self._live(), direct=True) is not None

    def isSource(self):
        return bool(SCENE.destinationsOf(self._live()))

    def connectedTo(self, array, asDst, asSrc):
        key = self._live()
        array.clear()
        if asDst:
            src = SCENE.sourceOf(key, direct=True)
            if src is not None:
                plug = MPlug()
                plug._set(*src)
                array.append(plug)
        if asSrc:
            for dst in SCENE.destinationsOf(key):
                plug = MPlug()
                plug._set(*dst)
                array.append(plug)
        return array.length() > 0

    def numConnectedElements(self):
        ancestor = self._arrayKey()
        return len([i for i in SCENE.existingIndices(self._node, self._attr, ancestor)
                    if MPlug(self).elementByLogicalIndex(i).isConnected()])

    def numConnectedChildren(self):
        return len([i for i in range(self.numChildren()) if self.child(i).isConnected()])

    # reading
    def _leaf(self, context):
        key = self._live()
        attr = key[1]
        if attr.kind in (_attrs.COMPOUND, _attrs.MESSAGE) or self.isArray():
            raise _fail("Plug is not a simple value: %s" % self.name())
        try:
            return attr, SCENE.value(key, _contextTicks(context))
        except ZeroDivisionError:
            raise _fail("Cannot evaluate %s" % self.name())

    def _number(self, context):
        attr, value = self._leaf(context)
        if attr.kind in (_attrs.TYPED, _attrs.MATRIX, _attrs.GENERIC):
            raise _fail("Plug does not hold a number: %s" % self.name())
        if attr.kind == _attrs.TIME:
            return _units.ticksToTime(value, SCENE.timeUnit)
        return value

    def asDouble(self, context=None):
        return float(self._number(context))

    def asFloat(self, context=None):
        return float(self._number(context))

    def asInt(self, context=None):
        return int(self._number(context))

    def asShort(self, context=None):
        return int(self._number(context))

    def asChar(self, context=None):
        return int(self._number(context))

    asInt64 = asInt

    def asBool(self, context=None):
        return bool(self._number(context))

    def asString(self, context=None):
        attr, value = self._leaf(context)
        if attr.kind == _attrs.TYPED and attr.dataType == _attrs.D_STRING:
            return value if value is not None else ""
        if attr.kind == _attrs.ENUM:
            for name, v in attr.enumNames or ():
                if v == value:
                    return name
            return ""
        raise _fail("Plug does not hold a string: %s" % self.name())

    def asMDistance(self, context=None):
        return MDistance(self._number(context), MDistance.kCentimeters)

    def asMAngle(self, context=None):
        return MAngle(self._number(context), MAngle.kRadians)

    def asMTime(self, context=None):
        attr, value = self._leaf(context)
        if attr.kind == _attrs.TIME:
            return MTime._fromTicks(value, SCENE.timeUnit)
        return MTime(self._number(context), SCENE.timeUnit)

    def asMObject(self, context=None):
        key = self._live()
        attr = key[1]
        if attr.kind == _attrs.COMPOUND and attr.numericType != _attrs.N_INVALID \
                and not self.isArray():
            ticks = _contextTicks(context)
            values = [SCENE.value((key[0], c, key[2]), ticks) for c in attr.children]
            return _makeData(_attrs.D_NUMERIC, [attr.numericType, [float(v) for v in values]])
        attr, value = self._leaf(context)
        if attr.kind == _attrs.MATRIX:
            return _makeData(_attrs.D_MATRIX, tuple(value))
        if attr.kind == _attrs.TYPED:
            if value is None:
                return MObject()
            if attr.dataType == _attrs.D_POINT_ARRAY:
                value = [MPoint(*p) for p in value]
            elif isinstance(value, list):
                value = list(value)
            return _makeData(attr.dataType, value)
        raise _fail("Plug does not hold data: %s" % self.name())

    # writing: a plug driven only by an anim curve takes the value until the
    # current time changes (see Scene.setPlugValue)
    def _writable(self):
        key = self._live()
        if SCENE.freeToChange(key, True, False) != FREE_TO_CHANGE:
            raise _fail("The plug '%s' is locked or connected and cannot be modified."
                        % self.name())
        attr = key[1]
        if attr.kind in (_attrs.COMPOUND, _attrs.MESSAGE) or self.isArray():
            raise _fail("Plug is not a simple value: %s" % self.name())
        return key

    def _setNumber(self, value):
        key = self._writable()
        attr = key[1]
        if attr.kind in (_attrs.TYPED, _attrs.MATRIX, _attrs.GENERIC):
            raise _fail("Plug does not hold a number: %s" % self.name())
        SCENE.setPlugValue(key, _coerce(attr, value))

    def setDouble(self, value):
        self._setNumber(float(value))

    def setFloat(self, value):
        self._setNumber(float(value))

    def setInt(self, value):
        self._setNumber(int(value))

    setShort = setChar = setInt64 = setInt

    def setBool(self, value):
        self._setNumber(bool(value))

    def setString(self, value):
        key = self._writable()
        attr = key[1]
        if not (attr.kind == _attrs.TYPED and attr.dataType == _attrs.D_STRING):
            raise _fail("Plug does not hold a string: %s" % self.name())
        SCENE.setPlugValue(key, str(value))

    def setMDistance(self, distance):
        self._setNumber(distance.asCentimeters())

    def setMAngle(self, angle):
        self._setNumber(angle.asRadians())

    def setMTime(self, mtime):
        key = self._writable()
        attr = key[1]
        if attr.kind == _attrs.TIME:
            SCENE.setPlugValue(key, mtime._ticks)
        else:
            self._setNumber(mtime.value())

    def setMObject(self, obj):
        key = self._live()
        attr = key[1]
        data = obj._ref if isinstance(obj, MObject) else None
        if attr.kind == _attrs.COMPOUND and attr.numericType != _attrs.N_INVALID \
                and isinstance(data, _Data) and data.dataType == _attrs.D_NUMERIC:
            for child, value in zip(attr.children, data.value[1]):
                MPlug(self).child(attr.children.index(child)).setDouble(value)
            return
        key = self._writable()
        if not isinstance(data, _Data):
            raise _invalid("Object is not a data object")
        if attr.kind == _attrs.MATRIX and data.dataType == _attrs.D_MATRIX:
            SCENE.setPlugValue(key, tuple(data.value))
        elif attr.kind == _attrs.TYPED and attr.dataType == data.dataType:
            value = data.value
            if attr.dataType == _attrs.D_POINT_ARRAY:
                value = [(p.x, p.y, p.z, p.w) for p in value]
            elif isinstance(value, list):
                value = list(value)
            SCENE.setPlugValue(key, value)
        else:
            raise _invalid("Data object does not fit the attribute %s" % self.name())


def _coerce(attr, value):
    """A number as the attribute stores it."""
    if attr.kind == _attrs.ENUM:
        return int(value)
    if attr.kind == _attrs.NUMERIC:
        ntype = attr.numericType
        if ntype == _attrs.N_BOOLEAN:
            return bool(value)
        if ntype in _attrs.INTEGER_TYPES:
            return int(value)
        return float(value)
    if attr.kind == _attrs.TIME:
        return _units.timeToTicks(value, SCENE.timeUnit)
    return float(value)
