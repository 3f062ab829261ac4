"""The Smart Euler Filter: gimbal flips come out continuous, orientations kept, messages once."""
import gc
import math

import pytest
from maya import cmds
from maya.OpenMaya import MEulerRotation

from Zentrik._api.__hybrid__ import _rotation
from Zentrik._api.__hybrid__._core import CORE, AnimCurve, MessageClick, ToolMessage

FRAMES = list(range(1, 11))
ALIGNED = [0.0, 10.0, 20.0, 30.0, 40.0]
# Frames 1-5, the keys from frame 3 on a whole turn away on every axis.
UNWRAPPED = [(v, v, v) for v in (0.0, 10.0, 380.0, 390.0, 400.0)]
FLIPPING = [(v, v, v) for v in (0.0, 10.0, 200.0, 390.0, 400.0)]
ZEROS = [(0.0, 0.0, 0.0)] * 5
HALF_TURNS = [(0.0, 0.0, 0.0), (175.0, 0.0, 0.0), (-175.0, 0.0, 0.0)]
OFFSETS = [(0.0, 0.0, 0.0), (10.0, 20.0, 5.0), (185.0, 175.0, 185.0), (190.0, 170.0, 190.0),
           (10.0, 0.0, 0.0)]


def flipped(x, y, z):
    """The other Euler triple of the same xyz rotation, wrapped into (-180, 180]."""
    wrap = lambda a: (a + 180.0) % 360.0 - 180.0 or 180.0  # noqa: E731
    return wrap(x + 180.0), wrap(180.0 - y), wrap(z + 180.0)


def keyedRotation(frames, values, axes="XYZ"):
    """ctrl's rotation keyed at `frames` with a degree value per axis; its curves the target."""
    cmds.createNode("transform", name="ctrl")
    for frame, angles in zip(frames, values):
        for axis, value in zip(axes, angles):
            cmds.setKeyframe("ctrl.rotate" + axis, time=(frame,), value=value)
    curves = [cmds.listConnections("ctrl.rotate" + a, source=True)[0] for a in axes]
    CORE.curveTarget.curveNames = curves
    return curves


@pytest.fixture
def gimbal():
    """ctrl's rotation flips through y = 90 from frame 6; frame 8's x a whole turn away."""
    rotations = []
    for n, frame in enumerate(FRAMES):
        rotation = (10.0 * n, 60.0 + 6.0 * n, 5.0 * n)
        if frame >= 6:
            rotation = flipped(*rotation)
        if frame == 8:
            rotation = (rotation[0] + 360.0,) + rotation[1:]
        rotations.append(rotation)
    CORE.curveTarget.targetTime = (1, 10)
    return keyedRotation(FRAMES, rotations)


@pytest.fixture
def filterOn():
    CORE.toolOptions["smartEulerFilter"] = True


def keyValues(curves):
    return [cmds.keyframe(c, query=True, valueChange=True) for c in curves]


def sceneKeys(curves):
    return [(cmds.keyframe(c, query=True, timeChange=True), values)
            for c, values in zip(curves, keyValues(curves))]


def keyTriples(curves):
    """The curves' values key by key, in radians."""
    return [tuple(map(math.radians, values)) for values in zip(*keyValues(curves))]


def continuous(curves, limit=math.pi):
    after = keyTriples(curves)
    return all(abs(c - p) < limit for a, b in zip(after, after[1:]) for p, c in zip(a, b))


def sameOrientations(before, after):
    return all(MEulerRotation(*a).asMatrix().isEquivalent(MEulerRotation(*b).asMatrix(), 1e-9)
               for a, b in zip(before, after))


def broken(tools, frames, actionId, *rest):
    raise RuntimeError("broken")


