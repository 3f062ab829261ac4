"""Random inputs to every public member: each call returns or raises an ordinary Exception
(not SystemError, nor a bare BaseException) within seconds. RIGKIT_FUZZ_EXAMPLES sets the
examples per class (default 50); RIGKIT_FUZZ_TRACE=1 prints each call first, to name a crash."""
import contextlib
import faulthandler
import functools
import inspect
import io
import math
import os
import re
import reprlib
import sys
import threading
import time

import pytest
from hypothesis import HealthCheck, given, settings, strategies as st
from maya import cmds
from maya.OpenMaya import MDagModifier, MDGContext, MDGModifier, MObject, MPlug, MTime

from Zentrik._api.__hybrid__ import _core

pytestmark = pytest.mark.fuzz

# A module that does not import fails the loading tests, not the collection here.
try:
    from Zentrik._api.__hybrid__ import rigkit0 as rk
except Exception as error:
    pytest.skip("rigkit0 does not import: %r" % error, allow_module_level=True)

FUZZ = settings(
    max_examples=int(os.environ.get("RIGKIT_FUZZ_EXAMPLES", "50")),
    deadline=None,  # the watchdog bounds each call; hypothesis's deadline would flake
    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large,
                           HealthCheck.function_scoped_fixture])
CALL_TIMEOUT = 5.0  # seconds; the slowest member takes milliseconds
TRACE = os.environ.get("RIGKIT_FUZZ_TRACE", "") not in ("", "0")


def buildScene():
    """|grp|ctrl (keyed, locked, a shape, extra attributes, layer L), |grp|empty, |other|ctrl."""
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()
    ctrl = "|grp|ctrl"
    for group in ("grp", "other"):
        cmds.group(empty=True, name=group)
        cmds.createNode("transform", name="ctrl", parent=group)
    cmds.createNode("mesh", name="ctrlShape", parent=ctrl)
    cmds.createNode("transform", name="empty", parent="grp")
    cmds.createNode("network", name="net")
    cmds.addAttr("net", longName="list", shortName="li", attributeType="compound",
                 numberOfChildren=2, multi=True)
    cmds.addAttr("net", longName="weight", shortName="w", attributeType="double", parent="list")
    cmds.addAttr("net", longName="label", dataType="string", parent="list")
    cmds.addAttr(ctrl, longName="mode", attributeType="enum", enumName="a:b:c")
    for name, kind in (("link", "message"), ("pose", "matrix"), ("moment", "time")):
        cmds.addAttr(ctrl, longName=name, attributeType=kind)
    cmds.addAttr(ctrl, longName="samples", dataType="doubleArray")
    cmds.setKeyframe(ctrl, attribute="translateX", time=1, value=0)
    cmds.setKeyframe(ctrl, attribute="translateX", time=10, value=9)
    cmds.setAttr(ctrl + ".ry", lock=True)
    cmds.setAttr("|other|ctrl.scale", -1, 1, 1)
    cmds.setKeyframe(ctrl, attribute="rotateX", time=1, value=0)
    cmds.animLayer("L", weight=0.5, attribute=ctrl + ".rotateX")
    for frame, angle in ((1, 0.0), (5, 175.0), (10, -175.0)):
        cmds.setKeyframe(ctrl + ".rotateX", time=(frame,), value=angle, animLayer="L")


NODE_NAMES = ("grp |grp ctrl |grp|ctrl grp|ctrl |other|ctrl other|ctrl ctrlShape "
              "|grp|ctrl|ctrlShape empty |grp|empty net time1 missing |missing|ctrl "
              "|grp|ctrl|missing").split()
ATTRIBUTE_NAMES = ("tx translateX translate t ry rotate rotateOrder sx visibility v "
                   "overrideEnabled outlinerColor useOutlinerColor mode link pose samples moment "
                   "message outTime list li list[0] list[3].weight li[2].w list[1].label weight "
                   "translate.translateX missing").split()
