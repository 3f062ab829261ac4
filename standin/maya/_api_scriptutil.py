"""``MScriptUtil`` and the pointers it hands out: the only way into a
pointer's memory is through the utility's own accessors.  Gathered by
``maya.OpenMaya``.
"""

import weakref


__all__ = ["MScriptUtil"]


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
    def createMatrixFromList(values, matrix):
        """Fill ``matrix`` (an MMatrix) with 16 numbers, row by row."""
        MScriptUtil._fillMatrix(values, matrix, "createMatrixFromList", "MMatrix")

    @staticmethod
    def createFloatMatrixFromList(values, matrix):
        """Fill ``matrix`` (an MFloatMatrix) with 16 numbers, row by row."""
        MScriptUtil._fillMatrix(values, matrix, "createFloatMatrixFromList", "MFloatMatrix")

    @staticmethod
    def _fillMatrix(values, matrix, method, className):
        # The matrix classes live over this module, so they are known by name.
        if not any(k.__name__ == className for k in type(matrix).__mro__):
            raise TypeError("in method 'MScriptUtil_%s', argument 2 of type '%s &'"
                            % (method, className))
        values = [float(v) for v in values]
        if len(values) != 16:
            raise TypeError("in method 'MScriptUtil_%s', argument 1 of type 'double const [4][4]'"
                            % method)
        matrix._m = values

    @staticmethod
    def getDoubleArrayItem(ptr, index):
        return float(_readPointer(ptr, 1, index)[0])

    @staticmethod
    def setDoubleArray(ptr, index, value):
        _writePointer(ptr, [float(value)], index)

    @staticmethod
    def getIntArrayItem(ptr, index):
        return int(_readPointer(ptr, 1, index)[0])
