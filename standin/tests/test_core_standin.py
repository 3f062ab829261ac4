"""The suite-core stand-in: the parts of it that rigkit0's behaviour rests on.

The package conftest gives every test a new scene and cleared records."""

import contextlib
import ctypes
import sys
import types

import pytest

from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma

from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__._core import (
    CORE, CoreObject, asList, coreDecorator, coreModifierContext, coreProperty)


def instancemethod(function):
    """What rigkit0 binds its C methods with: PyInstanceMethod_New."""
    new = ctypes.pythonapi.PyInstanceMethod_New
    new.restype = ctypes.py_object
    new.argtypes = [ctypes.py_object]
    return new(function)


def probe_value(self):
    self.reads += 1
    if isinstance(self.answer, Exception):
        raise self.answer
    return self.answer


def make_probe_class(**members):
    """A CoreObject subclass built at run time, the way rigkit0 builds its classes."""
    def __init__(self, answer=None):
        self.answer = answer
        self.reads = 0
    members["__init__"] = __init__
    return type(CoreObject)("Probe", (CoreObject,), members)


def node_object(name):
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    return obj


@pytest.mark.parametrize("getter", [probe_value, instancemethod(probe_value)],
                         ids=["function", "instancemethod"])
@pytest.mark.parametrize("answer", [[1, 2], None], ids=["list", "None"])
def test_property_runs_once_and_keeps_its_result(getter, answer):
    probe = make_probe_class(value=coreProperty(getter))(answer)
    first = probe.value
    assert probe.value is first is answer
    assert probe.reads == 1
    assert make_probe_class(value=coreProperty(getter))(7).value == 7


def test_property_read_that_raises_keeps_nothing():
    probe = make_probe_class(value=coreProperty(probe_value))(RuntimeError("gone"))
    with pytest.raises(RuntimeError, match="gone"):
        probe.value
    probe.answer = "found"
    assert probe.value == "found"
    assert probe.value == "found"
    assert probe.reads == 2


@pytest.mark.parametrize("readFirst", [False, True])
def test_set_property_presets_the_value_without_running_the_method(readFirst):
    probe = make_probe_class(value=coreProperty(probe_value))("computed")
    if readFirst:
        probe.value
    probe.setProperty("value", "preset")
    assert probe.value == "preset"
    assert probe.reads == (1 if readFirst else 0)


def test_property_over_builtin_is_kept_under_the_name_it_is_bound_to():
    def __len__(self):
        self.reads += 1
        return 3
    probe = make_probe_class(size=coreProperty(len), __len__=__len__)()
    assert (probe.size, probe.size) == (3, 3)
    assert probe.reads == 1
    assert probe.__dict__["size"] == 3


def scaled(self, factor, offset=0):
    return self.answer * factor + offset


@pytest.mark.parametrize("method, args, kwargs, expected", [
    (scaled, (3,), {"offset": 1}, 7),
    (instancemethod(scaled), (3,), {"offset": 1}, 7),
    (len, (), {}, 5),
])
def test_decorated_method_binds_self_and_returns_the_result(method, args, kwargs,
                                                            expected):
    probe = make_probe_class(call=coreDecorator(method), __len__=lambda self: 5)(2)
    assert probe.call(*args, **kwargs) == expected
    assert CORE.decoratedCalls[method.__name__] == 1


class RecordingModifier(object):
    def __init__(self):
        self.done = 0

    def doIt(self):
        self.done += 1


@pytest.mark.parametrize("fails", [False, True])
def test_modifier_context_applies_only_on_normal_exit(monkeypatch, fails):
    monkeypatch.setattr(_core, "MDagModifier", RecordingModifier)
    failure = ValueError("inside")
    with pytest.raises(ValueError) if fails else contextlib.nullcontext() as raised:
        with coreModifierContext(False, True) as (_, modifier):
            assert modifier.done == 0
            if fails:
                raise failure
    assert modifier.done == (0 if fails else 1)
    assert CORE.lastModifier is modifier
    assert CORE.modifierContexts[-1].applied is (not fails)
    if fails:
        assert raised.value is failure


def test_modifier_context_gives_a_new_action_id_on_every_entry():
    ids = []
    for flags in [(), (), (False, True), ()]:
        with coreModifierContext(*flags) as (actionId, modifier):
            ids.append(actionId)
            assert (modifier is None) == (flags == ())
    assert len(set(ids)) == 4


