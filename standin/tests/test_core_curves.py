"""The suite core's anim-curve wrapper (keys and key kinds, what a curve
drives, its layer, its Euler filter) and the key flags its key kinds rest on."""
import math
import sys

import pytest
from maya import cmds
import maya.OpenMayaAnim as oma
from scene_lookup import dependNode

from Zentrik._api.__hybrid__._core import CORE, AnimCurve


def keyed_curve(plug, keys):
    """Key ``plug`` at each (frame, value) and return its curve's name."""
    for frame, value in keys:
        cmds.setKeyframe(plug, time=(frame,), value=value)
    return cmds.keyframe(plug, query=True, name=True)[0]


def test_breakdown_set_by_command_or_api_is_read_by_both_and_follows_its_key(curve):
    assert cmds.keyframe(curve, edit=True, index=(1, 1), breakdown=True) == 1
    fn = oma.MFnAnimCurve(dependNode(curve))
    assert [fn.isBreakdown(i) for i in range(3)] == [False, True, False]
    assert cmds.keyframe("ball.translateX", query=True, breakdown=True) == [5.0]
    fn.setIsBreakdown(1, False)
    fn.setIsBreakdown(2, True)
    assert cmds.keyframe(curve, query=True, breakdown=True) == [9.0]
    for call in (lambda: fn.isBreakdown(3), lambda: fn.setIsBreakdown(-1, True)):
        with pytest.raises(RuntimeError):
            call()
    cmds.keyframe(curve, edit=True, time=(9, 9), tickDrawSpecial=True, timeChange=3)
    cmds.setKeyframe("ball.translateX", time=(3,), value=7.0)
    cmds.setKeyframe("ball.translateX", time=(7,), value=1.0)
    assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 3.0, 5.0, 7.0]
    assert cmds.keyframe(curve, query=True, breakdown=True) == [3.0]
    assert cmds.getAttr("ball.translateX", time=3) == 7.0


def key_kinds(name):
    """(breakdown, tickDrawSpecial) of every key, from the curve's per-key plugs."""
    count = len(cmds.keyframe(name, query=True, timeChange=True))
    return [tuple(cmds.getAttr("%s.%s[%d]" % (name, flag, i))
                  for flag in ("keyBreakdown", "keyTickDrawSpecial")) for i in range(count)]


def test_key_times_are_ui_frames_and_values_internal_units_that_only_angles_unwrap():
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
    # only angles are unwrapped: these jumps stay on a linear curve
    assert translate.smartEulerFilter(frameRange=[1, 30]) is False
    assert translate.keyValues == [300.0, 2.0, 1.0]


def test_only_a_curve_can_be_wrapped_and_the_wrapper_follows_it_until_it_is_deleted(curve):
    for name in ("nothing", "ball"):
        with pytest.raises(RuntimeError):
            AnimCurve(name)
    wrapped = AnimCurve(curve)
    cmds.rename(curve, "renamed")
    assert (wrapped.name(), repr(wrapped)) == ("renamed", "AnimCurve('renamed')")
    wrapped.setKeyKindAt(index=0, keyKind=AnimCurve.KEY_BREAKDOWN)
    assert cmds.keyframe("renamed", query=True, breakdown=True) == [1.0]
    assert wrapped.exists()
    cmds.delete("renamed")
    assert not wrapped.exists()


@pytest.mark.standin_only
def test_each_key_kind_replaces_the_previous_one_and_a_missing_key_or_unknown_kind_raises(curve):
    wrapped = AnimCurve(curve)
    plain = (False, False)
    for index, kind, error in [
            (3, AnimCurve.KEY_BREAKDOWN, IndexError), (-1, AnimCurve.KEY_SPECIAL, IndexError),
            (None, AnimCurve.KEY_DEFAULT, TypeError), (0, "smooth", ValueError)]:
        with pytest.raises(error):
            wrapped.setKeyKindAt(index=index, keyKind=kind)
    assert key_kinds(curve) == [plain] * 3
    for kind, flags in [(AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_BREAKDOWN, (True, False)),
                        (AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_DEFAULT, plain)]:
        wrapped.setKeyKindAt(index=1, keyKind=kind, actionId=7)
        assert key_kinds(curve) == [plain, flags, plain]


def curve_into(destination, angular=False):
    """A keyed curve rewired to feed ``destination`` alone; returns its name."""
    holder = cmds.createNode("transform", skipSelect=True)
    plug = "%s.%s" % (holder, "rotateX" if angular else "translateX")
    name = keyed_curve(plug, [(1, 1.0), (5, 2.0)])
    cmds.disconnectAttr(name + ".output", plug)
    cmds.connectAttr(name + ".output", destination)
    return name


