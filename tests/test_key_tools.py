"""The key tools: key kinds on the target's keys (through a modifier that
undoes as one step), clearing the whole scene, and the small queries the
suite's tools ask of the target."""
import pytest
from maya import cmds
from maya.OpenMayaAnim import MFnAnimCurve

from Zentrik._api.__hybrid__._core import CORE, AnimCurve, KeySelectionContext

BREAKDOWN, SPECIAL, DEFAULT = AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT


@pytest.fixture
def keyed():
    cmds.createNode("transform", name="ctrl")
    for attr in ("tx", "ry"):
        for frame in (1, 5, 10, 15):
            cmds.setKeyframe("ctrl." + attr, time=(frame,), value=float(frame))
    curves = [cmds.listConnections("ctrl." + a, source=True)[0] for a in ("tx", "ry")]
    CORE.curveTarget.curveNames = curves
    CORE.curveTarget.targetTime = (5, 10)
    cmds.select("ctrl")
    return curves


def kinds(curve):
    return AnimCurve(curve).keyKinds


def tools(rk):
    return rk.AnimTools()


class TestKeyKinds:
    def test_target_range_gets_the_kind_through_one_undo_step(self, rk, keyed):
        # The special tick covers the range without its end, as every
        # special-key edit does.
        tools(rk).setKeyKind(SPECIAL)
        assert [kinds(c) for c in keyed] == [[DEFAULT, SPECIAL, DEFAULT, DEFAULT]] * 2
        CORE.lastModifier.undoIt()
        assert [kinds(c) for c in keyed] == [[DEFAULT] * 4] * 2

    def test_breakdown_without_the_modifier(self, rk, keyed):
        tools(rk).setKeyKind(BREAKDOWN, time=(1, 5), useModifier=False)
        assert kinds(keyed[0]) == [BREAKDOWN, BREAKDOWN, DEFAULT, DEFAULT]
        assert CORE.lastModifier is None

    def test_falsy_kind_clears_both_flags(self, rk, keyed):
        tools(rk).setKeyKind(SPECIAL, time=(1, 15), useModifier=False)
        tools(rk).setKeyKind(None, time=(1, 16))
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

    def test_selected_keys_mode(self, rk, keyed, monkeypatch):
        cmds.selectKey(keyed[0], time=(15, 15))
        CORE.keySelectionContext.isActive = True
        t = tools(rk)
        assert t.targetMode == t.MODE_SELECTED_KEYS
        assert t.hasTargetKeys() is True and t.isRangeTarget() is True
        t.setKeyKind(BREAKDOWN, useModifier=False)
        assert kinds(keyed[0]) == [DEFAULT, DEFAULT, DEFAULT, BREAKDOWN]

    def test_whole_scene_is_tinted_back_to_plain_keys(self, rk, keyed):
        tools(rk).setKeyKind(SPECIAL, time=(1, 15), useModifier=False)
        cmds.keyframe(keyed[1], edit=True, time=(5, 5), breakdown=True)
        tools(rk).tintAllKeysRedInTheScene()
        assert [kinds(c) for c in keyed] == [[DEFAULT] * 4] * 2

    def test_empty_scene_issues_no_key_command(self, rk):
        from maya import _scene

        _scene.clearCommandLog()
        tools(rk).tintAllKeysRedInTheScene()
        assert [c for c in _scene.commandLog() if c[0] == "keyframe"] == []


class TestQueries:
    def test_key_kind_prefers_special_then_plain_then_breakdown(self, rk, keyed):
        t = tools(rk)
        cmds.keyframe(keyed[0], edit=True, time=(5, 5), breakdown=True)
        assert t.keyKindAt(5, times=[1, 5]) == DEFAULT
        cmds.keyframe(keyed[1], edit=True, time=(5, 5), breakdown=True)
        assert t.keyKindAt(5, times=[1, 5]) == BREAKDOWN
        cmds.keyframe(keyed[1], edit=True, time=(5, 5), tickDrawSpecial=True)
        assert t.keyKindAt(5, times=[1, 5]) == SPECIAL
        assert t.keyKindAt(7, times=[1, 5]) is None

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

    def test_mean_interpolation_per_node(self, rk, keyed):
        result = tools(rk).nodeInterpolationsAt(7.5)
        assert list(result) == ["|ctrl"] and result["|ctrl"][7.5] == pytest.approx(0.5)


class TestCurvesOfNodes:
    def test_no_nodes_give_no_curves(self, rk):
        assert rk.AnimTools.curvesOfNodes([]) == []

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
