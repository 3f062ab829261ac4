"""Commands on time and units: ``currentUnit``, ``currentTime``,
``refresh`` and ``playbackOptions``.  Gathered by ``maya.cmds``.
"""

from . import _units
from ._cmd_base import _command
from ._scene import SCENE

__all__ = ["currentUnit", "currentTime", "refresh", "playbackOptions"]


# --- units and time ----------------------------------------------------------------

@_command("currentUnit", dict(linear="l", angle="a", time="t", query="q",
                              fullName="f", updateAnimation="ua"))
def currentUnit(**flags):
    if flags.get("query"):
        full = flags.get("fullName")
        if flags.get("angle"):
            table = _units.ANGLE_FULL if full else _units.ANGLE_SHORT
            return table[SCENE.angleUnit]
        if flags.get("time"):
            table = _units.TIME_FULL_NAMES if full else _units.TIME_UNIT_NAMES
            return table.get(SCENE.timeUnit, _units.TIME_UNIT_NAMES[SCENE.timeUnit])
        table = _units.LINEAR_FULL if full else _units.LINEAR_SHORT
        return table[SCENE.linearUnit]
    if flags.get("linear"):
        name = flags["linear"]
        if name not in _units.LINEAR_NAMES:
            raise RuntimeError("currentUnit: Invalid linear unit '%s'." % name)
        SCENE.linearUnit = _units.LINEAR_NAMES[name]
    if flags.get("angle"):
        name = flags["angle"]
        if name not in _units.ANGLE_NAMES:
            raise RuntimeError("currentUnit: Invalid angle unit '%s'." % name)
        SCENE.angleUnit = _units.ANGLE_NAMES[name]
    if flags.get("time"):
        name = flags["time"]
        if name not in _units.TIME_NAMES:
            raise RuntimeError("currentUnit: Invalid time unit '%s'." % name)
        SCENE.timeUnit = _units.TIME_NAMES[name]


@_command("currentTime", dict(query="q", edit="e", update="u"))
def currentTime(*args, **flags):
    """Sets (first argument, in the current time unit) or queries the
    current time; both answer the current time as a float."""
    if flags.get("query") or not args:
        return SCENE.ticksToUi(SCENE.currentTicks)
    value = args[0]
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError("currentTime: the time must be a number.")
    SCENE.setCurrentTicks(SCENE.ticksFromUi(value))
    return SCENE.ticksToUi(SCENE.currentTicks)


@_command("refresh", dict(suspend="su", force="f", currentView="cv",
                          fileExtension="fe", filename="fn"))
def refresh(**flags):
    """Redrawing is not modelled; ``suspend`` sets the flag that
    ``maya._scene.SCENE.refreshSuspended`` shows.  It works in batch mode
    too (see ``maya._session``: not a disabled UI command, by the closest
    guess)."""
    if "suspend" in flags:
        SCENE.refreshSuspended = bool(flags["suspend"])


@_command("playbackOptions", dict(query="q", edit="e", minTime="min", maxTime="max",
                                  animationStartTime="ast", animationEndTime="aet",
                                  loop="l", playbackSpeed="ps", by="by",
                                  view="v", framesPerSecond="fps"))
def playbackOptions(**flags):
    fields = (("minTime", "minTicks"), ("maxTime", "maxTicks"),
              ("animationStartTime", "animStartTicks"),
              ("animationEndTime", "animEndTicks"))
    if flags.get("query"):
        for flag, field in fields:
            if flags.get(flag):
                return SCENE.ticksToUi(getattr(SCENE, field))
        if flags.get("loop"):
            return "continuous"
        if flags.get("playbackSpeed"):
            return 1.0
        if flags.get("by"):
            return 1.0
        return None
    for flag, field in fields:
        if flags.get(flag) is not None and not isinstance(flags[flag], bool):
            setattr(SCENE, field, SCENE.ticksFromUi(flags[flag]))
