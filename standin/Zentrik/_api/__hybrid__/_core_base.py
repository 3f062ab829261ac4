"""The core's objects and services: ``CoreObject`` and its properties,
the modifier context, ``CORE`` with the kits the module reaches
through it.  Gathered by ``_core``.
"""

import collections
import functools
import itertools
import maya.OpenMaya as OpenMaya
import sys

from maya import cmds
from maya.OpenMaya import MDagModifier

__all__ = [
    "pythonMajor", "mayaVersion", "asList", "NodeHandle", "coreProperty", "CoreObject",
    "coreDecorator", "coreModifierContext", "CORE",
]


pythonMajor = sys.version_info[0]


# The host version the stand-in scene claims to be; the module only compares
# it against older releases.
mayaVersion = 2024


# rigkit0 lives in this package; graphKit hands back its Node wrappers.
_RIGKIT0_MODULE = __name__.rpartition(".")[0] + ".rigkit0"


def asList(value):
    """Return ``value`` as a new list.

    ``None`` gives ``[]``; a text or bytes value is one item, not a sequence
    of characters; any other iterable gives its items; anything else becomes
    a list of that one value.
    """
    if value is None:
        return []
    if isinstance(value, (str, bytes, bytearray)):
        return [value]
    try:
        items = iter(value)
    except TypeError:
        return [value]
    return list(items)


class NodeHandle(object):
    """A node name in the form ``MSelectionList.add`` accepts.

    The suite resolves names more cleverly; the stand-in hands the name on
    unchanged, so an unknown name raises ``RuntimeError`` inside ``add`` as
    Maya does.
    """

    __slots__ = ("selectionItem",)

    def __init__(self, name):
        self.selectionItem = name


class coreProperty(object):
    """Turn a one-argument callable into an attribute computed once per instance.

    The first read calls ``fget(instance)`` and stores the result in the
    instance ``__dict__`` under the attribute's name (``None`` included).
    This is a non-data descriptor, so the stored entry shadows it: later reads
    are plain dictionary hits that never run Python code. A read that raises
    stores nothing, and the next read tries again.

    ``fget`` may be any callable with a ``__name__``, a C builtin included.
    The name comes from ``fget.__name__`` and is replaced by the name the
    class binds the descriptor to, if that differs, so storing always shadows.

    Unlike Python's ``property`` this does not stop an assignment to the
    attribute; the suite never assigns and presets values through
    ``CoreObject.setProperty`` only.
    """

    def __init__(self, fget):
        self.fget = fget
        self.name = fget.__name__
        self.__doc__ = getattr(fget, "__doc__", None)

    def __set_name__(self, owner, name):
        self.name = name

    def __get__(self, instance, owner=None):
        if instance is None:
            return self
        value = self.fget(instance)
        instance.__dict__[self.name] = value
        return value


class CoreObject(object):
    """Base of the suite's wrapper classes.

    Subclasses define their own ``__init__``; instances keep a ``__dict__``,
    where ``coreProperty`` stores the values it computes.
    """

    def setProperty(self, name, value):
        """Make later reads of the property ``name`` return ``value``.

        Works before and after the first read; the property's method is not
        run for this instance afterwards.
        """
        self.__dict__[name] = value


def coreDecorator(method):
    """Wrap one method; the wrapper counts calls in ``CORE.decoratedCalls``.

    The suite's decorator does more work around the call; the stand-in only
    makes its use visible. The wrapper is a Python function, so it binds
    ``self`` even when ``method`` is a C builtin or an instancemethod object,
    which do not bind by themselves or bind on their own terms.
    """
    name = method.__name__

    @functools.wraps(method)
    def decorated(self, *args, **kwargs):
        CORE.decoratedCalls[name] += 1
        return method(self, *args, **kwargs)

    return decorated


class coreModifierContext(object):
    """Context that yields ``(actionId, modifier)`` for one user action.

    ``actionId`` is a new integer on every entry. When the second flag is
    true (the suite's call is ``coreModifierContext(False, True)``) the
    modifier is a new ``MDagModifier``, applied with ``doIt()`` when the block
    ends normally; otherwise it is ``None``. When the block raises, nothing
    queued is applied and the exception goes on unchanged. The first flag is
    recorded but changes nothing here: the suite uses it for its undo
    bookkeeping, which the stand-in does not model.

    Every entry is recorded in ``CORE.modifierContexts``; ``applied`` is
    ``None`` while the block runs, then ``True`` or ``False``.
    """

    _actionIds = itertools.count(1)  # never reset, so ids stay unique

    def __init__(self, *flags):
        self.flags = flags
        self.actionId = None
        self.modifier = None
        self.applied = None

    def __enter__(self):
        self.actionId = next(coreModifierContext._actionIds)
        if len(self.flags) > 1 and self.flags[1]:
            self.modifier = MDagModifier()
        CORE.modifierContexts.append(self)
        return (self.actionId, self.modifier)

    def __exit__(self, excType, excValue, traceback):
        self.applied = False  # stays so if doIt() raises
        if excType is None and self.modifier is not None:
            self.modifier.doIt()
        self.applied = excType is None
        return False