PIECES = ["|", ":", ".", "[", "]", "[0]", "[7]", "[-1]", "[%d]" % 2 ** 32, "[%d]" % 2 ** 64,
          "[99999999999999999999999]", "[x]", "[]", "..", "||", "ns:", "*", "\x00", "é", "ß",
          "\U0001f600", " "]
PARAMETER_NAMES = ("self nodeName searchShorterPaths plug plugName targetController context "
                   "mTime applyTimewarp value modifier attributeName logicalIndex requireShapes "
                   "typeFilter color newName node frame isEnabled time").split()


class FuzzError(Exception):
    """What the misbehaving values raise."""


def failing(protocol):
    def fail(self, *args):
        raise FuzzError("%s of %r" % (protocol, self))
    return fail


# Types whose instances raise from one protocol's methods and behave otherwise.
REFUSING = {protocol: type("Refuses_" + protocol, (object,), dict(
                {name: failing(name) for name in methods},
                __repr__=lambda self, protocol=protocol: "Refuses(%r)" % protocol))
            for protocol, methods in [
                ("str", ["__str__", "__format__"]), ("eq", ["__eq__", "__ne__", "__hash__"]),
                ("index", ["__index__", "__int__"]), ("float", ["__float__"]),
                ("sequence", ["__len__", "__iter__", "__getitem__"]), ("bool", ["__bool__"]),
                ("getattr", ["__getattr__"])]}


class RefusingText(str):
    """A text whose comparisons and methods raise."""

    __eq__ = __ne__ = failing("__eq__")
    __hash__ = str.__hash__
    split = rsplit = partition = rpartition = startswith = encode = failing("method")


class LyingList(list):
    """Claims many more items than it has."""

    def __len__(self):
        return 1 << 40


class Clearing(object):
    """Empties what the module reads (a list, an instance's __dict__, the scene) mid-call."""

    def __init__(self, target=None):
        self.target = target

    def __repr__(self):
        return "Clearing(%s)" % ("scene" if self.target is None else type(self.target).__name__)

    def answer(self, value):
        if self.target is None:
            cmds.file(new=True, force=True)
        else:
            self.target.clear()
        return value

    def __hash__(self):
        return 0


for _name, _answer in [("__str__", "ctrl"), ("__index__", 1), ("__int__", 1), ("__float__", 1.0),
                       ("__eq__", False), ("__bool__", True), ("__len__", 0),
                       ("__iter__", iter(()))]:
    setattr(Clearing, _name, lambda self, *other, _answer=_answer: self.answer(_answer))


def selfClearingList(items, position):
    items = list(items)
    items.insert(position % (len(items) + 1), Clearing(items))
    return items


def oneIn(n, rare, usual):
    """Draws from `rare` one time in n, from `usual` otherwise."""
    return st.integers(0, n - 1).flatmap(lambda i: rare if i == 0 else usual)


def made(make, *strategies):
    """Draws `make(*drawn)`, None where it raises: a draw must not raise."""
    def attempt(*args):
        try:
            return make(*args)
        except Exception:
            return None
    return st.builds(attempt, *strategies)


nodeNames, attributeNames = st.sampled_from(NODE_NAMES), st.sampled_from(ATTRIBUTE_NAMES)
paths = st.lists(st.one_of(nodeNames, attributeNames, st.sampled_from(PIECES),
                           st.text(alphabet="abcxyz0123456789_|:.[]-", max_size=6),
                           st.integers().map(str)), max_size=8).map("".join)
plugPaths = st.builds("{}.{}".format, nodeNames, attributeNames)
texts = st.one_of(
    paths, nodeNames, attributeNames, plugPaths, st.text(), st.just(""),
    st.text(alphabet=st.characters(min_codepoint=0xD800, max_codepoint=0xDFFF), min_size=1,
            max_size=3),  # lone surrogates: no UTF-8 form
    st.builds(lambda piece, count: piece * count,
              st.sampled_from(["a", "|ctrl", "[0]", ".tx", "é"]),
              st.integers(256, 200_000)),  # very long
    st.builds(RefusingText, paths))
