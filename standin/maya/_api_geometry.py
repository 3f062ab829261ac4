"""Python API 1.0 geometry values: vectors, points, matrices, quaternions,
Euler rotations and ``MTransformationMatrix``.  Gathered by
``maya.OpenMaya``.
"""

import math

from . import _math
from ._api_objects import _Array
from ._api_scriptutil import MScriptUtil, _Pointer, _readPointer, _writePointer

__all__ = [
    "MPointArray", "MVectorArray", "MVector", "MFloatVector", "MPoint", "MFloatPoint",
    "MMatrix", "MFloatMatrix", "MQuaternion", "MEulerRotation", "MSpace",
    "MTransformationMatrix",
]


class MPointArray(_Array):
    _convert = staticmethod(lambda v: MPoint(v))

    def _default(self):
        return MPoint()


class MVectorArray(_Array):
    _convert = staticmethod(lambda v: MVector(v))

    def _default(self):
        return MVector()


# --- geometry values ------------------------------------------------------------------

class _Vector(object):
    """What ``MVector`` and ``MFloatVector`` share; in Maya they are separate
    classes, neither derived from the other.  Results keep the class of the
    left operand.  Simplification: either matrix class transforms either
    vector class."""

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
        return type(self)(self.x + other.x, self.y + other.y, self.z + other.z)

    def __sub__(self, other):
        return type(self)(self.x - other.x, self.y - other.y, self.z - other.z)

    def __neg__(self):
        return type(self)(-self.x, -self.y, -self.z)

    def __mul__(self, other):
        if isinstance(other, _Vector):
            return self.x * other.x + self.y * other.y + self.z * other.z
        if isinstance(other, _Matrix):
            p = _transformPoint(other, (self.x, self.y, self.z, 0.0))
            return type(self)(p[0], p[1], p[2])
        return type(self)(self.x * other, self.y * other, self.z * other)

    __rmul__ = lambda self, other: self.__mul__(other)

    def __truediv__(self, other):
        return type(self)(self.x / other, self.y / other, self.z / other)

    def __xor__(self, other):
        return type(self)(self.y * other.z - self.z * other.y,
                       self.z * other.x - self.x * other.z,
                       self.x * other.y - self.y * other.x)

    def length(self):
        return math.sqrt(self.x * self.x + self.y * self.y + self.z * self.z)

    def normal(self):
        n = self.length()
        return type(self)(self) if n == 0 else self / n

    def normalize(self):
        n = self.normal()
        self.x, self.y, self.z = n.x, n.y, n.z
        return self

    def isEquivalent(self, other, tolerance=1e-10):
        return all(abs(a - b) <= tolerance for a, b in zip(self, other))

    def __iter__(self):
        return iter((self.x, self.y, self.z))

    def __eq__(self, other):
        if isinstance(other, _Vector):
            return (self.x, self.y, self.z) == (other.x, other.y, other.z)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "%s(%g, %g, %g)" % (type(self).__name__, self.x, self.y, self.z)



class MVector(_Vector):
    """Three doubles, a direction or offset."""


class MFloatVector(_Vector):
    """Three floats (stored as Python floats), a direction or offset."""


for _cls in (MVector, MFloatVector):
    _cls.xAxis, _cls.yAxis, _cls.zAxis = _cls(1, 0, 0), _cls(0, 1, 0), _cls(0, 0, 1)
    _cls.zero = _cls()
del _cls


class _Point(object):
    """What ``MPoint`` and ``MFloatPoint`` share (separate classes in Maya);
    results keep the class of the left operand, a difference of two points is
    the matching vector class."""

    _vector = None  # the vector class of a difference, set per class

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
        return type(self)(self.x + other.x, self.y + other.y, self.z + other.z, self.w)

    def __sub__(self, other):
        if isinstance(other, _Point):
            return self._vector(self.x - other.x, self.y - other.y, self.z - other.z)
        return type(self)(self.x - other.x, self.y - other.y, self.z - other.z, self.w)

    def __mul__(self, other):
        if isinstance(other, _Matrix):
            return type(self)(*_transformPoint(other, (self.x, self.y, self.z, self.w)))
        return type(self)(self.x * other, self.y * other, self.z * other, self.w)

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
        if isinstance(other, _Point):
            return (self.x, self.y, self.z, self.w) == (other.x, other.y, other.z, other.w)
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "%s(%g, %g, %g, %g)" % (type(self).__name__, self.x, self.y, self.z, self.w)



class MPoint(_Point):
    """A homogeneous point of doubles."""

    _vector = MVector


class MFloatPoint(_Point):
    """A homogeneous point of floats (stored as Python floats)."""

    _vector = MFloatVector


MPoint.origin = MPoint()
MFloatPoint.origin = MFloatPoint()


def _transformPoint(m, p):
    values = m._m
    return tuple(p[0] * values[c] + p[1] * values[4 + c] + p[2] * values[8 + c]
                 + p[3] * values[12 + c] for c in range(4))


class _Matrix(object):
    """What ``MMatrix`` and ``MFloatMatrix`` share (separate classes in
    Maya): 4x4, row-major, row vectors (``p * M``) as in Maya.  Also accepts
    a list of 16 numbers or of four rows of four.  Results keep the class of
    the left operand."""

    def __init__(self, other=None):
        if other is None:
            self._m = list(_math.IDENTITY)
        elif isinstance(other, _Matrix):
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

    def __getitem__(self, row):
        return tuple(self._m[row * 4:row * 4 + 4])

    def __mul__(self, other):
        if isinstance(other, _Matrix):
            return type(self)(_math.multiply(self._m, other._m))
        return type(self)([v * other for v in self._m])

    def __add__(self, other):
        return type(self)([a + b for a, b in zip(self._m, other._m)])

    def __sub__(self, other):
        return type(self)([a - b for a, b in zip(self._m, other._m)])

    def __eq__(self, other):
        if isinstance(other, _Matrix):
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
            return type(self)(_math.inverse(self._m))
        except ZeroDivisionError:
            return type(self)(self)

    def transpose(self):
        return type(self)(_math.transpose(self._m))

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

    def __repr__(self):
        return "%s(%r)" % (type(self).__name__, self._m)



class MMatrix(_Matrix):
    """4x4 matrix of doubles."""

    def isSingular(self):
        return abs(self.det4x4()) < 1e-12


MMatrix.identity = MMatrix()


class MFloatMatrix(_Matrix):
    """4x4 matrix of floats (stored as Python floats)."""


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