class _Service(object):
    """One service of ``CORE``; writes each operation to ``CORE.calls``."""

    def __init__(self, calls, serviceName):
        self._calls = calls
        self._serviceName = serviceName

    def _record(self, operation, *args):
        self._calls.append((self._serviceName, operation, args))


class _TraceKit(_Service):
    """Error reports; the suite shows them, the stand-in keeps them in ``errors``."""

    def __init__(self, calls):
        _Service.__init__(self, calls, "traceKit")
        self.errors = []

    def reportError(self, message):
        self._record("reportError", message)
        self.errors.append(message)


class _HookKit(_Service):
    """Named Maya callbacks.

    ``callbacks`` maps a name to the id that the registration function
    returned; registering goes through that function with the arguments
    given, so the callback is Maya's own. Adding under a name already in use
    removes the older callback first, so a name never stands for two
    callbacks. A callback may remove itself, or another, while it fires:
    Maya's dispatch skips a callback removed before its turn. A callback
    whose id Maya no longer knows (its scene was reset) counts as removed.
    ``callbackFlag`` is recorded only.
    """

    def __init__(self, calls):
        _Service.__init__(self, calls, "hookKit")
        self.callbacks = {}

    def addCallback(self, registerFunction, callbackArguments, callbackName,
                    callbackFlag=False):
        """Register ``registerFunction(*callbackArguments)`` under the name."""
        self._record("addCallback", registerFunction, callbackArguments,
                     callbackName, callbackFlag)
        self._remove(callbackName)
        self.callbacks[callbackName] = registerFunction(*callbackArguments)

    def removeCallback(self, callbackName):
        """Remove the callback of that name; an unknown name does nothing."""
        self._record("removeCallback", callbackName)
        self._remove(callbackName)

    def _remove(self, callbackName):
        if callbackName in self.callbacks:
            try:
                OpenMaya.MMessage.removeCallback(self.callbacks.pop(callbackName))
            except RuntimeError:
                pass  # already gone with its scene

    def _removeAll(self):
        for callbackName in list(self.callbacks):
            self._remove(callbackName)


class _GraphKit(_Service):
    """Node creation and deletion through ``maya.cmds``."""

    def __init__(self, calls):
        _Service.__init__(self, calls, "graphKit")

    def createNode(self, nodeName, nodeType, firstFlag=False, secondFlag=False):
        """Create the node and return rigkit0's ``Node`` for it.

        Returns the plain name while rigkit0 is not loaded. The node is
        created without changing the selection; the two flags are recorded
        only.
        """
        self._record("createNode", nodeName, nodeType, firstFlag, secondFlag)
        return _rigkitNode(cmds.createNode(nodeType, name=nodeName, skipSelect=True))

    def deleteNode(self, nodeName):
        self._record("deleteNode", nodeName)
        cmds.delete(nodeName)


class _ToolButton(_Service):
    """A checkable toolbar button; ``checked`` holds the last state set."""

    def __init__(self, calls, serviceName):
        _Service.__init__(self, calls, serviceName)
        self.checked = False

    def setChecked(self, state):
        self._record("setChecked", state)
        self.checked = state

    def isChecked(self):
        return self.checked


class _CommonKit(object):
    def __init__(self, calls):
        self.smartEulerFilter_toolButton = _ToolButton(
            calls, "commonKit.smartEulerFilter_toolButton")


class _Trigger(_Service):
    """Suite commands; the stand-in counts the runs in ``highlightRuns``.

    The suite's highlight command flips a stored option and tints the time
    slider; the stand-in does neither.
    """

    def __init__(self, calls):
        _Service.__init__(self, calls, "trigger")
        self.highlightRuns = 0

    def channelBoxAuxKit_channelBoxSelectionTimelineHighlight(self):
        self._record("channelBoxAuxKit_channelBoxSelectionTimelineHighlight")
        self.highlightRuns += 1


class _Toolbar(_Service):
    """A toolbar; ``underMouse()`` answers ``mouseOver``, which tests set."""

    def __init__(self, calls, serviceName):
        _Service.__init__(self, calls, serviceName)
        self.mouseOver = False

    def underMouse(self):
        self._record("underMouse")
        return self.mouseOver


