"""Node's matrices: the world matrix read (now, at other frames), split, and written back."""
import math
from contextlib import nullcontext as nullContext

import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds
import maya.OpenMaya as om

from Zentrik._api.__hybrid__._core import CORE, FrameStepper

ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")
CHANNELS = ("translate", "rotate", "scale")

wide = st.floats(-170.0, 170.0)
narrow = st.floats(-80.0, 80.0)  # the middle angle of an order: Euler angles stay unique
size = st.floats(0.3, 3.0)


def three(values):
    return st.tuples(values, values, values)


vector = three(st.floats(-20.0, 20.0))


@st.composite
def rigs(draw):
    """A transform or joint "n" under a moved, turned, scaled parent "p", as {name: (type,
    attributes)}, every component off rest (joints keep no pivots and no shear); the middle
    angle of the rotate order within ±80°, so that the Euler angles are unique."""
    order = draw(st.integers(0, 5))
    angles = dict(zip(ORDERS[order], (draw(wide), draw(narrow), draw(wide))))
    kind = draw(st.sampled_from(["transform", "joint"]))
    node = dict(
        rotateOrder=(order,), rotate=(angles["x"], angles["y"], angles["z"]),
        scale=draw(three(size)), rotateAxis=draw(three(wide)), translate=draw(vector),
        rotatePivot=draw(vector), scalePivot=draw(vector), rotatePivotTranslate=draw(vector),
        scalePivotTranslate=draw(vector), shear=draw(three(st.floats(-0.5, 0.5))),
        jointOrient=draw(three(wide)))
    for name in NOT_ON[kind]:
        del node[name]
    parentKind = draw(st.sampled_from(["transform", "joint"])) if kind == "joint" else "transform"
    parent = dict(translate=draw(vector), rotate=draw(three(wide)), scale=draw(three(size)),
                  rotateOrder=(draw(st.integers(0, 5)),))
    return dict(p=(parentKind, parent), n=(kind, node))


NOT_ON = {"transform": ("jointOrient",),
          "joint": ("rotatePivot", "scalePivot", "rotatePivotTranslate", "scalePivotTranslate",
                    "shear")}


def build(rig):
    """The rig built through commands."""
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    for name, (kind, attributes) in rig.items():
        cmds.createNode(kind, name=name, **({"parent": "p"} if name == "n" else {}))
        for attribute, values in attributes.items():
            cmds.setAttr("%s.%s" % (name, attribute), *values)
    if rig["p"][0] == "joint":  # compensation on, as the joint tool makes it
        cmds.connectAttr("p.scale", "n.inverseScale")


def channels(name="n"):
    """The translate, rotate and scale values in one list."""
    return [v for channel in CHANNELS for v in cmds.getAttr("%s.%s" % (name, channel))[0]]


def transform(name, **attributes):
    cmds.createNode("transform", name=name)
    for attribute, values in attributes.items():
        cmds.setAttr("%s.%s" % (name, attribute), *values)


def dummyCalls():
    return [call[1:] for call in CORE.calls if call[0] == "graphKit"]


def refuse(*args, **flags):
    raise RuntimeError("refused")


def vectorOf(v):
    return (v.x, v.y, v.z)


def assertRoundTrip(rk, fromRest=True, **flags):
    """The world matrix read, written back onto the channels put to rest (or as they are), is
    reached again with every channel as it was."""
    before, node = channels(), rk.Node("n")
    world = node.worldMatrix()
    for channel, rest in zip(CHANNELS, (0.0, 0.0, 1.0)) if fromRest else ():
        cmds.setAttr("n." + channel, rest, rest, rest)
    node.setWorldMatrix(world, **flags)
    assert rk.Node("n").worldMatrix().isEquivalent(world, 1e-6)
    assert channels() == pytest.approx(before, abs=1e-6)


@pytest.fixture
def units():
    """Puts the working units back afterwards: Maya keeps them across new scenes."""
    linear = cmds.currentUnit(query=True, linear=True)
    angular = cmds.currentUnit(query=True, angle=True)
    yield
    cmds.currentUnit(linear=linear, angle=angular)


@settings(max_examples=60, deadline=None)
@given(rigs())
def test_setting_the_world_matrix_read_keeps_every_channel(rk, rig):
    build(rig)
    assertRoundTrip(rk)


