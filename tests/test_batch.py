"""Maya without its interface (mayapy, a farm job): the scene's answers, and nothing else."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE


@pytest.fixture
def head(batch, commandLog):
    """In batch: head.rotateX keyed 0, 10, 380 at frames 1-3, its target; two layers selected."""
    cmds.createNode("transform", name="head")
    for frame, value in ((1, 0.0), (2, 10.0), (3, 380.0)):
        cmds.setKeyframe("head.rotateX", time=(frame,), value=value)
    for name in ("layerA", "layerB"):  # with an interface, the layer sync would ask
        cmds.animLayer(name)
        cmds.animLayer(name, edit=True, selected=True)
    CORE.curveTarget.curveNames = cmds.keyframe("head.rotateX", query=True, name=True)
    commandLog.clear()
    return CORE.curveTarget.curveNames


def test_channel_box_of_given_nodes_answers_their_channels(rk, head, errors, commandLog):
    box = rk.ChannelBox(["head"])
    assert box.selectedPlugNames == [] and "|head.rotateX" in box.animatablePlugNames
    assert [a.plugName for a in box.activeAttrs] == [a.plugName for a in box.channelBoxAttrs]
    assert "|head.rotateX" not in box.nonAnimatedPlugNames and errors == []
    assert commandLog("channelBox") == []


@pytest.mark.parametrize("option", [False, True], ids=["filter off", "filter on"])
def test_tools_ask_nobody_and_report_nothing(rk, head, errors, commandLog, option):
    CORE.toolOptions["smartEulerFilter"] = option
    rk.AnimTools().applySmartEulerFilterToFrames([1, 3], "farm job")
    assert cmds.keyframe(head, query=True, valueChange=True) == pytest.approx(
        [0.0, 10.0, 20.0 if option else 380.0])
    assert [m.title for m in CORE.messages] == ["Smart Euler Filter Applied"] * option
    assert errors == [] and commandLog("channelBox") == commandLog("timeControl") == []
    rk.AnimControl.setCurrentTime(rk.FrameTime(12))  # and the time moves without a refresh
    assert cmds.currentTime(query=True) == 12.0 and commandLog("refresh") == []
