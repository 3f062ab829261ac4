"""The key tools: key kinds on the target's keys (undone in one step), and the target queries."""
import contextlib
import math

import pytest
from maya import cmds
from maya.OpenMayaAnim import MFnAnimCurve

from Zentrik._api.__hybrid__._core import CORE, AnimCurve

BREAKDOWN, SPECIAL, DEFAULT = AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT


def keyCtrl(frames, targetTime, marks=()):
    """ctrl.tx and ctrl.ry, the target, keyed at `frames` (value = frame), `marks` flagged."""
    cmds.createNode("transform", name="ctrl")
    for attr in ("tx", "ry"):
        for frame in frames:
            cmds.setKeyframe("ctrl." + attr, time=(frame,), value=float(frame))
        for frame, flag in marks:
            cmds.keyframe("ctrl." + attr, edit=True, time=(frame, frame), **{flag: True})
    curves = [cmds.listConnections("ctrl." + a, source=True)[0] for a in ("tx", "ry")]
    CORE.curveTarget.curveNames = curves
    CORE.curveTarget.targetTime = targetTime
    cmds.select("ctrl")
    return curves


@pytest.fixture
def keyed():
    return keyCtrl((1, 5, 10, 15), (5, 10))


def kinds(curve):
    return AnimCurve(curve).keyKinds


def tools(rk):
    return rk.AnimTools()


@pytest.fixture
def marked():
    """The key at 3 a breakdown and the one at 5 special on both curves."""
    return keyCtrl((1, 3, 5, 7, 10), (1, 10), [(3, "breakdown"), (5, "tickDrawSpecial")])


BEFORE = [DEFAULT, BREAKDOWN, SPECIAL, DEFAULT, DEFAULT]  # the kinds `marked` made
KINDS = [BREAKDOWN, SPECIAL, DEFAULT]


class TestKeyKinds:
    @pytest.mark.parametrize("kind", KINDS)
    @pytest.mark.parametrize("time, edited", [
        ((5, 5), [5]), ((1, 10), [1, 3, 5, 7, 10]), ((3, 7), [3, 5, 7]), (7, [7]),
        ((4, 6), [5]), ((8, 9), []), ([(3, 7)], [3, 5, 7]),
        ([3, 7], [3, 5, 7]),  # a two-item list is a range too, not two frames
    ])
    @pytest.mark.parametrize("useModifier", [True, False], ids=["modifier", "commands"])
    def test_every_key_of_the_range_gets_both_flags_end_included(self, rk, marked, kind,
                                                                  time, edited, useModifier):
        tools(rk).setKeyKind(kind, time=time, useModifier=useModifier)
        expected = [kind if frame in edited else before
                    for frame, before in zip((1, 3, 5, 7, 10), BEFORE)]
        assert [kinds(c) for c in marked] == [expected] * 2
        assert (CORE.lastModifier is not None) is useModifier
        if useModifier:  # one undo restores both flags of every edited key
            CORE.lastModifier.undoIt()
            assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("kind", KINDS)
    @pytest.mark.parametrize("flags", [{}, {"useModifier": False}], ids=["modifier", "commands"])
    def test_selected_keys_take_the_kind_and_undo_in_one_step(self, rk, marked, kind, flags):
        cmds.selectKey(marked[0], time=(3, 5))
        CORE.keySelectionContext.isActive = True
        t = tools(rk)
        assert t.targetMode == t.MODE_SELECTED_KEYS
        assert t.hasTargetKeys() is True and t.isRangeTarget() is True
        t.setKeyKind(kind, **flags)
        assert kinds(marked[0]) == [DEFAULT, kind, kind, DEFAULT, DEFAULT]
        assert kinds(marked[1]) == BEFORE
        if not flags:
            CORE.lastModifier.undoIt()
            assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("toolbar", ["ZentrikToolbar", "secondToolbar"])
    def test_with_the_pointer_over_a_toolbar_the_target_takes_the_kind(self, rk, marked,
                                                                       toolbar):
        cmds.selectKey(marked[0], time=(3, 5))
        CORE.keySelectionContext.isActive = True
        getattr(CORE, toolbar).mouseOver = True
        tools(rk).setKeyKind(SPECIAL)
        assert [kinds(c) for c in marked] == [[SPECIAL] * 5] * 2

    # Maya reads a list given to keyframe's time flag as separate times.
    @pytest.mark.parametrize("targetTime, flags, kind, edited", [
        ((5, 10), {}, SPECIAL, (5, 10)), ((1, 10), {"useModifier": False}, BREAKDOWN, (1, 5, 10)),
        ([1, 10], {"useModifier": False}, BREAKDOWN, (1, 5, 10)),
        ([(1, 10)], {"useModifier": False}, BREAKDOWN, (1, 5, 10))])
    def test_the_target_time_is_one_range(self, rk, keyed, targetTime, flags, kind, edited):
        CORE.curveTarget.targetTime = targetTime
        tools(rk).setKeyKind(kind, **flags)
        assert [kinds(c) for c in keyed] == [
            [kind if f in edited else DEFAULT for f in (1, 5, 10, 15)]] * 2
        if not flags:  # one undo step
            CORE.lastModifier.undoIt()
            assert [kinds(c) for c in keyed] == [[DEFAULT] * 4] * 2

    @pytest.mark.parametrize("useModifier", [True, False], ids=["modifier", "commands"])
    def test_a_time_that_is_no_range_is_refused_before_any_edit(self, rk, marked, useModifier):
        with pytest.raises(ValueError, match="start and an end"):
            tools(rk).setKeyKind(BREAKDOWN, time=(1, 2, 3), useModifier=useModifier)
        assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("clear", ["falsy kind", "whole scene"])
    def test_plain_keys_again(self, rk, keyed, clear):
        tools(rk).setKeyKind(SPECIAL, time=(1, 15), useModifier=False)
        cmds.keyframe(keyed[1], edit=True, time=(5, 5), breakdown=True)
        if clear == "falsy kind":
            tools(rk).setKeyKind(None, time=(1, 16))
        else:
            tools(rk).tintAllKeysRedInTheScene()
        assert [kinds(c) for c in keyed] == [[DEFAULT] * 4] * 2

    def test_special_keys_leave_the_key_at_the_range_end(self, rk, keyed):
        tools(rk).setSpecialKeys(True, frameRange=(5, 15))
        assert kinds(keyed[0]) == [DEFAULT, SPECIAL, SPECIAL, DEFAULT]

    def test_keys_already_special_are_not_written(self, rk, keyed, monkeypatch):
        tools(rk).setSpecialKeys(True, frameRange=(1, 11))
        written = []
        modifierClass = type(CORE.lastModifier)
        write = modifierClass.newPlugValueBool
        monkeypatch.setattr(modifierClass, "newPlugValueBool",
                            lambda self, plug, value: written.append(plug) or write(self, plug, value))
        tools(rk).setSpecialKeys(True, frameRange=(1, 16))
        assert len(written) == 2  # only the two keys at 15 change
        assert [kinds(c) for c in keyed] == [[SPECIAL] * 4] * 2

    def test_empty_scene_issues_no_key_command(self, rk, commandLog):
        commandLog.clear()
        tools(rk).tintAllKeysRedInTheScene()
        assert commandLog("keyframe") == []


