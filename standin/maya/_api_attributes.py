"""Python API 1.0 attribute and data function sets: ``MFnAttribute`` and
its kinds, ``MFnData`` and the data sets.  Gathered by
``maya.OpenMaya``.
"""

from . import _attrs, _math
from ._api_geometry import MMatrix, MPoint, MPointArray
from ._api_nodes import MFnBase
from ._api_objects import (
    _Data, _fail, _invalid, _makeData, MDoubleArray, MFn, MIntArray, MObject)
from ._api_scriptutil import MScriptUtil
from ._api_time import MAngle, MDistance, MTime
from ._attrs import AttrDef as _AttrDef

__all__ = [
    "MFnAttribute", "MFnNumericAttribute", "MFnUnitAttribute", "MFnTypedAttribute",
    "MFnEnumAttribute", "MFnCompoundAttribute", "MFnMatrixAttribute",
    "MFnMessageAttribute", "MFnData", "MFnNumericData", "MFnMatrixData",
    "MFnDoubleArrayData", "MFnIntArrayData", "MFnPointArrayData", "MFnStringData",
]


# --- attribute function sets -------------------------------------------------------

class MFnAttribute(MFnBase):
    _required = MFn.kAttribute
    kDelete, kReset, kNothing = 0, 1, 2

    def _a(self):
        attr = self._obj._ref
        if not isinstance(attr, _AttrDef):
            raise _invalid("Function set has no attribute")
        return attr

    def name(self):
        return self._a().longName

    def shortName(self):
        return self._a().shortName

    def isKeyable(self):
        return self._a().keyable

    def setKeyable(self, state):
        self._a().keyable = bool(state)

    def isArray(self):
        return self._a().multi

    def setArray(self, state):
        self._a().multi = bool(state)

    def isReadable(self):
        return self._a().readable

    def setReadable(self, state):
        self._a().readable = bool(state)

    def isWritable(self):
        return self._a().writable

    def setWritable(self, state):
        self._a().writable = bool(state)

    def isHidden(self):
        return self._a().hidden

    def setHidden(self, state):
        self._a().hidden = bool(state)

    def isChannelBoxFlagSet(self):
        return self._a().channelBox

    def setChannelBox(self, state):
        self._a().channelBox = bool(state)

    def isUsedAsColor(self):
        return self._a().usedAsColor

    def setUsedAsColor(self, state):
        self._a().usedAsColor = bool(state)

    def isDynamic(self):
        return self._a().dynamic

    def isConnectable(self):
        return True

    def isStorable(self):
        return True

    def indexMatters(self):
        return self._a().indexMatters

    def parent(self):
        parent = self._a().parent
        return MObject._wrap(parent) if parent is not None else MObject()

    def setStorable(self, state):
        pass

    def setConnectable(self, state):
        pass

    def setAffectsAppearance(self, state):
        pass

    def _create(self, attr):
        self._obj = MObject._wrap(attr)
        return MObject(self._obj)


class MFnNumericAttribute(MFnAttribute):
    _required = MFn.kNumericAttribute

    def unitType(self):
        return self._a().numericType

    def create(self, longName, shortName, unitType, defaultValue=0):
        if unitType in _attrs._NUMERIC_COMPOUND_TYPES:
            count = {5: 2, 6: 3, 8: 2, 9: 3, 12: 2, 13: 3, 15: 2, 16: 3, 17: 4}[unitType]
            single = {5: 4, 6: 4, 8: 7, 9: 7, 12: 11, 13: 11, 15: 14, 16: 14, 17: 14}[unitType]
            suffixes = "XYZW"[:count]
            children = [_attrs.numeric(longName + s, shortName + s.lower(), single, 0)
                        for s in suffixes]
            return self._create(_attrs.numericCompound(longName, shortName, unitType, children))
        return self._create(_attrs.numeric(longName, shortName, unitType, defaultValue))

    def createAddr(self, longName, shortName, defaultValue=0):
        return self._create(_attrs.numeric(longName, shortName, _attrs.N_ADDR, defaultValue))

    def createColor(self, longName, shortName):
        attr = _attrs.vector(longName, shortName, _attrs._float, 0.0, suffixes="RGB",
                             numericType=_attrs.N_3FLOAT, usedAsColor=True)
        return self._create(attr)

    def createPoint(self, longName, shortName):
        attr = _attrs.vector(longName, shortName, _attrs._float, 0.0,
                             numericType=_attrs.N_3FLOAT)
        return self._create(attr)

    def child(self, index):
        return MObject._wrap(self._a().children[index])

    def setDefault(self, *values):
        attr = self._a()
        if attr.children:
            for child, value in zip(attr.children, values):
                child.default = value
        else:
            attr.default = values[0]

    def setMin(self, *values):
        self._a().minValue = values[0]

    def setMax(self, *values):
        self._a().maxValue = values[0]

    def hasMin(self):
        return self._a().minValue is not None

    def hasMax(self):
        return self._a().maxValue is not None