byteStrings = st.one_of(st.binary(max_size=24), paths.map(lambda p: p.encode("utf-8")),
                        paths.map(lambda p: bytearray(p.encode("utf-8"))))
integers = st.one_of(st.integers(), st.integers(-3, 12), st.booleans(), st.sampled_from(
    [2 ** 31 - 1, 2 ** 31, 2 ** 32 - 1, 2 ** 32, 2 ** 63 - 1, 2 ** 63, 2 ** 64, -2 ** 31 - 1,
     -2 ** 63 - 1, 10 ** 30, -10 ** 30, 10 ** 400]))
floats = st.one_of(st.floats(), st.sampled_from([math.nan, math.inf, -math.inf, -0.0, 1e308]))
times = st.one_of(
    made(lambda v: MTime(v, MTime.uiUnit()), st.floats(-1e6, 1e6) | floats),
    made(rk.FrameTime, st.integers(-100, 100) | floats),
    made(lambda v: MDGContext(MTime(v, MTime.uiUnit())), st.integers(-5, 20)),
    st.builds(MDGContext))
plugs = made(lambda node, attribute: rk.Node(node).getPlug(attribute),
             st.sampled_from(["|grp|ctrl", "net", "time1"]), attributeNames)
sceneObjects = st.one_of(
    made(rk.Node, nodeNames), plugs, made(lambda name: rk.Node(name).nodeMObject, nodeNames),
    st.builds(MObject), st.builds(MPlug), st.builds(MDGModifier), st.builds(MDagModifier),
    st.builds(lambda: _core.CORE))
misbehaving = st.one_of(st.sampled_from(sorted(REFUSING)).map(lambda p: REFUSING[p]()),
                        st.builds(Clearing), st.builds(object),
                        st.builds(LyingList, st.lists(st.integers(0, 3), max_size=3)))
anything = st.recursive(
    st.one_of(st.none(), integers, floats, texts, byteStrings, times, sceneObjects, misbehaving),
    lambda inner: st.one_of(
        st.lists(inner, max_size=5), st.lists(inner, max_size=5).map(tuple),
        st.builds(selfClearingList, st.lists(inner, max_size=4), st.integers(0, 4)),
        st.dictionaries(st.text(max_size=4), inner, max_size=3)),
    max_leaves=12)
# Plausible arguments half the time, so that calls get past the first checks.
plausible = st.one_of(nodeNames, attributeNames, plugPaths, times, sceneObjects,
                      st.integers(-2, 12), st.floats(-100, 100), st.booleans(), st.none(),
                      st.lists(st.floats(-100, 100), min_size=1, max_size=4))
values = st.one_of(plausible, anything)
keywordNames = st.one_of(st.sampled_from(PARAMETER_NAMES), st.text(max_size=8),
                         st.sampled_from(PARAMETER_NAMES).map(RefusingText))


CLASSES = [value for value in vars(rk).values()
           if isinstance(value, type) and value.__module__ == rk.__name__]


def kindOf(name, member):
    """How the fuzz calls a member the class defines itself, or None."""
    if name.startswith("__") and name != "__init__":
        return None
    if isinstance(member, staticmethod):
        return "static"
    if isinstance(member, _core.coreProperty):
        return "property"
    if callable(member) and not isinstance(member, type):
        return "init" if name == "__init__" else "method"
    return None


MEMBERS = [(cls, name, kindOf(name, member)) for cls in CLASSES
           for name, member in vars(cls).items() if kindOf(name, member)]


