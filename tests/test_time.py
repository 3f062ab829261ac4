"""AnimControl and FrameTime: the current time without redraws, frames in the
scene's unit, and timewarp."""
import pytest
from maya import cmds
from maya.OpenMaya import MTime


@pytest.mark.parametrize("unit, seconds", [("film", 1.0), ("ntsc", 0.8)])
def test_frame_time_counts_in_the_interface_unit(rk, unit, seconds):
    cmds.currentUnit(time=unit)
    time = rk.FrameTime(24)
    assert isinstance(time, MTime)
    assert time.value() == 24
    assert time.asUnits(MTime.kSeconds) == pytest.approx(seconds)


def test_set_current_time_suspends_refresh_around_the_change(rk, monkeypatch):
    calls = []
    monkeypatch.setattr(cmds, "refresh", lambda **flags: calls.append(("refresh", flags)))
    real = cmds.currentTime
    monkeypatch.setattr(cmds, "currentTime",
                        lambda *args, **flags: calls.append(("currentTime", args, flags))
                        or real(*args, **flags))
    rk.AnimControl.setCurrentTime(rk.FrameTime(12))
    assert calls == [("refresh", {"suspend": True}), ("currentTime", (12.0,), {}),
                     ("refresh", {"suspend": False})]
    # The other statics are Maya's own.
    assert rk.AnimControl.currentTime().value() == 12


@pytest.mark.parametrize("scene, time, frame", [
    ("ntsc", MTime(1.0, MTime.kSeconds), 30.0),
    ("ntsc", MTime(48.0, MTime.kFilm), 60.0),
    ("film", MTime(0.5, MTime.kSeconds), 12.0),
    ("film", MTime(7.0, MTime.kFilm), 7.0),
], ids=["seconds", "another frame rate", "half a second", "the scene's own unit"])
def test_set_current_time_converts_to_the_scene_unit(rk, scene, time, frame):
    cmds.currentUnit(time=scene)
    rk.AnimControl.setCurrentTime(time)
    assert cmds.currentTime(query=True) == pytest.approx(frame)


def test_set_current_time_takes_a_plain_value_as_a_frame(rk):
    class Frame(object):
        def value(self):
            return 9.0

    cmds.currentUnit(time="ntsc")
    rk.AnimControl.setCurrentTime(Frame())
    assert cmds.currentTime(query=True) == 9.0


def test_refresh_comes_back_when_the_time_change_fails(rk, monkeypatch):
    calls = []
    failure = RuntimeError("cannot change time")
    monkeypatch.setattr(cmds, "refresh", lambda **flags: calls.append(flags))

    def fail(*args, **flags):
        raise failure

    monkeypatch.setattr(cmds, "currentTime", fail)
    with pytest.raises(RuntimeError) as caught:
        rk.AnimControl.setCurrentTime(rk.FrameTime(3))
    assert caught.value is failure
    assert calls == [{"suspend": True}, {"suspend": False}]


class TestTimewarp:
    def test_off_returns_the_very_time(self, rk):
        time = MTime(5, MTime.uiUnit())
        assert rk.FrameTime.isTimewarpEnabled() is False
        assert rk.FrameTime.warpedTime(time) is time

    def test_on_reads_out_time_at_the_time(self, rk):
        cmds.setKeyframe("time1", attribute="outTime", time=1, value=1)
        cmds.setKeyframe("time1", attribute="outTime", time=10, value=20)
        rk.FrameTime.setTimewarpEnabled(True)
        assert rk.FrameTime.isTimewarpEnabled() is True
        warped = rk.FrameTime.warpedTime(MTime(10, MTime.uiUnit()))
        assert isinstance(warped, rk.FrameTime) and warped.value() == pytest.approx(20)

    def test_value_at_time_can_apply_timewarp(self, rk):
        cmds.createNode("transform", name="n")
        cmds.setKeyframe("n", attribute="tx", time=1, value=1)
        cmds.setKeyframe("n", attribute="tx", time=20, value=20)
        cmds.setKeyframe("time1", attribute="outTime", time=1, value=1)
        cmds.setKeyframe("time1", attribute="outTime", time=10, value=20)
        rk.FrameTime.setTimewarpEnabled(True)
        attr = rk.AnimAttr(plugName="n.tx")
        time = MTime(10, MTime.uiUnit())
        assert attr.valueAtTime(time) == pytest.approx(10)
        assert attr.valueAtTime(time, applyTimewarp=True) == pytest.approx(20)


def test_failing_refresh_after_a_failed_change_keeps_both_errors(rk, monkeypatch):
    failure = RuntimeError("cannot change time")
    refreshFailure = RuntimeError("cannot refresh")

    def refresh(suspend):
        if not suspend:
            raise refreshFailure

    def fail(*args, **flags):
        raise failure

    monkeypatch.setattr(cmds, "refresh", refresh)
    monkeypatch.setattr(cmds, "currentTime", fail)
    with pytest.raises(RuntimeError) as caught:
        rk.AnimControl.setCurrentTime(rk.FrameTime(3))
    assert caught.value is refreshFailure and refreshFailure.__context__ is failure