class _Color(_Service):
    def __init__(self, calls):
        _Service.__init__(self, calls, "color")

    def toOutlinerColor(self, color):
        """Return ``color`` as an ``(r, g, b)`` tuple of floats from 0 to 1.

        Three ints are read as 0..255 components; anything else as floats
        that are already 0..1. Another length, or a component out of range,
        raises ``ValueError``.
        """
        self._record("toOutlinerColor", color)
        components = tuple(color)
        if len(components) != 3:
            raise ValueError("Zentrik - a colour needs 3 components, got %r"
                             % (color,))
        isBytes = all(isinstance(c, int) and not isinstance(c, bool)
                      for c in components)
        scale = 255.0 if isBytes else 1.0
        result = tuple(float(c) / scale for c in components)
        if not all(0.0 <= c <= 1.0 for c in result):
            raise ValueError("Zentrik - colour component out of range: %r"
                             % (color,))
        return result


class _OptionSet(object):
    """The suite's option set; tests add option names to ``activeOptions``."""

    def __init__(self):
        self.activeOptions = set()


class _MirrorStore(object):
    """A mirror-rule store: ``entries`` maps the keys ``MirrorStore`` reads
    (attribute name forms, see there) to the stored values."""

    def __init__(self, name):
        self.name = name
        self.entries = {}

    def __repr__(self):
        return "<mirror store %s>" % self.name


class _CurveTargetSettings(object):
    """What ``CurveTarget`` answers (``CORE.curveTarget``).

    ``curveNames``, ``targetTime`` and ``keyTimes`` are ``None`` until a
    test sets them; ``None`` lets ``CurveTarget`` read the scene instead
    (the curves of the selection, the playback range, the keys of those
    curves in that range). ``preferTargetCurves`` and ``hasTimeRange`` are
    ``False``.
    """

    def __init__(self):
        self.curveNames = None
        self.targetTime = None
        self.preferTargetCurves = False
        self.keyTimes = None
        self.hasTimeRange = False


class _FrameStepperSettings(object):
    """What ``FrameStepper.step`` answers (``CORE.frameStepper``):
    ``canStep``, ``True`` until a test sets it; when false every step
    answers ``False`` and leaves the time alone, as the suite's stepper
    does for nodes it cannot evaluate by stepping."""

    def __init__(self):
        self.canStep = True


class _KeySelectionSettings(object):
    """What ``KeySelectionContext`` answers (``CORE.keySelectionContext``):
    ``isActive``, ``False`` until a test sets it."""

    def __init__(self):
        self.isActive = False


class _Core(object):
    """The suite's central object, with every service rigkit0 uses, and the
    settings and records of the tool objects (see ``_installToolState``)."""

    def __init__(self):
        self.calls = []
        self.modifierContexts = []
        self.decoratedCalls = collections.Counter()
        self._installServices()
        self._installToolState()

    def _installServices(self):
        calls = self.calls
        self.traceKit = _TraceKit(calls)
        self.hookKit = _HookKit(calls)
        self.graphKit = _GraphKit(calls)
        self.commonKit = _CommonKit(calls)
        self.trigger = _Trigger(calls)
        self.ZentrikToolbar = _Toolbar(calls, "ZentrikToolbar")
        self.secondToolbar = _Toolbar(calls, "secondToolbar")
        self.timeSlider = "timeControl1"
        self.color = _Color(calls)
        self.optionSet = _OptionSet()
        self.mirrorStoreA = _MirrorStore("A")
        self.mirrorStoreB = _MirrorStore("B")
        self.mirrorStoreC = _MirrorStore("C")
        self.mirrorStoreD = _MirrorStore("D")

    def _installToolState(self):
        """Fresh settings and records of the tool objects.

        The tool objects (``CurveTarget``, ``ToolOption``, ``ToolMessage``,
        ...) keep nothing themselves: what they answer and what they were
        asked lives here, where a test presets and reads it (see the
        module's docstring).
        """
        self.curveTarget = _CurveTargetSettings()
        self.keySelectionContext = _KeySelectionSettings()
        self.frameStepper = _FrameStepperSettings()
        self.frameSteppers = []
        self.smartKeys = []
        self.toolOptions = {}
        self.auxToolOptions = {}
        self.targetSelections = []
        self.progressBars = []
        self.messages = []
        self.toolErrors = []
        self.eulerFilterCalls = []

    @property
    def lastModifier(self):
        """The modifier of the latest context that made one, or ``None``."""
        for context in reversed(self.modifierContexts):
            if context.modifier is not None:
                return context.modifier
        return None

    def resetRecords(self):
        """Clear every record, remove registered callbacks, restore defaults.

        The record lists are cleared in place; the services are new objects,
        so a service a test replaced (a toolbar set to ``None``) is back.
        """
        self.hookKit._removeAll()
        del self.calls[:]
        del self.modifierContexts[:]
        self.decoratedCalls.clear()
        self._installServices()
        self._installToolState()


CORE = _Core()


def _rigkitNode(name):
    """rigkit0's ``Node`` for ``name``; the plain name while rigkit0 is not
    loaded."""
    nodeClass = getattr(sys.modules.get(_RIGKIT0_MODULE), "Node", None)
    return name if nodeClass is None else nodeClass(name)
