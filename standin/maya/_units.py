"""Unit tables shared by the scene model, ``maya.cmds`` and ``maya.OpenMaya``.

Maya keeps every value in internal units: centimetres for distances,
radians for angles.  Times are kept here as ticks (6000 per second, the
resolution Maya itself uses), so that whole frames of every common rate are
exact numbers and no rounding creeps into key times.
"""

import math

TICKS_PER_SECOND = 6000.0

# MTime.Unit values, as numbered in Maya's API documentation.
TIME_INVALID = 0
TIME_HOURS = 1
TIME_MINUTES = 2
TIME_SECONDS = 3
TIME_MILLISECONDS = 4
TIME_GAMES = 5
TIME_FILM = 6
TIME_PAL_FRAME = 7
TIME_NTSC_FRAME = 8
TIME_SHOW_SCAN = 9
TIME_PAL_FIELD = 10
TIME_NTSC_FIELD = 11

# Unit value -> seconds per unit.
_TIME_SECONDS_PER_UNIT = {
    TIME_HOURS: 3600.0,
    TIME_MINUTES: 60.0,
    TIME_SECONDS: 1.0,
    TIME_MILLISECONDS: 0.001,
    TIME_GAMES: 1.0 / 15.0,
    TIME_FILM: 1.0 / 24.0,
    TIME_PAL_FRAME: 1.0 / 25.0,
    TIME_NTSC_FRAME: 1.0 / 30.0,
    TIME_SHOW_SCAN: 1.0 / 48.0,
    TIME_PAL_FIELD: 1.0 / 50.0,
    TIME_NTSC_FIELD: 1.0 / 60.0,
}

# The kNNFPS units that follow kNTSCField, in Maya's order (values 12 on).
_FPS_UNITS = [
    (12, 2), (13, 3), (14, 4), (15, 5), (16, 6), (17, 8), (18, 10), (19, 12),
    (20, 16), (21, 20), (22, 40), (23, 75), (24, 80), (25, 100), (26, 120),
    (27, 125), (28, 150), (29, 200), (30, 240), (31, 250), (32, 300),
    (33, 375), (34, 400), (35, 500), (36, 600), (37, 750), (38, 1200),
    (39, 1500), (40, 2000), (41, 3000), (42, 6000), (43, 23.976),
    (44, 29.97), (45, 29.97), (46, 47.952), (47, 59.94), (48, 44100),
    (49, 48000), (50, 90), (51, 119.88),
]
for _unit, _fps in _FPS_UNITS:
    _TIME_SECONDS_PER_UNIT[_unit] = 1.0 / _fps

# cmds.currentUnit(time=...) names.  The first name of each unit is what a
# query answers.
TIME_NAMES = {
    "hour": TIME_HOURS,
    "min": TIME_MINUTES,
    "sec": TIME_SECONDS,
    "millisec": TIME_MILLISECONDS,
    "game": TIME_GAMES,
    "film": TIME_FILM,
    "pal": TIME_PAL_FRAME,
    "ntsc": TIME_NTSC_FRAME,
    "show": TIME_SHOW_SCAN,
    "palf": TIME_PAL_FIELD,
    "ntscf": TIME_NTSC_FIELD,
}
for _unit, _fps in _FPS_UNITS:
    if _unit == 45:
        _name = "29.97df"
    else:
        _name = "%gfps" % _fps
    TIME_NAMES.setdefault(_name, _unit)
TIME_UNIT_NAMES = {}
for _name, _unit in TIME_NAMES.items():
    TIME_UNIT_NAMES.setdefault(_unit, _name)
TIME_FULL_NAMES = {
    TIME_HOURS: "hours",
    TIME_MINUTES: "minutes",
    TIME_SECONDS: "seconds",
    TIME_MILLISECONDS: "milliseconds",
    TIME_GAMES: "game",
    TIME_FILM: "film",
    TIME_PAL_FRAME: "pal",
    TIME_NTSC_FRAME: "ntsc",
    TIME_SHOW_SCAN: "show",
    TIME_PAL_FIELD: "palf",
    TIME_NTSC_FIELD: "ntscf",
}


def ticksPerUnit(unit):
    try:
        return _TIME_SECONDS_PER_UNIT[unit] * TICKS_PER_SECOND
    except KeyError:
        raise RuntimeError("(kInvalidParameter): Invalid time unit %r" % (unit,))