# Set-ups the generated rigs, with every component off rest at once, do not make.
AWKWARD = [
    # The pivot moved as the animator moves it: Maya keeps the node in place
    # with this scale pivot translation.
    pytest.param(dict(scale=(2, 2, 2), rotatePivot=(1, 0, 0), scalePivot=(1, 0, 0),
                      scalePivotTranslate=(1, 0, 0), translate=(1, 2, 3)),
                 id="pivot moved on a scaled node"),
    pytest.param(dict(rotate=(0.5, 0.6, 0.7), angleUnit="radian"),
                 id="radians as the working angle unit"),
    pytest.param(dict(rotate=(10, 20, 30), translate=(1, 2, 3), linearUnit="mm"),
                 id="millimetres as the working linear unit"),
] + [pytest.param(dict(joint=(compensate, rootScale)), id="joint under %s scaled joint%s" % (
    kind, "" if compensate else ", not compensated"))
    for compensate in (True, False) for kind, rootScale in (("uniform", (2, 2, 2)),
                                                            ("non-uniform", (1, 3, 0.5)))
] + [  # a control mirrored by its own negative scale, written onto itself in whole or part
    pytest.param(dict(translate=(1, 2, 3), rotate=(30, 40, 50), scale=(-1, 1, 1), onto=flags),
                 id="mirrored by its own scale %s" % sorted(flags))
    for flags in (dict(), dict(withScale=False), dict(withTranslation=False))]


@pytest.mark.parametrize("attributes", AWKWARD)
def test_round_trips_of_awkward_transforms(rk, units, attributes):
    attributes = dict(attributes)
    if "joint" in attributes:
        cmds.select(clear=True)
        cmds.joint(name="root")
        compensate, rootScale = attributes.pop("joint")
        cmds.joint(name="n", position=(3, 0, 0), scaleCompensate=compensate)
        cmds.setAttr("root.scale", *rootScale)
        attributes.update(rotate=(10, 20, 30), jointOrient=(0, 15, 0), scale=(1.5, 1, 1))
    else:
        cmds.createNode("transform", name="n")
    working = dict(angle=attributes.pop("angleUnit", "degree"),
                   linear=attributes.pop("linearUnit", "cm"))
    onto = attributes.pop("onto", None)
    for name, values in attributes.items():
        cmds.setAttr("n." + name, *values)
    cmds.currentUnit(**working)
    assertRoundTrip(rk, onto is None, **(onto or {}))


def test_a_mirrored_target_is_reached_with_the_current_scale_signs(rk):
    transform("target", translate=(4, 0, 1), rotate=(10, -20, 70), scale=(-2, 1, 1))
    transform("n", scale=(-1, 1, 1))
    world = rk.Node("target").worldMatrix()
    rk.Node("n").setWorldMatrix(world)
    assert rk.Node("n").worldMatrix().isEquivalent(world, 1e-6)
    assert channels() == pytest.approx(channels("target"), abs=1e-6)


