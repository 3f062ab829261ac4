"""Node's matrices: the world matrix read (now, at other frames), split, and written back."""
import math

import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds
import maya.OpenMaya as om

from Zentrik._api.__hybrid__._core import CORE, FrameStepper

ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")
CHANNELS = ("translate", "rotate", "scale")

wide = st.floats(-170.0, 170.0)
narrow = st.floats(-80.0, 80.0)  # the middle angle of an order: Euler angles stay unique
offset = st.floats(-20.0, 20.0)
size = st.floats(0.3, 3.0)
slant = st.floats(-0.5, 0.5)
vector = st.tuples(offset, offset, offset)


@st.composite
def rotations(draw):
    """An order and rotate channels whose middle angle is within ±80° (unique Euler angles)."""
    order = draw(st.integers(0, 5))
    angles = dict(zip(ORDERS[order], (draw(wide), draw(narrow), draw(wide))))
    return order, (angles["x"], angles["y"], angles["z"])


@st.composite
def rigs(draw):
    """A transform or joint under a moved, turned, scaled parent, every component off rest."""
    order, rotate = draw(rotations())
    kind = draw(st.sampled_from(["transform", "joint"]))
    return dict(
        kind=kind, order=order, rotate=rotate, scale=draw(st.tuples(size, size, size)),
        rotateAxis=(draw(wide), draw(wide), draw(wide)), translate=draw(vector),
        rotatePivot=draw(vector), scalePivot=draw(vector), rotatePivotTranslate=draw(vector),
        scalePivotTranslate=draw(vector), shear=draw(st.tuples(slant, slant, slant)),
        jointOrient=(draw(wide), draw(wide), draw(wide)),
        parent=dict(kind=draw(st.sampled_from(["transform", "joint"])) if kind == "joint"
                    else "transform",
                    translate=draw(vector), rotate=(draw(wide), draw(wide), draw(wide)),
                    scale=draw(st.tuples(size, size, size)), order=draw(st.integers(0, 5))))


OWN = {"transform": ("rotateAxis", "rotatePivot", "scalePivot", "rotatePivotTranslate",
                     "scalePivotTranslate", "shear"),
       "joint": ("rotateAxis", "jointOrient")}  # joints keep no pivots and no shear


def build(rig):
    """The rig's parent "p" and node "n", built through commands."""
    cmds.file(new=True, force=True)
    CORE.resetRecords()
    parent = rig["parent"]
    cmds.createNode(parent["kind"], name="p")
    cmds.setAttr("p.rotateOrder", parent["order"])
    for channel in CHANNELS:
        cmds.setAttr("p." + channel, *parent[channel])
    cmds.createNode(rig["kind"], name="n", parent="p")
    if parent["kind"] == "joint":  # compensation on, as the joint tool makes it
        cmds.connectAttr("p.scale", "n.inverseScale")
    cmds.setAttr("n.rotateOrder", rig["order"])
    for channel in CHANNELS + OWN[rig["kind"]]:
        cmds.setAttr("n." + channel, *rig[channel])


def channels(name="n"):
    return [cmds.getAttr("%s.%s" % (name, channel))[0] for channel in CHANNELS]


def assertChannels(actual, expected, tolerance=1e-6):
    for got, wanted in zip(actual, expected):
        assert got == pytest.approx(wanted, abs=tolerance)


def worldAt(node, frame):
    """The node's world matrix read after moving to ``frame``."""
    now = cmds.currentTime(query=True)
    cmds.currentTime(frame)
    try:
        return node.worldMatrix()
    finally:
        cmds.currentTime(now)


def dummyCalls():
    return [call[1] for call in CORE.calls if call[0] == "graphKit"]


def vectorOf(v):
    return (v.x, v.y, v.z)


def entries(m):
    return [round(m(r, c), 6) for r in range(4) for c in range(4)]


def roundTrip(rk, name="n"):
    """The channels before, and after resetting them and setting the world matrix read first."""
    before = channels(name)
    node = rk.Node(name)
    world = node.worldMatrix()
    for channel, rest in zip(CHANNELS, (0.0, 0.0, 1.0)):
        cmds.setAttr("%s.%s" % (name, channel), rest, rest, rest)
    node.setWorldMatrix(world)
    placed = rk.Node(name).worldMatrix()
    assert placed.isEquivalent(world, 1e-6), (entries(placed), entries(world))
    return before, channels(name)