@pytest.mark.parametrize("fails", [False, True])
def test_modifier_context_applies_a_queued_rename_to_the_scene(fails):
    cmds.createNode("transform", name="before")
    try:
        with coreModifierContext(False, True) as (_, modifier):
            modifier.renameNode(node_object("before"), "after")
            assert cmds.objExists("before")
            if fails:
                raise KeyError("stop")
    except KeyError:
        pass
    assert cmds.objExists("after") is not fails
    if not fails:
        CORE.lastModifier.undoIt()
        assert cmds.objExists("before") and not cmds.objExists("after")


@pytest.mark.parametrize("value, expected", [
    (None, []),
    ([], []),
    ([1, 2], [1, 2]),
    ((1, 2), [1, 2]),
    ({3}, [3]),
    (range(2), [0, 1]),
    ((i for i in (4, 5)), [4, 5]),
    ("pCube1", ["pCube1"]),
    (b"pCube1", [b"pCube1"]),
    (7, [7]),
    (0, [0]),
])
def test_as_list(value, expected):
    assert asList(value) == expected


def test_as_list_copies_a_list():
    items = [1]
    assert asList(items) is not items


@pytest.mark.parametrize("colour, expected", [
    ((255, 0, 51), (1.0, 0.0, 0.2)),
    ((0.5, 1.0, 0.0), (0.5, 1.0, 0.0)),
    ([1, 0.5, 0], (1.0, 0.5, 0.0)),
])
def test_outliner_colour_from_bytes_or_fractions(colour, expected):
    assert CORE.color.toOutlinerColor(colour) == pytest.approx(expected)


@pytest.mark.parametrize("colour", [(1, 2), (256, 0, 0), (1.5, 0.0, 0.0), (-1, 0, 0)])
def test_outliner_colour_rejects_bad_colours(colour):
    with pytest.raises(ValueError):
        CORE.color.toOutlinerColor(colour)


def test_create_node_returns_the_rigkit0_node_when_loaded(monkeypatch):
    monkeypatch.delitem(sys.modules, "Zentrik._api.__hybrid__.rigkit0", raising=False)
    cmds.select(clear=True)
    assert CORE.graphKit.createNode(nodeName="plain", nodeType="transform") == "plain"
    rigkit0 = types.ModuleType("rigkit0")
    rigkit0.Node = lambda name: ("Node", name)
    monkeypatch.setitem(sys.modules, "Zentrik._api.__hybrid__.rigkit0", rigkit0)
    assert CORE.graphKit.createNode(nodeName="wrapped", nodeType="transform") == (
        "Node", "wrapped")
    assert not cmds.ls(selection=True)
    CORE.graphKit.deleteNode(nodeName="wrapped")
    assert not cmds.objExists("wrapped")
    assert [call[:2] for call in CORE.calls] == [
        ("graphKit", "createNode"), ("graphKit", "createNode"),
        ("graphKit", "deleteNode")]


def test_one_shot_callback_removes_itself_from_inside():
    cmds.createNode("transform", name="ball")
    fired = []

    def onCurveEdited(*args):
        fired.append(args)
        CORE.hookKit.removeCallback("animAttr_setSmartKey")

    CORE.hookKit.addCallback(oma.MAnimMessage.addAnimCurveEditedCallback,
                             [onCurveEdited], "animAttr_setSmartKey",
                             callbackFlag=False)
    assert "animAttr_setSmartKey" in CORE.hookKit.callbacks
    cmds.setKeyframe("ball", attribute="translateX", time=1, value=1.0)
    cmds.setKeyframe("ball", attribute="translateX", time=2, value=2.0)
    assert len(fired) == 1
    assert CORE.hookKit.callbacks == {}


def test_reset_records_restores_every_default():
    CORE.traceKit.reportError("Zentrik - boom")
    CORE.commonKit.smartEulerFilter_toolButton.setChecked(True)
    CORE.ZentrikToolbar.mouseOver = True
    CORE.secondToolbar = None
    CORE.optionSet.activeOptions.add("nonExposedRotationOrder")
    CORE.trigger.channelBoxAuxKit_channelBoxSelectionTimelineHighlight()
    with coreModifierContext():
        pass
    calls = CORE.calls
    CORE.resetRecords()
    assert calls == [] and CORE.calls is calls
    assert CORE.traceKit.errors == [] and CORE.modifierContexts == []
    assert not CORE.commonKit.smartEulerFilter_toolButton.isChecked()
    assert not CORE.ZentrikToolbar.underMouse()
    assert not CORE.secondToolbar.underMouse()
    assert CORE.optionSet.activeOptions == set()
    assert CORE.trigger.highlightRuns == 0
