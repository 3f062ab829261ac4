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


def test_breakdown_set_by_command_is_what_the_api_and_query_read(curve):
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


def test_key_flags_follow_their_key_through_edits(curve):
    cmds.keyframe(curve, edit=True, time=(9, 9), breakdown=True, tickDrawSpecial=True)
    cmds.keyframe(curve, edit=True, time=(9, 9), timeChange=3)
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


@pytest.mark.parametrize("name", ["nothing", "ball"])
def test_only_an_existing_curve_can_be_wrapped(curve, name):
    with pytest.raises(RuntimeError):
        AnimCurve(name)


@pytest.mark.standin_only
def test_each_key_kind_replaces_the_previous_one(curve):
    wrapped = AnimCurve(curve)
    plain = (False, False)
    for kind, flags in [(AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_BREAKDOWN, (True, False)),
                        (AnimCurve.KEY_SPECIAL, (False, True)),
                        (AnimCurve.KEY_DEFAULT, plain)]:
        wrapped.setKeyKindAt(index=1, keyKind=kind, actionId=7)
        assert key_kinds(curve) == [plain, flags, plain]


@pytest.mark.standin_only
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


RIGKIT0 = "Zentrik._api.__hybrid__.rigkit0"


def custom_angle(plug):
    node, attr = plug.split(".")
    cmds.addAttr(node, longName=attr, attributeType="doubleAngle", keyable=True)
    return keyed_curve(plug, [(1, 1.0)])


NONE = (False, False, False)


@pytest.mark.parametrize("wire, nodeName, attrName, parentAttribute, isRotation, kinds", [
    (lambda: keyed_curve("j.rotateY", [(1, 5.0)]), "|rig|j", "rotateY", "rotate", True,
     (False, True, False)),
    (lambda: keyed_curve("j.translateY", [(1, 5.0)]), "|rig|j", "translateY", "translate",
     False, (True, False, False)),
    (lambda: keyed_curve("j.scaleX", [(1, 5.0)]), "|rig|j", "scaleX", "scale", False,
     (False, False, True)),
    (lambda: keyed_curve("j.visibility", [(1, 1.0)]), "|rig|j", "visibility", None, False, NONE),
    (lambda: custom_angle("j.twist"), "|rig|j", "twist", None, False, NONE),
    (lambda: curve_into("time1.outTime", True), "time1", "outTime", None, False, NONE),
    (lambda: cmds.createNode("animCurveTA", name="loose"), None, None, None, False, NONE),
], ids=["rotate channel", "translate channel", "scale channel", "visibility", "own angle",
        "dependency node", "feeds nothing"])
def test_driven_channel_names_its_node_attribute_compound_and_kind(
        wire, nodeName, attrName, parentAttribute, isRotation, kinds):
    cmds.group(cmds.createNode("joint", name="j"), name="rig")
    name = wire()
    curve = AnimCurve(name)
    assert (curve.nodeName, curve.attrName, curve.parentAttribute, curve.isRotation) \
        == (nodeName, attrName, parentAttribute, isRotation)
    assert (curve.isTranslate, curve.isRotate, curve.isScale) == kinds
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


def test_new_key_values_go_into_the_scene_key_by_key():
    cmds.createNode("transform", name="ball")
    name = keyed_curve("ball.rotateX", [(1, 0.0), (5, 90.0), (9, 180.0)])
    wrapped = AnimCurve(name)
    values = [0.0, math.pi / 2 + 2 * math.pi, -math.pi]
    wrapped.setProperty("newKeyValues", values)
    assert cmds.keyframe(name, query=True, valueChange=True) == pytest.approx([0.0, 450.0, -180.0])
    assert wrapped.keyValues == pytest.approx(values)
    assert wrapped.newKeyValues is values


@pytest.mark.parametrize("values", [[1.0, 2.0], [1.0, 2.0, 3.0, 4.0], []])
def test_new_key_values_of_another_length_change_nothing(curve, values):
    wrapped = AnimCurve(curve)
    with pytest.raises(ValueError):
        wrapped.setProperty("newKeyValues", values)
    assert wrapped.keyValues == [0.0, 2.0, 4.0]
    assert "newKeyValues" not in vars(wrapped)


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