@functools.lru_cache(maxsize=None)
def instancesOf(cls):
    """Instances of cls or subclasses: a quarter uninitialised, a quarter with state replaced."""
    built, bare = [], []
    for candidate in CLASSES:
        if issubclass(candidate, cls):
            bare.append(st.builds(candidate.__new__, st.just(candidate)))
            built += {rk.Node: [made(rk.Node, nodeNames, st.booleans())],
                      rk.AnimAttr: [made(lambda path: rk.AnimAttr(plugName=path), plugPaths),
                                    made(rk.AnimAttr, plugs), made(rk.AnimAttr)],
                      rk.FrameTime: [made(rk.FrameTime, st.integers(-10, 30))]}.get(candidate, [])
    replacements = st.lists(st.tuples(st.sampled_from(stateNames(cls)), values),
                            min_size=1, max_size=3)
    tampering = oneIn(4, st.tuples(replacements, st.booleans()), st.just(([], False)))
    instances = oneIn(4, st.one_of(bare), st.one_of(built)) if built else st.one_of(bare)
    return st.builds(lambda instance, change: tamper(instance, *change), instances, tampering)


def stateNames(cls):
    names = {"nodeName", "plug", "plugName", "_targetController", "targetController", "node"}
    return sorted(names | {name for klass in cls.__mro__ for name, member in vars(klass).items()
                           if isinstance(member, _core.coreProperty)})


def tamper(instance, replacements, clearing):
    state = getattr(instance, "__dict__", None)
    if state is not None:
        state.update(replacements)
        if clearing and state:
            state[sorted(state)[0]] = Clearing(state)
    return instance


anyInstance = st.one_of([instancesOf(cls) for cls in CLASSES])
selves = st.one_of(anyInstance, values)


class Watchdog(object):
    """Ends the run when a call has not returned in CALL_TIMEOUT seconds; faulthandler backs up
    the polling thread should a call never release the interpreter lock."""

    def __init__(self, terminal):
        self.terminal = terminal
        self.call = None  # (started, describe); polled, so a call costs no wake-up
        threading.Thread(target=self.watch, name="fuzz watchdog", daemon=True).start()

    @contextlib.contextmanager
    def running(self, describe):
        if TRACE:
            self.terminal.write("fuzz: %s\n" % describe())
            self.terminal.flush()
        faulthandler.dump_traceback_later(CALL_TIMEOUT + 2, exit=True, file=self.terminal)
        self.call = (time.monotonic(), describe)
        try:
            yield
        finally:
            self.call = None
            faulthandler.cancel_dump_traceback_later()

    def watch(self):
        while True:
            time.sleep(0.25)
            call = self.call
            if call and time.monotonic() - call[0] > CALL_TIMEOUT:
                self.terminal.write("\nfuzz: no return within %g s from %s\n"
                                    % (CALL_TIMEOUT, call[1]()))
                self.terminal.flush()
                faulthandler.dump_traceback(self.terminal)
                os._exit(1)


@pytest.fixture(scope="module")
def watchdog(request):
    capture = request.config.pluginmanager.getplugin("capturemanager")
    with capture.global_and_fixture_disabled() if capture else contextlib.nullcontext():
        terminal = os.fdopen(os.dup(sys.stderr.fileno()), "w")
    yield Watchdog(terminal)
    terminal.close()


SHORT = reprlib.Repr()
SHORT.maxstring = SHORT.maxother = 120
SHORT.maxlong = 60


def describe(target, args, kwargs):
    def show(value):
        try:
            return SHORT.repr(value)
        except Exception:
            return "<%s>" % type(value).__name__
    parts = [show(a) for a in args] + ["%s=%s" % (show(k), show(v)) for k, v in kwargs.items()]
    return "%s(%s)" % (target, ", ".join(parts))


def callChecked(watchdog, target, function, args=(), kwargs=None):
    """Passes when the call returns or raises an ordinary exception; its printing is dropped."""
    kwargs = kwargs or {}
    with watchdog.running(lambda: describe(target, args, kwargs)), \
            contextlib.redirect_stdout(io.StringIO()):
        try:
            function(*args, **kwargs)
        except SystemError as error:
            pytest.fail("%s raised SystemError: %s" % (describe(target, args, kwargs), error))
        except Exception:
            pass
        except KeyboardInterrupt:
            raise
        except BaseException as error:
            pytest.fail("%s raised %s, not an Exception: %r"
                        % (describe(target, args, kwargs), type(error).__name__, error))