class MFnUnitAttribute(MFnAttribute):
    _required = MFn.kUnitAttribute
    kInvalid, kAngle, kDistance, kTime, kLast = 0, 1, 2, 3, 4

    def unitType(self):
        kind = self._a().kind
        return {_attrs.ANGLE: self.kAngle, _attrs.LINEAR: self.kDistance,
                _attrs.TIME: self.kTime}.get(kind, self.kInvalid)

    def create(self, longName, shortName, unitType, defaultValue=0.0):
        if isinstance(unitType, (MDistance, MAngle, MTime)):
            defaultValue, unitType = unitType, {MDistance: self.kDistance, MAngle: self.kAngle,
                                                MTime: self.kTime}[type(unitType)]
        if isinstance(defaultValue, MDistance):
            defaultValue = defaultValue.asCentimeters()
        elif isinstance(defaultValue, MAngle):
            defaultValue = defaultValue.asRadians()
        elif isinstance(defaultValue, MTime):
            defaultValue = defaultValue._ticks
        builder = {self.kAngle: _attrs.angle, self.kDistance: _attrs.linear,
                   self.kTime: _attrs.time}[unitType]
        return self._create(builder(longName, shortName, defaultValue))


class MFnTypedAttribute(MFnAttribute):
    _required = MFn.kTypedAttribute

    def attrType(self):
        return self._a().dataType

    def create(self, longName, shortName, dataType, defaultValue=None):
        default = _math.IDENTITY if dataType == _attrs.D_MATRIX else None
        return self._create(_attrs.typed(longName, shortName, dataType, default=default))


class MFnEnumAttribute(MFnAttribute):
    _required = MFn.kEnumAttribute

    def create(self, longName, shortName, defaultValue=0):
        return self._create(_attrs.enum(longName, shortName, [], defaultValue))

    def addField(self, name, value):
        self._a().enumNames.append((name, int(value)))

    def fieldName(self, value):
        for name, v in self._a().enumNames:
            if v == value:
                return name
        raise _invalid("No field with that value")

    def fieldIndex(self, name):
        for n, v in self._a().enumNames:
            if n == name:
                return v
        raise _invalid("No field with that name")

    def _fieldValues(self):
        values = [v for _, v in self._a().enumNames]
        if not values:
            raise _fail("Enum attribute has no fields")
        return values

    def getMin(self, minValue):
        """Write the smallest field value through ``minValue``, a short
        pointer from ``MScriptUtil.asShortPtr()``, as Maya's ``short&``."""
        MScriptUtil.setShort(minValue, min(self._fieldValues()))

    def getMax(self, maxValue):
        """Write the largest field value through ``maxValue``, a short
        pointer from ``MScriptUtil.asShortPtr()``, as Maya's ``short&``."""
        MScriptUtil.setShort(maxValue, max(self._fieldValues()))


class MFnCompoundAttribute(MFnAttribute):
    _required = MFn.kCompoundAttribute

    def create(self, longName, shortName):
        return self._create(_attrs.compound(longName, shortName, []))

    def addChild(self, childObj):
        attr = self._a()
        child = childObj._ref
        attr.children = attr.children + (child,)
        child.parent = attr

    def numChildren(self):
        return len(self._a().children)

    def child(self, index):
        return MObject._wrap(self._a().children[index])


class MFnMatrixAttribute(MFnAttribute):
    _required = MFn.kAttribute
    kFloat, kDouble = 0, 1

    def create(self, longName, shortName, matrixType=1):
        return self._create(_attrs.matrix(longName, shortName, isFloat=matrixType == self.kFloat))


class MFnMessageAttribute(MFnAttribute):
    _required = MFn.kMessageAttribute

    def create(self, longName, shortName):
        return self._create(_attrs.message(longName, shortName))


