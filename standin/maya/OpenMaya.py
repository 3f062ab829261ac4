"""Python API 1.0 classes over the stand-in scene (see ``maya._scene``).

Methods raise ``RuntimeError`` where Maya's would report a failed MStatus,
with Maya's "(kCode): text" message form.  Every class is a plain Python
class, so it can be subclassed (the module derives from ``MTime`` and from
``MAnimControl``); subclass instances are accepted wherever the base is.

Simplifications: there is no instancing (one DAG path per node), MDagPath
follows its end node (a path keeps naming a node after the node is renamed
or reparented), and attribute MObjects of built-in attributes are shared by
every node of a type, as in Maya.
"""

import math
import weakref

from . import _attrs, _keys, _math, _units
from ._scene import SCENE, Node as _Node, FREE_TO_CHANGE, NOT_FREE_TO_CHANGE, \
    CHILDREN_NOT_FREE_TO_CHANGE
from ._attrs import AttrDef as _AttrDef
from ._types import MFN as _MFN, MFN_NAMES as _MFN_NAMES

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


def _node(obj, what="Object does not exist"):
    """The live scene node behind an MObject (or MDagPath)."""
    if isinstance(obj, MDagPath):
        obj = obj.node()
    ref = getattr(obj, "_ref", None)
    if not isinstance(ref, _Node):
        raise _invalid(what)
    return ref


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


class MFloatArray(MDoubleArray):
    pass


class MStringArray(_Array):
    _convert = staticmethod(str)

    def _default(self):
        return ""


class MObjectArray(_Array):
    _convert = staticmethod(lambda v: MObject(v))

    def _default(self):
        return MObject()


class MPlugArray(_Array):
    _convert = staticmethod(lambda v: MPlug(v))

    def _default(self):
        return MPlug()


class MDagPathArray(_Array):
    _convert = staticmethod(lambda v: MDagPath(v))

    def _default(self):
        return MDagPath()


class MPointArray(_Array):
    _convert = staticmethod(lambda v: MPoint(v))

    def _default(self):
        return MPoint()


class MVectorArray(_Array):
    _convert = staticmethod(lambda v: MVector(v))

    def _default(self):
        return MVector()


# --- geometry values ------------------------------------------------------------------

class MVector(object):

    def __init__(self, *args):
        if len(args) == 1 and hasattr(args[0], "x"):
            src = args[0]
            self.x, self.y, self.z = float(src.x), float(src.y), float(src.z)
        elif len(args) == 1 and isinstance(args[0], (list, tuple)):
            self.x, self.y, self.z = (float(v) for v in args[0][:3])
        else:
            values = [float(v) for v in args] + [0.0] * (3 - len(args))
            self.x, self.y, self.z = values[:3]

    def __getitem__(self, i):
        return (self.x, self.y, self.z)[i]

    def __add__(self, other):
        return MVector(self.x + other.x, self.y + other.y, self.z + other.z)

    def __sub__(self, other):
        return MVector(self.x - other.x, self.y - other.y, self.z - other.z)

    def __neg__(self):
        return MVector(-self.x, -self.y, -self.z)

    def __mul__(self, other):
        if isinstance(other, MVector):
            return self.x * other.x + self.y * other.y + self.z * other.z
        if isinstance(other, MMatrix):
            p = _transformPoint(other, (self.x, self.y, self.z, 0.0))
            return MVector(p[0], p[1], p[2])
        return MVector(self.x * other, self.y * other, self.z * other)

    __rmul__ = lambda self, other: self.__mul__(other)

    def __truediv__(self, other):
        return MVector(self.x / other, self.y / other, self.z / other)

    def __xor__(self, other):
        return MVector(self.y * other.z - self.z * other.y,
                       self.z * other.x - self.x * other.z,
                       self.x * other.y - self.y * other.x)

    def length(self):
        return math.sqrt(self.x * self.x + self.y * self.y + self.z * self.z)

    def normal(self):
        n = self.length()
        return MVector(self) if n == 0 else self / n

    def normalize(self):
        n = self.normal()
        self.x, self.y, self.z = n.x, n.y, n.z
        return self

    def isEquivalent(self, other, tolerance=1e-10):
        return all(abs(a - b) <= tolerance for a, b in zip(self, other))

    def __iter__(self):
        return iter((self.x, self.y, self.z))

    def __eq__(self, other):
        if isinstance(other, MVector):
            return (self.x, self.y, self.z) == (other.x, other.y, other.z)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "MVector(%g, %g, %g)" % (self.x, self.y, self.z)


MVector.xAxis = MVector(1, 0, 0)
MVector.yAxis = MVector(0, 1, 0)
MVector.zAxis = MVector(0, 0, 1)
MVector.zero = MVector()


class MFloatVector(MVector):
    pass


class MPoint(object):

    def __init__(self, *args):
        if len(args) == 1 and hasattr(args[0], "x"):
            src = args[0]
            self.x, self.y, self.z = float(src.x), float(src.y), float(src.z)
            self.w = float(getattr(src, "w", 1.0))
        elif len(args) == 1 and isinstance(args[0], (list, tuple)):
            values = [float(v) for v in args[0]] + [0.0, 0.0, 0.0, 1.0][len(args[0]):]
            self.x, self.y, self.z, self.w = values[:4]
        else:
            values = [float(v) for v in args] + [0.0, 0.0, 0.0, 1.0][len(args):]
            self.x, self.y, self.z, self.w = values[:4]

    def __getitem__(self, i):
        return (self.x, self.y, self.z, self.w)[i]

    def __add__(self, other):
        return MPoint(self.x + other.x, self.y + other.y, self.z + other.z, self.w)

    def __sub__(self, other):
        if isinstance(other, MPoint):
            return MVector(self.x - other.x, self.y - other.y, self.z - other.z)
        return MPoint(self.x - other.x, self.y - other.y, self.z - other.z, self.w)

    def __mul__(self, other):
        if isinstance(other, MMatrix):
            return MPoint(*_transformPoint(other, (self.x, self.y, self.z, self.w)))
        return MPoint(self.x * other, self.y * other, self.z * other, self.w)

    def distanceTo(self, other):
        return (self - other).length()

    def cartesianize(self):
        if self.w not in (0.0, 1.0):
            self.x, self.y, self.z, self.w = self.x / self.w, self.y / self.w, self.z / self.w, 1.0
        return self

    def isEquivalent(self, other, tolerance=1e-10):
        return all(abs(a - b) <= tolerance for a, b in zip(
            (self.x, self.y, self.z, self.w), (other.x, other.y, other.z, other.w)))

    def __eq__(self, other):
        if isinstance(other, MPoint):
            return (self.x, self.y, self.z, self.w) == (other.x, other.y, other.z, other.w)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "MPoint(%g, %g, %g, %g)" % (self.x, self.y, self.z, self.w)


MPoint.origin = MPoint()


class MFloatPoint(MPoint):
    pass


def _transformPoint(m, p):
    values = m._m
    return tuple(p[0] * values[c] + p[1] * values[4 + c] + p[2] * values[8 + c]
                 + p[3] * values[12 + c] for c in range(4))


class MMatrix(object):
    """4x4 double matrix, row-major, row vectors (``p * M``) as in Maya.
    Also accepts a list of 16 numbers or of four rows of four."""

    def __init__(self, other=None):
        if other is None:
            self._m = list(_math.IDENTITY)
        elif isinstance(other, MMatrix):
            self._m = list(other._m)
        else:
            values = list(other)
            if len(values) == 4:
                values = [float(v) for row in values for v in row]
            if len(values) != 16:
                raise ValueError("a matrix needs 16 values")
            self._m = [float(v) for v in values]

    def __call__(self, row, column):
        return self._m[row * 4 + column]

    def getElement(self, row, column):
        return self._m[row * 4 + column]

    def setElement(self, row, column, value):
        self._m[row * 4 + column] = float(value)

    def __getitem__(self, row):
        return tuple(self._m[row * 4:row * 4 + 4])

    def __mul__(self, other):
        if isinstance(other, MMatrix):
            return MMatrix(_math.multiply(self._m, other._m))
        return MMatrix([v * other for v in self._m])

    def __add__(self, other):
        return MMatrix([a + b for a, b in zip(self._m, other._m)])

    def __sub__(self, other):
        return MMatrix([a - b for a, b in zip(self._m, other._m)])

    def __eq__(self, other):
        if isinstance(other, MMatrix):
            return self._m == other._m
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def isEquivalent(self, other, tolerance=1e-10):
        return all(abs(a - b) <= tolerance for a, b in zip(self._m, other._m))

    def inverse(self):
        try:
            return MMatrix(_math.inverse(self._m))
        except ZeroDivisionError:
            return MMatrix(self)

    def transpose(self):
        return MMatrix(_math.transpose(self._m))

    def setToIdentity(self):
        self._m = list(_math.IDENTITY)
        return self

    def assign(self, other):
        self._m = list(other._m)
        return self

    def det4x4(self):
        m = self._m

        def minor(column):
            a = [[m[r * 4 + c] for c in range(4) if c != column] for r in range(1, 4)]
            return (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1])
                    - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
                    + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))
        return sum(((-1) ** c) * m[c] * minor(c) for c in range(4))

    def isSingular(self):
        return abs(self.det4x4()) < 1e-12

    def __repr__(self):
        return "MMatrix(%r)" % (self._m,)


