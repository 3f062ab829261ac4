"""The suite-core stand-in: the parts of it that rigkit0's behaviour rests on,
its attribute wrappers and its named callbacks."""
import contextlib
import ctypes

import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import plug

from Zentrik._api.__hybrid__._core import (
    CORE, CoreObject, EnumAttribute, NumericAttribute, asList, coreModifierContext, coreProperty,
    rotationMath)


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


def make_probe_class(getter):
    """A CoreObject subclass built at run time, the way rigkit0 builds its classes."""
    def __init__(self, answer=None):
        self.answer = answer
        self.reads = 0
    return type(CoreObject)("Probe", (CoreObject,), {
        "__init__": __init__, "__len__": probe_value, "value": coreProperty(getter)})


# `len` is a C builtin whose own name differs from the name the class binds it to.
@pytest.mark.parametrize("getter, answer", [
    (probe_value, [1, 2]), (probe_value, None), (instancemethod(probe_value), [1, 2]), (len, 3),
], ids=["function", "None", "instancemethod", "builtin"])
def test_property_runs_once_per_instance_and_keeps_its_result(getter, answer):
    probe_class = make_probe_class(getter)
    first, second = probe_class(answer), probe_class(answer)
    assert first.value is first.value is answer
    assert second.value is answer
    assert (first.reads, second.reads) == (1, 1)


def test_property_read_that_raises_keeps_nothing():
    probe = make_probe_class(probe_value)(RuntimeError("gone"))
    with pytest.raises(RuntimeError, match="gone"):
        probe.value
    probe.answer = "found"
    assert (probe.value, probe.value, probe.reads) == ("found", "found", 2)


@pytest.mark.parametrize("read_first", [False, True])
def test_set_property_presets_the_value_without_running_the_method(read_first):
    probe = make_probe_class(probe_value)("computed")
    if read_first:
        probe.value
    probe.setProperty("value", "preset")
    assert probe.value == "preset"
    assert probe.reads == (1 if read_first else 0)


@pytest.mark.parametrize("fails", [False, True])
def test_modifier_context_applies_only_on_normal_exit(fails):
    cmds.createNode("transform", name="before")
    selection = om.MSelectionList()
    selection.add("before")
    node = om.MObject()
    selection.getDependNode(0, node)
    failure = KeyError("stop")
    with pytest.raises(KeyError) if fails else contextlib.nullcontext() as raised:
        with coreModifierContext(False, True) as (_, modifier):
            modifier.renameNode(node, "after")
            assert cmds.objExists("before")
            if fails:
                raise failure
    assert cmds.objExists("after") is not fails
    assert cmds.objExists("before") is fails
    if fails:
        assert raised.value is failure


@pytest.mark.parametrize("value, expected", [
    (None, []), ([1, 2], [1, 2]), ((i for i in (4, 5)), [4, 5]),
    ("pCube1", ["pCube1"]), (b"pCube1", [b"pCube1"]), (0, [0]),
])
def test_as_list_gives_a_new_list(value, expected):
    result = asList(value)
    assert result == expected
    assert result is not value


ORDER_KEY = "xyz:yzx:zxy:xzy:yxz:zyx"


@pytest.mark.parametrize("fields, low, high, key", [
    (None, 0, 5, ORDER_KEY), (ORDER_KEY, 0, 5, ORDER_KEY), ("a:b:c", 0, 2, "a:b:c"),
    ("off=-2:on=7", -2, 7, "off:on"), ("yxz:xyz", 0, 1, "yxz:xyz"), ("only", 0, 0, "only"),
])
def test_enum_range_through_short_pointers_and_the_wrappers_fields(fields, low, high, key):
    cmds.createNode("transform", name="ctrl")
    name = "rotateOrder"
    if fields is not None:
        name = "mode"
        cmds.addAttr("ctrl", longName=name, attributeType="enum", enumName=fields)
    fn = om.MFnEnumAttribute(plug("ctrl." + name).attribute())
    util = om.MScriptUtil()
    pointer = util.asShortPtr()
    fn.getMin(pointer)
    assert om.MScriptUtil.getShort(pointer) == low
    fn.getMax(pointer)
    assert om.MScriptUtil.getShort(pointer) == high
    info = EnumAttribute(plug("ctrl." + name).attribute())
    assert (info.enumNumber, info.enumKey) == (high, key)
    assert rotationMath.orderKey == ORDER_KEY


@pytest.mark.parametrize("attribute, kind, isBoolean", [
    ("visibility", None, True), ("weight", "double", False),
    ("count", "long", False), ("flag", "bool", True),
])
def test_numeric_wrapper_tells_booleans(attribute, kind, isBoolean):
    cmds.createNode("transform", name="ctrl")
    if kind is not None:
        cmds.addAttr("ctrl", longName=attribute, attributeType=kind)
    info = NumericAttribute(plug("ctrl." + attribute).attribute())
    assert info.isBoolean is isBoolean
    assert (info.unitType == om.MFnNumericData.kBoolean) is isBoolean


def key_ball():
    if not cmds.objExists("ball"):
        cmds.createNode("transform", name="ball")
    cmds.setKeyframe("ball.translateX", time=(1,), value=1.0)


def register(name, fired, label=None, removeSelf=False, removeOther=None):
    """Register under ``name`` a callback that notes ``label`` (the name by
    default) in ``fired`` and may remove itself or another callback."""
    def callback(curves, clientData):
        fired.append(label or name)
        if removeSelf:
            CORE.hookKit.removeCallback(name)
        if removeOther:
            CORE.hookKit.removeCallback(removeOther)
    CORE.hookKit.addCallback(oma.MAnimMessage.addAnimCurveEditedCallback, [callback], name)


def test_callback_is_registered_through_the_given_function():
    received = []

    def registerFunction(*arguments):
        received.append(arguments)
        return oma.MAnimMessage.addAnimCurveEditedCallback(*arguments)

    fired = []
    CORE.hookKit.addCallback(registerFunction, [lambda curves, data: fired.append(curves)], "hook")
    assert len(received) == 1 and len(received[0]) == 1
    key_ball()
    assert len(fired) == 1 and om.MFnDependencyNode(fired[0][0]).name() == "ball_translateX"


# A callback that removes itself fires once: the smart-key tests of the module.
@pytest.mark.parametrize("setup, expected", [
    # Adding under a name in use replaces the older callback.
    (lambda fired: (register("same", fired, "old"), register("same", fired, "new")),
     ["new", "new"]),
    # One removed by an earlier callback while the edit is dispatched does not fire.
    (lambda fired: (register("first", fired, removeSelf=True, removeOther="second"),
                    register("second", fired)), ["first"]),
], ids=["replaced", "removed by another"])
def test_callbacks_fire_as_registered_and_removed(setup, expected):
    fired = []
    setup(fired)
    key_ball()
    key_ball()
    assert fired == expected


def test_a_callback_gone_with_its_scene_counts_as_removed():
    fired = []
    register("hook", fired)
    cmds.file(new=True, force=True)
    CORE.hookKit.removeCallback("hook")
    register("hook", fired)
    key_ball()
    assert fired == ["hook"] and list(CORE.hookKit.callbacks) == ["hook"]