LINEAR, ROTATION = "animBlendNodeAdditiveDL", "animBlendNodeAdditiveRotation"
BY_CHILD = {"output" + axis: "rotate" + axis for axis in "XYZ"}


def blended(nodeType, count, input_, feeds=None, link=None):
    """A keyed curve into ``input_`` of the first of ``count`` chained blends, the
    last feeding j by ``feeds`` (its output attribute: j's attribute), the first
    tied to a layer "Layer1" by ``link`` ("weight" or "message"); the curve's name."""
    names = [cmds.createNode(nodeType, name="blend%d" % i, skipSelect=True) for i in range(count)]
    for near, far in zip(names, names[1:]):
        cmds.connectAttr(near + ".output", far + ".inputA")
    if feeds is None:
        feeds = {"output": "rotate" if nodeType == ROTATION else "translateX"}
    for output, attribute in feeds.items():
        cmds.connectAttr("%s.%s" % (names[-1], output), "j." + attribute)
    if link:
        layer = cmds.createNode("animLayer", name="Layer1", skipSelect=True)
        if link == "weight":
            cmds.connectAttr(layer + ".foregroundWeight", names[0] + ".weightB")
        else:
            cmds.connectAttr(names[0] + ".message", layer + ".blendNodes[0]")
    return curve_into("%s.%s" % (names[0], input_), angular=nodeType == ROTATION)


@pytest.mark.parametrize("wire, driven, layer", [
    (lambda: curve_into("j.translateY"), "j.translateY", None),
    (lambda: blended(LINEAR, 1, "inputB"), "j.translateX", None),
    (lambda: blended(LINEAR, 1, "inputA"), "j.translateX", None),
    (lambda: blended(LINEAR, 3, "inputB"), "j.translateX", None),
    (lambda: blended(LINEAR, 1, "inputB", link="weight"), "j.translateX", "Layer1"),
    (lambda: blended(LINEAR, 1, "inputB", link="message"), "j.translateX", "Layer1"),
    (lambda: blended(ROTATION, 1, "inputBY", BY_CHILD), "j.rotateY", None),
    (lambda: blended(ROTATION, 1, "inputBZ"), "j.rotateZ", None),
    (lambda: blended(ROTATION, 2, "inputBX"), "j.rotateX", None),
    (lambda: blended(ROTATION, 2, "inputAY", BY_CHILD), "j.rotateY", None),
    (lambda: blended(ROTATION, 1, "inputBY", link="weight"), "j.rotateY", "Layer1"),
    (lambda: blended(ROTATION, 1, "inputBY", link="message"), "j.rotateY", "Layer1"),
    (lambda: blended("animBlendNodeAdditiveScale", 1, "inputB", feeds={}), None, None),
    (lambda: cmds.createNode("animCurveTL", name="loose"), None, None),
], ids=["direct", "one blend", "blend input A", "three blends", "layer by weight",
        "layer by blendNodes", "rotation by child", "rotation by compound",
        "two rotations by compound", "two rotations by child", "rotation layer by weight",
        "rotation layer by blendNodes", "blend feeds nothing", "curve feeds nothing"])
def test_driven_plug_and_layer_are_found_through_layer_blends(wire, driven, layer):
    cmds.createNode("joint", name="j")
    curve = AnimCurve(wire())
    assert (curve.drivenPlug.name() if curve.drivenPlug else None, curve.animLayer) == \
        (driven, layer)


RIGKIT0 = "Zentrik._api.__hybrid__.rigkit0"


def custom_angle(plug):
    node, attr = plug.split(".")
    cmds.addAttr(node, longName=attr, attributeType="doubleAngle", keyable=True)
    return keyed_curve(plug, [(1, 1.0)])


@pytest.mark.parametrize("wire, nodeName, attrName, compound", [
    (lambda: keyed_curve("j.rotateY", [(1, 5.0)]), "|rig|j", "rotateY", "rotate"),
    (lambda: keyed_curve("j.translateY", [(1, 5.0)]), "|rig|j", "translateY", "translate"),
    (lambda: keyed_curve("j.scaleX", [(1, 5.0)]), "|rig|j", "scaleX", "scale"),
    (lambda: keyed_curve("j.visibility", [(1, 1.0)]), "|rig|j", "visibility", None),
    (lambda: custom_angle("j.twist"), "|rig|j", "twist", None),
    (lambda: curve_into("time1.outTime", True), "time1", "outTime", None),
    (lambda: cmds.createNode("animCurveTA", name="loose"), None, None, None),
], ids=["rotate channel", "translate channel", "scale channel", "visibility", "own angle",
        "dependency node", "feeds nothing"])