MMatrix.identity = MMatrix()


class MFloatMatrix(MMatrix):
    pass


class MQuaternion(object):
    """A rotation as a quaternion (x, y, z, w).

    Products compose like Maya's matrices: ``(a * b).asMatrix()`` equals
    ``a.asMatrix() * b.asMatrix()``, the rotation ``a`` followed by ``b``.
    """

    def __init__(self, *args):
        if len(args) == 1 and isinstance(args[0], MQuaternion):
            q = args[0]
            self.x, self.y, self.z, self.w = q.x, q.y, q.z, q.w
        elif len(args) == 2 and isinstance(args[1], MVector):
            angle, axis = float(args[0]), args[1].normal()
            s = math.sin(angle / 2.0)
            self.x, self.y, self.z, self.w = axis.x * s, axis.y * s, axis.z * s, math.cos(angle / 2.0)
        elif len(args) == 4:
            self.x, self.y, self.z, self.w = (float(v) for v in args)
        else:
            self.x, self.y, self.z, self.w = 0.0, 0.0, 0.0, 1.0

    def __getitem__(self, i):
        return (self.x, self.y, self.z, self.w)[i]

    def __iter__(self):
        return iter((self.x, self.y, self.z, self.w))

    def asMatrix(self):
        """The rotation matrix (row vectors)."""
        return MMatrix(_math.quaternionToMatrix(self.x, self.y, self.z, self.w))

    def asEulerRotation(self):
        """The rotation as Euler angles in the xyz order."""
        return MEulerRotation.decompose(self.asMatrix(), MEulerRotation.kXYZ)

    def __mul__(self, other):
        # Hamilton's product b⊗a: with row vectors it applies a, then b.
        a, b = other, self
        return MQuaternion(
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z)

    def __neg__(self):
        return MQuaternion(-self.x, -self.y, -self.z, -self.w)

    def conjugate(self):
        return MQuaternion(-self.x, -self.y, -self.z, self.w)

    def inverse(self):
        n = self.x ** 2 + self.y ** 2 + self.z ** 2 + self.w ** 2
        c = self.conjugate()
        return MQuaternion(c.x / n, c.y / n, c.z / n, c.w / n)

    def normal(self):
        n = math.sqrt(self.x ** 2 + self.y ** 2 + self.z ** 2 + self.w ** 2)
        return MQuaternion(self.x / n, self.y / n, self.z / n, self.w / n)

    def isEquivalent(self, other, tolerance=1e-10):
        return all(abs(a - b) <= tolerance for a, b in zip(
            (self.x, self.y, self.z, self.w), (other.x, other.y, other.z, other.w)))

    def __eq__(self, other):
        if isinstance(other, MQuaternion):
            return tuple(self) == tuple(other)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "MQuaternion(%g, %g, %g, %g)" % (self.x, self.y, self.z, self.w)


class MEulerRotation(object):
    """Three angles (radians) and the order they apply in: ``kXYZ`` rotates
    about x first, then y, then z (``Rx * Ry * Rz`` with row vectors), the
    numbering of a transform's rotateOrder attribute."""

    kXYZ, kYZX, kZXY, kXZY, kYXZ, kZYX = range(6)

    def __init__(self, *args):
        order = MEulerRotation.kXYZ
        if len(args) >= 1 and isinstance(args[0], MEulerRotation):
            src = args[0]
            self.x, self.y, self.z, self.order = src.x, src.y, src.z, src.order
            return
        if len(args) >= 1 and isinstance(args[0], MVector):
            v = args[0]
            if len(args) > 1:
                order = args[1]
            self.x, self.y, self.z, self.order = v.x, v.y, v.z, int(order)
            return
        values = [float(v) for v in args[:3]] + [0.0] * (3 - len(args[:3]))
        if len(args) > 3:
            order = args[3]
        self.x, self.y, self.z = values
        self.order = int(order)

    def __getitem__(self, i):
        return (self.x, self.y, self.z)[i]

    def asMatrix(self):
        """The rotation matrix (row vectors) of the angles in their order."""
        return MMatrix(_math.euler(self.x, self.y, self.z, self.order))

    def asQuaternion(self):
        return MQuaternion(*_math.matrixToQuaternion(self.asMatrix()._m))

    def asVector(self):
        return MVector(self.x, self.y, self.z)

    def reorder(self, order):
        """A new rotation, the same orientation expressed in ``order``."""
        return MEulerRotation.decompose(self.asMatrix(), order)

    def reorderIt(self, order):
        """Express this rotation in ``order``, in place."""
        result = self.reorder(order)
        self.x, self.y, self.z, self.order = result.x, result.y, result.z, result.order
        return self

    @staticmethod
    def decompose(matrix, order):
        """The angles in ``order`` of the rotation part of ``matrix`` (its
        scale and shear taken out); the middle angle lies within ±π/2."""
        _, _, rotation = _math.decompose(matrix._m)
        x, y, z = _math.matrixToEuler(rotation, order)
        return MEulerRotation(x, y, z, order)

    def isEquivalent(self, other, tolerance=1e-10):
        return self.order == other.order and all(
            abs(a - b) <= tolerance for a, b in zip(self, other))

    def __eq__(self, other):
        if isinstance(other, MEulerRotation):
            return (tuple(self), self.order) == (tuple(other), other.order)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __iter__(self):
        return iter((self.x, self.y, self.z))

    def __repr__(self):
        return "MEulerRotation(%g, %g, %g, %d)" % (self.x, self.y, self.z, self.order)


class MSpace(object):
    kInvalid = 0
    kTransform = 1
    kPreTransform = 2
    kObject = 2
    kPostTransform = 3
    kWorld = 4
    kLast = 5


def _isPreTransform(space):
    return space == MSpace.kPreTransform


def _linearPart(m):
    """A matrix's 3x3 part in a 4x4 with no translation."""
    result = list(m)
    result[12:15] = [0.0, 0.0, 0.0]
    return result


def _quaternionOf(rotation):
    if isinstance(rotation, MEulerRotation):
        return rotation.asQuaternion()
    return MQuaternion(rotation)