@pytest.fixture
def units():
    """Puts the working units back afterwards: Maya keeps them across new scenes."""
    linear = cmds.currentUnit(query=True, linear=True)
    angular = cmds.currentUnit(query=True, angle=True)
    yield
    cmds.currentUnit(linear=linear, angle=angular)


class TestRoundTrip:
    @settings(max_examples=60, deadline=None)
    @given(rigs())
    def test_setting_the_world_matrix_read_keeps_every_channel(self, rk, rig):
        build(rig)
        before, after = roundTrip(rk)
        assertChannels(after, before)

    def test_world_matrix_sits_at_the_rotate_pivot(self, rk):
        cmds.createNode("transform", name="n")
        cmds.setAttr("n.rotatePivot", 1, 0, 0)
        cmds.setAttr("n.rotateZ", 90)
        cmds.setAttr("n.translate", 0, 0, 5)
        world = rk.Node("n").worldMatrix()
        assert world.isEquivalent(om.MEulerRotation(0, 0, math.pi / 2).asMatrix()
                                  * om.MMatrix([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 5, 1]),
                                  1e-9)


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

    def test_nothing_asked_gives_three_zero_vectors(self, rk):
        cmds.createNode("transform", name="n")
        cmds.setAttr("n.translate", 1, 2, 3)
        cmds.setAttr("n.rotate", 10, 20, 30)
        node = rk.Node("n")
        record = node.decomposeLocalMatrix(node.localMatrix(), withTranslation=False,
                                           withRotation=False, withScale=False)
        assert [vectorOf(v) for v in (record.translation, record.rotation, record.scale)] == [
            (0, 0, 0)] * 3

    def test_without_rotation_only_translation_and_scale_are_written(self, rk, units):
        cmds.createNode("transform", name="n")
        cmds.setAttr("n.rotate", 10, 20, 30)
        target = om.MTransformationMatrix()
        target.setTranslation(om.MVector(1, 2, 3), om.MSpace.kTransform)
        target.setScale([2.0, 3.0, 4.0], om.MSpace.kTransform)
        cmds.currentUnit(linear="mm")
        rk.Node("n").setWorldMatrix(target.asMatrix(), withRotation=False)
        assert cmds.getAttr("n.scale")[0] == pytest.approx((2, 3, 4))
        assert cmds.getAttr("n.translate")[0] == pytest.approx((10, 20, 30))  # working units
        assert cmds.getAttr("n.rotate")[0] == pytest.approx((10, 20, 30))


def keyed(rig, frames=(1, 11)):
    """The rig with its node's and parent's channels keyed at ``frames``, differently."""
    build(rig)
    for name in ("p", "n"):
        for channel in CHANNELS:
            values = cmds.getAttr("%s.%s" % (name, channel))[0]
            for step, frame in enumerate(frames):
                shifted = [v * (1.0 + 0.25 * step) if channel == "scale" else v + 7.0 * step
                           for v in values]
                for axis, value in zip("XYZ", shifted):
                    cmds.setKeyframe("%s.%s%s" % (name, channel, axis), time=(frame,),
                                     value=value)


class TestOtherFrames:
    @settings(max_examples=25, deadline=None)
    # The current frame itself, or one far enough from it for the pose to differ.
    @given(rigs(), st.one_of(st.just(1.0), st.floats(1.5, 11.0)))
    def test_matrix_at_a_frame_is_the_one_read_after_moving_there(self, rk, rig, frame):
        keyed(rig)
        cmds.currentTime(1)
        node = rk.Node("n")
        expected = worldAt(node, frame)
        if frame != 1.0:
            assert not expected.isEquivalent(node.worldMatrix(), 1e-6)
        assert node.worldMatrixAtFrame(frame).isEquivalent(expected, 1e-9)
        assert cmds.currentTime(query=True) == 1.0
        assert cmds.ls(type="passMatrix") == []

    def test_current_frame_needs_no_temporary_node(self, rk, sliding):
        cmds.currentTime(5)
        node = rk.Node("n")
        assert node.worldMatrixAtFrame(5).isEquivalent(node.worldMatrix(), 1e-12)
        assert dummyCalls() == []

    @pytest.mark.parametrize("canStep", [True, False])
    def test_a_stepper_that_steps_needs_no_temporary_node(self, rk, sliding, canStep):
        CORE.frameStepper.canStep = canStep
        node = rk.Node("n")
        with FrameStepper() as stepper:
            matrix = node.worldMatrixAtFrame(7, stepper)
        assert matrix(3, 0) == pytest.approx(6.0)
        assert stepper.steps == [(7, canStep)]
        assert cmds.currentTime(query=True) == 1.0 and cmds.ls(type="passMatrix") == []
        if canStep:
            assert dummyCalls() == []
            assert [n.fullName() for n in stepper.registered] == ["|n"]
        else:  # the temporary node
            assert [call for call in CORE.calls if call[0] == "graphKit"] == [
                ("graphKit", "createNode", ("Zentrik_Dummy_Matrix", "passMatrix", False, False)),
                ("graphKit", "deleteNode", ("Zentrik_Dummy_Matrix",))]