def test_euler_filter_leaves_a_linear_curve_alone():
    cmds.createNode("transform", name="ball")
    name = keyed_curve("ball.translateX", [(1, 0.0), (2, 100.0)])
    assert AnimCurve(name).smartEulerFilter(frameRange=[1, 2]) is False
    assert cmds.keyframe(name, query=True, valueChange=True) == [0.0, 100.0]
    assert CORE.eulerFilterCalls[-1]["changed"] is False


def by_weight(layer, blendName):
    cmds.connectAttr(layer + ".foregroundWeight", blendName + ".weightB")


def by_message(layer, blendName):
    cmds.connectAttr(blendName + ".message", layer + ".blendNodes[0]")


def layer1():
    return cmds.createNode("animLayer", name="Layer1", skipSelect=True)


@pytest.mark.parametrize("wire, layer", [
    (lambda: (by_weight(layer1(), single_blends(1)), curve_into("layer0.inputB")), "Layer1"),
    (lambda: (by_message(layer1(), single_blends(1)), curve_into("layer0.inputB")), "Layer1"),
    (lambda: (by_weight(layer1(), rotation_blends(1, False)),
              curve_into("turn0.inputBY", True)), "Layer1"),
    (lambda: (by_message(layer1(), rotation_blends(1, False)),
              curve_into("turn0.inputBY", True)), "Layer1"),
    (lambda: (None, curve_into("j.translateY")), None),
    (lambda: (None, curve_into(single_blends(1) + ".inputA")), None),
    (lambda: (None, curve_into(single_blends(1) + ".inputB")), None),
    (lambda: (None, cmds.createNode("animCurveTL", name="loose")), None),
], ids=["weight", "blendNodes", "rotation weight", "rotation blendNodes", "direct",
        "blend input A", "blend without layer", "feeds nothing"])
def test_a_curve_on_a_blends_input_b_belongs_to_the_blends_layer(wire, layer):
    cmds.createNode("joint", name="j")
    assert AnimCurve(wire()[1]).animLayer == layer


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


def test_base_and_layer_curves_of_a_layered_channel(layered_channel):
    base, layer, layerCurve = layered_channel
    assert (AnimCurve(layerCurve).animLayer, AnimCurve(base).animLayer) == (
        layer, "BaseAnimation")
    assert AnimCurve(layerCurve).nodeName == AnimCurve(base).nodeName == "|ball"

def test_key_kinds_and_tangents_are_read_per_key(curve):
    cmds.keyframe(curve, edit=True, index=(0, 0), breakdown=True)
    cmds.keyframe(curve, edit=True, index=(1, 1), breakdown=True, tickDrawSpecial=True)
    cmds.keyTangent(curve, index=(2, 2), inTangentType="linear", outTangentType="step")
    wrapper = AnimCurve(curve)
    assert wrapper.keyKinds == [AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL,
                                AnimCurve.KEY_DEFAULT]
    auto = oma.MFnAnimCurve.kTangentAuto
    assert wrapper.tangentTypes == [[auto, auto], [auto, auto],
                                    [oma.MFnAnimCurve.kTangentLinear,
                                     oma.MFnAnimCurve.kTangentStep]]
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


def test_index_of_a_time_allows_for_unit_rounding_and_a_deleted_curve_is_gone(curve):
    times = [1.0, 5.0000000001, 9.0]
    assert (AnimCurve.findIndex(times, 5), AnimCurve.findIndex(times, 6)) == (1, None)
    wrapper = AnimCurve(curve)
    assert wrapper.exists()
    cmds.delete(curve)
    assert not wrapper.exists()


@pytest.mark.parametrize("keyFlag, expected", [(False, 7.0), (True, 3.0)])
def test_smart_key_keys_the_driven_plug_at_the_current_time(curve, keyFlag, expected):
    cmds.currentTime(7)
    cmds.setAttr("ball.translateX", 7.0)  # set by hand, not keyed
    AnimCurve(curve).setSmartKey(keyFlag=keyFlag, actionId="a1")
    assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 5.0, 7.0, 9.0]
    assert cmds.keyframe(curve, query=True, valueChange=True, time=(7, 7)) == [expected]
    assert CORE.smartKeys == [dict(curve=curve, time=7.0, keyFlag=keyFlag, actionId="a1")]


def test_smart_key_lands_on_a_layers_own_curve(layered_channel):
    base, _, layered = layered_channel
    cmds.currentTime(4)
    AnimCurve(layered).setSmartKey()
    assert cmds.keyframe(layered, query=True, timeChange=True) == [1.0, 4.0]
    assert cmds.keyframe(base, query=True, timeChange=True) == [1.0]
