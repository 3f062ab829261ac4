"""How the key commands read their multi-use time and index flags (Maya's
keyset: "-time 10:20 ... inclusive", includeUpperBound for time ranges only),
what keyframe edits answer and the state setKeyframe gives a key."""
import pytest
from maya import cmds
import maya.OpenMayaAnim as oma
from scene_lookup import plug

FRAMES = [float(f) for f in range(1, 11)]


# Each command's keyset read back as the times of the keys it acted on.
def _keyframeQuery(**flags):
    return cmds.keyframe("ctrl.tx", query=True, timeChange=True, **flags) or []


def _keyframeEdit(**flags):
    cmds.keyframe("ctrl.tx", edit=True, breakdown=True, **flags)
    return cmds.keyframe("ctrl.tx", query=True, breakdown=True) or []


def _selectKey(**flags):
    cmds.selectKey("ctrl.tx", **flags)
    return cmds.keyframe(query=True, selected=True, timeChange=True) or []


def _keyTangent(**flags):
    cmds.keyTangent("ctrl.tx", edit=True, outTangentType="linear", **flags)
    types = cmds.keyTangent("ctrl.tx", query=True, outTangentType=True)
    return [t for t, kind in zip(FRAMES, types) if kind == "linear"]


def _cutKey(**flags):
    cmds.cutKey("ctrl.tx", **flags)
    left = cmds.keyframe("ctrl.tx", query=True, timeChange=True) or []
    return [t for t in FRAMES if t not in left]


COMMANDS = {"keyframe query": _keyframeQuery, "keyframe edit": _keyframeEdit,
            "selectKey": _selectKey, "keyTangent": _keyTangent, "cutKey": _cutKey}
command = pytest.mark.parametrize("act", list(COMMANDS.values()), ids=list(COMMANDS))


class TestTimeAndIndexFlags:
    @command
    @pytest.mark.parametrize("flags, expected", [
        (dict(time=5), [5]),
        (dict(time=(5,)), [5]),                      # a range of one item is one time
        (dict(time=(3, 5)), [3, 4, 5]),              # a tuple is one range, ends included
        (dict(time="3:5"), [3, 4, 5]), (dict(time="8:"), [8, 9, 10]), (dict(time=":2"), [1, 2]),
        (dict(time=":"), FRAMES), (dict(time=(5.5, 7.5)), [6, 7]),
        (dict(time=(None, 2)), [1, 2]), (dict(time=(9, None)), [9, 10]),  # open ends
        (dict(time=(5, 3)), []),                     # a reversed range holds no key
        (dict(time=[1, 5, 7]), [1, 5, 7]),           # a list is several uses: three times
        (dict(time=[(1, 2), (5, 5)]), [1, 2, 5]),    # ... or two ranges
        (dict(time=[(1, 2), 7, "9:"]), [1, 2, 7, 9, 10]),
        (dict(time=[4, 4]), [4]),                    # a key named twice is one key
        (dict(index=0), [1]), (dict(index=(0,)), [1]), (dict(index=(1, 3)), [2, 3, 4]),
        (dict(index="7:"), [8, 9, 10]), (dict(index=":1"), [1, 2]),
        (dict(index=[0, 4, 9]), [1, 5, 10]), (dict(index=[(0, 1), (8, 9)]), [1, 2, 9, 10]),
        (dict(time=(3, 8), index=[0, 3, 4, 9]), [4, 5]),  # the keys named by both
        (dict(time=(3, 5), includeUpperBound=True), [3, 4, 5]),
        # includeUpperBound=False leaves out the upper end of time ranges only
        (dict(time=(3, 5), includeUpperBound=False), [3, 4]),
        (dict(time=":3", includeUpperBound=False), [1, 2]),
        (dict(time="8:", includeUpperBound=False), [8, 9, 10]),
        (dict(time=[(1, 2), (5, 7)], includeUpperBound=False), [1, 5, 6]),
        (dict(time=5, includeUpperBound=False), [5]),
        (dict(time=(5, 5), includeUpperBound=False), [5]),
        (dict(index=(0, 2), includeUpperBound=False), [1, 2, 3]),
    ])
    def test_the_keys_a_keyset_names(self, keyed_ctrl, act, flags, expected):
        assert act(**flags) == [float(t) for t in expected]

    @command
    @pytest.mark.parametrize("flag, value", [
        ("time", (1, 2, 3)), ("time", []), ("time", [[1, 2]]), ("time", ((1, 2),)),
        ("time", True), ("time", "a:b"), ("time", {"a": 1}),
        ("index", -1), ("index", 1.5), ("index", (0, "x")), ("index", []),
    ])
    def test_malformed_uses_are_refused_before_anything_changes(self, keyed_ctrl, act, flag,
                                                                value):
        with pytest.raises(TypeError):
            act(**{flag: value})
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == FRAMES
        assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) is None
        assert cmds.keyframe(query=True, selected=True, name=True) is None

    @pytest.mark.standin_only
    @command
    def test_the_unmodelled_float_flag_raises_rather_than_acting_on_every_key(self, keyed_ctrl,
                                                                              act):
        with pytest.raises(RuntimeError):
            act(float=(1, 2))
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == FRAMES