class _FailingCommands(object):
    """maya.cmds with connectAttr failing, as a refused connection does."""

    def __getattr__(self, name):
        return getattr(cmds, name)

    @staticmethod
    def connectAttr(*args, **kwargs):
        raise RuntimeError("connectAttr refused")


def _failingMatrixData(*args):
    raise RuntimeError("no matrix data")


class TestTemporaryNode:
    @pytest.mark.parametrize("name, replacement, message", [
        ("cmds", _FailingCommands(), "connectAttr refused"),
        ("MFnMatrixData", _failingMatrixData, "no matrix data"),
    ], ids=["connection", "evaluation"])
    def test_a_failing_evaluation_leaves_no_temporary_node(
            self, rk, sliding, monkeypatch, name, replacement, message):
        node = rk.Node("n")
        monkeypatch.setitem(rk.__dict__, name, replacement)
        with pytest.raises(RuntimeError, match=message):
            node.worldMatrixAtFrame(4)
        assert dummyCalls() == ["createNode", "deleteNode"]
        assert cmds.ls(type="passMatrix") == []


def jointUnderScaledJoint(compensate, rootScale):
    cmds.select(clear=True)
    cmds.joint(name="root")
    cmds.joint(name="n", position=(3, 0, 0), scaleCompensate=compensate)
    cmds.setAttr("root.scale", *rootScale)
    for name, values in (("rotate", (10, 20, 30)), ("jointOrient", (0, 15, 0)),
                         ("scale", (1.5, 1, 1))):
        cmds.setAttr("n." + name, *values)


# Set-ups the generated rigs, with every component off rest at once, do not make.
@pytest.mark.parametrize("attributes", [
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
                                                            ("non-uniform", (1, 3, 0.5)))])
def test_round_trips_of_awkward_transforms(rk, units, attributes):
    attributes = dict(attributes)
    if "joint" in attributes:
        jointUnderScaledJoint(*attributes.pop("joint"))
    else:
        cmds.createNode("transform", name="n")
    working = dict(angle=attributes.pop("angleUnit", "degree"),
                   linear=attributes.pop("linearUnit", "cm"))
    for name, values in attributes.items():
        cmds.setAttr("n." + name, *values)
    cmds.currentUnit(**working)
    before, after = roundTrip(rk)
    assertChannels(after, before)


class TestPartialWrites:
    """A world matrix written in part: other channels kept, the rotate pivot at the target."""

    @pytest.fixture
    def pivoted(self):
        cmds.createNode("transform", name="n")
        cmds.setAttr("n.rotatePivot", 1, 0, 0)
        cmds.setAttr("n.scalePivot", 0, 1, 0)
        cmds.setAttr("n.shear", 0.2, 0, 0)
        cmds.setAttr("n.rotate", 10, 20, 30)
        cmds.setAttr("n.scale", 2, 1, 1)
        return "n"

    def target(self):
        t = om.MTransformationMatrix()
        t.setTranslation(om.MVector(4, 5, 6), om.MSpace.kTransform)
        t.rotateTo(om.MEulerRotation(0.3, -0.4, 0.5))
        t.setScale([1.5, 2.5, 0.5], om.MSpace.kTransform)
        t.setShear([0.2, 0, 0], om.MSpace.kTransform)
        return t.asMatrix()

    @pytest.mark.parametrize("flags, kept", [
        (dict(withRotation=False, withScale=False), ("rotate", "scale")),
        (dict(withRotation=False), ("rotate",)), (dict(withScale=False), ("scale",)),
        (dict(withTranslation=False), ("translate",))])
    def test_the_channels_not_asked_for_are_kept(self, rk, pivoted, flags, kept):
        cmds.setAttr("n.translate", 7, 8, 9)
        before = dict(zip(CHANNELS, channels()))
        node = rk.Node("n")
        node.setWorldMatrix(self.target(), **flags)
        for channel in kept:
            assert cmds.getAttr("n." + channel)[0] == pytest.approx(before[channel])
        world, wanted = node.worldMatrix(), self.target()
        if "translate" in kept:  # the rotation and scale reach the target's
            assert [world(r, c) for r in range(3) for c in range(3)] == pytest.approx(
                [wanted(r, c) for r in range(3) for c in range(3)])
        else:  # the translation puts the pivot in place
            assert [world(3, i) for i in range(3)] == pytest.approx([4, 5, 6])