class TestQueries:
    @pytest.mark.parametrize("frame, expected", [
        (5, BREAKDOWN), (1, DEFAULT), (3, SPECIAL), (4, None), (9, None),
    ])
    def test_key_kind_counts_only_the_curves_keyed_at_the_frame(self, rk, frame, expected):
        # Special wins, then plain, then breakdown; 4 is listed but keyed on no curve.
        # At 1 a plain key sits between two breakdowns.
        cmds.createNode("transform", name="ctrl")
        for attr, frames in (("tx", (1, 3, 5)), ("ty", (1, 3)), ("tz", (1,))):
            for f in frames:
                cmds.setKeyframe("ctrl." + attr, time=(f,), value=float(f))
        cmds.keyframe("ctrl.tx", edit=True, time=(5, 5), breakdown=True)
        cmds.keyframe("ctrl.tx", "ctrl.tz", edit=True, time=(1, 1), breakdown=True)
        cmds.keyframe("ctrl.ty", edit=True, time=(3, 3), tickDrawSpecial=True)
        cmds.select("ctrl")
        assert tools(rk).keyKindAt(frame, times=[1, 3, 4, 5]) == expected

    def test_transform_curves_are_weighted_only_when_all_are(self, rk, keyed):
        cmds.setKeyframe("ctrl.visibility", time=(1,), value=1.0)  # not a transform curve
        CORE.curveTarget.curveNames = keyed + cmds.listConnections("ctrl.v", source=True)
        assert tools(rk).areTransformCurvesWeighted() is False
        cmds.keyTangent("ctrl.tx", edit=True, weightedTangents=True)
        assert tools(rk).areTransformCurvesWeighted() is False  # ry is not
        cmds.keyTangent("ctrl.ry", edit=True, weightedTangents=True)
        assert tools(rk).areTransformCurvesWeighted() is True
        CORE.curveTarget.curveNames = cmds.listConnections("ctrl.v", source=True)
        assert tools(rk).areTransformCurvesWeighted() is True  # no transform curve

    def test_tangents_auto_when_any_is_auto_common_when_all_agree(self, rk, keyed):
        auto = [MFnAnimCurve.kTangentAuto] * 2
        for attr in ("tx", "ry"):
            cmds.keyTangent("ctrl." + attr, time=(5, 5), inTangentType="linear",
                            outTangentType="linear")
        linear = AnimCurve(keyed[0]).tangentTypes[1]
        assert linear != auto and tools(rk).tangentTypesAt(5) == linear
        cmds.keyTangent("ctrl.ry", time=(5, 5), inTangentType="flat", outTangentType="flat")
        assert tools(rk).tangentTypesAt(5) == auto  # they disagree
        cmds.keyTangent("ctrl.tx", time=(5, 5), inTangentType="auto", outTangentType="auto")
        assert tools(rk).tangentTypesAt(5) == auto
        assert tools(rk).tangentTypesAt(7) == auto  # no key there

    def test_target_keys_and_keying_when_there_are_none(self, rk, keyed):
        assert tools(rk).hasTargetKeys() is True
        CORE.curveTarget.targetTime = (11, 14)
        t = tools(rk)
        assert t.hasTargetKeys() is False
        cmds.currentTime(12)
        t.keyIfNoTargetKeys(actionId="a1")
        assert AnimCurve(keyed[0]).keyTimes == [1.0, 5.0, 10.0, 12.0, 15.0]

    def test_replaced_curve_list_keeps_only_existing_curves(self, rk, keyed):
        t = tools(rk)
        curves = [AnimCurve(name) for name in keyed]
        cmds.delete(keyed[1])
        t.setAnimCurves(curves, onlyExisting=True)
        assert t.animCurves == curves[:1] and t.animCurveNames == keyed[:1]

    def test_interpolations_average_each_nodes_curves(self, rk):
        # At 6: a's tx half way, its ty a quarter; b's tz has no key after 6, so no value.
        for node, attr, frames in (("a", "tx", (1, 11)), ("a", "ty", (1, 21)),
                                   ("b", "tz", (1, 3))):
            if not cmds.objExists(node):
                cmds.createNode("transform", name=node)
            for f in frames:
                cmds.setKeyframe("%s.%s" % (node, attr), time=(f,), value=float(f))
        cmds.select("a", "b")
        assert tools(rk).nodeInterpolationsAt(6) == {"|a": {6: pytest.approx(0.375)}}

    def test_a_frame_that_hashes_oddly_still_gives_the_mean(self, rk, keyed):
        # A frame whose hash answers differently once: the means must not look values up again.
        calls = []

        class Frame(float):
            def __hash__(self):
                calls.append(1)
                return 2 if len(calls) == 2 else hash(7.5)

        result = tools(rk).nodeInterpolationsAt(Frame(7.5))
        assert list(result) == ["|ctrl"]
        assert list(result["|ctrl"].values()) == [pytest.approx(0.5)]