class TestKeyframeEditAnswer:
    @pytest.mark.parametrize("target, flags, answer, after", [
        ("ctrl", dict(edit=True, relative=True, timeChange=100, time=(1, 2)), 2,
         dict(timeChange=[3, 4, 5, 6, 7, 8, 9, 10, 101, 102])),
        ("ctrl.tx", dict(edit=True, absolute=True, valueChange=0.5, time=(4, 5)), 1,
         dict(valueChange=[1, 2, 3, 0.5, 0.5, 6, 7, 8, 9, 10])),
        ("ctrl.tx", dict(edit=True, relative=True, valueChange=-1, index=(0, 1)), 1,
         dict(valueChange=[0, 1, 3, 4, 5, 6, 7, 8, 9, 10])),
        ("ctrl.tx", dict(edit=True, relative=True, absolute=True, valueChange=7, time=1), 1,
         dict(valueChange=[7, 2, 3, 4, 5, 6, 7, 8, 9, 10])),   # absolute wins
        ("ctrl", dict(edit=True, valueChange=1, time=(50, 60)), 0, {}),
        (["ctrl.tx", "ctrl_translateX"], dict(edit=True, relative=True, valueChange=1, time=1),
         1, dict(valueChange=[2, 2, 3, 4, 5, 6, 7, 8, 9, 10])),   # a curve named twice moves once
        ("ctrl", dict(edit=True, breakdown=True, time=2), 2, {}),
        ("ctrl.tx", dict(time=(2, 3), breakdown=True), 1, dict(breakdown=[2, 3])),  # no query: edit
        ("ctrl.tx", dict(time=(2, 3)), 0, {}),  # nothing to change
    ])
    def test_answers_the_number_of_curves_with_modified_keys(self, keyed_ctrl, target, flags,
                                                             answer, after):
        assert cmds.keyframe(target, **flags) == answer
        for flag, expected in after.items():
            assert cmds.keyframe("ctrl.tx", query=True, **{flag: True}) == expected


class TestSetKeyframeBreakdown:
    @pytest.mark.parametrize("time, keys", [
        (3.5, [3.5]), ((2.5, 4.5), [2.5, 4.5]), ([4.5, 11], [4.5, 11])])
    def test_each_use_of_time_sets_a_new_key_a_breakdown_for_the_command_and_the_api(
            self, keyed_ctrl, time, keys):
        assert cmds.setKeyframe("ctrl.tx", time=time, value=3.0, breakdown=True) == len(keys)
        times = cmds.keyframe("ctrl.tx", query=True, timeChange=True)
        assert [t for t in times if t not in FRAMES] == keys
        assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) == keys
        fn = oma.MFnAnimCurve(plug("ctrl.tx"))
        assert [fn.isBreakdown(i) for i in range(fn.numKeys())] == [t in keys for t in times]

    @pytest.mark.parametrize("first, second, expected", [
        (dict(breakdown=True), dict(), [5.0]),               # kept without the flag
        (dict(breakdown=True), dict(breakdown=False), None),
        (dict(), dict(breakdown=True), [5.0]),               # an existing key turned
        (dict(), dict(), None),
    ])
    def test_the_flag_sets_the_state_of_an_existing_key(self, keyed_ctrl, first, second, expected):
        cmds.setKeyframe("ctrl.tx", time=5, value=1.0, **first)
        cmds.setKeyframe("ctrl.tx", time=5, value=2.0, **second)
        assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) == expected
        assert cmds.keyframe("ctrl.tx", query=True, valueChange=True, time=5) == [2.0]

    @pytest.mark.parametrize("time", ["2:4", [], [(2, 4)]])
    def test_a_key_is_set_at_times_not_over_ranges(self, keyed_ctrl, time):
        with pytest.raises(TypeError):
            cmds.setKeyframe("ctrl.tx", time=time, value=0.0)
        assert cmds.keyframe("ctrl.tx", query=True, valueChange=True) == FRAMES


