"""Key kinds on runs of frames: consecutive frames are edited as one range, and
the keys really carry the kind afterwards."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__._core import AnimCurve, CORE


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
    return (cmds.keyframe(target, query=True, breakdown=True) or [])


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

    def test_a_range_covers_keys_between_its_frames(self, rk, keyed):
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_SPECIAL, [3, 4])
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, [6, 7, 8])
        assert kinds(keyed) == [6.0, 7.0, 8.0]

    def test_unsorted_frames_continue_the_run(self, rk, keyed):
        # A smaller frame continues the run it follows: 7 then 5 is the range
        # (7, 5), which holds no key.
        from maya import _scene

        _scene.clearCommandLog()
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN, [3, 7, 5])
        assert [kw["time"] for args, kw in edits()] == [(3, 3), (3, 3), (7, 5), (7, 5)]
        assert kinds(keyed) == [3.0]

    def test_frames_of_the_target_when_none_are_given(self, rk, keyed, monkeypatch):
        monkeypatch.setattr(_core.CurveTarget, "targetTime", [2, 3], raising=False)
        rk.KeyQueries().setKeyKindOnFrames(keyed, AnimCurve.KEY_BREAKDOWN)
        assert kinds(keyed) == [2.0, 3.0]

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
