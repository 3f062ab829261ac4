"""The Smart Euler Filter: a control whose rotation flips through gimbal comes
out continuous with every key keeping its orientation; the option and its
messages show once per action."""
import math

import pytest
from maya import cmds
from maya.OpenMaya import MEulerRotation

from Zentrik._api.__hybrid__._core import CORE, AnimCurve, MessageClick, ToolMessage

FRAMES = list(range(1, 11))


def flipped(x, y, z):
    """The other Euler triple of the same xyz rotation, wrapped into (-180, 180]."""
    wrap = lambda a: (a + 180.0) % 360.0 - 180.0 or 180.0  # noqa: E731
    return wrap(x + 180.0), wrap(180.0 - y), wrap(z + 180.0)


@pytest.fixture
def gimbal():
    """ctrl's rotation passes y = 90 degrees: from frame 6 on the keys hold the
    flipped triple, and frame 8's x is a whole turn away."""
    cmds.createNode("transform", name="ctrl")
    for n, frame in enumerate(FRAMES):
        rotation = (10.0 * n, 60.0 + 6.0 * n, 5.0 * n)
        if frame >= 6:
            rotation = flipped(*rotation)
        if frame == 8:
            rotation = (rotation[0] + 360.0,) + rotation[1:]
        for axis, value in zip("XYZ", rotation):
            cmds.setKeyframe("ctrl.rotate" + axis, time=(frame,), value=value)
    curves = [cmds.listConnections("ctrl.rotate" + a, source=True)[0] for a in "XYZ"]
    CORE.curveTarget.curveNames = curves
    CORE.curveTarget.targetTime = (1, 10)
    return curves


def keyTriples(curves):
    values = [cmds.keyframe(c, query=True, valueChange=True) for c in curves]
    return [tuple(math.radians(v[i]) for v in values) for i in range(len(FRAMES))]


def orientation(triple):
    return MEulerRotation(triple[0], triple[1], triple[2], 0).asMatrix()


def sameOrientation(a, b):
    ma, mb = orientation(a), orientation(b)
    return all(abs(ma(i, j) - mb(i, j)) < 1e-9 for i in range(4) for j in range(4))


def optionOn():
    CORE.toolOptions["smartEulerFilter"] = True


class TestFilter:
    def test_gimbal_flip_comes_out_continuous_with_every_orientation_kept(self, rk, gimbal):
        optionOn()
        before = keyTriples(gimbal)
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
        after = keyTriples(gimbal)
        assert all(sameOrientation(b, a) for b, a in zip(before, after))
        for previous, current in zip(after, after[1:]):
            assert all(abs(c - p) < math.pi for p, c in zip(previous, current))
        assert after != before

    def test_each_curve_is_filtered_over_the_callers_range(self, rk, gimbal):
        optionOn()
        cmds.setKeyframe("ctrl.rx", time=(-5,), value=0.0)
        rk.AnimTools().applySmartEulerFilterToFrames([3, 7], "a1", True, False)
        calls = CORE.eulerFilterCalls
        assert [c["frameRange"] for c in calls] == [[3, 7]] * 3
        assert {(c["includePreviousKey"], c["filterFlag"], c["actionId"]) for c in calls} == {
            (True, False, "a1")}
        assert [b.count for b in CORE.progressBars] == [3]

    def test_message_once_per_action_when_a_curve_changed(self, rk, gimbal, monkeypatch):
        optionOn()
        # The pre-pass leaves the curves continuous; a curve's own filter that
        # still finds work is what the message reports.
        monkeypatch.setattr(AnimCurve, "smartEulerFilter", lambda self, **kw: True)
        tools = rk.AnimTools()
        tools.applySmartEulerFilterToFrames([1, 10], "a1")
        tools.applySmartEulerFilterToFrames([1, 10], "a1")
        [applied] = CORE.messages
        assert (applied.title, applied.messageId, applied.duration) == (
            "Smart Euler Filter Applied", "smart_euler_filter_on", 3)
        assert tools.lastActionId == "a1"

    def test_no_message_when_nothing_changed(self, rk, gimbal):
        optionOn()
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
        assert CORE.messages == [] and len(CORE.eulerFilterCalls) == 3

    @pytest.mark.parametrize("frames", [[1, None], [None]])
    def test_frames_holding_none_do_nothing(self, rk, gimbal, frames):
        optionOn()
        tools = rk.AnimTools()
        tools.applySmartEulerFilterToFrames(frames, "a1")
        assert CORE.eulerFilterCalls == [] and tools.lastActionId is None

    def test_no_curves_do_nothing(self, rk):
        optionOn()
        CORE.curveTarget.curveNames = []
        tools = rk.AnimTools()
        tools.applySmartEulerFilterToFrames([1, 10], "a1")
        assert tools.lastActionId is None and CORE.messages == []


