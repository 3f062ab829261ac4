"""Key kinds on runs of frames: consecutive frames are edited as one range, and
the keys really carry the kind afterwards."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__._core import AnimCurve

BREAKDOWN, SPECIAL, DEFAULT = AnimCurve.KEY_BREAKDOWN, AnimCurve.KEY_SPECIAL, AnimCurve.KEY_DEFAULT


@pytest.fixture
def keyed():
    cmds.createNode("transform", name="ctrl")
    for frame in range(1, 16):
        cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
    return "ctrl.tx"


def edits():
    from maya import _scene

    return [(args, kwargs) for name, args, kwargs in _scene.commandLog()
            if name == "keyframe" and kwargs.get("edit")]


def kinds(target):
    """The times of the breakdown keys of `target`."""
    return (cmds.keyframe(target, query=True, breakdown=True) or [])


def kindsByTime(plug):
    """{key time: key kind} of the curve driving `plug`."""
    curve = AnimCurve(cmds.listConnections(plug, source=True)[0])
    return dict(zip(curve.keyTimes, curve.keyKinds))


class TestRuns:
    def test_two_runs_give_four_edits_in_order(self, rk, keyed):
        from maya import _scene

        _scene.clearCommandLog()
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, [10, 11, 13])
        assert edits() == [
            ((keyed,), dict(edit=True, time=(10, 11), breakdown=True)),
            ((keyed,), dict(edit=True, time=(10, 11), tickDrawSpecial=False)),
            ((keyed,), dict(edit=True, time=(13, 13), breakdown=True)),
            ((keyed,), dict(edit=True, time=(13, 13), tickDrawSpecial=False)),
        ]
        assert kinds(keyed) == [10.0, 11.0, 13.0]

    def test_default_kind_clears_both_flags(self, rk, keyed):
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, [4, 5, 6])
        rk.KeyQueries().setKeyKindOnFrames(keyed, None, [5])
        assert kinds(keyed) == [4.0, 6.0]

    def test_a_run_covers_the_keys_between_its_frames_and_keeps_earlier_edits(self, rk):
        # Keys between listed frames (at the half frames) are edited with the
        # run; an edit of another run leaves the first run's kind alone.
        cmds.createNode("transform", name="ctrl")
        for frame in (2, 2.5, 3, 3.5, 4, 5, 6, 6.5, 7, 8):
            cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
        rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", AnimCurve.KEY_SPECIAL, [2, 3, 4])
        rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", AnimCurve.KEY_BREAKDOWN, [6, 7])
        assert kindsByTime("ctrl.tx") == {
            2.0: SPECIAL, 2.5: SPECIAL, 3.0: SPECIAL, 3.5: SPECIAL, 4.0: SPECIAL,
            5.0: DEFAULT, 6.0: BREAKDOWN, 6.5: BREAKDOWN, 7.0: BREAKDOWN, 8.0: DEFAULT}

    @pytest.mark.parametrize("frames, runs, marked", [
        ([5, 3, 4], [(3, 5)], [3, 4, 5]),
        ([10, 1], [(1, 1), (10, 10)], [1, 10]),
        ([4, 4, 3, 5, 3], [(3, 5)], [3, 4, 5]),
        ([7, 5, 3], [(3, 3), (5, 5), (7, 7)], [3, 5, 7]),
        ((9.0, 8, 12, 11, 10), [(8, 12)], [8, 9, 10, 11, 12]),
    ], ids=["reversed run", "reversed far apart", "repeated", "reversed gaps", "tuple"])
    def test_the_listed_frames_get_the_kind_whatever_their_order(self, rk, keyed, frames,
                                                                  runs, marked):
        from maya import _scene

        _scene.clearCommandLog()
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, frames)
        assert [kw["time"] for args, kw in edits()][::2] == runs
        assert kinds(keyed) == [float(f) for f in marked]

    @pytest.mark.parametrize("targetTime, marked", [
        ((1, 24), [1, 5, 10, 15, 24]), ([1, 24], [1, 5, 10, 15, 24]),
        ((24, 1), [1, 5, 10, 15, 24]), (10, [10]),
    ])
    def test_the_target_time_is_edited_as_one_range(self, rk, monkeypatch, targetTime, marked):
        cmds.createNode("transform", name="ctrl")
        for frame in (1, 5, 10, 15, 24, 30):
            cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
        monkeypatch.setattr(_core.CurveTarget, "targetTime", targetTime, raising=False)
        rk.KeyQueries().setKeyKindOnFrames("ctrl.tx", AnimCurve.KEY_BREAKDOWN)
        assert kinds("ctrl.tx") == [float(f) for f in marked]

    def test_no_frames_at_all_does_nothing(self, rk, keyed, monkeypatch):
        from maya import _scene

        monkeypatch.setattr(_core.CurveTarget, "targetTime", [], raising=False)
        _scene.clearCommandLog()
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_SPECIAL, [])
        assert edits() == [] and kinds(keyed) == []

    def test_layers_are_a_new_query_per_object(self, rk):
        queries = rk.KeyQueries()
        assert type(queries.layers) is rk.LayerQueries
        assert queries.layers is queries.layers
        assert rk.KeyQueries().layers is not queries.layers


@pytest.mark.parametrize("frames", [[2, float("nan"), 9], [float("inf")], [1, float("-inf")]])
def test_a_frame_that_is_not_finite_is_reported_and_no_key_changes(rk, keyed, errors, frames):
    rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, frames)
    assert kinds(keyed) == []
    [report] = errors
    assert report.startswith("Zentrik - Could not set the key kind at frame ")
