"""What the suite's tools act on and report through: ``FrameStepper``,
``CurveTarget``, ``TargetSelection``, key selection, tool options,
progress bar and tool messages.  Gathered by ``_core``.
"""

from maya import cmds
from ._core_base import asList, CORE

__all__ = [
    "FrameStepper", "CurveTarget", "TargetSelection", "KeySelectionContext",
    "ToolOption", "AuxToolOption", "ProgressBar", "askMessageKind", "infoMessageKind",
    "MessageClick", "ToolMessage", "reportToolError",
]


class FrameStepper(object):
    """Moves the scene through frames for tools that read nodes at many
    frames: ``with FrameStepper() as stepper:``, then ``register(node)``
    for each node to be read and ``step(frame)`` before reading.

    ``step`` moves the current time to ``frame`` (UI frames) and answers
    ``True``, or answers ``False`` and moves nothing when the stepper cannot
    step (``CORE.frameStepper.canStep`` false); the caller then has to
    evaluate another way. Leaving the block puts the time back where it was
    when the block began. Stepping outside the block raises
    ``RuntimeError``.

    Each stepper is appended to ``CORE.frameSteppers`` when entered and
    keeps ``registered`` (the nodes, one entry per call), ``steps`` (one
    ``(frame, stepped)`` pair per call), ``startTime`` and ``active``.
    """

    def __init__(self):
        self.registered = []
        self.steps = []
        self.startTime = None
        self.active = False

    def __enter__(self):
        self.startTime = cmds.currentTime(query=True)
        self.active = True
        CORE.frameSteppers.append(self)
        return self

    def __exit__(self, excType, excValue, traceback):
        self.active = False
        if any(stepped for _, stepped in self.steps):
            cmds.currentTime(self.startTime)
        return False

    def register(self, node):
        """Note a node the caller will read while stepping."""
        self.registered.append(node)

    def step(self, frame):
        """Move to ``frame``; ``True`` when the time moved there."""
        if not self.active:
            raise RuntimeError("Zentrik - a frame stepper steps only inside its block")
        stepped = bool(CORE.frameStepper.canStep)
        if stepped:
            cmds.currentTime(frame)
        self.steps.append((frame, stepped))
        return stepped


class CurveTarget(object):
    """The curves and time the tools act on in target-curves mode.

    Each attribute answers the value set in ``CORE.curveTarget`` when a
    test set one, else reads the scene:

    - ``curveNames``: the names of the anim curves of the selected objects'
      channels (``cmds.keyframe(query=True, name=True)`` over the
      selection), without repeats; ``[]`` when nothing is selected;
    - ``targetTime``: the playback range as a ``(start, end)`` pair of UI
      frames, usable as the ``time`` flag of ``cmds.keyframe``;
    - ``preferTargetCurves``: whether the tools take the target curves even
      when keys are selected; ``False`` unless set;
    - ``keyTimes``: the times (UI frames, ascending, each once) of the keys
      of ``curveNames`` within ``targetTime``, both ends included;
    - ``hasTimeRange``: whether the animator marked a time range (the
      target is that range rather than the current frame); ``False``
      unless set, since the stand-in's time slider marks no range.

    A list set in ``CORE.curveTarget.curveNames`` or ``keyTimes`` is handed
    out as a copy.
    """

    @property
    def curveNames(self):
        """Names of the target's anim curves (see the class)."""
        preset = CORE.curveTarget.curveNames
        if preset is not None:
            return list(preset)
        if not cmds.ls(selection=True):
            return []
        names = []
        for name in asList(cmds.keyframe(query=True, name=True)):
            if name not in names:
                names.append(name)
        return names

    @property
    def targetTime(self):
        """The target's time (see the class)."""
        preset = CORE.curveTarget.targetTime
        if preset is not None:
            return preset
        return (cmds.playbackOptions(query=True, minTime=True),
                cmds.playbackOptions(query=True, maxTime=True))

    @property
    def preferTargetCurves(self):
        """Whether target curves win over selected keys (see the class)."""
        return CORE.curveTarget.preferTargetCurves

    @property
    def keyTimes(self):
        """The target's key times (see the class)."""
        preset = CORE.curveTarget.keyTimes
        if preset is not None:
            return list(preset)
        names = self.curveNames
        if not names:
            return []
        times = asList(cmds.keyframe(names, query=True, timeChange=True,
                                     time=_timeRangeFlag(self.targetTime)))
        return sorted(set(times))

    @property
    def hasTimeRange(self):
        """Whether the target is a marked time range (see the class)."""
        return bool(CORE.curveTarget.hasTimeRange)


def _timeRangeFlag(targetTime):
    """A target time as ``cmds.keyframe``'s ``time`` flag: a pair stays a
    pair, a single frame becomes the range of that frame."""
    if isinstance(targetTime, (list, tuple)):
        return tuple(targetTime)
    return (targetTime, targetTime)


class TargetSelection(object):
    """Selects what the tools' command edits act on.

    The stand-in leaves the selection as it is: ``selectTargets()`` appends
    the current selection (long names) to ``CORE.targetSelections`` and
    returns it. Callable on the class or on an instance.
    """

    @staticmethod
    def selectTargets():
        """Record and return the current selection, as a list of long names."""
        selection = asList(cmds.ls(selection=True, long=True))
        CORE.targetSelections.append(selection)
        return selection