def timeToTicks(value, unit):
    return float(value) * ticksPerUnit(unit)


def ticksToTime(ticks, unit):
    return ticks / ticksPerUnit(unit)


# MDistance.Unit values.
DIST_INVALID = 0
DIST_INCHES = 1
DIST_FEET = 2
DIST_YARDS = 3
DIST_MILES = 4
DIST_MILLIMETERS = 5
DIST_CENTIMETERS = 6
DIST_KILOMETERS = 7
DIST_METERS = 8

CM_PER_UNIT = {
    DIST_INCHES: 2.54,
    DIST_FEET: 30.48,
    DIST_YARDS: 91.44,
    DIST_MILES: 160934.4,
    DIST_MILLIMETERS: 0.1,
    DIST_CENTIMETERS: 1.0,
    DIST_KILOMETERS: 100000.0,
    DIST_METERS: 100.0,
}

LINEAR_NAMES = {
    "mm": DIST_MILLIMETERS, "millimeter": DIST_MILLIMETERS,
    "cm": DIST_CENTIMETERS, "centimeter": DIST_CENTIMETERS,
    "m": DIST_METERS, "meter": DIST_METERS,
    "km": DIST_KILOMETERS, "kilometer": DIST_KILOMETERS,
    "in": DIST_INCHES, "inch": DIST_INCHES,
    "ft": DIST_FEET, "foot": DIST_FEET,
    "yd": DIST_YARDS, "yard": DIST_YARDS,
    "mi": DIST_MILES, "mile": DIST_MILES,
}
LINEAR_SHORT = {
    DIST_MILLIMETERS: "mm", DIST_CENTIMETERS: "cm", DIST_METERS: "m",
    DIST_KILOMETERS: "km", DIST_INCHES: "in", DIST_FEET: "ft",
    DIST_YARDS: "yd", DIST_MILES: "mi",
}
LINEAR_FULL = {
    DIST_MILLIMETERS: "millimeter", DIST_CENTIMETERS: "centimeter",
    DIST_METERS: "meter", DIST_KILOMETERS: "kilometer",
    DIST_INCHES: "inch", DIST_FEET: "foot", DIST_YARDS: "yard",
    DIST_MILES: "mile",
}


def distanceToCm(value, unit):
    try:
        return float(value) * CM_PER_UNIT[unit]
    except KeyError:
        raise RuntimeError("(kInvalidParameter): Invalid distance unit %r" % (unit,))


def cmToDistance(value, unit):
    try:
        return value / CM_PER_UNIT[unit]
    except KeyError:
        raise RuntimeError("(kInvalidParameter): Invalid distance unit %r" % (unit,))


# MAngle.Unit values.
ANGLE_INVALID = 0
ANGLE_RADIANS = 1
ANGLE_DEGREES = 2
ANGLE_MINUTES = 3
ANGLE_SECONDS = 4

RAD_PER_UNIT = {
    ANGLE_RADIANS: 1.0,
    ANGLE_DEGREES: math.pi / 180.0,
    ANGLE_MINUTES: math.pi / (180.0 * 60.0),
    ANGLE_SECONDS: math.pi / (180.0 * 3600.0),
}
ANGLE_NAMES = {
    "deg": ANGLE_DEGREES, "degree": ANGLE_DEGREES,
    "rad": ANGLE_RADIANS, "radian": ANGLE_RADIANS,
    "min": ANGLE_MINUTES, "minute": ANGLE_MINUTES,
    "sec": ANGLE_SECONDS, "second": ANGLE_SECONDS,
}
ANGLE_SHORT = {ANGLE_DEGREES: "deg", ANGLE_RADIANS: "rad",
               ANGLE_MINUTES: "min", ANGLE_SECONDS: "sec"}
ANGLE_FULL = {ANGLE_DEGREES: "degree", ANGLE_RADIANS: "radian",
              ANGLE_MINUTES: "minute", ANGLE_SECONDS: "second"}


def angleToRad(value, unit):
    try:
        return float(value) * RAD_PER_UNIT[unit]
    except KeyError:
        raise RuntimeError("(kInvalidParameter): Invalid angle unit %r" % (unit,))


def radToAngle(value, unit):
    try:
        return value / RAD_PER_UNIT[unit]
    except KeyError:
        raise RuntimeError("(kInvalidParameter): Invalid angle unit %r" % (unit,))
