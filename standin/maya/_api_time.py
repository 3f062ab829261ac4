"""Python API 1.0 units and time: ``MTime``, ``MDistance``, ``MAngle`` and
``MDGContext``.  Gathered by ``maya.OpenMaya``.
"""

from . import _units
from ._api_objects import _fail
from ._scene import SCENE

__all__ = ["MTime", "MDistance", "MAngle", "MDGContext"]


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