class TestDecomposition:
    @pytest.mark.parametrize("kind, attributes, translation, scale, order", [
        ("joint", dict(rotateOrder=(2,), rotate=(20, -35, 60), rotateAxis=(15, 0, -30),
                       jointOrient=(0, 45, 90), translate=(1, 2, 3), scale=(2, 2, 2)),
         (1, 2, 3), (2, 2, 2), 2),
        ("hikIKEffector", dict(rotate=(20, -35, 60), jointOrient=(90, 0, 45)),
         (0, 0, 0), (1, 1, 1), 0)])  # an effector's orient is a double3 of its own
    def test_channels_come_out_without_orient_and_rotate_axis(
            self, rk, kind, attributes, translation, scale, order):
        cmds.createNode(kind, name="j")
        for name, values in attributes.items():
            cmds.setAttr("j." + name, *values)
        node = rk.Node("j")
        record = node.decomposeLocalMatrix(node.localMatrix())
        assert vectorOf(record.translation) == pytest.approx(translation)
        assert vectorOf(record.scale) == pytest.approx(scale)
        assert [math.degrees(a) for a in vectorOf(record.rotation)] == pytest.approx(
            [20, -35, 60])
        assert record.rotation.order == order
        record = node.decomposeLocalMatrix(node.localMatrix(), withTranslation=False,
                                           withRotation=False, withScale=False)
        assert [vectorOf(v) for v in (record.translation, record.rotation, record.scale)] == [
            (0, 0, 0)] * 3

    @pytest.mark.parametrize("flags, kept, linear", [
        (dict(withRotation=False, withScale=False), ("rotate", "scale"), "cm"),
        (dict(withRotation=False), ("rotate",), "mm"), (dict(withScale=False), ("scale",), "cm"),
        (dict(withTranslation=False), ("translate",), "cm")])
    def test_a_partial_write_keeps_the_channels_not_asked_for(self, rk, units, flags, kept,
                                                                linear):
        transform("n", rotatePivot=(1, 0, 0), scalePivot=(0, 1, 0), shear=(0.2, 0, 0),
                  rotate=(10, 20, 30), scale=(2, 1, 1), translate=(7, 8, 9))
        target = om.MTransformationMatrix()
        target.setTranslation(om.MVector(4, 5, 6), om.MSpace.kTransform)
        target.rotateTo(om.MEulerRotation(0.3, -0.4, 0.5))
        target.setScale([1.5, 2.5, 0.5], om.MSpace.kTransform)
        target.setShear([0.2, 0, 0], om.MSpace.kTransform)
        cmds.currentUnit(linear=linear)
        before = {channel: cmds.getAttr("n." + channel)[0] for channel in CHANNELS}
        node = rk.Node("n")
        node.setWorldMatrix(target.asMatrix(), **flags)
        for channel in kept:
            assert cmds.getAttr("n." + channel)[0] == pytest.approx(before[channel])
        if "scale" not in kept:
            assert cmds.getAttr("n.scale")[0] == pytest.approx((1.5, 2.5, 0.5))
        world, wanted = node.worldMatrix(), target.asMatrix()
        if "translate" in kept:  # the rotation and scale reach the target's
            assert [world(r, c) for r in range(3) for c in range(3)] == pytest.approx(
                [wanted(r, c) for r in range(3) for c in range(3)])
        else:  # the translation, in working units, puts the pivot in place
            assert [world(3, i) for i in range(3)] == pytest.approx([4, 5, 6])


def keyed(rig, frames=(1, 11)):
    """The rig with its node's and parent's channels keyed at ``frames``, differently."""
    build(rig)
    for plug in ["%s.%s%s" % (n, channel, axis) for n in "pn" for channel in CHANNELS
                 for axis in "XYZ"]:
        value = cmds.getAttr(plug)
        for step, frame in enumerate(frames):
            shifted = value * (1.0 + 0.25 * step) if ".scale" in plug else value + 7.0 * step
            cmds.setKeyframe(plug, time=(frame,), value=shifted)


class TestOtherFrames:
    @settings(max_examples=25, deadline=None)
    # The current frame itself, or one far enough from it for the pose to differ.
    @given(rigs(), st.one_of(st.just(1.0), st.floats(1.5, 11.0)))
    def test_matrix_at_a_frame_is_the_one_read_after_moving_there(self, rk, rig, frame):
        keyed(rig)
        cmds.currentTime(frame)
        expected = rk.Node("n").worldMatrix()
        cmds.currentTime(1)
        node = rk.Node("n")
        if frame != 1.0:
            assert not expected.isEquivalent(node.worldMatrix(), 1e-6)
        assert node.worldMatrixAtFrame(frame).isEquivalent(expected, 1e-9)
        assert cmds.currentTime(query=True) == 1.0
        assert cmds.ls(type="passMatrix") == []
        if frame == 1.0:  # the current frame needs no temporary node
            assert dummyCalls() == []

    @pytest.mark.parametrize("canStep, refused", [
        (True, None), (False, None), (False, (cmds, "connectAttr")),
        (False, (None, "MFnMatrixData"))],
        ids=["stepping", "temporary node", "connection refused", "evaluation refused"])
    def test_a_temporary_node_only_where_the_stepper_cannot_step_and_never_left(
            self, rk, monkeypatch, canStep, refused):
        transform("n", rotateZ=(90,))
        cmds.setKeyframe("n.rotatePivotX", time=(1,), value=0.0)
        cmds.setKeyframe("n.rotatePivotX", time=(9,), value=8.0)
        cmds.currentTime(1)
        CORE.frameStepper.canStep = canStep
        node = rk.Node("n")
        if refused:
            monkeypatch.setattr(refused[0] or rk, refused[1], refuse)
        with FrameStepper() as stepper:
            with pytest.raises(RuntimeError, match="refused") if refused else nullContext():
                matrix = node.worldMatrixAtFrame(7, stepper)
        assert stepper.steps == [(7, canStep)]
        assert cmds.currentTime(query=True) == 1.0 and cmds.ls(type="passMatrix") == []
        assert dummyCalls() == ([] if canStep else [
            ("createNode", ("Zentrik_Dummy_Matrix", "passMatrix", False, False)),
            ("deleteNode", ("Zentrik_Dummy_Matrix",))])
        if canStep:
            assert [n.fullName() for n in stepper.registered] == ["|n"]
        if not refused:  # the matrix sits at the rotate pivot, read at frame 7 too
            assert [matrix(3, i) for i in range(3)] == pytest.approx([6.0, 0.0, 0.0])