class MTransformationMatrix(object):
    """A transformation kept as Maya's components, composed as

    ``[Sp]^-1 [S] [Sh] [Sp] [St] [Rp]^-1 [Ro] [R] [Rp] [Rt] [T]``

    (row vectors): scale pivot ``Sp`` and its translation ``St``, scale,
    shear, rotate pivot ``Rp`` and its translation ``Rt``, rotation
    orientation ``Ro`` (a transform's rotateAxis), the rotation ``R`` as
    Euler angles in the matrix's rotation order, translation ``T``.

    Built from an ``MMatrix`` it holds the matrix's translation, scale,
    shear and rotation (kXYZ order) with every pivot zero.  The rotation
    order constants run ``kXYZ`` = 1 ... ``kZYX`` = 6, one more than
    ``MEulerRotation``'s.

    Spaces: ``kTransform``, ``kPostTransform`` and ``kWorld`` mean the
    transform's own space (translations add straight; ``rotateBy`` turns
    after the present rotation); ``kPreTransform`` (= ``kObject``) means the
    object's space before this transformation: ``addTranslation`` moves
    along the matrix's scaled and rotated axes and ``rotateBy`` turns before
    the present rotation.  ``asMatrix(percent)`` ignores ``percent``.

    A joint's transformation (``MFnTransform.transformation``) also keeps
    its joint orient and inverse scale, applied right after the rotation,
    so that ``asMatrix`` gives the joint's matrix (a HumanIK effector's
    keeps its joint orient); Maya keeps them in the joint's own
    transformation class, which the stand-in does not model.
    """

    kInvalid = 0
    kXYZ, kYZX, kZXY, kXZY, kYXZ, kZYX = range(1, 7)
    kLast = 7

    def __init__(self, other=None):
        self.assign(other if other is not None else MMatrix())

    def _reset(self):
        self._t = [0.0, 0.0, 0.0]
        self._r = [0.0, 0.0, 0.0]
        self._order = MEulerRotation.kXYZ
        self._s = [1.0, 1.0, 1.0]
        self._sh = [0.0, 0.0, 0.0]
        self._ro = MQuaternion()
        self._sp = [0.0, 0.0, 0.0]
        self._spt = [0.0, 0.0, 0.0]
        self._rp = [0.0, 0.0, 0.0]
        self._rpt = [0.0, 0.0, 0.0]
        self._post = None  # a joint's orient, a matrix; None when there is none

    def assign(self, other):
        """Take the components of another ``MTransformationMatrix``, or
        decompose an ``MMatrix``."""
        if isinstance(other, MTransformationMatrix):
            for name in ("_t", "_r", "_s", "_sh", "_sp", "_spt", "_rp", "_rpt"):
                setattr(self, name, list(getattr(other, name)))
            self._order = other._order
            self._ro = MQuaternion(other._ro)
            self._post = None if other._post is None else list(other._post)
            return self
        self._reset()
        t, s, sh, rot = _math.decomposeShear(other._m)
        self._t, self._s, self._sh = list(t), list(s), list(sh)
        self._r = list(_math.matrixToEuler(rot, self._order))
        return self

    # --- the whole matrix ---

    def _rotationMatrix(self):
        return _math.euler(self._r[0], self._r[1], self._r[2], self._order)

    def asMatrix(self, percent=None):
        """The composed matrix (``percent`` is not modelled)."""
        sp, rp = self._sp, self._rp
        parts = [_math.translation(-sp[0], -sp[1], -sp[2]), _math.scaling(*self._s),
                 _math.shearing(*self._sh), _math.translation(*sp),
                 _math.translation(*self._spt), _math.translation(-rp[0], -rp[1], -rp[2]),
                 self._ro.asMatrix()._m, self._rotationMatrix()]
        if self._post is not None:
            parts.append(self._post)
        parts += [_math.translation(*rp), _math.translation(*self._rpt),
                  _math.translation(*self._t)]
        return MMatrix(_math.chain(*parts))

    def asMatrixInverse(self):
        """The inverse of ``asMatrix``."""
        return self.asMatrix().inverse()

    def asRotateMatrix(self):
        """The rotation about the rotate pivot: ``[Rp]^-1 [Ro] [R] [Rp]``."""
        rp = self._rp
        return MMatrix(_math.chain(_math.translation(-rp[0], -rp[1], -rp[2]),
                                   self._ro.asMatrix()._m, self._rotationMatrix(),
                                   _math.translation(*rp)))

    def asScaleMatrix(self):
        """The scale and shear about the scale pivot, with its translation."""
        sp = self._sp
        return MMatrix(_math.chain(_math.translation(-sp[0], -sp[1], -sp[2]),
                                   _math.scaling(*self._s), _math.shearing(*self._sh),
                                   _math.translation(*sp), _math.translation(*self._spt)))

    # --- translation ---

    def getTranslation(self, space=MSpace.kTransform):
        """The translation; in ``kPreTransform`` expressed along the
        matrix's own axes (the inverse of ``addTranslation`` there)."""
        t = MVector(*self._t)
        if _isPreTransform(space):
            t = t * MMatrix(_math.inverse(_linearPart(self.asMatrix()._m)))
        return t

    translation = getTranslation

    def setTranslation(self, vector, space=MSpace.kTransform):
        """Set the translation (see ``getTranslation`` for the spaces)."""
        if _isPreTransform(space):
            vector = MVector(vector) * MMatrix(_linearPart(self.asMatrix()._m))
        self._t = [vector.x, vector.y, vector.z]
        return self

    def addTranslation(self, vector, space=MSpace.kTransform):
        """Add ``vector`` to the translation; in ``kPreTransform``
        (``kObject``) the vector is first carried through the matrix's
        scale, shear and rotation."""
        if _isPreTransform(space):
            vector = MVector(vector) * MMatrix(_linearPart(self.asMatrix()._m))
        self._t = [self._t[0] + vector.x, self._t[1] + vector.y, self._t[2] + vector.z]
        return self

    # --- rotation ---

    def rotationOrder(self):
        """The rotation order, ``kXYZ`` (1) ... ``kZYX`` (6)."""
        return self._order + 1

    def reorderRotation(self, order):
        """Express the rotation in another order (1 ... 6), keeping it."""
        self._r = list(_math.matrixToEuler(self._rotationMatrix(), int(order) - 1))
        self._order = int(order) - 1
        return self

    def rotation(self):
        """The rotation component (without the rotation orientation)."""
        return MQuaternion(*_math.matrixToQuaternion(self._rotationMatrix()))

    def eulerRotation(self):
        """The rotation component as angles in the matrix's rotation order."""
        return MEulerRotation(self._r[0], self._r[1], self._r[2], self._order)

    def _setRotationMatrix(self, m):
        self._r = list(_math.matrixToEuler(m, self._order))

    def setRotationQuaternion(self, x, y, z, w, space=MSpace.kTransform):
        """Set the rotation from a quaternion, keeping the rotation order."""
        self._setRotationMatrix(MQuaternion(x, y, z, w).normal().asMatrix()._m)
        return self

    def getRotationQuaternion(self, xPtr, yPtr, zPtr, wPtr, space=MSpace.kTransform):
        """Write the rotation's quaternion through four double pointers."""
        for ptr, value in zip((xPtr, yPtr, zPtr, wPtr), self.rotation()):
            MScriptUtil._write(ptr, value)

    def rotateTo(self, rotation):
        """Set the rotation; an ``MEulerRotation`` also sets the order."""
        if isinstance(rotation, MEulerRotation):
            self._order = rotation.order
            self._r = [rotation.x, rotation.y, rotation.z]
        else:
            self._setRotationMatrix(_quaternionOf(rotation).asMatrix()._m)
        return self

    def setRotation(self, rotation, *args):
        """``setRotation(MEulerRotation | MQuaternion)`` as ``rotateTo``, or
        ``setRotation(doublePointer, order)`` with three angles."""
        if isinstance(rotation, _Pointer):
            values = _readPointer(rotation, 3)
            order = int(args[0]) - 1 if args else self._order
            return self.rotateTo(MEulerRotation(values[0], values[1], values[2], order))
        return self.rotateTo(rotation)

    def rotateBy(self, rotation, space=MSpace.kTransform):
        """Turn by ``rotation`` (``MQuaternion`` or ``MEulerRotation``):
        after the present rotation, or before it in ``kPreTransform``."""
        current = MMatrix(self._rotationMatrix())
        turn = _quaternionOf(rotation).asMatrix()
        result = turn * current if _isPreTransform(space) else current * turn
        self._setRotationMatrix(result._m)
        return self

    def rotationOrientation(self):
        """The rotation orientation (a transform's rotateAxis)."""
        return MQuaternion(self._ro)

    def setRotationOrientation(self, rotation):
        """Set the rotation orientation (a quaternion or Euler rotation)."""
        self._ro = _quaternionOf(rotation)
        return self

    # --- scale and shear ---

    def setScale(self, values, space=MSpace.kTransform):
        """``values``: a double pointer to three values, or a sequence."""
        if isinstance(values, _Pointer):
            values = _readPointer(values, 3)
        self._s = [float(v) for v in values]
        return self

    def getScale(self, ptr, space=MSpace.kTransform):
        """Write the three scales through a double pointer."""
        _writePointer(ptr, self._s)

    def setShear(self, values, space=MSpace.kTransform):
        """``values``: a double pointer to (xy, xz, yz), or a sequence."""
        if isinstance(values, _Pointer):
            values = _readPointer(values, 3)
        self._sh = [float(v) for v in values]
        return self

    def getShear(self, ptr, space=MSpace.kTransform):
        """Write the shear (xy, xz, yz) through a double pointer."""
        _writePointer(ptr, self._sh)

    # --- pivots ---

    def rotatePivot(self, space=MSpace.kTransform):
        """The rotate pivot point."""
        return MPoint(*self._rp)

    def setRotatePivot(self, point, space=MSpace.kTransform, balance=True):
        """Move the rotate pivot; with ``balance`` its translation changes
        so the matrix stays the same."""
        return self._movePivot("_rp", "_rpt", point, balance)

    def rotatePivotTranslation(self, space=MSpace.kTransform):
        """The translation that keeps a moved rotate pivot in place."""
        return MVector(*self._rpt)

    def setRotatePivotTranslation(self, vector, space=MSpace.kTransform):
        """Set the rotate pivot translation."""
        self._rpt = [vector.x, vector.y, vector.z]
        return self

    def scalePivot(self, space=MSpace.kTransform):
        """The scale pivot point."""
        return MPoint(*self._sp)

    def setScalePivot(self, point, space=MSpace.kTransform, balance=True):
        """Move the scale pivot; with ``balance`` its translation changes
        so the matrix stays the same."""
        return self._movePivot("_sp", "_spt", point, balance)

    def scalePivotTranslation(self, space=MSpace.kTransform):
        """The translation that keeps a moved scale pivot in place."""
        return MVector(*self._spt)

    def setScalePivotTranslation(self, vector, space=MSpace.kTransform):
        """Set the scale pivot translation."""
        self._spt = [vector.x, vector.y, vector.z]
        return self

    def _movePivot(self, pivot, translation, point, balance):
        before = self.asMatrix()
        setattr(self, pivot, [point.x, point.y, point.z])
        if balance:
            self._balance(before, translation)
        return self

    def _balance(self, before, name):
        """Change the pivot translation ``name`` so the matrix is ``before``
        again (a pivot move only shifts the matrix's translation)."""
        after = self.asMatrix()
        shift = [before(3, c) - after(3, c) for c in range(3)]
        if name == "_spt":
            # the scale pivot translation passes through Ro, R and the rest
            shift = list(MVector(*shift) * MMatrix(_math.inverse(
                _linearPart(self.asRotateMatrix()._m))))
        setattr(self, name, [v + d for v, d in zip(getattr(self, name), shift)])

    def __eq__(self, other):
        if isinstance(other, MTransformationMatrix):
            return self.asMatrix() == other.asMatrix()
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def isEquivalent(self, other, tolerance=1e-10):
        """Whether both compose to matrices equal within ``tolerance``."""
        return self.asMatrix().isEquivalent(other.asMatrix(), tolerance)