@pytest.mark.usefixtures("filterOn")
class TestFilter:
    @pytest.mark.parametrize("otherLayer", [False, True])
    def test_gimbal_flip_comes_out_continuous_with_every_orientation_kept(self, rk, gimbal,
                                                                          otherLayer):
        if otherLayer:  # a layer holding other channels leaves the flip fix on
            cmds.animLayer("tweak", attribute="ctrl.tx")
            cmds.setKeyframe("ctrl.tx", time=(1,), value=2.0, animLayer="tweak")
        before = keyTriples(gimbal)
        rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
        assert sameOrientations(before, keyTriples(gimbal))
        assert continuous(gimbal, math.pi / 2)  # keys move by a few degrees, not half turns
        # The pre-pass alone changed the keys: that is reported too.
        assert keyTriples(gimbal) != before
        assert not any(c["changed"] for c in CORE.eulerFilterCalls)
        [applied] = CORE.messages
        assert applied.title == "Smart Euler Filter Applied"

    def test_each_curve_is_filtered_over_the_callers_range(self, rk, gimbal):
        cmds.setKeyframe("ctrl.rx", time=(-5,), value=0.0)
        rk.AnimTools().applySmartEulerFilterToFrames([3, 7], "a1", True, False)
        calls = CORE.eulerFilterCalls
        assert [c["frameRange"] for c in calls] == [[3, 7]] * 3
        assert {(c["includePreviousKey"], c["filterFlag"], c["actionId"]) for c in calls} == {
            (True, False, "a1")}
        assert [b.count for b in CORE.progressBars] == [3]

    @pytest.mark.parametrize("keys, aligned", [
        # Before frame 4, b.rx last keyed at 1: a.rx is aligned from frame 1 on, not from 3.
        (((0.0, 10.0, 380.0, 390.0, 400.0), {1: 0.0, 5: 0.0}), ALIGNED),
        # Both keyed on frame 4, which is no key before the range: the flip from a.rx's
        # key at 3 into frame 4 is still mended.
        (((0.0, 10.0, 20.0, 380.0, 390.0), {2: 0.0, 4: 0.0, 5: 0.0}),
         [0.0, 10.0, 20.0, 20.0, 30.0])], ids=["b unkeyed at the start", "both keyed there"])
    def test_previous_key_reaches_back_to_the_earliest_curves_last_key(self, rk, keys, aligned):
        for node, nodeKeys in zip("ab", (dict(enumerate(keys[0], 1)), keys[1])):
            cmds.createNode("transform", name=node)
            for frame, value in nodeKeys.items():
                cmds.setKeyframe(node + ".rx", time=(frame,), value=value)
        CORE.curveTarget.curveNames = [cmds.listConnections(n + ".rx", source=True)[0]
                                       for n in "ab"]
        # The curves' own filters write nothing: the keys show the module's pre-pass alone.
        rk.AnimTools().applySmartEulerFilterToFrames([4, 5], "a1", True, False)
        assert cmds.keyframe("a.rx", query=True, valueChange=True) == pytest.approx(aligned)

    @pytest.mark.parametrize("frames, curves, changed, filtered", [
        ([1, 5], None, True, 6), ([1, 5], None, False, 6), ([1, None], None, True, 0),
        ([None], None, True, 0), ([1, 5], [], True, 0)],
        ids=["changed", "unchanged", "a frame None", "only None", "no curves"])
    def test_message_once_per_action_where_a_curve_changed(self, rk, monkeypatch, frames,
                                                           curves, changed, filtered):
        keyedRotation(range(1, 6), [(10.0 * f,) * 3 for f in range(1, 6)])  # nothing to align
        if curves is not None:
            CORE.curveTarget.curveNames = curves
        calls = []
        monkeypatch.setattr(AnimCurve, "smartEulerFilter",
                            lambda curve, **flags: calls.append(curve) or changed)
        tools = rk.AnimTools()
        for _ in range(2):
            tools.applySmartEulerFilterToFrames(frames, "a1")
        assert len(calls) == filtered
        assert [(m.title, m.messageId, m.duration) for m in CORE.messages] == [
            ("Smart Euler Filter Applied", "smart_euler_filter_on", 3)] * (changed and filtered > 0)
        assert tools.lastActionId == ("a1" if filtered else None)


@pytest.mark.parametrize("click, toolbar, filterFails", [
    (MessageClick.declined, True, False), (MessageClick.accepted, True, False),
    (MessageClick.accepted, False, False), (MessageClick.accepted, True, True)],
    ids=["declined", "accepted", "accepted, no toolbar", "accepted, the filter failing"])
@pytest.mark.interactive
def test_with_the_option_off_the_filter_is_offered_once_per_action(
        rk, gimbal, errors, monkeypatch, click, toolbar, filterFails):
    before = keyTriples(gimbal)
    tools = rk.AnimTools()
    tools.applySmartEulerFilterToFrames([1, 10], "a1")
    tools.applySmartEulerFilterToFrames([1, 10], "a1")
    [offer] = CORE.messages
    assert (offer.title, offer.messageId, offer.clickValue) == (
        "Smart Euler Filter Could Have Helped", "smart_euler_filter_off", MessageClick.accepted)
    assert keyTriples(gimbal) == before and CORE.eulerFilterCalls == []
    if not toolbar:
        monkeypatch.setattr(CORE.commonKit, "smartEulerFilter_toolButton", None)
    if filterFails:
        monkeypatch.setattr(rk.AnimTools, "applySmartEulerFilterToFrames", broken)
    ToolMessage.click("smart_euler_filter_off", click)
    accepted = click == MessageClick.accepted
    assert bool(CORE.toolOptions.get("smartEulerFilter")) is accepted
    assert continuous(gimbal) is (accepted and not filterFails)
    assert (keyTriples(gimbal) == before) is not (accepted and not filterFails)
    assert CORE.toolErrors == ["Could not execute Smart Euler Filter."] * filterFails
    if toolbar:
        assert CORE.commonKit.smartEulerFilter_toolButton.checked is accepted and errors == []
    else:
        [report] = errors
        assert report.startswith("Zentrik - Could not check the Smart Euler Filter button - ")