class TestMatricesRead:
    @pytest.fixture
    def turned(self):
        """"p" moved, turned and scaled; "n" under it, turned about its own rotate axis."""
        transform("p", translate=(1, 2, 3), rotate=(0, 90, 0), scale=(2, 2, 2))
        cmds.createNode("transform", name="n", parent="p")
        for attribute, values in (("translate", (1, 0, 0)), ("rotate", (0, 0, 90)),
                                  ("rotateAxis", (90, 0, 0)), ("scale", (3, 1, 1))):
            cmds.setAttr("n." + attribute, *values)

    def test_world_matrix_sits_at_the_rotate_pivot(self, rk):
        transform("n", rotatePivot=(1, 0, 0), rotateZ=(90,), translate=(0, 0, 5))
        world = rk.Node("n").worldMatrix()
        assert world.isEquivalent(om.MEulerRotation(0, 0, math.pi / 2).asMatrix()
                                  * om.MMatrix([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 5, 1]),
                                  1e-9)

    def test_parent_matrix_is_the_parents_world_matrix(self, rk, turned):
        expected = (om.MMatrix([2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1])
                    * om.MEulerRotation(0, math.pi / 2, 0).asMatrix()
                    * om.MMatrix([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1]))
        assert rk.Node("n").parentMatrix().isEquivalent(expected, 1e-9)
        assert rk.Node("p").parentMatrix().isEquivalent(om.MMatrix(), 1e-12)

    def test_matrix_with_world_rotation_keeps_the_local_translation_and_scale(
            self, rk, turned):
        cmds.setAttr("n.rotateAxis", 0, 0, 0)
        m = rk.Node("n").matrixWithWorldRotation()
        # The world rotation: the node's turn, then its parent's.
        world = (om.MEulerRotation(0, 0, math.pi / 2).asMatrix()
                 * om.MEulerRotation(0, math.pi / 2, 0).asMatrix())
        split = om.MTransformationMatrix(m)
        assert split.asRotateMatrix().isEquivalent(world, 1e-9)
        assert vectorOf(split.getTranslation(om.MSpace.kTransform)) == pytest.approx((1, 0, 0))
        assert [math.sqrt(sum(m(r, c) ** 2 for c in range(3))) for r in range(3)] == \
            pytest.approx([3, 1, 1])


# What makes the write impossible: an entry of the target matrix (row-major
# index), an axis of the node's own shear, or a part of the solved channels.
@pytest.mark.parametrize("kind, where, value", [
    ("matrix", 0, float("nan")), ("matrix", 13, float("inf")), ("matrix", 10, float("-inf")),
    ("shear", 1, 1e200), ("shear", 0, 1e200), ("solve", "rotation", float("nan")),
    ("solve", "scale", float("inf"))])
def test_a_matrix_that_is_not_finite_is_reported_and_nothing_is_written(
        rk, errors, kind, where, value):
    """A finite target that the node's own huge shear makes unreachable is refused too."""
    class Solved(rk.Node):
        def decomposeLocalMatrix(self, *args):
            values = rk.Node.decomposeLocalMatrix(self, *args)
            if kind == "solve":
                getattr(values, where).y = value
            return values

    transform("n", translate=(1, 2, 3), rotate=(10, 20, 30))
    cmds.createNode("transform", name="child", parent="n")
    node = Solved("n")
    read = node.worldMatrix()
    values = [read(r, c) for r in range(4) for c in range(4)]
    if kind == "shear":
        cmds.setAttr("n.shear" + ("XY", "XZ", "YZ")[where], value)
    elif kind == "matrix":
        values[where] = value
    before = channels()
    world = om.MMatrix()
    om.MScriptUtil.createMatrixFromList(values, world)
    node.setWorldMatrix(world)
    assert channels() == before
    assert all(math.isfinite(v) for v in cmds.xform("child", query=True, worldSpace=True,
                                                    translation=True))
    reason = "it holds a number that is" if kind == "matrix" else "the channels it needs are"
    assert errors == ["Zentrik - Could not set the world matrix of n: %s not finite" % reason]