MTransformationMatrix.identity = MTransformationMatrix()


# --- units ------------------------------------------------------------------------

class MTime(object):
    """A time: a value in a unit.  Comparisons and arithmetic work on the
    absolute time; results take the left operand's unit; a float operand is
    read in the left operand's unit.  ``setUnit`` converts the value."""

    kInvalid = 0
    kHours = 1
    kMinutes = 2
    kSeconds = 3
    kMilliseconds = 4
    kGames = k15FPS = 5
    kFilm = k24FPS = 6
    kPALFrame = k25FPS = 7
    kNTSCFrame = k30FPS = 8
    kShowScan = k48FPS = 9
    kPALField = k50FPS = 10
    kNTSCField = k60FPS = 11
    (k2FPS, k3FPS, k4FPS, k5FPS, k6FPS, k8FPS, k10FPS, k12FPS, k16FPS, k20FPS,
     k40FPS, k75FPS, k80FPS, k100FPS, k120FPS, k125FPS, k150FPS, k200FPS,
     k240FPS, k250FPS, k300FPS, k375FPS, k400FPS, k500FPS, k600FPS, k750FPS,
     k1200FPS, k1500FPS, k2000FPS, k3000FPS, k6000FPS, k23_976FPS, k29_97FPS,
     k29_97DF, k47_952FPS, k59_94FPS, k44100FPS, k48000FPS, k90FPS,
     k119_88FPS) = range(12, 52)
    kUserDef = 52
    kLast = 53

    def __init__(self, value=0.0, unit=kFilm):
        if isinstance(value, MTime):
            self._ticks = value._ticks
            self._unit = value._unit
            return
        self._unit = int(unit)
        self._ticks = _units.timeToTicks(value, self._unit)

    @classmethod
    def _fromTicks(cls, ticks, unit):
        t = MTime.__new__(MTime)
        t._ticks = float(ticks)
        t._unit = unit
        return t

    def value(self):
        return _units.ticksToTime(self._ticks, self._unit)

    def unit(self):
        return self._unit

    def asUnits(self, unit):
        return _units.ticksToTime(self._ticks, unit)

    def setValue(self, value):
        self._ticks = _units.timeToTicks(value, self._unit)

    def setUnit(self, unit):
        _units.ticksPerUnit(unit)
        self._unit = int(unit)

    @staticmethod
    def uiUnit():
        return SCENE.timeUnit

    @staticmethod
    def setUIUnit(unit):
        _units.ticksPerUnit(unit)
        SCENE.timeUnit = int(unit)

    @staticmethod
    def ticksPerSecond():
        return int(_units.TICKS_PER_SECOND)

    def _otherTicks(self, other):
        if isinstance(other, MTime):
            return other._ticks
        return _units.timeToTicks(other, self._unit)

    def __add__(self, other):
        return MTime._fromTicks(self._ticks + self._otherTicks(other), self._unit)

    def __radd__(self, other):
        return self.__add__(other)

    def __sub__(self, other):
        return MTime._fromTicks(self._ticks - self._otherTicks(other), self._unit)

    def __rsub__(self, other):
        return MTime._fromTicks(self._otherTicks(other) - self._ticks, self._unit)

    def __mul__(self, factor):
        return MTime._fromTicks(self._ticks * float(factor), self._unit)

    __rmul__ = __mul__

    def __truediv__(self, divisor):
        if isinstance(divisor, MTime):
            return self._ticks / divisor._ticks
        return MTime._fromTicks(self._ticks / float(divisor), self._unit)

    __div__ = __truediv__

    def __iadd__(self, other):
        self._ticks += self._otherTicks(other)
        return self

    def __isub__(self, other):
        self._ticks -= self._otherTicks(other)
        return self

    def __imul__(self, factor):
        self._ticks *= float(factor)
        return self

    def __itruediv__(self, divisor):
        self._ticks /= float(divisor)
        return self

    def _cmp(self, other):
        if isinstance(other, MTime):
            return other._ticks
        return None

    def __eq__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else abs(self._ticks - t) < 1e-9

    def __ne__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else abs(self._ticks - t) >= 1e-9

    def __lt__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else self._ticks < t - 1e-9

    def __le__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else self._ticks <= t + 1e-9

    def __gt__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else self._ticks > t + 1e-9

    def __ge__(self, other):
        t = self._cmp(other)
        return NotImplemented if t is None else self._ticks >= t - 1e-9

    __hash__ = None

    def __repr__(self):
        return "MTime(%g, %s)" % (self.value(), _units.TIME_UNIT_NAMES.get(self._unit, self._unit))


class _UnitValue(object):
    """A value in a unit, as MDistance and MAngle keep it; a subclass names
    its conversions to and from the internal unit and the scene's UI unit."""

    _toInternal = None     # staticmethod(value, unit) -> internal value
    _fromInternal = None   # staticmethod(internal value, unit) -> value
    _internal = None       # the internal unit
    _uiUnitName = None     # the scene attribute holding the UI unit

    def __init__(self, value=0.0, unit=None):
        if isinstance(value, type(self)):
            self._value, self._unit = value._value, value._unit
            return
        unit = self._internal if unit is None else unit
        self._toInternal(0, unit)  # rejects an unknown unit
        self._value = float(value)
        self._unit = int(unit)

    def value(self):
        return self._value

    def unit(self):
        return self._unit

    def setValue(self, value):
        self._value = float(value)

    def setUnit(self, unit):
        self._value = self.asUnits(unit)
        self._unit = int(unit)

    def asUnits(self, unit):
        return self._fromInternal(self._toInternal(self._value, self._unit), unit)

    @classmethod
    def uiUnit(cls):
        return getattr(SCENE, cls._uiUnitName)

    @classmethod
    def setUIUnit(cls, unit):
        cls._toInternal(0, unit)
        setattr(SCENE, cls._uiUnitName, int(unit))

    @classmethod
    def internalUnit(cls):
        return cls._internal

    @classmethod
    def uiToInternal(cls, value):
        return cls._toInternal(value, cls.uiUnit())

    @classmethod
    def internalToUI(cls, value):
        return cls._fromInternal(value, cls.uiUnit())

    def __repr__(self):
        return "%s(%g, %d)" % (type(self).__name__, self._value, self._unit)


class MDistance(_UnitValue):
    """A distance: a value in a unit; internal unit centimetres."""

    kInvalid = 0
    kInches = 1
    kFeet = 2
    kYards = 3
    kMiles = 4
    kMillimeters = 5
    kCentimeters = 6
    kKilometers = 7
    kMeters = 8
    kLast = 9

    _toInternal = staticmethod(_units.distanceToCm)
    _fromInternal = staticmethod(_units.cmToDistance)
    _internal = kCentimeters
    _uiUnitName = "linearUnit"

    def asCentimeters(self):
        return self.asUnits(self.kCentimeters)

    def asMeters(self):
        return self.asUnits(self.kMeters)

    def asMillimeters(self):
        return self.asUnits(self.kMillimeters)

    def asKilometers(self):
        return self.asUnits(self.kKilometers)

    def asInches(self):
        return self.asUnits(self.kInches)

    def asFeet(self):
        return self.asUnits(self.kFeet)

    def asYards(self):
        return self.asUnits(self.kYards)

    def asMiles(self):
        return self.asUnits(self.kMiles)


class MAngle(_UnitValue):
    """An angle: a value in a unit; internal unit radians."""

    kInvalid = 0
    kRadians = 1
    kDegrees = 2
    kAngMinutes = 3
    kAngSeconds = 4
    kLast = 5

    _toInternal = staticmethod(_units.angleToRad)
    _fromInternal = staticmethod(_units.radToAngle)
    _internal = kRadians
    _uiUnitName = "angleUnit"

    def asRadians(self):
        return self.asUnits(self.kRadians)

    def asDegrees(self):
        return self.asUnits(self.kDegrees)

    def asAngMinutes(self):
        return self.asUnits(self.kAngMinutes)

    def asAngSeconds(self):
        return self.asUnits(self.kAngSeconds)


