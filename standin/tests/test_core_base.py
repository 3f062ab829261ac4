"""The suite-core stand-in parts rigkit0's behaviour rests on: cached properties,
modifier context, attribute wrappers, named callbacks and the Euler filter (one angle
unwrapped towards the one before, a triple swapped for the closer of its two forms)."""
import contextlib
import ctypes
import math

import pytest
from hypothesis import given, strategies as st
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dependNode, plug

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


class TestCoreProperty:
    # `len` is a C builtin whose own name differs from the name the class binds it to.
    @pytest.mark.parametrize("getter, answer", [
        (probe_value, [1, 2]), (probe_value, None), (instancemethod(probe_value), [1, 2]),
        (len, 3)], ids=["function", "None", "instancemethod", "builtin"])
    def test_runs_once_per_instance_and_keeps_its_result(self, getter, answer):
        probe_class = make_probe_class(getter)
        first, second = probe_class(answer), probe_class(answer)
        assert first.value is first.value is answer and second.value is answer
        assert (first.reads, second.reads) == (1, 1)

    def test_a_read_that_raises_keeps_nothing(self):
        probe = make_probe_class(probe_value)(RuntimeError("gone"))
        with pytest.raises(RuntimeError, match="gone"):
            probe.value
        probe.answer = "found"
        assert (probe.value, probe.value, probe.reads) == ("found", "found", 2)

    @pytest.mark.parametrize("read_first", [False, True])
    def test_set_property_presets_the_value_without_running_the_method(self, read_first):
        probe = make_probe_class(probe_value)("computed")
        if read_first:
            probe.value
        probe.setProperty("value", "preset")
        assert (probe.value, probe.reads) == ("preset", 1 if read_first else 0)


@pytest.mark.parametrize("fails", [False, True])
def test_modifier_context_applies_only_on_normal_exit(fails):
    node = dependNode(cmds.createNode("transform", name="before"))
    failure = KeyError("stop")
    with pytest.raises(KeyError) if fails else contextlib.nullcontext() as raised:
        with coreModifierContext(False, True) as (_, modifier):
            modifier.renameNode(node, "after")
            assert cmds.objExists("before")
            if fails:
                raise failure
    assert (cmds.objExists("after"), cmds.objExists("before")) == (not fails, fails)
    assert not fails or raised.value is failure


@pytest.mark.parametrize("value, expected", [
    (None, []), ([1, 2], [1, 2]), ((i for i in (4, 5)), [4, 5]),
    ("pCube1", ["pCube1"]), (b"pCube1", [b"pCube1"]), (0, [0]),
])
def test_as_list_gives_a_new_list(value, expected):
    result = asList(value)
    assert result == expected and result is not value


ORDER_KEY = "xyz:yzx:zxy:xzy:yxz:zyx"


def attribute(name, **flags):
    """The attribute of ctrl.<name>, added first when ``flags`` are given."""
    cmds.createNode("transform", name="ctrl")
    if flags:
        cmds.addAttr("ctrl", longName=name, **flags)
    return plug("ctrl." + name).attribute()


class TestAttributeWrappers:
    # The enum wrapper reads the range through short pointers: a field below 0
    # shows a wrong minimum, the last field a wrong maximum.
    @pytest.mark.parametrize("fields, high, key", [
        (None, 5, ORDER_KEY), (ORDER_KEY, 5, ORDER_KEY), ("a:b:c", 2, "a:b:c"),
        ("off=-2:on=7", 7, "off:on"), ("yxz:xyz", 1, "yxz:xyz"), ("only", 0, "only"),
    ])
    def test_enum_fields_and_highest_index(self, fields, high, key):
        info = EnumAttribute(attribute("mode", attributeType="enum", enumName=fields)
                             if fields else attribute("rotateOrder"))
        assert (info.enumNumber, info.enumKey) == (high, key)

    @pytest.mark.parametrize("name, kind, isBoolean", [
        ("visibility", None, True), ("weight", "double", False), ("count", "long", False),
        ("flag", "bool", True)])
    def test_numeric_tells_booleans(self, name, kind, isBoolean):
        info = NumericAttribute(attribute(name, attributeType=kind) if kind else attribute(name))
        assert info.isBoolean is (info.unitType == om.MFnNumericData.kBoolean) is isBoolean


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
    received, fired = [], []

    def registerFunction(*arguments):
        received.append(arguments)
        return oma.MAnimMessage.addAnimCurveEditedCallback(*arguments)
    CORE.hookKit.addCallback(registerFunction, [lambda curves, data: fired.append(curves)], "hook")
    assert len(received) == 1 and len(received[0]) == 1
    key_ball()
    assert len(fired) == 1 and om.MFnDependencyNode(fired[0][0]).name() == "ball_translateX"


