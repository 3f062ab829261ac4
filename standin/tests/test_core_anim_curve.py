"""The suite core's anim-curve wrapper, and the key flags of the Maya stand-in
that its key kinds rest on."""
import pytest
from maya import _keys, _scene, cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma

from Zentrik._api.__hybrid__._core import AnimCurve


def keyed_curve(plug, keys):
    """Key ``plug`` at each (frame, value) and return its curve's name."""
    for frame, value in keys:
        cmds.setKeyframe(plug, time=(frame,), value=value)
    return cmds.keyframe(plug, query=True, name=True)[0]


def curve_fn(name):
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    return oma.MFnAnimCurve(obj)


@pytest.fixture
def curve():
    cmds.createNode("transform", name="ball")
    return keyed_curve("ball.translateX", [(1, 0.0), (5, 2.0), (9, 4.0)])


def test_breakdown_set_by_command_is_what_the_api_and_query_read(curve):
    assert cmds.keyframe(curve, edit=True, index=(1, 1), breakdown=True) == 1
    fn = curve_fn(curve)
    assert [fn.isBreakdown(i) for i in range(3)] == [False, True, False]
    assert cmds.keyframe("ball.translateX", query=True, breakdown=True) == [5.0]
    fn.setIsBreakdown(1, False)
    fn.setIsBreakdown(2, True)
    assert cmds.keyframe(curve, query=True, breakdown=True) == [9.0]


def test_key_flags_follow_their_key_through_edits(curve):
    cmds.keyframe(curve, edit=True, time=(9, 9), breakdown=True, tickDrawSpecial=True)
    cmds.keyframe(curve, edit=True, time=(9, 9), timeChange=3)
    cmds.setKeyframe("ball.translateX", time=(3,), value=7.0)
    cmds.setKeyframe("ball.translateX", time=(7,), value=1.0)
    assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 3.0, 5.0, 7.0]
    assert cmds.keyframe(curve, query=True, breakdown=True) == [3.0]
    assert cmds.getAttr("ball.translateX", time=3) == 7.0


def test_breakdown_of_a_missing_key_raises(curve):
    fn = curve_fn(curve)
    with pytest.raises(RuntimeError):
        fn.isBreakdown(3)
    with pytest.raises(RuntimeError):
        fn.setIsBreakdown(-1, True)


# --- the suite's AnimCurve ------------------------------------------------------


def key_kinds(name):
    """(breakdown, tickDrawSpecial) of every key of the curve, from the model."""
    curve = _scene.SCENE.resolve(name)[0]
    return [(_keys.isBreakdown(k), _keys.isTickDrawSpecial(k)) for k in curve.keys]


def test_key_times_are_ui_frames_and_values_internal_units():
    cmds.createNode("transform", name="ball")
    keyed_curve("ball.translateX", [(24, 1.0), (12, 2.0)])
    keyed_curve("ball.rotateY", [(12, 90.0)])
    cmds.currentUnit(time="ntsc", linear="m")
    translate, rotate = AnimCurve("ball_translateX"), AnimCurve("ball_rotateY")
    assert translate.keyTimes == [15.0, 30.0]
    assert translate.keyValues == [2.0, 1.0]
    assert rotate.keyValues == [pytest.approx(1.5707963267948966)]
    cmds.setKeyframe("ball.translateX", time=(5,), value=3.0)
    assert translate.keyTimes == [5.0, 15.0, 30.0]
    assert translate.keyValues == [300.0, 2.0, 1.0]


def test_wrapper_follows_a_renamed_curve(curve):
    wrapped = AnimCurve(curve)
    cmds.rename(curve, "renamed")
    assert wrapped.name() == "renamed"
    assert repr(wrapped) == "AnimCurve('renamed')"
    wrapped.setKeyKindAt(index=0, keyKind=AnimCurve.KEY_BREAKDOWN)
    assert cmds.keyframe("renamed", query=True, breakdown=True) == [1.0]


@pytest.mark.parametrize("name, error", [("nothing", RuntimeError), ("ball", RuntimeError)])
def test_only_an_existing_curve_can_be_wrapped(curve, name, error):
    with pytest.raises(error):
        AnimCurve(name)