@functools.lru_cache(maxsize=None)
def positionalRange(function):
    """(fewest, most) positional arguments, self included, as the binder tells a call with 16."""
    try:
        function(*[None] * 16)
    except TypeError as error:
        found = re.search(r"takes (?:from (\d+) to )?(\d+) positional arguments? but",
                          str(error))
        if found:
            return int(found.group(1) or found.group(2)), int(found.group(2))
    return 0, 5


def drawArguments(data, function, skip):
    """Mostly as many positional arguments as taken (less `skip`), at times too few or many."""
    fewest, most = positionalRange(function)
    fewest, most = max(fewest - skip, 0), max(most - skip, 0)
    count = data.draw(oneIn(10, st.integers(0, most + 2), st.integers(fewest, most)),
                      label="count")
    args = [data.draw(values, label="argument %d" % i) for i in range(count)]
    pairs = data.draw(oneIn(6, st.lists(st.tuples(keywordNames, values), min_size=1,
                                        max_size=2), st.just([])), label="keywords")
    kwargs = {}
    for name, value in pairs:
        with contextlib.suppress(FuzzError):  # a refusing name equal to an earlier one
            kwargs[name] = value
    return args, kwargs


FUZZED = sorted({cls for cls, name, kind in MEMBERS}, key=lambda cls: cls.__name__)


@pytest.mark.parametrize("cls", FUZZED, ids=[cls.__name__ for cls in FUZZED])
@FUZZ
@given(data=st.data())
def test_every_member_returns_or_raises_an_exception(watchdog, cls, data):
    buildScene()
    name, kind = data.draw(st.sampled_from([(n, k) for c, n, k in MEMBERS if c is cls]),
                           label="member")
    member, target = vars(cls)[name], "%s.%s" % (cls.__name__, name)
    if kind == "static":
        function = getattr(cls, name)
        callChecked(watchdog, target, function, *drawArguments(data, function, 0))
    elif kind == "property":
        if data.draw(oneIn(3, st.just(False), st.just(True)), label="through an instance"):
            instance = data.draw(instancesOf(cls), label="instance")
            callChecked(watchdog, target, getattr, (instance, name))
        else:  # the property's function on any object
            callChecked(watchdog, target, member.fget, (data.draw(selves, label="self"),))
    else:
        args, kwargs = drawArguments(data, member, 1)
        if data.draw(oneIn(3, st.just(True), st.just(False)), label="any self"):
            # as cls.method(obj, ...) calls it, for any obj
            callChecked(watchdog, target, member, [data.draw(selves, label="self")] + args,
                        kwargs)
        elif kind == "init":
            callChecked(watchdog, cls.__name__, cls, args, kwargs)
        else:
            instance = data.draw(instancesOf(cls), label="instance")
            callChecked(watchdog, target, getattr(instance, name), args, kwargs)


@pytest.mark.parametrize("cls, name, kind", MEMBERS,
                         ids=["%s.%s" % (cls.__name__, name) for cls, name, kind in MEMBERS])
def test_member_describes_itself(rk, cls, name, kind):
    """Name under its class, module, docstring, signature and repr, as help() reads them."""
    member = vars(cls)[name]
    function = member.fget if kind == "property" else getattr(member, "__func__", member)
    function = inspect.unwrap(function)  # the suite's decorator wraps a few
    assert (function.__name__, function.__module__) == (name, rk.__name__)
    assert function.__qualname__.split(".")[-2:] == [cls.__name__, name]
    assert function.__doc__ and function.__doc__.strip() == function.__doc__
    parameters = inspect.signature(function).parameters
    assert ("self" in list(parameters)[:1]) is (kind != "static")
    assert function.__text_signature__ == "(%s)" % ", ".join(map(str, parameters.values()))
    assert function.__qualname__ in repr(function)


# Curves keep what their properties answered, so the tools may get key times and values that
# no longer pair up; the context managers they look up may swallow the block's error.