class TestOtherMatrices:
    @pytest.fixture
    def turned(self):
        """"p" moved, turned and scaled; "n" under it, turned about its own rotate axis."""
        cmds.createNode("transform", name="p")
        cmds.setAttr("p.translate", 1, 2, 3)
        cmds.setAttr("p.rotate", 0, 90, 0)
        cmds.setAttr("p.scale", 2, 2, 2)
        cmds.createNode("transform", name="n", parent="p")
        cmds.setAttr("n.translate", 1, 0, 0)
        cmds.setAttr("n.rotate", 0, 0, 90)
        cmds.setAttr("n.rotateAxis", 90, 0, 0)
        cmds.setAttr("n.scale", 3, 1, 1)

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


def test_animated_pivot_is_read_at_the_frame_asked_for(rk):
    cmds.createNode("transform", name="n")
    cmds.setAttr("n.rotateZ", 90)
    cmds.setKeyframe("n.rotatePivotX", time=(1,), value=0.0)
    cmds.setKeyframe("n.rotatePivotX", time=(9,), value=8.0)
    cmds.currentTime(1)
    node = rk.Node("n")
    expected = worldAt(node, 9)
    assert expected(3, 0) == pytest.approx(8.0)
    assert node.worldMatrixAtFrame(9).isEquivalent(expected, 1e-9)
    assert cmds.currentTime(query=True) == 1.0


@pytest.mark.parametrize("row, column, value", [
    (0, 0, float("nan")), (3, 1, float("inf")), (2, 2, float("-inf"))])
def test_a_matrix_that_is_not_finite_is_reported_and_nothing_is_written(
        rk, errors, row, column, value):
    cmds.createNode("transform", name="n")
    cmds.createNode("transform", name="child", parent="n")
    cmds.setAttr("n.translate", 1, 2, 3)
    before = channels()
    node = rk.Node("n")
    read = node.worldMatrix()
    values = [read(r, c) for r in range(4) for c in range(4)]
    values[row * 4 + column] = value
    world = om.MMatrix()
    om.MScriptUtil.createMatrixFromList(values, world)
    node.setWorldMatrix(world)
    assert channels() == before
    assert all(math.isfinite(v) for v in cmds.xform("child", query=True, worldSpace=True,
                                                    translation=True))
    assert errors == ["Zentrik - Could not set the world matrix of n: it holds a number that "
                      "is not finite"]


class TestMirroredByItsOwnScale:
    """A control mirrored by its own negative scale keeps its channels when written back."""

    @pytest.mark.parametrize("flags", [
        dict(), dict(withScale=False), dict(withTranslation=False)])
    def test_its_own_world_matrix_keeps_every_channel(self, rk, flags):
        cmds.createNode("transform", name="n")
        for channel, values in zip(CHANNELS, ((1, 2, 3), (30, 40, 50), (-1, 1, 1))):
            cmds.setAttr("n." + channel, *values)
        before = channels()
        node = rk.Node("n")
        node.setWorldMatrix(node.worldMatrix(), **flags)
        assertChannels(channels(), before)

    def test_a_mirrored_target_is_reached_with_the_current_scale_signs(self, rk):
        cmds.createNode("transform", name="target")
        for channel, values in zip(CHANNELS, ((4, 0, 1), (10, -20, 70), (-2, 1, 1))):
            cmds.setAttr("target." + channel, *values)
        cmds.createNode("transform", name="n")
        cmds.setAttr("n.scale", -1, 1, 1)
        world = rk.Node("target").worldMatrix()
        rk.Node("n").setWorldMatrix(world)
        assert rk.Node("n").worldMatrix().isEquivalent(world, 1e-6)
        assertChannels(channels(), channels("target"))