# --- data function sets ---------------------------------------------------------------

class MFnData(MFnBase):
    """Data function sets.  Type constants as in Maya's documentation."""

    _required = MFn.kData
    (kInvalid, kNumeric, kPlugin, kPluginGeometry, kString, kMatrix, kStringArray,
     kDoubleArray, kFloatArray, kIntArray, kPointArray, kVectorArray, kMatrixArray,
     kComponentList, kMesh, kLattice, kNurbsCurve, kNurbsSurface, kSphere,
     kDynArrayAttrs, kDynSweptGeometry, kSubdSurface, kNObject, kNId, kAny,
     kFalloffFunction, kLast) = range(27)

    def _d(self):
        data = self._obj._ref
        if not isinstance(data, _Data):
            raise _invalid("Function set has no data object")
        return data


class MFnNumericData(MFnData):
    _required = MFn.kNumericData
    (kInvalid, kBoolean, kByte, kChar, kShort, k2Short, k3Short, kLong, k2Long,
     k3Long, kInt64, kFloat, k2Float, k3Float, kDouble, k2Double, k3Double,
     k4Double, kAddr, kLast) = range(20)
    kInt = kLong
    k2Int = k2Long
    k3Int = k3Long

    def create(self, numericType):
        count = {5: 2, 6: 3, 8: 2, 9: 3, 12: 2, 13: 3, 15: 2, 16: 3, 17: 4}.get(numericType, 1)
        self._obj = _makeData(_attrs.D_NUMERIC, [numericType, [0.0] * count])
        return MObject(self._obj)

    def numericType(self):
        return self._d().value[0]

    def _values(self):
        return self._d().value[1]

    def _get(self, *ptrs):
        values = self._values()
        if len(ptrs) != len(values):
            raise _invalid("Numeric data holds %d values" % len(values))
        for ptr, value in zip(ptrs, values):
            MScriptUtil._write(ptr, value)

    def _set(self, *values):
        data = self._values()
        if len(values) != len(data):
            raise _invalid("Numeric data holds %d values" % len(data))
        data[:] = [float(v) for v in values]

    getData2Short = getData2Int = getData2Float = getData2Double = _get
    getData3Short = getData3Int = getData3Float = getData3Double = _get
    getData4Double = _get
    setData2Short = setData2Int = setData2Float = setData2Double = _set
    setData3Short = setData3Int = setData3Float = setData3Double = _set
    setData4Double = _set


class MFnMatrixData(MFnData):
    _required = MFn.kMatrixData

    def create(self, matrix=None):
        self._obj = _makeData(_attrs.D_MATRIX, tuple(MMatrix(matrix)._m))
        return MObject(self._obj)

    def matrix(self):
        return MMatrix(self._d().value)

    def set(self, matrix):
        self._d().value = tuple(matrix._m)


class _ArrayDataFn(MFnData):
    _dataType = None
    _arrayClass = None

    def create(self, array=None):
        values = list(array._items) if array is not None else []
        self._obj = _makeData(self._dataType, [self._copyItem(v) for v in values])
        return MObject(self._obj)

    @staticmethod
    def _copyItem(value):
        return value

    def array(self):
        result = self._arrayClass()
        for value in self._d().value:
            result.append(value)
        return result

    def set(self, array):
        self._d().value = [self._copyItem(v) for v in array._items]

    def length(self):
        return len(self._d().value)

    def copyTo(self, array):
        array.clear()
        for value in self._d().value:
            array.append(value)


class MFnDoubleArrayData(_ArrayDataFn):
    _required = MFn.kDoubleArrayData
    _dataType = _attrs.D_DOUBLE_ARRAY
    _arrayClass = MDoubleArray


class MFnIntArrayData(_ArrayDataFn):
    _required = MFn.kIntArrayData
    _dataType = _attrs.D_INT_ARRAY
    _arrayClass = MIntArray


class MFnPointArrayData(_ArrayDataFn):
    _required = MFn.kPointArrayData
    _dataType = _attrs.D_POINT_ARRAY
    _arrayClass = MPointArray
    _copyItem = staticmethod(lambda p: MPoint(p))


class MFnStringData(MFnData):
    _required = MFn.kStringData

    def create(self, text=""):
        self._obj = _makeData(_attrs.D_STRING, str(text))
        return MObject(self._obj)

    def string(self):
        return self._d().value

    def set(self, text):
        self._d().value = str(text)
