"""Animation playback and its messages: ``MAnimControl`` and
``MAnimMessage``.  Gathered by ``maya.OpenMayaAnim``.
"""

from ._api_modifiers import MMessage
from ._api_objects import MObject, MObjectArray
from ._api_time import MTime
from ._scene import SCENE

__all__ = ["MAnimControl", "MAnimMessage"]


class MAnimControl(object):
    """Static access to the current time and the playback range."""

    kPlaybackOnce, kPlaybackLoop, kPlaybackOscillate = range(3)
    kPlaybackViewAll, kPlaybackViewActive = range(2)

    @staticmethod
    def currentTime():
        return MTime._fromTicks(SCENE.currentTicks, SCENE.timeUnit)

    @staticmethod
    def setCurrentTime(mtime):
        SCENE.setCurrentTicks(MTime(mtime)._ticks)

    @staticmethod
    def minTime():
        return MTime._fromTicks(SCENE.minTicks, SCENE.timeUnit)

    @staticmethod
    def maxTime():
        return MTime._fromTicks(SCENE.maxTicks, SCENE.timeUnit)

    @staticmethod
    def setMinTime(mtime):
        SCENE.minTicks = MTime(mtime)._ticks

    @staticmethod
    def setMaxTime(mtime):
        SCENE.maxTicks = MTime(mtime)._ticks

    @staticmethod
    def setMinMaxTime(start, end):
        SCENE.minTicks = MTime(start)._ticks
        SCENE.maxTicks = MTime(end)._ticks

    @staticmethod
    def animationStartTime():
        return MTime._fromTicks(SCENE.animStartTicks, SCENE.timeUnit)

    @staticmethod
    def animationEndTime():
        return MTime._fromTicks(SCENE.animEndTicks, SCENE.timeUnit)

    @staticmethod
    def setAnimationStartTime(mtime):
        SCENE.animStartTicks = MTime(mtime)._ticks

    @staticmethod
    def setAnimationEndTime(mtime):
        SCENE.animEndTicks = MTime(mtime)._ticks

    @staticmethod
    def setAnimationStartEndTime(start, end):
        SCENE.animStartTicks = MTime(start)._ticks
        SCENE.animEndTicks = MTime(end)._ticks

    @staticmethod
    def isPlaying():
        return False

    @staticmethod
    def autoKeyMode():
        return False

    @staticmethod
    def playbackMode():
        return MAnimControl.kPlaybackLoop


class MAnimMessage(MMessage):
    """Anim curve edited callbacks fire, with an ``MObjectArray`` of the
    edited curves and the client data, after ``cmds.setKeyframe`` changes
    keys."""

    @staticmethod
    def addAnimCurveEditedCallback(function, clientData=None):
        return SCENE.addCallback("animCurveEdited", function, clientData)


def _fireCurvesEdited(curves):
    if not curves:
        return
    array = MObjectArray()
    for curve in curves:
        array.append(MObject._wrap(curve))
    SCENE.fire("animCurveEdited", array)
