"""Key selection and tangents: selectKey and keyframe on the selected keys; tangent types
and weighted curves through keyTangent, setKeyframe and MFnAnimCurve.  (Time and index
flags: test_cmd_keys_flags.py; per-key flag plugs: tests/test_key_tools.py.)"""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dependNode

CURVE = oma.MFnAnimCurve


def selectedTimes():
    return cmds.keyframe(query=True, selected=True, timeChange=True)


def kinds(target, flag):
    """Times of the keys of ``target`` whose ``flag`` is set, read back from
    the curve itself."""
    curve = cmds.keyframe(target, query=True, name=True)[0]
    times = cmds.keyframe(curve, query=True, timeChange=True)
    if flag == "breakdown":
        return cmds.keyframe(curve, query=True, breakdown=True) or []
    from maya import _keys, _scene

    node = _scene.SCENE.resolveOne(curve)
    return [t for t, k in zip(times, node.keys) if _keys.isTickDrawSpecial(k)]


class TestSelectKey:
    def test_it_and_clear_return_the_number_of_curves_touched(self, keyed_ctrl):
        assert cmds.selectKey("ctrl.tx", time=(50, 60)) == 0
        assert cmds.selectKey("ctrl", time=(2, 3)) == 2
        assert cmds.selectKey(clear=True) == 2
        assert cmds.keyframe(query=True, name=True, selected=True) is None

    def test_a_new_selection_replaces_unless_adding(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(1, 2))
        cmds.selectKey("ctrl.ry", time=(5, 5))
        assert cmds.keyframe(query=True, name=True, selected=True) == ["ctrl_rotateY"]
        cmds.selectKey("ctrl.tx", time=(7, 8), addTo=True)
        assert cmds.keyframe(query=True, name=True, selected=True) == [
            "ctrl_translateX", "ctrl_rotateY"]
        assert selectedTimes() == [7.0, 8.0, 5.0]

    @pytest.mark.parametrize("flags, expected", [
        (dict(), [3.0, 4.0, 5.0]), (dict(replace=True), [3.0, 4.0, 5.0]),
        (dict(remove=True), [1.0, 2.0]), (dict(rm=True), [1.0, 2.0]),
        (dict(toggle=True), [1.0, 2.0, 5.0]), (dict(add=True), [1.0, 2.0, 3.0, 4.0, 5.0]),
    ])
    def test_replace_remove_toggle_and_add(self, keyed_ctrl, flags, expected):
        cmds.selectKey("ctrl.tx", time=(1, 4))
        cmds.selectKey("ctrl.tx", time=(3, 5), **flags)
        assert selectedTimes() == expected

    @pytest.mark.standin_only
    @pytest.mark.parametrize("flag", ["inTangent", "outTangent", "float", "unsnappedKeys"])
    def test_unmodelled_selections_raise(self, keyed_ctrl, flag):
        with pytest.raises(RuntimeError):
            cmds.selectKey("ctrl.tx", **{flag: True})

    def test_selected_keys_stay_selected_through_edits_and_leave_when_cut(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(3, 4))
        cmds.keyframe("ctrl.tx", edit=True, time=(3, 3), breakdown=True)
        cmds.keyframe("ctrl.tx", edit=True, time=(4, 4), timeChange=4.5)
        assert selectedTimes() == [3.0, 4.5]
        cmds.cutKey("ctrl.tx", time=(3, 3))
        assert selectedTimes() == [4.5]


class TestKeyframeOnSelectedKeys:
    @pytest.mark.parametrize("flag", ["breakdown", "tickDrawSpecial"])
    def test_edit_without_target_acts_on_the_selected_keys(self, keyed_ctrl, flag):
        cmds.selectKey("ctrl.tx", time=(2, 3))
        cmds.selectKey("ctrl.ry", time=(6, 6), addTo=True)
        assert cmds.keyframe(edit=True, **{flag: True}) == 2  # curves, not keys
        assert (kinds("ctrl.tx", flag), kinds("ctrl.ry", flag)) == ([2.0, 3.0], [6.0])

    def test_without_selected_keys_the_selected_objects_are_used(self, keyed_ctrl):
        cmds.select("ctrl")
        assert cmds.keyframe(edit=True, time=(5, 5), breakdown=True) == 2
        assert kinds("ctrl.tx", "breakdown") == kinds("ctrl.ry", "breakdown") == [5.0]

    def test_a_named_target_ignores_the_selected_keys(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(2, 2))
        cmds.keyframe("ctrl.ry", edit=True, time=(4, 5), breakdown=True)
        assert (kinds("ctrl.tx", "breakdown"), kinds("ctrl.ry", "breakdown")) == ([], [4.0, 5.0])

    def test_selected_narrows_a_named_query(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(2, 3))
        assert cmds.keyframe("ctrl", query=True, selected=True, timeChange=True) == [2.0, 3.0]
        assert cmds.keyframe("ctrl", query=True, selected=True, name=True) == [
            "ctrl_translateX"]
        assert cmds.keyframe("ctrl.ry", query=True, selected=True, name=True) is None