def test_driven_channel_names_its_node_attribute_compound_and_kind(
        wire, nodeName, attrName, compound):
    cmds.group(cmds.createNode("joint", name="j"), name="rig")
    name = wire()
    curve = AnimCurve(name)
    assert (curve.nodeName, curve.attrName, curve.parentAttribute) == (nodeName, attrName, compound)
    assert (curve.isTranslate, curve.isRotate, curve.isScale, curve.isRotation) == tuple(
        compound == kind for kind in ("translate", "rotate", "scale", "rotate"))
    assert curve.curveName == curve.name() == name


@pytest.mark.parametrize("loaded", [True, False])
def test_node_is_the_modules_node_wrapper_or_the_name(curve, monkeypatch, loaded):
    cmds.group("ball", name="rig")
    cmds.setAttr("ball.rotateOrder", 4)
    if loaded:
        rk = pytest.importorskip(RIGKIT0)
        node = AnimCurve(curve).node
        assert type(node) is rk.Node
        assert (node.fullName(), node.getAttr("ro")) == ("|rig|ball", 4)
    else:
        monkeypatch.delitem(sys.modules, RIGKIT0, raising=False)
        assert AnimCurve(curve).node == "|rig|ball"


def test_new_key_values_go_into_the_scene_key_by_key_unless_their_count_differs():
    cmds.createNode("transform", name="ball")
    name = keyed_curve("ball.rotateX", [(1, 0.0), (5, 90.0), (9, 180.0)])
    wrapped = AnimCurve(name)
    for wrong in ([1.0, 2.0], [1.0, 2.0, 3.0, 4.0], []):
        with pytest.raises(ValueError):
            wrapped.setProperty("newKeyValues", wrong)
    assert cmds.keyframe(name, query=True, valueChange=True) == [0.0, 90.0, 180.0]
    assert "newKeyValues" not in vars(wrapped)
    values = [0.0, math.pi / 2 + 2 * math.pi, -math.pi]
    wrapped.setProperty("newKeyValues", values)
    assert cmds.keyframe(name, query=True, valueChange=True) == pytest.approx([0.0, 450.0, -180.0])
    assert wrapped.keyValues == pytest.approx(values)
    assert wrapped.newKeyValues is values


def test_key_reads_follow_the_scene_and_refresh_drops_presets(curve):
    wrapped = AnimCurve(curve)
    wrapped.setProperty("keyValues", [9.0])
    wrapped.setProperty("nodeName", "elsewhere")
    cmds.setKeyframe("ball.translateX", time=(12,), value=6.0)
    assert (wrapped.numKeys, wrapped.keyValues) == (4, [9.0])
    wrapped.refreshKeys()
    assert (wrapped.keyTimes, wrapped.keyValues) == ([1.0, 5.0, 9.0, 12.0], [0.0, 2.0, 4.0, 6.0])
    assert wrapped.nodeName == "elsewhere"


# Degrees keyed on frames 1 to 5; the filter works in radians.
JUMPY = [0.0, 170.0, -170.0, -10.0, 10.0]


@pytest.mark.parametrize("frameRange, includePreviousKey, filterFlag, changed, expected", [
    ([1, 5], True, True, True, [0.0, 170.0, 190.0, 350.0, 370.0]),
    (None, True, True, True, [0.0, 170.0, 190.0, 350.0, 370.0]),
    ([3, 5], True, True, True, [0.0, 170.0, 190.0, 350.0, 370.0]),
    ([5, 3], True, True, True, [0.0, 170.0, 190.0, 350.0, 370.0]),
    ([3, 5], False, True, False, JUMPY),
    ([2, 3], True, True, True, [0.0, 170.0, 190.0, -10.0, 10.0]),
    ([2.5, None], True, True, True, [0.0, 170.0, 190.0, 350.0, 370.0]),
    ([1, 1], True, True, False, JUMPY),
    ([6, 9], True, True, False, JUMPY),
    ([1, 5], True, False, True, JUMPY),
], ids=["whole range", "no range", "previous key as reference", "range reversed",
        "first key in range as reference", "keys after the range untouched", "open end",
        "nothing before the only key", "no key in range", "dry run"])
def test_euler_filter_unwraps_the_keys_in_range(
        frameRange, includePreviousKey, filterFlag, changed, expected):
    cmds.createNode("transform", name="ball")
    name = keyed_curve("ball.rotateX", list(zip(range(1, 6), JUMPY)))
    result = AnimCurve(name).smartEulerFilter(
        frameRange=frameRange, includePreviousKey=includePreviousKey,
        filterFlag=filterFlag, actionId=7)
    assert result is changed
    assert cmds.keyframe(name, query=True, valueChange=True) == pytest.approx(expected)
    assert CORE.eulerFilterCalls == [dict(
        curve=name, frameRange=frameRange, includePreviousKey=includePreviousKey,
        filterFlag=filterFlag, actionId=7, changed=changed)]


