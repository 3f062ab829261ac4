"""Python API 1.0 objects and arrays: ``MFn`` type constants, ``MObject``,
``MObjectHandle`` and the ``M...Array`` classes, with the error helpers
the other API areas share.  Gathered by ``maya.OpenMaya``.
"""

from . import _attrs
from ._attrs import AttrDef as _AttrDef
from ._scene import Node as _Node
from ._types import MFN as _MFN, MFN_NAMES as _MFN_NAMES

__all__ = [
    "MFn", "MObject", "MObjectHandle", "MIntArray", "MDoubleArray", "MFloatArray",
    "MObjectArray",
]


_UINT_MAX = 0xFFFFFFFF


def _fail(text="Unexpected Internal Failure", code="kFailure"):
    return RuntimeError("(%s): %s" % (code, text))


def _invalid(text="Object does not exist"):
    return _fail(text, "kInvalidParameter")


def _checkUnsigned(value, method, argument):
    """SWIG's conversion of a Python number to ``unsigned int``."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError("in method '%s', argument %d of type 'unsigned int'"
                        % (method, argument))
    if value < 0 or value > _UINT_MAX:
        raise OverflowError("in method '%s', argument %d of type 'unsigned int'"
                            % (method, argument))
    return value


def _checkNumber(value, method, argument, typeName, integral=False):
    """SWIG's conversion of a Python number to ``double``, ``float`` or an
    integer type: a Python ``int`` (``bool`` among them) or, unless
    ``integral``, a ``float``; anything else is refused when the call is made."""
    if isinstance(value, int) or (not integral and isinstance(value, float)):
        return value
    raise TypeError("in method '%s', argument %d of type '%s'" % (method, argument, typeName))


# --- MFn ------------------------------------------------------------------------

class MFn(object):
    """``MFn.Type`` constants (see ``maya._types`` for which numbers are
    Maya's own)."""


for _name, _value in _MFN.items():
    setattr(MFn, _name, _value)


# --- MObject ----------------------------------------------------------------------

class _Data(object):
    """Payload of a data MObject (matrix, string, arrays, numeric data)."""

    __slots__ = ("apiType", "dataType", "value")

    def __init__(self, apiType, dataType, value):
        self.apiType = apiType
        self.dataType = dataType
        self.value = value


_DATA_API = {
    _attrs.D_MATRIX: "kMatrixData", _attrs.D_STRING: "kStringData",
    _attrs.D_DOUBLE_ARRAY: "kDoubleArrayData", _attrs.D_INT_ARRAY: "kIntArrayData",
    _attrs.D_POINT_ARRAY: "kPointArrayData", _attrs.D_STRING_ARRAY: "kStringArrayData",
    _attrs.D_VECTOR_ARRAY: "kVectorArrayData", _attrs.D_NUMERIC: "kNumericData",
    _attrs.D_MESH: "kMeshData", _attrs.D_FLOAT_ARRAY: "kFloatArrayData",
}


def _makeData(dataType, value):
    apiName = _DATA_API.get(dataType, "kData")
    return MObject._wrap(_Data(_MFN[apiName], dataType, value))


class MObject(object):
    """Handle to a node, an attribute or a data object."""

    __slots__ = ("_ref", "__weakref__", "__dict__")

    def __init__(self, other=None):
        self._ref = other._ref if isinstance(other, MObject) else None

    @classmethod
    def _wrap(cls, ref):
        obj = cls()
        obj._ref = ref
        return obj

    def isNull(self):
        return self._ref is None

    def _types(self):
        ref = self._ref
        if ref is None:
            return frozenset()
        if isinstance(ref, _Node):
            return ref.nodeType.fnTypes
        if isinstance(ref, _AttrDef):
            return ref.fnTypes
        return frozenset((_MFN["kBase"], _MFN["kData"], ref.apiType))

    def hasFn(self, fnType):
        return fnType in self._types()

    def apiType(self):
        ref = self._ref
        if ref is None:
            return MFn.kInvalid
        if isinstance(ref, _Node):
            return ref.nodeType.apiType
        return ref.apiType

    def apiTypeStr(self):
        return _MFN_NAMES.get(self.apiType(), "kInvalid")

    def assign(self, other):
        self._ref = other._ref
        return self

    def __eq__(self, other):
        if isinstance(other, MObject):
            return self._ref is other._ref
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    def __hash__(self):
        return id(self._ref)

    def __repr__(self):
        return "<maya.OpenMaya.MObject; %s>" % self.apiTypeStr()


MObject.kNullObj = MObject()


class MObjectHandle(object):
    """Tells whether the node behind an MObject still exists.  Both
    ``isValid`` and ``isAlive`` turn false once the node is deleted."""

    def __init__(self, obj=None):
        self._ref = obj._ref if obj is not None else None

    def _alive(self):
        ref = self._ref
        if isinstance(ref, _Node):
            return ref.alive
        return ref is not None

    def isValid(self):
        return self._alive()

    def isAlive(self):
        return self._alive()

    def object(self):
        return MObject._wrap(self._ref)

    def objectRef(self):
        return self.object()

    def hashCode(self):
        ref = self._ref
        if isinstance(ref, _Node):
            return ref.uid
        return id(ref) & _UINT_MAX

    def __eq__(self, other):
        if isinstance(other, MObjectHandle):
            return self._ref is other._ref
        if isinstance(other, MObject):
            return self._ref is other._ref
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = object.__hash__


# --- arrays -------------------------------------------------------------------------

class _Array(object):
    """Common behaviour of the M*Array classes."""

    _convert = staticmethod(lambda v: v)

    def __init__(self, *args):
        self._items = []
        if len(args) == 1 and isinstance(args[0], _Array):
            self._items = list(args[0]._items)
        elif len(args) == 1 and isinstance(args[0], (list, tuple)):
            self._items = [self._convert(v) for v in args[0]]
        elif len(args) >= 1 and isinstance(args[0], int):
            initial = args[1] if len(args) > 1 else self._default()
            self._items = [self._convert(initial) for _ in range(args[0])]

    def _default(self):
        return 0

    def append(self, value):
        self._items.append(self._convert(value))

    def length(self):
        return len(self._items)

    def __len__(self):
        return len(self._items)

    def __getitem__(self, index):
        return self._items[index]

    def __setitem__(self, index, value):
        self._items[index] = self._convert(value)

    def __iter__(self):
        return iter(list(self._items))

    def set(self, value, index):
        self._items[index] = self._convert(value)

    def insert(self, value, index):
        self._items.insert(index, self._convert(value))

    def remove(self, index):
        del self._items[index]

    def clear(self):
        del self._items[:]

    def setLength(self, length):
        if length < len(self._items):
            del self._items[length:]
        else:
            self._items.extend(self._default() for _ in range(length - len(self._items)))

    def copy(self, source):
        self._items = list(source._items)

    def __repr__(self):
        return "%s(%r)" % (type(self).__name__, self._items)


class MIntArray(_Array):
    _convert = staticmethod(int)


class MDoubleArray(_Array):
    _convert = staticmethod(float)

    def _default(self):
        return 0.0


class MFloatArray(_Array):
    """Floats (stored as Python floats); separate from ``MDoubleArray`` as in
    Maya.  API 1.0 has no string array class: lists of ``str`` serve."""
    _convert = staticmethod(float)

    def _default(self):
        return 0.0


class MObjectArray(_Array):
    _convert = staticmethod(lambda v: MObject(v))

    def _default(self):
        return MObject()
