"""The key tools: key kinds on the target's keys (undone in one step), and the target queries;
key kinds on runs of frames."""
import contextlib
import math

import pytest
from maya import cmds
from maya.OpenMayaAnim import MFnAnimCurve

from Zentrik._api.__hybrid__._core import CORE, AnimCurve

BREAKDOWN, SPECIAL, DEFAULT = AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT


def keyCtrl(frames, targetTime=None, marks=()):
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


def breakdowns(plug):
    return cmds.keyframe(plug, query=True, breakdown=True) or []


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
        # Maya reads a list given to keyframe's time flag as separate times.
        ([3, 7], [3, 5, 7]),  # a two-item list is a range too, not two frames
    ])
    @pytest.mark.parametrize("useModifier", [True, False], ids=["modifier", "commands"])
    @pytest.mark.parametrize("asTarget", [False, True], ids=["given", "target time"])
    def test_every_key_of_the_range_gets_both_flags_end_included(
            self, rk, marked, kind, time, edited, useModifier, asTarget):
        if asTarget:
            CORE.curveTarget.targetTime = time
        rk.AnimTools().setKeyKind(kind, useModifier=useModifier,
                                  **({} if asTarget else {"time": time}))
        expected = [kind if frame in edited else before
                    for frame, before in zip((1, 3, 5, 7, 10), BEFORE)]
        assert [kinds(c) for c in marked] == [expected] * 2
        assert (CORE.lastModifier is not None) is useModifier
        if useModifier:  # one undo restores both flags of every edited key
            CORE.lastModifier.undoIt()
            assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("kind", KINDS)
    @pytest.mark.parametrize("flags, toolbar", [
        ({}, None), ({"useModifier": False}, None), ({}, "ZentrikToolbar"), ({}, "secondToolbar")],
        ids=["modifier", "commands", "ZentrikToolbar", "secondToolbar"])
    def test_selected_keys_take_the_kind_unless_the_pointer_is_over_a_toolbar(
            self, rk, marked, kind, flags, toolbar):
        cmds.selectKey(marked[0], time=(3, 5))
        CORE.keySelectionContext.isActive = True
        if toolbar:  # then the target's curves take it
            getattr(CORE, toolbar).mouseOver = True
        t = rk.AnimTools()
        assert (t.targetMode, t.hasTargetKeys(), t.isRangeTarget()) == (
            (t.MODE_TARGET_CURVES, True, False) if toolbar else (t.MODE_SELECTED_KEYS, True, True))
        t.setKeyKind(kind, **flags)
        selected = [[DEFAULT, kind, kind, DEFAULT, DEFAULT], BEFORE]
        assert [kinds(c) for c in marked] == ([[kind] * 5] * 2 if toolbar else selected)
        if not flags:  # in one undo step
            CORE.lastModifier.undoIt()
            assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("useModifier", [True, False], ids=["modifier", "commands"])
    def test_a_time_that_is_no_range_is_refused_before_any_edit(self, rk, marked, useModifier):
        with pytest.raises(ValueError, match="start and an end"):
            rk.AnimTools().setKeyKind(BREAKDOWN, time=(1, 2, 3), useModifier=useModifier)
        assert [kinds(c) for c in marked] == [BEFORE] * 2

    @pytest.mark.parametrize("clear", ["falsy kind", "whole scene"])
    def test_plain_keys_again(self, rk, keyed, clear):
        rk.AnimTools().setKeyKind(SPECIAL, time=(1, 15), useModifier=False)
        cmds.keyframe(keyed[1], edit=True, time=(5, 5), breakdown=True)
        if clear == "falsy kind":
            rk.AnimTools().setKeyKind(None, time=(1, 16))
        else:
            rk.AnimTools().tintAllKeysRedInTheScene()
        assert [kinds(c) for c in keyed] == [[DEFAULT] * 4] * 2

    def test_special_keys_leave_the_key_at_the_range_end_and_write_only_the_others(
            self, rk, keyed, monkeypatch):
        rk.AnimTools().setSpecialKeys(True, frameRange=(5, 15))
        assert kinds(keyed[0]) == [DEFAULT, SPECIAL, SPECIAL, DEFAULT]
        written, modifierClass = [], type(CORE.lastModifier)
        write = modifierClass.newPlugValueBool
        monkeypatch.setattr(modifierClass, "newPlugValueBool",
                            lambda self, plug, value: written.append(plug) or write(self, plug, value))
        rk.AnimTools().setSpecialKeys(True, frameRange=(1, 16))
        assert len(written) == 4  # the keys already special are not written
        assert [kinds(c) for c in keyed] == [[SPECIAL] * 4] * 2

    def test_empty_scene_issues_no_key_command(self, rk, commandLog):
        commandLog.clear()
        rk.AnimTools().tintAllKeysRedInTheScene()
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
        assert rk.AnimTools().keyKindAt(frame, times=[1, 3, 4, 5]) == expected

    def test_transform_curves_are_weighted_only_when_all_are(self, rk, keyed):
        cmds.setKeyframe("ctrl.visibility", time=(1,), value=1.0)  # not a transform curve
        CORE.curveTarget.curveNames = keyed + cmds.listConnections("ctrl.v", source=True)
        assert rk.AnimTools().areTransformCurvesWeighted() is False
        cmds.keyTangent("ctrl.tx", edit=True, weightedTangents=True)
        assert rk.AnimTools().areTransformCurvesWeighted() is False  # ry is not
        cmds.keyTangent("ctrl.ry", edit=True, weightedTangents=True)
        assert rk.AnimTools().areTransformCurvesWeighted() is True
        CORE.curveTarget.curveNames = cmds.listConnections("ctrl.v", source=True)
        assert rk.AnimTools().areTransformCurvesWeighted() is True  # no transform curve

    def test_tangents_auto_when_any_is_auto_common_when_all_agree(self, rk, keyed):
        auto = [MFnAnimCurve.kTangentAuto] * 2
        for attr in ("tx", "ry"):
            cmds.keyTangent("ctrl." + attr, time=(5, 5), inTangentType="linear",
                            outTangentType="linear")
        linear = AnimCurve(keyed[0]).tangentTypes[1]
        assert linear != auto and rk.AnimTools().tangentTypesAt(5) == linear
        cmds.keyTangent("ctrl.ry", time=(5, 5), inTangentType="flat", outTangentType="flat")
        assert rk.AnimTools().tangentTypesAt(5) == auto  # they disagree
        cmds.keyTangent("ctrl.tx", time=(5, 5), inTangentType="auto", outTangentType="auto")
        assert rk.AnimTools().tangentTypesAt(5) == auto
        assert rk.AnimTools().tangentTypesAt(7) == auto  # no key there

    def test_target_keys_and_keying_when_there_are_none(self, rk, keyed):
        assert rk.AnimTools().hasTargetKeys() is True
        CORE.curveTarget.targetTime = (11, 14)
        assert rk.AnimTools().hasTargetKeys() is False
        cmds.currentTime(12)
        rk.AnimTools().keyIfNoTargetKeys(actionId="a1")
        assert AnimCurve(keyed[0]).keyTimes == [1.0, 5.0, 10.0, 12.0, 15.0]

    def test_replaced_curve_list_keeps_only_existing_curves(self, rk, keyed):
        t = rk.AnimTools()
        curves = [AnimCurve(name) for name in keyed]
        cmds.delete(keyed[1])
        t.setAnimCurves(curves, onlyExisting=True)
        assert t.animCurves == curves[:1] and t.animCurveNames == keyed[:1]

    def test_interpolations_average_each_nodes_curves(self, rk):
        # At 6: a's tx half way, its ty a quarter; b's tz has no key after 6, so no value.
        cmds.createNode("transform", name="a")
        cmds.createNode("transform", name="b")
        for node, attr, frames in (("a", "tx", (1, 11)), ("a", "ty", (1, 21)), ("b", "tz", (1, 3))):
            for f in frames:
                cmds.setKeyframe("%s.%s" % (node, attr), time=(f,), value=float(f))
        cmds.select("a", "b")
        assert rk.AnimTools().nodeInterpolationsAt(6) == {"|a": {6: pytest.approx(0.375)}}

    def test_a_frame_that_hashes_oddly_still_gives_the_mean(self, rk, keyed):
        # A frame whose hash answers differently once: the means must not look values up again.
        calls = []

        class Frame(float):
            def __hash__(self):
                calls.append(1)
                return 2 if len(calls) == 2 else hash(7.5)

        result = rk.AnimTools().nodeInterpolationsAt(Frame(7.5))
        assert list(result) == ["|ctrl"] and list(result["|ctrl"].values()) == [pytest.approx(0.5)]

    def test_world_matrices_evaluate_each_node_once_per_frame(self, rk, keyed):
        cmds.currentTime(20)  # neither frame is the current one
        t = rk.AnimTools()
        result = t.worldMatricesAt([1, 5])
        [stepper] = CORE.frameSteppers
        assert [frame for frame, stepped in stepper.steps] == [1, 5]
        assert set(result) == set(t.animCurves)
        for matrices in result.values():
            assert list(matrices) == [1, 5]
            for frame, matrix in matrices.items():
                # At frame f the node stands at x = f, turned f degrees about Y.
                c, s = math.cos(math.radians(frame)), math.sin(math.radians(frame))
                expected = [[c, 0, -s, 0], [0, 1, 0, 0], [s, 0, c, 0], [frame, 0, 0, 1]]
                assert [[matrix(r, k) for k in range(4)] for r in range(4)] == [
                    pytest.approx(row, abs=1e-9) for row in expected]