class TestOptionOff:
    def test_offer_once_per_action_and_curves_untouched(self, rk, gimbal):
        before = keyTriples(gimbal)
        tools = rk.AnimTools()
        tools.applySmartEulerFilterToFrames([1, 10], "a1")
        tools.applySmartEulerFilterToFrames([1, 10], "a1")
        [offer] = CORE.messages
        assert offer.title == "Smart Euler Filter Could Have Helped"
        assert offer.messageId == "smart_euler_filter_off"
        assert offer.clickValue == MessageClick.accepted
        assert keyTriples(gimbal) == before and CORE.eulerFilterCalls == []

    def test_accepting_turns_the_option_on_and_filters(self, rk, gimbal):
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
        ToolMessage.click("smart_euler_filter_off", MessageClick.accepted)
        assert CORE.toolOptions["smartEulerFilter"] is True
        assert CORE.commonKit.smartEulerFilter_toolButton.checked is True
        after = keyTriples(gimbal)
        for previous, current in zip(after, after[1:]):
            assert all(abs(c - p) < math.pi for p, c in zip(previous, current))

    def test_declining_changes_nothing(self, rk, gimbal):
        before = keyTriples(gimbal)
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
        ToolMessage.click("smart_euler_filter_off", MessageClick.declined)
        assert not CORE.toolOptions.get("smartEulerFilter")
        assert keyTriples(gimbal) == before

    def test_failing_filter_after_accepting_is_reported(self, rk, gimbal, monkeypatch):
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")

        def broken(self, frames, actionId, *rest):
            raise RuntimeError("broken")

        monkeypatch.setattr(rk.AnimTools, "applySmartEulerFilterToFrames", broken)
        ToolMessage.click("smart_euler_filter_off", MessageClick.accepted)
        assert CORE.toolErrors == ["Could not execute Smart Euler Filter."]


class TestPrePass:
    def test_first_key_and_keys_before_the_start_stay(self, rk):
        cmds.createNode("transform", name="ctrl")
        for frame, value in ((1, 350.0), (2, 10.0), (3, -350.0), (4, 20.0)):
            cmds.setKeyframe("ctrl.rx", time=(frame,), value=value)
        curve = cmds.listConnections("ctrl.rx", source=True)[0]
        CORE.curveTarget.curveNames = [curve]
        rk.AnimTools().alignRotationKeys(startFrame=2)
        values = cmds.keyframe(curve, query=True, valueChange=True)
        assert values[:2] == [350.0, 10.0]  # first key, and the key at the start
        assert values[2:] == pytest.approx([10.0, 20.0])

    def test_trio_needs_x_y_and_z_curves(self, rk, gimbal):
        tools = rk.AnimTools()
        curves = tools.animCurves
        tools.alignRotationKeys()
        assert all(c.keyValues is not None for c in curves)
        after = keyTriples(gimbal)
        for previous, current in zip(after, after[1:]):
            assert all(abs(c - p) < math.pi for p, c in zip(previous, current))