class MDGContext(object):
    """Evaluation context: the normal one (the current time) or one at a
    given time.  Reading in a timed context never moves the current time."""

    def __init__(self, when=None):
        if isinstance(when, MDGContext):
            self._ticks = when._ticks
        elif when is None:
            self._ticks = None
        else:
            self._ticks = MTime(when)._ticks

    def isNormal(self):
        return self._ticks is None

    def getTime(self, mtime=None):
        if self._ticks is None:
            raise _fail("Context is not timed")
        result = MTime._fromTicks(self._ticks, SCENE.timeUnit)
        if mtime is not None:
            mtime._ticks, mtime._unit = result._ticks, result._unit
        return result

    def __repr__(self):
        return "MDGContext(%s)" % ("normal" if self._ticks is None else self._ticks)


MDGContext.fsNormal = MDGContext()


def _contextTicks(context):
    if context is None:
        return None
    return getattr(context, "_ticks", None)


# --- MScriptUtil ------------------------------------------------------------------

class _Pointer(object):
    """What ``MScriptUtil.as*Ptr`` hands out: a typed view of the util's
    storage.  In Maya it is raw memory the util owns, so it must not keep
    the util alive: it holds the util weakly, and every read or write goes
    through ``_pointerMemory``, which raises once the util is gone (where
    Maya would read or write freed memory)."""

    __slots__ = ("_util", "_index", "_kind")

    def __init__(self, util, index, kind):
        self._util = weakref.ref(util)
        self._index = index
        self._kind = kind


_FREED_POINTER = "MScriptUtil pointer used after its MScriptUtil was freed"


def _pointerMemory(ptr, count=1):
    """The storage list behind ``ptr`` and the position it points at, grown
    to hold ``count`` values from there.  The only way into a pointer's
    memory: it refuses objects that are not pointers and pointers whose
    util has been freed."""
    if not isinstance(ptr, _Pointer):
        raise TypeError("expected a pointer from MScriptUtil")
    util = ptr._util()
    if util is None:
        raise RuntimeError(_FREED_POINTER)
    values = util._values
    while len(values) < ptr._index + count:
        values.append(0)
    return values, ptr._index


def _readPointer(ptr, count=1, offset=0):
    values, start = _pointerMemory(ptr, offset + count)
    return values[start + offset:start + offset + count]


def _writePointer(ptr, items, offset=0):
    items = list(items)
    values, start = _pointerMemory(ptr, offset + len(items))
    values[start + offset:start + offset + len(items)] = items


class MScriptUtil(object):
    """Pointer and reference helper.  Every pointer handed out by one
    MScriptUtil shares its storage, as in Maya, and is usable only while
    the MScriptUtil lives: ``getUint(MScriptUtil().asUintPtr())`` raises,
    since the temporary util is freed before ``getUint`` runs."""

    def __init__(self, *args):
        self._values = [0]
        if args:
            if len(args) == 1 and isinstance(args[0], (list, tuple)):
                self._values = list(args[0])
            else:
                self._values = list(args)

    def createFromInt(self, *values):
        self._values = [int(v) for v in values] or [0]

    def createFromDouble(self, *values):
        self._values = [float(v) for v in values] or [0.0]

    def createFromList(self, values, length=None):
        values = list(values)
        self._values = values[:length] if length is not None else values

    def _ptr(self, kind):
        return _Pointer(self, 0, kind)

    def asIntPtr(self):
        return self._ptr("int")

    def asUintPtr(self):
        return self._ptr("uint")

    def asShortPtr(self):
        return self._ptr("short")

    def asBoolPtr(self):
        return self._ptr("bool")

    def asFloatPtr(self):
        return self._ptr("float")

    def asDoublePtr(self):
        return self._ptr("double")

    def asCharPtr(self):
        return self._ptr("char")

    def asInt(self):
        return int(self._values[0])

    def asUint(self):
        return int(self._values[0])

    def asShort(self):
        return int(self._values[0])

    def asBool(self):
        return bool(self._values[0])

    def asFloat(self):
        return float(self._values[0])

    def asDouble(self):
        return float(self._values[0])

    @staticmethod
    def _read(ptr, convert):
        return convert(_readPointer(ptr)[0])

    @staticmethod
    def _write(ptr, value):
        _writePointer(ptr, [value])

    @staticmethod
    def getInt(ptr):
        return MScriptUtil._read(ptr, int)

    @staticmethod
    def getUint(ptr):
        return MScriptUtil._read(ptr, int)

    @staticmethod
    def getShort(ptr):
        return MScriptUtil._read(ptr, int)

    @staticmethod
    def getBool(ptr):
        return MScriptUtil._read(ptr, bool)

    @staticmethod
    def getFloat(ptr):
        return MScriptUtil._read(ptr, float)

    @staticmethod
    def getDouble(ptr):
        return MScriptUtil._read(ptr, float)

    @staticmethod
    def setInt(ptr, value):
        MScriptUtil._write(ptr, int(value))

    @staticmethod
    def setUint(ptr, value):
        MScriptUtil._write(ptr, int(value))

    @staticmethod
    def setShort(ptr, value):
        MScriptUtil._write(ptr, int(value))

    @staticmethod
    def setBool(ptr, value):
        MScriptUtil._write(ptr, bool(value))

    @staticmethod
    def setFloat(ptr, value):
        MScriptUtil._write(ptr, float(value))

    @staticmethod
    def setDouble(ptr, value):
        MScriptUtil._write(ptr, float(value))

    @staticmethod
    def getDoubleArrayItem(ptr, index):
        return float(_readPointer(ptr, 1, index)[0])

    @staticmethod
    def setDoubleArray(ptr, index, value):
        _writePointer(ptr, [float(value)], index)

    @staticmethod
    def getIntArrayItem(ptr, index):
        return int(_readPointer(ptr, 1, index)[0])


# --- selection ----------------------------------------------------------------------

class MSelectionList(object):
    """A list of nodes, DAG paths and plugs.  ``add`` of a name accepts a
    short name, a partial or full DAG path, "node.attribute", bytes
    (decoded as UTF-8) and wildcards.  The name is a pattern: every match
    is added, also every node of a short name several DAG nodes carry."""

    kMergeNormal, kXORWithList, kRemoveFromList = 0, 1, 2

    def __init__(self, other=None):
        self._items = list(other._items) if isinstance(other, MSelectionList) else []

    def _addItem(self, item, merge=True):
        if merge and item in self._items:
            return
        self._items.append(item)

    def add(self, item, mergeWithExisting=True):
        if isinstance(item, bytes):
            item = item.decode("utf-8")
        if isinstance(item, MDagPath):
            self._addItem(("node", _node(item)), mergeWithExisting)
        elif isinstance(item, MPlug):
            self._addItem(("plug", item._key()), mergeWithExisting)
        elif isinstance(item, MObject):
            self._addItem(("node", _node(item)), mergeWithExisting)
        elif isinstance(item, str):
            for entry in _selectionItems(item):
                self._addItem(entry, mergeWithExisting)
        else:
            raise TypeError("in method 'MSelectionList_add', argument 2 of type 'MString const &'")
        return self

    def merge(self, other, strategy=0):
        for item in other._items:
            self._addItem(item)

    def remove(self, index):
        self._check(index)
        del self._items[index]

    def clear(self):
        del self._items[:]

    def length(self):
        return len(self._items)

    def isEmpty(self):
        return not self._items

    def _check(self, index):
        if not 0 <= index < len(self._items):
            raise _invalid("Index not within range")
        kind, ref = self._items[index]
        node = ref if kind == "node" else ref[0]
        if not node.alive:
            raise _invalid("Object does not exist")
        return kind, ref, node

    def getDependNode(self, index, obj):
        kind, ref, node = self._check(index)
        obj._ref = node

    def getDagPath(self, index, path, component=None):
        kind, ref, node = self._check(index)
        if kind != "node" or not node.isDag:
            raise _invalid("Object is not a DAG node")
        path._node = node

    def getPlug(self, index, plug):
        kind, ref, node = self._check(index)
        if kind != "plug":
            raise _invalid("Object is not a plug")
        plug._set(*ref)

    def getSelectionStrings(self, array, index=None):
        indices = range(len(self._items)) if index is None else [index]
        for i in indices:
            kind, ref = self._items[i]
            if kind == "node":
                array.append(SCENE.partialPath(ref))
            else:
                array.append(SCENE.plugName(*ref))

    def hasItem(self, item):
        if isinstance(item, MPlug):
            return ("plug", item._key()) in self._items
        return ("node", _node(item)) in self._items


def _selectionItems(text):
    text = text.strip()
    nodePart, dot, attrPart = text.partition(".")
    nodes = SCENE.resolve(nodePart)
    if not nodes:
        raise _invalid("Object does not exist")
    items = []
    for node in nodes:
        if dot:
            try:
                attr, indices = SCENE.parsePlug(node, attrPart)
            except ValueError:
                continue
            items.append(("plug", (node, attr, indices)))
        else:
            items.append(("node", node))
    if not items:
        raise _invalid("Object does not exist")
    return items