def test_each_key_kind_replaces_the_previous_one(curve):
    wrapped = AnimCurve(curve)
    plain = (False, False)
    for kind, flags in [(AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_BREAKDOWN, (True, False)),
                        (AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_DEFAULT, plain)]:
        wrapped.setKeyKindAt(index=1, keyKind=kind, actionId=7)
        assert key_kinds(curve) == [plain, flags, plain]
    assert len({AnimCurve.KEY_DEFAULT, AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL}) == 3


@pytest.mark.parametrize("index, kind, error", [
    (3, AnimCurve.KEY_BREAKDOWN, IndexError), (-1, AnimCurve.KEY_SPECIAL, IndexError),
    (None, AnimCurve.KEY_DEFAULT, TypeError), (0, "smooth", ValueError),
])
def test_a_kind_for_a_missing_key_or_an_unknown_kind_raises(curve, index, kind, error):
    with pytest.raises(error):
        AnimCurve(curve).setKeyKindAt(index=index, keyKind=kind)
    assert key_kinds(curve) == [(False, False)] * 3


def curve_into(destination, angular=False):
    """A keyed curve rewired to feed ``destination`` alone; returns its name."""
    holder = cmds.createNode("transform", skipSelect=True)
    plug = "%s.%s" % (holder, "rotateX" if angular else "translateX")
    name = keyed_curve(plug, [(1, 1.0), (5, 2.0)])
    cmds.disconnectAttr(name + ".output", plug)
    cmds.connectAttr(name + ".output", destination)
    return name


def blend(nodeType, name):
    return cmds.createNode(nodeType, name=name, skipSelect=True)


def single_blends(count):
    """count linear blends in a chain ending on j.translateX; returns the first."""
    names = [blend("animBlendNodeAdditiveDL", "layer%d" % i) for i in range(count)]
    for near, far in zip(names, names[1:]):
        cmds.connectAttr(near + ".output", far + ".inputA")
    cmds.connectAttr(names[-1] + ".output", "j.translateX")
    return names[0]


def rotation_blends(count, byChild):
    """count rotation blends chained by their compounds, the last one's output
    feeding j.rotate as a whole or child by child; returns the first."""
    names = [blend("animBlendNodeAdditiveRotation", "turn%d" % i) for i in range(count)]
    for near, far in zip(names, names[1:]):
        cmds.connectAttr(near + ".output", far + ".inputA")
    if byChild:
        for axis in "XYZ":
            cmds.connectAttr("%s.output%s" % (names[-1], axis), "j.rotate" + axis)
    else:
        cmds.connectAttr(names[-1] + ".output", "j.rotate")
    return names[0]


@pytest.mark.parametrize("wire, expected", [
    (lambda: curve_into("j.translateY"), "j.translateY"),
    (lambda: curve_into(single_blends(1) + ".inputB"), "j.translateX"),
    (lambda: curve_into(single_blends(3) + ".inputB"), "j.translateX"),
    (lambda: curve_into(rotation_blends(1, True) + ".inputBY", True), "j.rotateY"),
    (lambda: curve_into(rotation_blends(1, False) + ".inputBZ", True), "j.rotateZ"),
    (lambda: curve_into(rotation_blends(2, False) + ".inputBX", True), "j.rotateX"),
    (lambda: curve_into(rotation_blends(2, True) + ".inputAY", True), "j.rotateY"),
    (lambda: curve_into(blend("animBlendNodeAdditiveScale", "size") + ".inputB"), None),
    (lambda: cmds.createNode("animCurveTL", name="loose"), None),
], ids=["direct", "one blend", "three blends", "rotation by child", "rotation by compound",
        "two rotations by compound", "two rotations by child", "blend feeds nothing",
        "curve feeds nothing"])
def test_driven_plug_is_found_through_layer_blends(wire, expected):
    cmds.createNode("joint", name="j")
    driven = AnimCurve(wire()).drivenPlug
    assert (driven.name() if driven is not None else None) == expected