class TestSteppedAttributes:
    """Maya steps the keys setKeyframe sets on boolean and enum attributes."""

    @pytest.fixture
    def node(self):
        cmds.createNode("transform", name="box")
        cmds.addAttr("box", longName="mode", attributeType="enum", enumName="a:b:c",
                     keyable=True)
        cmds.addAttr("box", longName="count", attributeType="long", keyable=True)
        cmds.addAttr("box", longName="blend", attributeType="double", keyable=True)
        return "box"

    @pytest.mark.parametrize("attr, outType", [
        ("visibility", "step"), ("mode", "step"), ("count", "auto"), ("blend", "auto"),
        ("translateX", "auto"),
    ])
    def test_boolean_and_enum_keys_hold_until_the_next_key(self, node, attr, outType):
        name = "box." + attr
        cmds.setKeyframe(name, time=1, value=0)
        cmds.setKeyframe(name, time=5, value=1)
        assert cmds.keyTangent(name, query=True, outTangentType=True) == [outType] * 2
        assert cmds.keyTangent(name, query=True, inTangentType=True) == ["auto"] * 2
        expected = "kTangentStep" if outType == "step" else "kTangentAuto"
        assert oma.MFnAnimCurve(plug(name)).outTangentType(1) == getattr(oma.MFnAnimCurve, expected)
        if outType == "step":
            assert [cmds.getAttr(name, time=t) for t in (4, 5)] == [0, 1]

    def test_a_given_tangent_type_wins_and_an_unknown_one_is_refused_before_keying(self, node):
        with pytest.raises(RuntimeError):
            cmds.setKeyframe("box.visibility", time=1, value=0, outTangentType="bouncy")
        assert cmds.keyframe("box.visibility", query=True, name=True) is None
        cmds.setKeyframe("box.visibility", time=1, value=0, outTangentType="linear",
                         inTangentType="flat")
        assert [cmds.keyTangent("box.visibility", query=True, **{flag: True})
                for flag in ("inTangentType", "outTangentType")] == [["flat"], ["linear"]]

    @pytest.mark.parametrize("attr, flags, types", [
        ("translateX", dict(), ["fixed", "fixed"]),
        ("visibility", dict(), ["fixed", "step"]),
        ("translateX", dict(inTangentType="linear"), ["linear", "fixed"]),
    ])
    def test_inserted_keys_get_fixed_tangents(self, node, attr, flags, types):
        # setKeyframe, insert: "the tangent type on inserted keys will be
        # fixed so that the curve shape can be preserved".
        cmds.setKeyframe("box." + attr, time=[1, 9], value=1)
        cmds.setKeyframe("box." + attr, time=5, insert=True, **flags)
        assert [cmds.keyTangent("box." + attr, query=True, time=5, **{flag: True})[0]
                for flag in ("inTangentType", "outTangentType")] == types


def test_a_locked_node_still_takes_values_and_keys_on_its_unlocked_attributes():
    import maya.OpenMaya as om
    cmds.createNode("transform", name="ctrl")
    cmds.setAttr("ctrl.ty", lock=True)
    cmds.lockNode("ctrl", lock=True)
    assert plug("ctrl.tx").isFreeToChange() == om.MPlug.kFreeToChange
    assert plug("ctrl.ty").isFreeToChange() == om.MPlug.kNotFreeToChange
    cmds.setAttr("ctrl.tx", 2.5)
    assert cmds.setKeyframe("ctrl", attribute=["tx", "ty"], time=(4,)) == 1
    assert cmds.keyframe("ctrl.tx", query=True, valueChange=True) == [2.5]
    assert cmds.keyframe("ctrl.ty", query=True) is None
    with pytest.raises(RuntimeError):
        cmds.rename("ctrl", "other")
