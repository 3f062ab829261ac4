"""Key kinds on runs of frames: a run of consecutive frames covers the keys
between them, and the keys carry both flags of the kind afterwards."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__._core import AnimCurve

BREAKDOWN, SPECIAL, DEFAULT = AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT
HALVES = (2, 2.5, 3, 3.5, 4, 5, 6, 6.5, 7, 8)


def keyCtrl(frames):
    cmds.createNode("transform", name="ctrl")
    for frame in frames:
        cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
    return "ctrl.tx"


@pytest.fixture
def keyed():
    return keyCtrl(range(1, 16))


def breakdowns(plug):
    return cmds.keyframe(plug, query=True, breakdown=True) or []


def kindsByTime(plug):
    curve = AnimCurve(cmds.listConnections(plug, source=True)[0])
    return dict(zip(curve.keyTimes, curve.keyKinds))


@pytest.mark.parametrize("edits, special, breakdown", [
    ([(SPECIAL, [2, 3, 4]), (BREAKDOWN, [6, 7])], [2, 2.5, 3, 3.5, 4], [6, 6.5, 7]),
    ([(SPECIAL, [2, 3, 4]), (BREAKDOWN, [3, 4])], [2, 2.5], [3, 3.5, 4]),
    ([(BREAKDOWN, [2, 3, 6])], [], [2, 2.5, 3, 6]),
    ([(BREAKDOWN, [6, 7]), (SPECIAL, [7, 8])], [7, 8], [6, 6.5]),
    ([(BREAKDOWN, [4, 5, 6]), (SPECIAL, [7]), (None, [5, 7])], [], [4, 6]),
], ids=["two runs", "breakdown clears special", "a gap ends a run", "special clears breakdown",
        "no kind clears both"])
def test_each_run_edits_the_keys_between_its_frames(rk, edits, special, breakdown):
    keyCtrl(HALVES)
    for kind, frames in edits:
        rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", kind, frames)
    assert breakdowns("ctrl.tx") == [float(f) for f in breakdown]
    assert kindsByTime("ctrl.tx") == {float(f): SPECIAL if f in special else BREAKDOWN
                                      if f in breakdown else DEFAULT for f in HALVES}


@pytest.mark.parametrize("frames, marked", [
    ([10, 11, 13], [10, 11, 13]), ([5, 3, 4], [3, 4, 5]), ([10, 1], [1, 10]),
    ([4, 4, 3, 5, 3], [3, 4, 5]), ([7, 5, 3], [3, 5, 7]), ((9.0, 8, 12, 11, 10), [8, 9, 10, 11, 12]),
], ids=["in order", "reversed run", "reversed far apart", "repeated", "reversed gaps", "tuple"])
def test_the_listed_frames_get_the_kind_whatever_their_order(rk, keyed, frames, marked):
    rk.KeyQueries().setKeyKindOnFrames(keyed, BREAKDOWN, frames)
    assert breakdowns(keyed) == [float(f) for f in marked]


@pytest.mark.parametrize("targetTime, marked", [
    ((1, 24), [1, 5, 10, 15, 24]), ([1, 24], [1, 5, 10, 15, 24]),
    ((24, 1), [1, 5, 10, 15, 24]), (10, [10]), ([], []),
])
def test_without_frames_the_target_time_is_edited_as_one_range(rk, monkeypatch, targetTime,
                                                               marked):
    keyCtrl((1, 5, 10, 15, 24, 30))
    monkeypatch.setattr(_core.CurveTarget, "targetTime", targetTime, raising=False)
    rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", BREAKDOWN, [] if targetTime == [] else None)
    assert breakdowns("ctrl.tx") == [float(f) for f in marked]
    assert SPECIAL not in kindsByTime("ctrl.tx").values()


def test_layers_answer_the_scenes_layers(rk):
    cmds.animLayer("layerA")
    layers = rk.KeyQueries().layers
    assert type(layers) is rk.LayerQueries and layers.layerNames == ["layerA", "BaseAnimation"]


@pytest.mark.parametrize("frames", [[2, float("nan"), 9], [float("inf")], [1, float("-inf")]])
def test_a_frame_that_is_not_finite_is_reported_and_no_key_changes(rk, keyed, errors, frames):
    rk.KeyQueries().setKeyKindOnFrames(keyed, BREAKDOWN, frames)
    assert breakdowns(keyed) == []
    [report] = errors
    assert report.startswith("Zentrik - Could not set the key kind at frame ")