@pytest.mark.parametrize("axes, keys, startFrame, aligned", [
    # A single curve's first key and its key at the start stay ...
    ("X", (350.0, 10.0, -350.0, 20.0), 2, [350.0, 10.0, 10.0, 20.0]),
    # ... where a trio's key at the start is aligned too.
    ("XYZ", (0.0, 10.0, 380.0, 390.0, 400.0), 3, ALIGNED)], ids=["single", "trio"])
def test_the_pre_pass_aligns_the_keys_after_the_start(rk, axes, keys, startFrame, aligned):
    curves = keyedRotation(range(1, len(keys) + 1), [(v,) * len(axes) for v in keys], axes)
    rk.AnimTools().alignRotationKeys(startFrame=startFrame)
    assert keyValues(curves) == [pytest.approx(aligned)] * len(axes)


def asSingle(curve):
    """A rotation curve the pre-pass takes on its own, not in a trio."""
    curve.setProperty("parentAttribute", None)
    curve.setProperty("isRotation", True)


class TestKeptKeysThatDisagree:
    """Kept key times and values that no longer pair up keep a curve out of the pre-pass."""

    def test_keys_cut_after_their_times_were_read(self, rk, filterOn):
        curves = keyedRotation(range(1, 6), UNWRAPPED)
        tools = rk.AnimTools()
        for curve in tools.animCurves:
            curve.setProperty("keyTimes", curve.keyTimes)
        cmds.cutKey("ctrl", time=(3, 5))
        tools.applySmartEulerFilterToFrames([1, 5], 1, includePreviousKey=False)
        assert [c["curve"] for c in CORE.eulerFilterCalls] == curves
        assert all("newKeyValues" not in vars(c) for c in tools.animCurves)

    @pytest.mark.parametrize("kept, count", [
        ("keyValues", 2), ("keyValues", 0), ("keyTimes", 2), ("keyTimes", 7)],
        ids=["fewer values", "no values", "fewer times", "more times"])
    @pytest.mark.parametrize("grouping", ["trio", "one of a trio", "single"])
    def test_a_curve_whose_times_and_values_differ_in_count_is_left_alone(
            self, rk, kept, count, grouping):
        curves = keyedRotation(range(1, 6), UNWRAPPED)
        before = sceneKeys(curves)
        tools = rk.AnimTools()
        changed = tools.animCurves[1:2] if grouping == "one of a trio" else tools.animCurves
        for curve in changed:
            curve.setProperty(kept, (list(getattr(curve, kept)) * 2)[:count])
            if grouping == "single":
                asSingle(curve)
        for startFrame in (None, 2):
            tools.alignRotationKeys(startFrame)
        assert sceneKeys(curves) == before
        assert all("newKeyValues" not in vars(c) for c in tools.animCurves)

    def test_a_filter_that_empties_the_lists_it_can_reach(self, rk, monkeypatch):
        # Python code the pass calls may empty the lists holding its arguments.
        curves = keyedRotation(range(1, 6), UNWRAPPED)

        def clearing(previous, current):
            for holder in gc.get_referrers(previous, current):
                if isinstance(holder, list) and len(holder) > 2 and \
                        all(isinstance(v, float) for v in holder):
                    holder.clear()
            return type(_rotation.rotationMath).filterAngle(previous, current)

        monkeypatch.setattr(rk.rotationMath, "filterAngle", clearing)
        tools = rk.AnimTools()
        for curve in tools.animCurves:
            asSingle(curve)
        tools.alignRotationKeys()
        assert keyValues(curves) == [pytest.approx(ALIGNED)] * 3