class KeySelectionContext(object):
    """Whether the animator is working on selected keys (a graph editor
    with keys selected has focus). ``isActive`` answers
    ``CORE.keySelectionContext.isActive``, ``False`` unless a test sets it."""

    @property
    def isActive(self):
        """Whether key selection is the active context."""
        return CORE.keySelectionContext.isActive


class ToolOption(object):
    """One on/off option of the tools, by key ("smartEulerFilter").

    The values live in the dictionary ``_store`` names on ``CORE``
    (``CORE.toolOptions``); a key never saved loads as ``False``. Tests
    preset and read that dictionary.
    """

    _store = "toolOptions"

    def __init__(self, key):
        self.key = key

    def load(self):
        """The option's stored value; ``False`` when none was saved."""
        return getattr(CORE, self._store).get(self.key, False)

    def save(self, value):
        """Store ``value`` for the option."""
        getattr(CORE, self._store)[self.key] = value

    def __repr__(self):
        return "%s(%r)" % (type(self).__name__, self.key)


class AuxToolOption(ToolOption):
    """An option of the suite's auxiliary tools
    ("channelBoxSelectionTimelineHighlight"), stored in
    ``CORE.auxToolOptions``; otherwise as ``ToolOption``."""

    _store = "auxToolOptions"


class ProgressBar(object):
    """``with ProgressBar(title, count) as progress:`` shows progress over
    ``count`` items; ``progress.step()`` marks one item done.

    Each bar is appended to ``CORE.progressBars`` when entered; it keeps
    ``title``, ``count``, ``steps`` (how often ``step`` ran), ``active``
    (inside the block) and ``finished`` (the block was left, normally or
    not). Stepping a bar that is not entered raises ``RuntimeError``, as
    the suite's bar does not exist outside its block; stepping past
    ``count`` is only counted. Leaving never suppresses an exception.
    """

    def __init__(self, title, count):
        self.title = title
        self.count = count
        self.steps = 0
        self.active = False
        self.finished = False

    def __enter__(self):
        self.active = True
        CORE.progressBars.append(self)
        return self

    def __exit__(self, excType, excValue, traceback):
        self.active = False
        self.finished = True
        return False

    def step(self):
        """Mark one more item done."""
        if not self.active:
            raise RuntimeError("Zentrik - progress bar %r is not shown" % (self.title,))
        self.steps += 1

    def __repr__(self):
        return "ProgressBar(%r, %r, steps=%d)" % (self.title, self.count, self.steps)


# The kinds of tool message: a question the animator answers by clicking,
# and a note that goes away by itself.
askMessageKind = "ask"


infoMessageKind = "info"


class MessageClick(object):
    """The values a tool message's click hands to its ``onMessageClick``:
    ``accepted`` (the animator agreed) and ``declined``."""

    accepted = "accepted"
    declined = "declined"


class _ShownMessage(object):
    """One message ``ToolMessage.show`` displayed, as recorded in
    ``CORE.messages``: every argument under its own name, and ``clicks``,
    the values it was clicked with."""

    def __init__(self, key, title, body, kind, onMessageClick, messageId,
                 clickValue, duration):
        self.key = key
        self.title = title
        self.body = body
        self.kind = kind
        self.onMessageClick = onMessageClick
        self.messageId = messageId
        self.clickValue = clickValue
        self.duration = duration
        self.clicks = []

    def __repr__(self):
        return "<message %r %r (%s)>" % (self.messageId, self.title, self.kind)


class ToolMessage(object):
    """The tools' messages to the animator.

    ``show`` records each message in ``CORE.messages``; ``click`` plays the
    animator's answer to one of them.
    """

    @staticmethod
    def show(key, title, body, kind, onMessageClick=None, messageId=None,
             clickValue=None, duration=None):
        """Show a message and return its record.

        ``key`` names the tool; ``body`` is a text or a list of lines (the
        suite draws "separator" as a line and a name ending ".gif" as a
        picture); ``kind`` is ``askMessageKind`` or ``infoMessageKind``;
        ``onMessageClick`` is called with the click value when the animator
        clicks; ``clickValue`` is what the message's button gives;
        ``duration`` how long a note stays up. The stand-in draws nothing.
        """
        message = _ShownMessage(key, title, body, kind, onMessageClick,
                                messageId, clickValue, duration)
        CORE.messages.append(message)
        return message

    @staticmethod
    def click(which, value=None):
        """Answer a shown message, as the animator clicking it; returns what
        its ``onMessageClick`` returned.

        ``which`` is a position in ``CORE.messages`` (an int) or a
        ``messageId``, which picks the latest message with that id; an id
        nobody showed raises ``LookupError``. ``value`` defaults to the
        message's ``clickValue``, the answer its button gives; pass
        ``MessageClick.declined`` for a refusal. The value is appended to
        the record's ``clicks``; a message without ``onMessageClick``
        returns ``None``.
        """
        if isinstance(which, int) and not isinstance(which, bool):
            message = CORE.messages[which]
        else:
            matches = [m for m in CORE.messages if m.messageId == which]
            if not matches:
                raise LookupError("Zentrik - no message %r was shown" % (which,))
            message = matches[-1]
        if value is None:
            value = message.clickValue
        message.clicks.append(value)
        if message.onMessageClick is None:
            return None
        return message.onMessageClick(value)


def reportToolError(message):
    """Tell the animator a tool failed; recorded in ``CORE.toolErrors``."""
    CORE.toolErrors.append(message)