# A callback that removes itself fires once: the smart-key tests of the module.
@pytest.mark.parametrize("setup, expected, kept", [
    # Adding under a name in use replaces the older callback.
    (lambda fired: (register("same", fired, "old"), register("same", fired, "new")),
     ["new", "new"], ["same"]),
    # One removed by an earlier callback while the edit is dispatched does not fire.
    (lambda fired: (register("first", fired, removeSelf=True, removeOther="second"),
                    register("second", fired)), ["first"], []),
    # One gone with its scene counts as removed: the name serves again.
    (lambda fired: (register("hook", fired), cmds.file(new=True, force=True),
                    CORE.hookKit.removeCallback("hook"), register("hook", fired)),
     ["hook", "hook"], ["hook"]),
], ids=["replaced", "removed by another", "gone with its scene"])
def test_callbacks_fire_as_registered_and_removed(setup, expected, kept):
    fired = []
    setup(fired)
    key_ball()
    key_ball()
    assert fired == expected and list(CORE.hookKit.callbacks) == kept


PI, TURN, INF, NAN, ZERO = math.pi, 2.0 * math.pi, float("inf"), float("nan"), (0, 0, 0)
ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")

angles = st.floats(min_value=-20.0, max_value=20.0, allow_nan=False)
triples = st.tuples(angles, angles, angles)


def rotation_matrix(xyz, order):
    """The 3x3 row-vector matrix of Euler angles applied in Maya's rotate order."""
    matrix = [[1, 0, 0], [0, 1, 0], [0, 0, 1]]
    for axis in ORDERS[order]:
        angle = xyz["xyz".index(axis)]
        i, j = {"x": (1, 2), "y": (2, 0), "z": (0, 1)}[axis]  # the plane it turns
        turn = [[1, 0, 0], [0, 1, 0], [0, 0, 1]]
        turn[i][i] = turn[j][j] = math.cos(angle)
        turn[i][j], turn[j][i] = math.sin(angle), -math.sin(angle)
        matrix = [[sum(matrix[r][k] * turn[k][c] for k in range(3)) for c in range(3)]
                  for r in range(3)]
    return matrix


def distance(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


class TestEulerFilter:
    @pytest.mark.parametrize("previous, current, expected", [
        (10 * PI, 0.5, 10 * PI + 0.5),  # many turns beyond the sampled range
        (1.0, NAN, NAN), (INF, 1.0, 1.0), (0.0, -INF, -INF)])  # no nearest turn: left alone
    def test_angle_far_from_the_sampled_range(self, previous, current, expected):
        result = rotationMath.filterAngle(previous, current)
        assert result == pytest.approx(expected, abs=1e-12, nan_ok=True)

    @given(angles, angles)
    def test_angle_filter_adds_whole_turns_and_lands_within_pi(self, previous, current):
        result = rotationMath.filterAngle(previous, current)
        turns = (result - current) / TURN
        assert turns == pytest.approx(round(turns), abs=1e-9)
        assert abs(result - previous) <= PI + 1e-9
        if abs(current - previous) <= PI:
            assert result == current  # already close: not touched, not even by rounding

    @given(triples, triples, st.sampled_from(range(6)))
    def test_chosen_triple_keeps_the_orientation_and_stays_close(self, previous, current, order):
        result = rotationMath.filterRotation(previous, current, order)
        assert rotation_matrix(result, order) == [
            pytest.approx(row, abs=1e-9) for row in rotation_matrix(current, order)]
        assert all(abs(r - p) <= PI + 1e-9 for r, p in zip(result, previous))
        unwrapped = [rotationMath.filterAngle(p, c) for p, c in zip(previous, current)]
        assert distance(result, previous) <= distance(unwrapped, previous) + 1e-9

    # The same small step as the key before, written in the other Euler form of
    # each order: half a turn more on the first and last axes, the middle axis
    # mirrored.
    @pytest.mark.parametrize("order, current", [
        (0, (0.12 - PI, PI - 0.21, 0.33 + PI)), (1, (0.12 + PI, 0.21 - PI, PI - 0.33)),
        (2, (PI - 0.12, 0.21 + PI, 0.33 - PI)), (3, (0.12 - PI, 0.21 + PI, PI - 0.33)),
        (4, (PI - 0.12, 0.21 - PI, 0.33 + PI)), (5, (0.12 + PI, PI - 0.21, 0.33 - PI)),
    ], ids=ORDERS)
    def test_flipped_triple_comes_back_as_the_small_step(self, order, current):
        result = rotationMath.filterRotation((0.1, 0.2, 0.3), current, order)
        assert result == pytest.approx([0.12, 0.21, 0.33], abs=1e-12)
        assert rotationMath.filterRotation((0.1, 0.2, 0.3), current, ORDERS[order]) == result

    @pytest.mark.parametrize("previous, current, order", [
        (ZERO, ZERO, 6), (ZERO, ZERO, -1), (ZERO, ZERO, True), (ZERO, ZERO, "xzz"),
        ((0, 0), ZERO, 0), (ZERO, (0, 0, 0, 0), 0)])
    def test_unknown_order_or_wrong_length_raises(self, previous, current, order):
        with pytest.raises(ValueError):
            rotationMath.filterRotation(previous, current, order)