class MItSelectionList(object):
    kUnknownItem, kDagSelectionItem, kAnimSelectionItem, kDNselectionItem, \
        kPlugSelectionItem = -1, 0, 1, 2, 3

    def __init__(self, selectionList, filterType=MFn.kInvalid):
        self._list = MSelectionList(selectionList)
        self._filter = filterType
        self._index = 0
        self._skip()

    def _skip(self):
        while self._index < self._list.length() and self._filter != MFn.kInvalid:
            obj = MObject()
            try:
                self._list.getDependNode(self._index, obj)
            except RuntimeError:
                break
            if obj.hasFn(self._filter):
                break
            self._index += 1

    def isDone(self):
        return self._index >= self._list.length()

    def next(self):
        self._index += 1
        self._skip()

    def reset(self):
        self._index = 0
        self._skip()

    def setFilter(self, filterType):
        self._filter = filterType
        self.reset()

    def getDependNode(self, obj):
        self._list.getDependNode(self._index, obj)

    def getDagPath(self, path, component=None):
        self._list.getDagPath(self._index, path)

    def getPlug(self, plug):
        self._list.getPlug(self._index, plug)

    def getStrings(self, array):
        self._list.getSelectionStrings(array, self._index)

    def hasComponents(self):
        return False

    def itemType(self):
        kind, ref = self._list._items[self._index]
        if kind == "plug":
            return self.kPlugSelectionItem
        return self.kDagSelectionItem if ref.isDag else self.kDNselectionItem


class MGlobal(object):
    kReplaceList, kXORWithList, kRemoveFromList, kAddToList, kAddToHeadOfList = range(5)
    kInteractive, kBatch, kLibraryApp, kBaseUIMode = range(4)

    @staticmethod
    def getActiveSelectionList(selectionList, orderedSelectionIfAvailable=False):
        selectionList.clear()
        for node in SCENE.selection:
            selectionList._items.append(("node", node))

    @staticmethod
    def setActiveSelectionList(selectionList, listAdjustment=0):
        nodes = [ref if kind == "node" else ref[0] for kind, ref in selectionList._items]
        nodes = [n for n in nodes if n.alive]
        current = SCENE.selection
        if listAdjustment == MGlobal.kReplaceList:
            current[:] = []
            for n in nodes:
                if n not in current:
                    current.append(n)
        elif listAdjustment == MGlobal.kAddToList:
            current.extend(n for n in nodes if n not in current)
        elif listAdjustment == MGlobal.kAddToHeadOfList:
            current[:0] = [n for n in nodes if n not in current]
        elif listAdjustment == MGlobal.kRemoveFromList:
            current[:] = [n for n in current if n not in nodes]
        elif listAdjustment == MGlobal.kXORWithList:
            for n in nodes:
                if n in current:
                    current.remove(n)
                else:
                    current.append(n)

    @staticmethod
    def clearSelectionList():
        del SCENE.selection[:]

    @staticmethod
    def getSelectionListByName(name, selectionList):
        selectionList.add(name)

    @staticmethod
    def selectByName(name, listAdjustment=0):
        sel = MSelectionList()
        sel.add(name)
        MGlobal.setActiveSelectionList(sel, listAdjustment)
        return True

    @staticmethod
    def mayaState():
        return MGlobal.kBatch

    @staticmethod
    def apiVersion():
        return 20220000

    @staticmethod
    def mayaVersion():
        return "2022"

    @staticmethod
    def displayInfo(text):
        print(text)

    @staticmethod
    def displayWarning(text):
        print("# Warning: %s #" % text)

    @staticmethod
    def displayError(text):
        print("# Error: %s #" % text)


# --- MDagPath -------------------------------------------------------------------

def _shapesBelow(node):
    if not node.isDag or node.nodeType.isShape:
        return []
    return [c for c in node.children if c.nodeType.isShape]


class MDagPath(object):
    """Path to a DAG node.  Without instancing a node has one path, so the
    path is kept as its end node."""

    def __init__(self, other=None):
        self._node = other._node if isinstance(other, MDagPath) else None

    def _live(self):
        node = self._node
        if node is None or not node.alive and node is not SCENE.world:
            raise _invalid("Object does not exist")
        return node

    @staticmethod
    def getAPathTo(obj, path):
        node = obj._ref
        if not isinstance(node, _Node) or not node.isDag:
            raise _invalid("Object is not a DAG node")
        path._node = node

    @staticmethod
    def getAllPathsTo(obj, array):
        path = MDagPath()
        MDagPath.getAPathTo(obj, path)
        array.append(path)

    def isValid(self):
        node = self._node
        return node is not None and (node.alive or node is SCENE.world)

    def node(self):
        return MObject._wrap(self._live())

    def transform(self):
        node = self._live()
        while node is not None and node is not SCENE.world:
            if node.nodeType.isTransform:
                return MObject._wrap(node)
            node = node.parent
        raise _invalid("No transform above this path")

    def fullPathName(self):
        return SCENE.fullPath(self._live())

    def partialPathName(self):
        return SCENE.partialPath(self._live())

    def length(self):
        return len(SCENE.pathNodes(self._live()))

    def pop(self, count=1):
        node = self._live()
        for _ in range(count):
            if node is SCENE.world:
                raise _invalid("Path is already at the root")
            node = node.parent
        self._node = node

    def push(self, child):
        node = self._live()
        target = _node(child)
        if target.parent is not node:
            raise _invalid("Object is not a child of the path")
        self._node = target

    def childCount(self):
        return len(self._live().children)

    def child(self, index):
        return MObject._wrap(self._live().children[index])

    def numberOfShapesDirectlyBelow(self, countPtr):
        MScriptUtil.setUint(countPtr, len(_shapesBelow(self._live())))

    def extendToShapeDirectlyBelow(self, index):
        shapes = _shapesBelow(self._live())
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(shapes):
            raise _invalid("No shape at that index below the path")
        self._node = shapes[index]

    def extendToShape(self):
        shapes = _shapesBelow(self._live())
        if len(shapes) != 1:
            if self._node.nodeType.isShape:
                return
            raise _invalid("The path does not have exactly one shape below it")
        self._node = shapes[0]

    def apiType(self):
        return self._live().nodeType.apiType

    def hasFn(self, fnType):
        return fnType in self._live().nodeType.fnTypes

    def instanceNumber(self):
        return 0

    def isInstanced(self):
        return False

    def inclusiveMatrix(self):
        return MMatrix(SCENE.worldMatrix(self._live()))

    def inclusiveMatrixInverse(self):
        return self.inclusiveMatrix().inverse()

    def exclusiveMatrix(self):
        return MMatrix(SCENE.parentWorldMatrix(self._live()))

    def exclusiveMatrixInverse(self):
        return self.exclusiveMatrix().inverse()

    def set(self, other):
        self._node = other._node
        return self

    def __eq__(self, other):
        if isinstance(other, MDagPath):
            return self._node is other._node
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "<MDagPath %s>" % (SCENE.fullPath(self._node) if self._node else "(empty)")


# --- function sets --------------------------------------------------------------

class MFnBase(object):
    """Base of the function sets; ``_required`` is the MFn type an object
    must have for the set to attach to it."""

    _required = MFn.kBase

    def __init__(self, obj=None):
        self._obj = MObject()
        if obj is not None:
            self.setObject(obj)

    def setObject(self, obj):
        if isinstance(obj, MDagPath):
            obj = obj.node()
        if not isinstance(obj, MObject):
            raise TypeError("expected an MObject")
        if obj.isNull() or not obj.hasFn(self._required):
            raise _invalid("Object is incompatible with this method")
        self._obj = MObject(obj)

    def object(self):
        return MObject(self._obj)

    def hasObj(self, obj):
        if isinstance(obj, MObject):
            return obj.hasFn(self._required)
        return obj in (self._required,)

    def type(self):
        return self._required