def layeredRotation(frames, base, layer, axes="XYZ", **settings):
    """ctrl's rotation: `base` keys on the base curves, `layer` on layer L's `axes`; all targets."""
    curves = keyedRotation(frames, base)
    cmds.animLayer("L", **settings)
    for axis in axes:
        cmds.animLayer("L", edit=True, attribute="ctrl.rotate" + axis)
    for frame, triple in zip(frames, layer):
        for axis, value in zip("XYZ", triple):
            if axis in axes:
                cmds.setKeyframe("ctrl.rotate" + axis, time=(frame,), value=value,
                                 animLayer="L")
    layerCurves = [cmds.animLayer("L", query=True, findCurveForPlug="ctrl.rotate" + a)[0]
                   for a in axes]
    CORE.curveTarget.curveNames = curves + layerCurves
    return curves, layerCurves


def shownRotations(frames):
    return [tuple(math.radians(v) for v in cmds.getAttr("ctrl.rotate", time=f)[0])
            for f in frames]


class TestLayersKeepThePose:
    """Another Euler triple keeps the pose only where the keys are the shown rotation."""

    @pytest.mark.parametrize("tool, base, layer, settings, aligned", [
        ("align", [(0.0, 30.0, 0.0)] * 3, OFFSETS[:3], {}, None),
        ("align", ZEROS[:3], HALF_TURNS, {"weight": 0.5, "axes": "X"}, None),
        ("align", FLIPPING, OFFSETS, {}, None),
        ("align", FLIPPING, FLIPPING, {"override": True, "weight": 0.5}, None),
        ("align", FLIPPING, OFFSETS, {"override": True, "passthrough": False, "weight": 0.5},
         None),
        ("align", FLIPPING, FLIPPING, {"weight": 1.0}, None),
        ("align", FLIPPING, OFFSETS, {"weightKeys": [(1, 0.0), (4, 0.0), (5, 1.0)]}, None),
        ("align", FLIPPING, FLIPPING, {"mute": True}, "base"),
        ("align", FLIPPING, FLIPPING, {"weight": 0.0}, "base"),
        ("align", FLIPPING, FLIPPING, {"override": True}, "layer"),
        ("align", FLIPPING, FLIPPING, {"override": True, "passthrough": False}, "layer"),
        # A curve's own whole-turn filter must not change the pose on layers either.
        ("filter", ZEROS[:3], HALF_TURNS, {"weight": 0.5, "axes": "X"}, None),
        ("filter", ZEROS, FLIPPING, {"weight": 0.5}, None),
        ("filter", ZEROS, FLIPPING, {"weight": 0.25, "axes": "Y"}, None),
        ("filter", FLIPPING, FLIPPING, {"weight": 0.5}, None),
    ], ids=["additive offsets", "half-weight offset", "base under offsets", "half override",
            "half override alone", "additive whole turns", "weighted in at the last key",
            "muted layer", "weightless layer", "override", "override alone",
            "filter: half-weight offset", "filter: half-weight turns",
            "filter: quarter-weight turns on Y", "filter: flipping base under half weight"])
    def test_only_the_curves_that_are_the_shown_rotation_change(self, rk, filterOn, tool, base,
                                                                layer, settings, aligned):
        settings = dict(settings)
        frames = list(range(1, len(base) + 1))
        weightKeys = settings.pop("weightKeys", [])
        curves, layerCurves = layeredRotation(frames, base, layer, **settings)
        for frame, weight in weightKeys:
            cmds.setKeyframe("L.weight", time=(frame,), value=weight)
        aligned = {"base": curves, "layer": layerCurves}.get(aligned, [])
        kept = [c for c in curves + layerCurves if c not in aligned]
        # The shown rotation at every key, and halfway between keys where none may change.
        times = frames if aligned else [f / 2.0 for f in range(2 * frames[0], 2 * frames[-1] + 1)]
        before, shown = sceneKeys(kept), shownRotations(times)
        if tool == "align":
            rk.AnimTools().alignRotationKeys()
        else:
            rk.AnimTools().applySmartEulerFilterToFrames([frames[0], frames[-1]], "a1")
        assert sceneKeys(kept) == before and continuous(aligned)
        assert sameOrientations(shown, shownRotations(times))
        assert CORE.messages == []


@pytest.mark.interactive
@pytest.mark.parametrize("slider", ["timeControlRebuilt", None])
def test_a_time_slider_that_cannot_be_asked_is_reported_and_the_filter_runs(
        rk, gimbal, filterOn, errors, slider):
    cmds.select("ctrl")
    cmds.channelBox("mainChannelBox", edit=True, select=["ctrl.rx"])
    CORE.timeSlider = slider
    rk.AnimTools().applySmartEulerFilterToFrames([1, 10], "a1")
    assert continuous(gimbal)
    [report] = errors
    assert report.startswith("Zentrik - Could not offer the Channel Box timeline sync - ")