class TestCurvesOfNodes:
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
        assert rk.AnimTools.curvesOfNodes([]) == []


class TestKeyKindOnFrames:
    """A run of consecutive frames covers the keys between them, and the keys carry both flags
    of the kind afterwards."""

    HALVES = (2, 2.5, 3, 3.5, 4, 5, 6, 6.5, 7, 8)

    @pytest.mark.parametrize("edits, special, breakdown", [
        ([(SPECIAL, [2, 3, 4]), (BREAKDOWN, [6, 7])], [2, 2.5, 3, 3.5, 4], [6, 6.5, 7]),
        ([(SPECIAL, [2, 3, 4]), (BREAKDOWN, [3, 4])], [2, 2.5], [3, 3.5, 4]),
        ([(BREAKDOWN, [2, 3, 6])], [], [2, 2.5, 3, 6]),
        ([(BREAKDOWN, [6, 7]), (SPECIAL, [7, 8])], [7, 8], [6, 6.5]),
        ([(BREAKDOWN, [4, 5, 6]), (SPECIAL, [7]), (None, [5, 7])], [], [4, 6]),
    ], ids=["two runs", "breakdown clears special", "a gap ends a run",
            "special clears breakdown", "no kind clears both"])
    def test_each_run_edits_the_keys_between_its_frames(self, rk, edits, special, breakdown):
        curve = keyCtrl(self.HALVES)[0]
        for kind, frames in edits:
            rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", kind, frames)
        assert breakdowns("ctrl.tx") == [float(f) for f in breakdown]
        assert kinds(curve) == [SPECIAL if f in special else BREAKDOWN if f in breakdown
                                else DEFAULT for f in self.HALVES]

    @pytest.mark.parametrize("frames, targetTime, marked", [
        ([10, 11, 13], None, [10, 11, 13]), ([5, 3, 4], None, [3, 4, 5]), ([10, 1], None, [1, 10]),
        ([4, 4, 3, 5, 3], None, [3, 4, 5]), ([7, 5, 3], None, [3, 5, 7]),
        ((9.0, 8, 12, 11, 10), None, [8, 9, 10, 11, 12]),
        # A frame that is not finite is reported, and no key changes.
        ([2, float("nan"), 9], None, []), ([float("inf")], None, []),
        ([1, float("-inf")], None, []),
        # Without frames the target time is edited, as one range.
        (None, (1, 24), range(1, 25)), (None, [1, 24], range(1, 25)),
        (None, (24, 1), range(1, 25)), (None, 10, [10]), ([], [], []),
    ], ids=["in order", "reversed run", "reversed far apart", "repeated", "reversed gaps",
            "tuple", "nan", "inf", "-inf", "target range", "target list", "target reversed",
            "target frame", "no target"])
    def test_the_listed_frames_get_the_kind_whatever_their_order(self, rk, errors, frames,
                                                                 targetTime, marked):
        curve = keyCtrl(range(1, 31), targetTime)[0]
        rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", BREAKDOWN, frames)
        assert breakdowns("ctrl.tx") == [float(f) for f in marked]
        assert SPECIAL not in kinds(curve)
        prefix = "Zentrik - Could not set the key kind at frame "
        finite = all(map(math.isfinite, frames or []))
        assert [report[:len(prefix)] for report in errors] == ([] if finite else [prefix])

    def test_layers_answer_the_scenes_layers(self, rk):
        cmds.animLayer("layerA")
        layers = rk.KeyQueries().layers
        assert type(layers) is rk.LayerQueries and layers.layerNames == ["layerA", "BaseAnimation"]
