"""Attribute wrappers and value records: ``EnumAttribute``,
``NumericAttribute``, ``ValueRecord``, ``MatrixDecomposition`` and
``LinearValue``.  Gathered by ``_core``.
"""

from maya.OpenMaya import (
    MDistance, MEulerRotation, MFnEnumAttribute, MFnNumericAttribute, MFnNumericData,
    MMatrix, MScriptUtil, MSpace, MTransformationMatrix, MVector)
from ._core_base import CoreObject

__all__ = [
    "EnumAttribute", "NumericAttribute", "ValueRecord", "MatrixDecomposition",
    "LinearValue",
]


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
