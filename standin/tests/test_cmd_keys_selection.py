"""Key selection: selectKey puts keys on the active list, and keyframe reads and
edits them when no object is named.  (How each key command reads its time and
index flags: test_cmd_keys_flags.py.)"""
import pytest
from maya import cmds


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
    def test_returns_the_number_of_curves_touched(self, keyed_ctrl):
        assert cmds.selectKey("ctrl", time=(2, 3)) == 2
        assert cmds.selectKey("ctrl.tx", time=(50, 60)) == 0

    def test_a_new_selection_replaces_unless_adding(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(1, 2))
        cmds.selectKey("ctrl.ry", time=(5, 5))
        assert cmds.keyframe(query=True, name=True, selected=True) == ["ctrl_rotateY"]
        cmds.selectKey("ctrl.tx", time=(7, 8), addTo=True)
        assert cmds.keyframe(query=True, name=True, selected=True) == [
            "ctrl_translateX", "ctrl_rotateY"]
        assert selectedTimes() == [7.0, 8.0, 5.0]

    @pytest.mark.parametrize("flags, expected", [
        (dict(), [3.0, 4.0, 5.0]),
        (dict(replace=True), [3.0, 4.0, 5.0]),
        (dict(remove=True), [1.0, 2.0]),
        (dict(rm=True), [1.0, 2.0]),
        (dict(toggle=True), [1.0, 2.0, 5.0]),
        (dict(add=True), [1.0, 2.0, 3.0, 4.0, 5.0]),
    ])
    def test_replace_remove_toggle_and_add(self, keyed_ctrl, flags, expected):
        cmds.selectKey("ctrl.tx", time=(1, 4))
        cmds.selectKey("ctrl.tx", time=(3, 5), **flags)
        assert selectedTimes() == expected

    def test_clear_empties_the_key_selection(self, keyed_ctrl):
        cmds.selectKey("ctrl", time=(1, 3))
        assert cmds.selectKey(clear=True) == 2
        assert cmds.keyframe(query=True, name=True, selected=True) is None

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
        assert kinds("ctrl.tx", flag) == [2.0, 3.0]
        assert kinds("ctrl.ry", flag) == [6.0]

    def test_without_selected_keys_the_selected_objects_are_used(self, keyed_ctrl):
        cmds.select("ctrl")
        assert cmds.keyframe(edit=True, time=(5, 5), breakdown=True) == 2
        assert kinds("ctrl.tx", "breakdown") == kinds("ctrl.ry", "breakdown") == [5.0]

    def test_a_named_target_ignores_the_selected_keys(self, keyed_ctrl):
        cmds.selectKey("ctrl.tx", time=(2, 2))
        cmds.keyframe("ctrl.ry", edit=True, time=(4, 5), breakdown=True)
        assert kinds("ctrl.tx", "breakdown") == []
        assert kinds("ctrl.ry", "breakdown") == [4.0, 5.0]

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