class MFnDependencyNode(MFnBase):
    _required = MFn.kDependencyNode

    def _n(self):
        node = self._obj._ref
        if not isinstance(node, _Node):
            raise _invalid("Function set has no object")
        if not node.alive and node is not SCENE.world:
            raise _invalid("Object does not exist")
        return node

    def create(self, typeName, name=None):
        node = SCENE.createNode(typeName, name)
        self._obj = MObject._wrap(node)
        return MObject(self._obj)

    def name(self):
        return self._n().name

    def setName(self, name):
        return SCENE.rename(self._n(), name)

    def typeName(self):
        return self._n().typeName

    def findPlug(self, name, wantNetworkedPlug=True):
        node = self._n()
        if isinstance(name, MObject):
            attr = name._ref
            if not isinstance(attr, _AttrDef):
                raise _invalid("Object is not an attribute")
        else:
            attr = node.findAttr(name)
            if attr is None:
                raise _invalid("Object does not exist")
        plug = MPlug()
        plug._set(node, attr, (None,) * (attr.arrayDepth() - (1 if attr.multi else 0)))
        return plug

    def attribute(self, name):
        if isinstance(name, int) and not isinstance(name, bool):
            attrs = list(self._n().allAttrs())
            if not 0 <= name < len(attrs):
                raise _invalid("Index not within range")
            return MObject._wrap(attrs[name])
        attr = self._n().findAttr(name)
        if attr is None:
            raise _invalid("Object does not exist")
        return MObject._wrap(attr)

    def attributeCount(self):
        return len(list(self._n().allAttrs()))

    def hasAttribute(self, name):
        return self._n().findAttr(name) is not None

    def addAttribute(self, attrObj):
        attr = attrObj._ref
        if not isinstance(attr, _AttrDef):
            raise _invalid("Object is not an attribute")
        try:
            SCENE.addDynamicAttr(self._n(), attr)
        except RuntimeError as error:
            raise _invalid(str(error))

    def removeAttribute(self, attrObj):
        try:
            SCENE.removeDynamicAttr(self._n(), attrObj._ref)
        except RuntimeError as error:
            raise _invalid(str(error))

    def isLocked(self):
        return self._n().locked

    def setLocked(self, locked):
        self._n().locked = bool(locked)

    def isDefaultNode(self):
        return self._n().readOnly

    def isFromReferencedFile(self):
        return False

    def getConnections(self, array):
        node = self._n()
        for dst in SCENE.connections:
            if dst[0] is node:
                plug = MPlug()
                plug._set(*dst)
                array.append(plug)
        for src in SCENE.outgoing:
            if src[0] is node:
                plug = MPlug()
                plug._set(*src)
                array.append(plug)


class MFnDagNode(MFnDependencyNode):
    """DAG node function set.  ``parent(0)`` of a top-level node is the world
    node, whose ``fullPathName()`` is ""."""

    _required = MFn.kDagNode
    kNextPos = 0xFFFFFFFF

    def __init__(self, obj=None):
        self._path = None
        MFnDependencyNode.__init__(self, obj)

    def setObject(self, obj):
        if isinstance(obj, MDagPath):
            self._path = MDagPath(obj)
        MFnDependencyNode.setObject(self, obj)

    def create(self, typeName, name=None, parent=MObject.kNullObj):
        parentNode = parent._ref if isinstance(parent, MObject) and not parent.isNull() else None
        node = SCENE.createNode(typeName, name, parentNode)
        if node.nodeType.isShape and parentNode is None:
            node = node.parent
        self._obj = MObject._wrap(node)
        return MObject(self._obj)

    def parentCount(self):
        node = self._n()
        return 0 if node is SCENE.world else 1

    def parent(self, index=0):
        node = self._n()
        if node is SCENE.world or index != 0:
            raise _invalid("Index not within range")
        return MObject._wrap(node.parent)

    def childCount(self):
        return len(self._n().children)

    def child(self, index):
        children = self._n().children
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(children):
            raise _invalid("Index not within range")
        return MObject._wrap(children[index])

    def hasParent(self, obj):
        return self._n().parent is _node(obj)

    def hasChild(self, obj):
        return _node(obj) in self._n().children

    def isChildOf(self, obj):
        return self.hasParent(obj)

    def isParentOf(self, obj):
        return self.hasChild(obj)

    def addChild(self, child, index=0xFFFFFFFF, keepExistingParents=False):
        target = _node(child)
        SCENE.reparent(target, self._n(), None if index >= len(self._n().children) else index)

    def removeChild(self, child):
        SCENE.reparent(_node(child), SCENE.world)

    def fullPathName(self):
        return SCENE.fullPath(self._n())

    def partialPathName(self):
        return SCENE.partialPath(self._n())

    def getPath(self, path):
        node = self._n()
        path._node = node

    def dagPath(self):
        path = MDagPath()
        path._node = self._n()
        return path

    def dagRoot(self):
        node = self._n()
        chain = SCENE.pathNodes(node)
        return MObject._wrap(chain[0] if chain else SCENE.world)

    def transformationMatrix(self):
        return MMatrix(SCENE.localMatrix(self._n()))

    def isIntermediateObject(self):
        node = self._n()
        return bool(SCENE.value((node, node.findAttr("intermediateObject"), ())))

    def instanceCount(self, total=False):
        return 1

    def isInstanced(self, indirect=True):
        return False


def _vectorValue(node, name):
    attr = node.findAttr(name)
    return [SCENE.value((node, c, ())) for c in attr.children]


def _setVector(node, name, values):
    attr = node.findAttr(name)
    for child, value in zip(attr.children, values):
        key = (node, child, ())
        if SCENE.freeToChange(key) != FREE_TO_CHANGE:
            raise _fail("The plug '%s' is locked or connected and cannot be modified."
                        % SCENE.plugName(*key))
        SCENE.setPlugValue(key, float(value))


class MFnTransform(MFnDagNode):
    """Transform function set over the node's channels.  Spaces other than
    kWorld are read as the local (kTransform) space."""

    _required = MFn.kTransform

    def translation(self, space=MSpace.kTransform):
        node = self._n()
        if space == MSpace.kWorld:
            m = SCENE.worldMatrix(node)
            return MVector(m[12], m[13], m[14])
        return MVector(*_vectorValue(node, "translate"))

    def setTranslation(self, vector, space=MSpace.kTransform):
        _setVector(self._n(), "translate", (vector.x, vector.y, vector.z))

    def translateBy(self, vector, space=MSpace.kTransform):
        t = self.translation()
        self.setTranslation(t + vector)

    def rotationOrder(self):
        node = self._n()
        return SCENE.value((node, node.findAttr("rotateOrder"), ())) + 1

    def getRotation(self, rotation, space=MSpace.kTransform):
        """Fill ``rotation`` with the rotate channels: an ``MEulerRotation``
        gets the angles and the rotate order, an ``MQuaternion`` their
        rotation.  In ``kWorld`` a quaternion gets the world rotation
        instead: the rotation part of the world matrix (rotate axis, joint
        orient and every parent included; scale and shear taken out)."""
        node = self._n()
        order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
        r = _vectorValue(node, "rotate")
        if isinstance(rotation, MQuaternion):
            if space == MSpace.kWorld:
                _, _, rot = _math.decompose(SCENE.worldMatrix(node))
                q = _math.matrixToQuaternion(rot)
            else:
                q = _math.matrixToQuaternion(_math.euler(r[0], r[1], r[2], order))
            rotation.x, rotation.y, rotation.z, rotation.w = q
        else:
            rotation.x, rotation.y, rotation.z = r
            rotation.order = order

    def setRotation(self, rotation, space=MSpace.kTransform):
        node = self._n()
        if isinstance(rotation, MQuaternion):
            order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
            rotation = MEulerRotation.decompose(rotation.asMatrix(), order)
        _setVector(node, "rotate", (rotation.x, rotation.y, rotation.z))

    def rotation(self, space=MSpace.kTransform, asQuaternion=False):
        q = MQuaternion()
        self.getRotation(q, space)
        return q

    def getScale(self, ptr):
        _writePointer(ptr, _vectorValue(self._n(), "scale"))

    def setScale(self, ptr):
        """``ptr``: a double pointer to three values, or a sequence."""
        values = _readPointer(ptr, 3) if isinstance(ptr, _Pointer) else list(ptr)
        _setVector(self._n(), "scale", values[:3])

    def _pivot(self, name, space):
        node = self._n()
        point = MPoint(*_vectorValue(node, name))
        if space == MSpace.kWorld:
            point = point * MMatrix(SCENE.worldMatrix(node))
        return point

    def rotatePivot(self, space=MSpace.kTransform):
        """The rotate pivot: the rotatePivot attribute in the node's own
        spaces, its position in the world in ``kWorld``."""
        return self._pivot("rotatePivot", space)

    def rotatePivotTranslation(self, space=MSpace.kTransform):
        """The rotatePivotTranslate attribute."""
        return MVector(*_vectorValue(self._n(), "rotatePivotTranslate"))

    def scalePivot(self, space=MSpace.kTransform):
        """The scale pivot, as ``rotatePivot`` gives the rotate pivot."""
        return self._pivot("scalePivot", space)

    def scalePivotTranslation(self, space=MSpace.kTransform):
        """The scalePivotTranslate attribute."""
        return MVector(*_vectorValue(self._n(), "scalePivotTranslate"))

    def rotateOrientation(self, space=MSpace.kTransform):
        """The rotate axis (rotateAxis, xyz angles) as a quaternion."""
        ra = _vectorValue(self._n(), "rotateAxis")
        return MEulerRotation(ra[0], ra[1], ra[2]).asQuaternion()

    def transformation(self):
        """The node's channels as an ``MTransformationMatrix`` whose
        ``asMatrix`` is the node's local matrix (a joint's joint orient
        included, see ``MTransformationMatrix``)."""
        node = self._n()
        result = MTransformationMatrix()
        result._t = list(_vectorValue(node, "translate"))
        result._r = list(_vectorValue(node, "rotate"))
        result._order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
        result._s = list(_vectorValue(node, "scale"))
        result._ro = self.rotateOrientation()
        orient = SCENE.jointOrientMatrix(node)
        if node.nodeType.isA("joint"):  # joints keep no pivots or shear
            result._post = _math.multiply(orient, SCENE.inverseScaleMatrix(node))
        else:
            result._post = orient
            result._sh = list(_vectorValue(node, "shear"))
            result._sp = list(_vectorValue(node, "scalePivot"))
            result._spt = list(_vectorValue(node, "scalePivotTranslate"))
            result._rp = list(_vectorValue(node, "rotatePivot"))
            result._rpt = list(_vectorValue(node, "rotatePivotTranslate"))
        return result