keyLists = oneIn(5, values, st.one_of(
    st.lists(st.one_of(st.floats(-400, 400), st.sampled_from([math.nan, math.inf, -math.inf]),
                       st.integers(-3, 8)), max_size=7),
    st.lists(st.floats(0, 6), max_size=7).map(sorted),
    st.lists(st.sampled_from([1.0, 2.0, 2.0, 3.0, math.nan]), max_size=7),  # repeated times
))
keptAnswers = st.dictionaries(
    st.sampled_from(["keyTimes", "keyValues", "numKeys", "parentAttribute", "isRotation",
                     "animLayer", "nodeName", "attrName"]),
    st.one_of(keyLists, st.sampled_from([None, True, "rotateX", "rotateY", "rotateZ",
                                          "BaseAnimation", "L", "|grp|empty", 0, 3])),
    max_size=4)
keyAnswers = st.dictionaries(st.sampled_from(["keyTimes", "keyValues"]), keyLists, max_size=2)


def keptCurve(name, answers):
    curve = _core.AnimCurve(name)
    for prop, answer in answers.items():
        curve.setProperty(prop, answer)
    return curve


def swallowing(*args, **kwargs):
    return contextlib.suppress(Exception)


# Where the tools look a context manager up, as (holder, name).
SCOPES = [(rk, "ProgressBar"), (rk, "coreModifierContext"), (rk, "FrameStepper"),
          (rk.AnimLayer, "ActivationScope")]
TOOL_METHODS = sorted(name for cls, name, kind in MEMBERS
                      if cls is rk.AnimTools and kind == "method")
PLAIN_ARGUMENTS = {  # the calls the tools make most, with plausible arguments
    "applySmartEulerFilterToFrames": st.tuples(
        st.sampled_from([[1, 5], [3], [5, 1], [0.5, 2.5, 6]]), st.just("action"),
        st.booleans(), st.booleans()),
    "alignRotationKeys": st.tuples(st.sampled_from([None, 1, 2.5, 5, math.nan])),
}


@FUZZ
@given(data=st.data())
def test_tools_take_curves_whose_kept_answers_disagree(watchdog, data, monkeypatch):
    buildScene()
    for frame in range(1, 6):  # |grp|empty turning a little more than half a turn per key
        for axis in "XYZ":
            cmds.setKeyframe("|grp|empty.rotate" + axis, time=(frame,), value=200.0 * frame)
    names = (cmds.listConnections("|grp|empty.rotate", source=True)
             + cmds.listConnections("|grp|ctrl.tx", source=True))
    # Often a rotation trio with only its keys kept; otherwise any curves, anything kept.
    trio = st.tuples(*[st.builds(keptCurve, st.just(n), keyAnswers) for n in names[:3]])
    curves = data.draw(st.one_of(trio.map(list), st.lists(
        st.builds(keptCurve, st.sampled_from(names), keptAnswers), max_size=6)), label="curves")
    swallowed = data.draw(st.lists(st.sampled_from(SCOPES), unique=True, max_size=4),
                          label="swallowing scopes")
    _core.CORE.toolOptions["smartEulerFilter"] = data.draw(st.booleans(), label="option")
    tools = rk.AnimTools()
    tools.setProperty("animCurves", curves)
    name = data.draw(oneIn(2, st.sampled_from(TOOL_METHODS), st.sampled_from(
        sorted(PLAIN_ARGUMENTS))), label="method")
    if name in PLAIN_ARGUMENTS and data.draw(st.booleans(), label="plain"):
        args, kwargs = list(data.draw(PLAIN_ARGUMENTS[name], label="arguments")), {}
    else:
        args, kwargs = drawArguments(data, vars(rk.AnimTools)[name], 1)
    with monkeypatch.context() as patch:
        for holder, scope in swallowed:
            patch.setattr(holder, scope, swallowing)
        callChecked(watchdog, "AnimTools.%s" % name, getattr(tools, name), args, kwargs)