class TestCurvesOfNodes:
    def test_no_nodes_give_no_curves(self, rk):
        assert rk.AnimTools.curvesOfNodes([]) == []

    @pytest.mark.parametrize("nodes", [["noSuchNode"], ["ctrl", 5]])
    def test_a_scope_that_swallows_the_query_error_gives_an_ordinary_error(
            self, rk, keyed, monkeypatch, nodes):
        monkeypatch.setattr(rk.AnimLayer, "ActivationScope",
                            lambda layer: contextlib.suppress(Exception))
        with pytest.raises(UnboundLocalError, match="no answer"):
            rk.AnimTools.curvesOfNodes(nodes)

    def test_ambiguous_names_are_tried_once_more_as_full_paths(self, rk, keyed, monkeypatch):
        calls = []

        def keyframe(nodes, **flags):
            calls.append(list(nodes))
            if len(calls) == 1:
                raise ValueError("More than one object matches name: ctrl")
            return cmds.keyframe(nodes, **flags)

        class Commands(object):
            def __getattr__(self, name):
                return keyframe if name == "keyframe" else getattr(cmds, name)

        monkeypatch.setitem(rk.__dict__, "cmds", Commands())
        curves = rk.AnimTools.curvesOfNodes(["ctrl"])
        assert calls == [["ctrl"], ["|ctrl"]]
        assert sorted(c.name() for c in curves) == sorted(keyed)

    def test_a_name_two_nodes_share_raises_the_commands_error(self, rk, twins, errors):
        for group in ("g1", "g2"):
            cmds.setKeyframe("|%s|ctrl.tx" % group, time=(1,), value=1.0)
        with pytest.raises(ValueError, match="^More than one object matches name: ctrl$"):
            rk.AnimTools.curvesOfNodes(["ctrl"])
        assert errors == ["Zentrik - Error handling object ctrl - More than one object "
                          "matches name: ctrl"]
        [curve] = rk.AnimTools.curvesOfNodes(["|g2|ctrl"])
        assert curve.name() == cmds.listConnections("|g2|ctrl.tx", source=True)[0]


class TestWorldMatrices:
    def test_each_node_is_evaluated_once_per_frame(self, rk, keyed):
        cmds.currentTime(20)  # neither frame is the current one
        t = tools(rk)
        result = t.worldMatricesAt([1, 5])
        [stepper] = CORE.frameSteppers
        assert [frame for frame, stepped in stepper.steps] == [1, 5]
        assert set(result) == set(t.animCurves)
        for curve in result:
            assert list(result[curve]) == [1, 5]
        # At frame f the node stands at x = f, turned f degrees about Y.
        for frame in (1, 5):
            angle = math.radians(frame)
            c, s = math.cos(angle), math.sin(angle)
            expected = [[c, 0, -s, 0], [0, 1, 0, 0], [s, 0, c, 0], [frame, 0, 0, 1]]
            for curve in result:
                matrix = result[curve][frame]
                assert [[matrix(r, k) for k in range(4)] for r in range(4)] == [
                    pytest.approx(row, abs=1e-9) for row in expected]