class MFnIkJoint(MFnTransform):
    """Joint function set; the orientation is the jointOrient attribute.

    In Maya this class belongs to ``maya.OpenMayaAnim``; the stand-in offers
    it from both modules."""

    _required = MFn.kJoint

    def getOrientation(self, rotation):
        jo = _vectorValue(self._n(), "jointOrient")
        euler = MEulerRotation(jo[0], jo[1], jo[2])
        if isinstance(rotation, MQuaternion):
            q = euler.asQuaternion()
            rotation.x, rotation.y, rotation.z, rotation.w = q.x, q.y, q.z, q.w
        else:
            rotation.x, rotation.y, rotation.z, rotation.order = euler.x, euler.y, euler.z, 0

    def setOrientation(self, rotation):
        if isinstance(rotation, MQuaternion):
            rotation = MEulerRotation.decompose(rotation.asMatrix(), 0)
        _setVector(self._n(), "jointOrient", (rotation.x, rotation.y, rotation.z))

    def getScaleOrientation(self, rotation):
        rotation.x = rotation.y = rotation.z = 0.0
        if isinstance(rotation, MQuaternion):
            rotation.w = 1.0


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

    numericType = unitType

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

    def getData(self, *ptrs):
        self._get(*ptrs)

    def setData(self, *values):
        self._set(*values)


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

    isChannelBox = isChannelBoxFlagSet

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


# --- modifiers ---------------------------------------------------------------------

class MDGModifier(object):
    """Queues changes until ``doIt``; ``undoIt`` takes back, in reverse
    order, what the last ``doIt`` calls changed."""

    def __init__(self):
        self._queue = []
        self._done = []

    # plug values
    def _queuePlug(self, plug, setter, value):
        plug = MPlug(plug)
        self._queue.append(("plug", plug, setter, value))
        return self

    def newPlugValue(self, plug, obj):
        return self._queuePlug(plug, "setMObject", MObject(obj))

    def newPlugValueBool(self, plug, value):
        return self._queuePlug(plug, "setBool", value)

    def newPlugValueInt(self, plug, value):
        return self._queuePlug(plug, "setInt", value)

    def newPlugValueShort(self, plug, value):
        return self._queuePlug(plug, "setInt", value)

    def newPlugValueChar(self, plug, value):
        return self._queuePlug(plug, "setInt", value)

    def newPlugValueDouble(self, plug, value):
        return self._queuePlug(plug, "setDouble", value)

    def newPlugValueFloat(self, plug, value):
        return self._queuePlug(plug, "setFloat", value)

    def newPlugValueString(self, plug, value):
        return self._queuePlug(plug, "setString", value)

    def newPlugValueMDistance(self, plug, value):
        return self._queuePlug(plug, "setMDistance", MDistance(value))

    def newPlugValueMAngle(self, plug, value):
        return self._queuePlug(plug, "setMAngle", MAngle(value))

    def newPlugValueMTime(self, plug, value):
        return self._queuePlug(plug, "setMTime", MTime(value))

    # nodes
    def createNode(self, typeName, parent=None):
        parentNode = None
        if isinstance(parent, MObject) and not parent.isNull():
            parentNode = _node(parent)
        nodeType = SCENE.createNode  # validated at doIt; made now, registered later
        node = nodeType(typeName, None, parentNode, register=False)
        self._queue.append(("create", node, parentNode))
        return MObject._wrap(node)

    def deleteNode(self, obj):
        self._queue.append(("delete", _node(obj)))
        return self

    def renameNode(self, obj, name):
        self._queue.append(("rename", _node(obj), name))
        return self

    def connect(self, *args):
        src, dst = self._plugPair(args)
        self._queue.append(("connect", src, dst))
        return self

    def disconnect(self, *args):
        src, dst = self._plugPair(args)
        self._queue.append(("disconnect", src, dst))
        return self

    @staticmethod
    def _plugPair(args):
        if len(args) == 2:
            return args[0]._key(), args[1]._key()
        a = MPlug(args[0], args[1])
        b = MPlug(args[2], args[3])
        return a._key(), b._key()

    def commandToExecute(self, command):
        self._queue.append(("command", command))
        return self

    def pythonCommandToExecute(self, command):
        self._queue.append(("python", command))
        return self

    def doIt(self):
        queue, self._queue = self._queue, []
        for op in queue:
            self._done.append(self._apply(op))

    def undoIt(self):
        while self._done:
            undo = self._done.pop()
            if undo is not None:
                undo()

    def _apply(self, op):
        kind = op[0]
        if kind == "plug":
            _, plug, setter, value = op
            key = plug._live()
            node, attr, indices = key
            if attr.keyFlag is not None:
                # A per-key flag lives on the key, not among the node's values.
                wasSet = _keys.flagAt(node, indices[-1], attr.keyFlag)
                getattr(plug, setter)(value)
                return lambda: _keys.setFlagAt(node, indices[-1], attr.keyFlag, wasSet)
            had = (attr, indices) in node.values
            previous = node.values.get((attr, indices))
            hadOverride = key in SCENE.overrides
            previousOverride = SCENE.overrides.get(key)
            getattr(plug, setter)(value)

            def undo():
                if had:
                    node.values[(attr, indices)] = previous
                else:
                    node.values.pop((attr, indices), None)
                if hadOverride:
                    SCENE.overrides[key] = previousOverride
                else:
                    SCENE.overrides.pop(key, None)
            return undo
        if kind == "create":
            _, node, parentNode = op
            if node.isDag and node.nodeType.isShape and node.parent not in SCENE.nodes \
                    and node.parent is not SCENE.world:
                SCENE._register(node.parent)
                transform = node.parent
            else:
                transform = None
            if SCENE._nameTaken(node.name, node.isDag, node.parent):
                node.name = SCENE.uniqueName(node.name, node.isDag, node.parent)
            SCENE._register(node)

            def undo():
                SCENE.delete([transform or node])
            return undo
        if kind == "delete":
            record = SCENE.delete([op[1]])
            return lambda: SCENE.restore(record)
        if kind == "rename":
            _, node, name = op
            old = node.name
            SCENE.rename(node, name)

            def undo():
                SCENE._unindex(node)
                node.name = old
                SCENE._index(node)
            return undo
        if kind == "reparent":
            _, node, parent = op
            oldParent, oldIndex = SCENE.reparent(node, parent)
            return lambda: SCENE.reparent(node, oldParent, oldIndex)
        if kind == "connect":
            _, src, dst = op
            previous = SCENE.connect(src, dst)

            def undo():
                SCENE._disconnect(src, dst)
                if previous is not None:
                    SCENE._connect(previous, dst)
            return undo
        if kind == "disconnect":
            _, src, dst = op
            if SCENE.connections.get(dst) != src:
                raise _fail("The plugs are not connected")
            SCENE._disconnect(src, dst)
            return lambda: SCENE._connect(src, dst)
        if kind == "command":
            raise _fail("MEL commands are not supported by the stand-in")
        if kind == "python":
            exec(op[1], {})
            return None
        raise _fail("Unknown modifier operation %s" % kind)


class MDagModifier(MDGModifier):

    def createNode(self, typeName, parent=MObject.kNullObj):
        return MDGModifier.createNode(self, typeName, parent)

    def reparentNode(self, obj, newParent=MObject.kNullObj):
        """A null MObject as new parent means the world."""
        node = _node(obj)
        parentNode = None
        if isinstance(newParent, MObject) and not newParent.isNull():
            parentNode = _node(newParent)
        self._queue.append(("reparent", node, parentNode))
        return self


# --- messages ---------------------------------------------------------------------

class MMessage(object):

    @staticmethod
    def removeCallback(ident):
        SCENE.removeCallback(int(ident))

    @staticmethod
    def removeCallbacks(idents):
        for ident in idents:
            SCENE.removeCallback(int(ident))


class MCallbackIdArray(MIntArray):
    pass


class MUserData(object):
    pass


__all__ = sorted(name for name, value in list(globals().items())
                 if name.startswith("M") and isinstance(value, type))