@pytest.fixture
def layered_channel():
    """ball.translateX keyed on the base layer and on "Layer1": the names of
    the base curve, the layer and the layer's curve."""
    cmds.createNode("transform", name="ball")
    base = keyed_curve("ball.translateX", [(1, 1.0)])
    layer = cmds.animLayer("Layer1")
    cmds.animLayer(layer, edit=True, attribute="ball.translateX")
    cmds.setKeyframe("ball.translateX", time=(1,), value=3.0, animLayer=layer)
    return base, layer, cmds.animLayer(layer, query=True, animCurves=True)[0]


def test_a_layered_channels_curves_know_their_layer_and_a_smart_key_keeps_to_its_curve(
        layered_channel):
    base, layer, layerCurve = layered_channel
    assert (AnimCurve(layerCurve).animLayer, AnimCurve(base).animLayer) == (
        layer, "BaseAnimation")
    assert AnimCurve(layerCurve).nodeName == AnimCurve(base).nodeName == "|ball"
    cmds.currentTime(4)
    AnimCurve(layerCurve).setSmartKey()
    assert cmds.keyframe(layerCurve, query=True, timeChange=True) == [1.0, 4.0]
    assert cmds.keyframe(base, query=True, timeChange=True) == [1.0]


def test_key_kinds_and_tangents_are_read_per_key(curve):
    cmds.keyframe(curve, edit=True, index=(0, 0), breakdown=True)
    cmds.keyframe(curve, edit=True, index=(1, 1), breakdown=True, tickDrawSpecial=True)
    cmds.keyTangent(curve, index=(2, 2), inTangentType="linear", outTangentType="step")
    wrapper = AnimCurve(curve)
    assert wrapper.keyKinds == [AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL,
                                AnimCurve.KEY_DEFAULT]
    auto, linear, step = (oma.MFnAnimCurve.kTangentAuto, oma.MFnAnimCurve.kTangentLinear,
                          oma.MFnAnimCurve.kTangentStep)
    assert wrapper.tangentTypes == [[auto, auto], [auto, auto], [linear, step]]
    assert wrapper.keyIndices == [0, 1, 2]


@pytest.mark.parametrize("targetTime, selected, expected", [
    ((5, 9), None, [1, 2]), ((2, 4), None, []), (5, None, [1]), ((0, 100), (1, 1), [0, 1, 2]),
    (None, None, []), (None, (5, 9), [1, 2]),  # without a target time: the selected keys
])
def test_target_keys_are_those_within_the_target_time(curve, targetTime, selected, expected):
    if selected:
        cmds.selectKey(curve, time=selected)
    assert AnimCurve(curve, targetTime=targetTime).targetKeyIndices == expected


RISING = [(1, 0.0), (5, 2.0), (9, 10.0)]


@pytest.mark.parametrize("keys, frame, expected", [
    (RISING, 3, 0.5), (RISING, 5, 0.2), (RISING, 6, 0.25), (RISING, 1, None),
    (RISING, 0, None), (RISING, 12, None), ([(1, 3.0), (9, 3.0)], 5, None),
])
def test_interpolation_is_how_far_the_value_went_between_the_keys_around(keys, frame, expected):
    cmds.createNode("transform", name="ball")
    name = keyed_curve("ball.translateX", keys)
    assert AnimCurve(name).interpolationAt(frame) == expected


def test_index_of_a_time_allows_for_unit_rounding():
    times = [1.0, 5.0000000001, 9.0]
    assert (AnimCurve.findIndex(times, 5), AnimCurve.findIndex(times, 6)) == (1, None)


@pytest.mark.parametrize("keyFlag, expected", [(False, 7.0), (True, 3.0)])
def test_smart_key_keys_the_driven_plug_at_the_current_time(curve, keyFlag, expected):
    cmds.currentTime(7)
    cmds.setAttr("ball.translateX", 7.0)  # set by hand, not keyed
    AnimCurve(curve).setSmartKey(keyFlag=keyFlag, actionId="a1")
    assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 5.0, 7.0, 9.0]
    assert cmds.keyframe(curve, query=True, valueChange=True, time=(7, 7)) == [expected]
    assert CORE.smartKeys == [dict(curve=curve, time=7.0, keyFlag=keyFlag, actionId="a1")]
