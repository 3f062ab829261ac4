"""AnimControl and FrameTime: the current time without redraws, the scene's unit, timewarp."""
from types import SimpleNamespace

import pytest
from maya import cmds
from maya.OpenMaya import MTime


@pytest.mark.parametrize("unit, seconds", [("film", 1.0), ("ntsc", 0.8)])
def test_frame_time_counts_in_the_interface_unit(rk, unit, seconds):
    cmds.currentUnit(time=unit)
    time = rk.FrameTime(24)
    assert isinstance(time, MTime) and time.value() == 24
    assert time.asUnits(MTime.kSeconds) == pytest.approx(seconds)


@pytest.mark.parametrize("scene, time, frame", [
    ("ntsc", MTime(1.0, MTime.kSeconds), 30.0), ("ntsc", MTime(48.0, MTime.kFilm), 60.0),
    ("film", MTime(0.5, MTime.kSeconds), 12.0), ("film", MTime(7.0, MTime.kFilm), 7.0),
    ("ntsc", SimpleNamespace(value=lambda: 9.0), 9.0),  # a value with a frame, not an MTime
], ids=["seconds", "another frame rate", "half a second", "the scene's own unit", "plain value"])
def test_set_current_time_converts_to_the_scene_unit(rk, scene, time, frame):
    cmds.currentUnit(time=scene)
    rk.AnimControl.setCurrentTime(time)
    assert cmds.currentTime(query=True) == pytest.approx(frame)


@pytest.mark.interactive
@pytest.mark.parametrize("fails", ["nothing", "time", "time and refresh"])
def test_refresh_is_suspended_around_the_change_and_comes_back_whatever_fails(rk, monkeypatch,
                                                                              fails):
    calls, failure, refreshFailure = [], RuntimeError("no time"), RuntimeError("no refresh")
    real = cmds.currentTime

    def refresh(**flags):
        calls.append(("refresh", flags))
        if fails == "time and refresh" and not flags["suspend"]:
            raise refreshFailure

    def currentTime(*args, **flags):
        calls.append(("currentTime", args, flags))
        if fails != "nothing":
            raise failure
        return real(*args, **flags)

    monkeypatch.setattr(cmds, "refresh", refresh)
    monkeypatch.setattr(cmds, "currentTime", currentTime)
    if fails == "nothing":
        rk.AnimControl.setCurrentTime(rk.FrameTime(12))
    else:
        with pytest.raises(RuntimeError) as caught:
            rk.AnimControl.setCurrentTime(rk.FrameTime(12))
        assert caught.value is (refreshFailure if "refresh" in fails else failure)
    assert refreshFailure.__context__ is (failure if "refresh" in fails else None)
    assert calls == [("refresh", {"suspend": True}), ("currentTime", (12.0,), {}),
                     ("refresh", {"suspend": False})]


def test_timewarp_off_returns_the_very_time_and_on_reads_out_time_at_the_time(rk):
    time = MTime(10, MTime.uiUnit())
    assert rk.FrameTime.isTimewarpEnabled() is False
    assert rk.FrameTime.warpedTime(time) is time
    cmds.createNode("transform", name="n")
    for node, attribute, frame, value in (("time1", "outTime", 1, 1), ("time1", "outTime", 10, 20),
                                          ("n", "tx", 1, 1), ("n", "tx", 20, 20)):
        cmds.setKeyframe(node, attribute=attribute, time=frame, value=value)
    rk.FrameTime.setTimewarpEnabled(True)
    assert rk.FrameTime.isTimewarpEnabled() is True
    warped = rk.FrameTime.warpedTime(time)
    assert isinstance(warped, rk.FrameTime) and warped.value() == pytest.approx(20)
    attr = rk.AnimAttr(plugName="n.tx")
    assert attr.valueAtTime(time) == pytest.approx(10)
    assert attr.valueAtTime(time, applyTimewarp=True) == pytest.approx(20)