def test_ls_lists_every_curve_of_the_given_types(keyed_ctrl):
    cmds.addAttr("ctrl", longName="amount", attributeType="double", keyable=True)
    cmds.setKeyframe("ctrl.amount", time=(1,), value=1.0)
    assert cmds.ls(type=["animCurveTA", "animCurveTL", "animCurveTT", "animCurveTU"]) == [
        "ctrl_translateX", "ctrl_rotateY", "ctrl_amount"]
    assert cmds.ls(type=["animCurveTA"]) == ["ctrl_rotateY"]
    assert cmds.ls(type=["animCurveTT"]) == []


class TestTangentTypes:
    def test_edits_reach_the_keys_in_the_time_range_only(self, curve):
        assert cmds.keyTangent("ball.translateX", time=(5, 9), inTangentType="linear",
                               outTangentType="step") == 1
        assert cmds.keyTangent(curve, query=True, inTangentType=True) == [
            "auto", "linear", "linear"]
        assert cmds.keyTangent(curve, query=True, outTangentType=True, time=(9, 9)) == ["step"]
        fn = CURVE(dependNode(curve))
        assert [fn.outTangentType(i) for i in range(3)] == [
            CURVE.kTangentAuto, CURVE.kTangentStep, CURVE.kTangentStep]

    def test_set_keyframe_and_the_api_set_a_keys_types(self, curve):
        cmds.setKeyframe("ball.translateX", time=(3,), value=1.0, inTangentType="flat",
                         outTangentType="clamped")
        fn = CURVE(dependNode(curve))
        assert (fn.inTangentType(1), fn.outTangentType(1)) == (CURVE.kTangentFlat,
                                                               CURVE.kTangentClamped)
        fn.setInTangentType(0, CURVE.kTangentPlateau)
        assert cmds.keyTangent(curve, query=True, inTangentType=True, index=(0, 0)) == [
            "plateau"]

    @pytest.mark.parametrize("types, expected", [
        ((), ("kTangentAuto", "kTangentAuto")),              # kTangentGlobal, the default
        (("kTangentGlobal", "kTangentGlobal"), ("kTangentAuto", "kTangentAuto")),
        (("kTangentLinear", "kTangentStep"), ("kTangentLinear", "kTangentStep")),
    ])
    def test_add_key_takes_its_tangent_types(self, curve, types, expected):
        # C++/Python API reference, MFnAnimCurve::addKey(time, value,
        # tangentInType = kTangentGlobal, tangentOutType = kTangentGlobal, change).
        fn = CURVE(dependNode(curve))
        args = [getattr(CURVE, name) for name in types]
        index = fn.addKey(om.MTime(7.0, om.MTime.uiUnit()), 3.0, *args)
        assert index == 2 and fn.numKeys() == 4 and fn.value(2) == 3.0
        assert (fn.inTangentType(2), fn.outTangentType(2)) == tuple(
            getattr(CURVE, name) for name in expected)

    def test_types_follow_their_key_when_it_moves(self, curve):
        cmds.keyTangent(curve, time=(1, 1), outTangentType="linear")
        cmds.keyframe(curve, edit=True, time=(1, 1), timeChange=7)
        assert cmds.keyTangent(curve, query=True, outTangentType=True) == [
            "auto", "linear", "auto"]

    def test_an_unknown_type_is_refused_before_anything_changes(self, curve):
        fn = CURVE(dependNode(curve))
        with pytest.raises(RuntimeError):
            cmds.keyTangent(curve, inTangentType="bouncy")
        with pytest.raises(RuntimeError):
            fn.setOutTangentType(0, 99)
        with pytest.raises(RuntimeError):
            fn.addKey(om.MTime(7.0, om.MTime.uiUnit()), 3.0, 99, 0)
        assert fn.numKeys() == 3
        assert cmds.keyTangent(curve, query=True, outTangentType=True) == ["auto"] * 3

    def test_weighted_tangents_belong_to_the_curve(self, curve):
        fn = CURVE(dependNode(curve))
        assert cmds.keyTangent(curve, query=True, weightedTangents=True) == [False]
        assert not fn.isWeighted()
        cmds.keyTangent(curve, edit=True, weightedTangents=True)
        assert fn.isWeighted()
        assert cmds.keyTangent("ball.translateX", query=True, weightedTangents=True) == [True]
