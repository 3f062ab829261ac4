"""Maya without its interface (mayapy, a farm job): what a pipeline script gets from the
module is the scene's answer, without the Channel Box, the timeline questions or redraws."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE

CHANNEL_BOX_ANSWERS = ("activeAttrs", "nonAnimatedAttrs", "channelBoxAttrs")


@pytest.fixture
def ctrl():
    """ctrl keyed on tx; ctrl selected, so nodes given or not name the same node."""
    cmds.createNode("transform", name="ctrl")
    cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
    cmds.select("ctrl")


def test_channel_box_answers_the_channels_of_the_nodes_without_asking_for_a_highlight(
        rk, ctrl, errors, commandLog):
    with_interface = {name: [a.plugName for a in getattr(rk.ChannelBox(["ctrl"]), name)]
                      for name in CHANNEL_BOX_ANSWERS}
    import maya.standalone

    was_batch = cmds.about(batch=True)
    maya.standalone.initialize()
    try:
        commandLog.clear()
        for nodes in (["ctrl"], "ctrl", None):
            box = rk.ChannelBox(nodes)
            assert box.selectedChannelPaths == [] and box.selectedPlugNames == []
            assert {name: [a.plugName for a in getattr(box, name)]
                    for name in CHANNEL_BOX_ANSWERS} == with_interface
        assert "|ctrl.translateX" in with_interface["activeAttrs"]
        assert "|ctrl.translateX" not in rk.ChannelBox(["ctrl"]).nonAnimatedPlugNames
        assert commandLog("channelBox") == [] and errors == []
    finally:
        if not was_batch:
            maya.standalone.uninitialize()


def test_tools_reading_their_target_ask_nothing_and_report_nothing(rk, ctrl, batch, errors,
                                                                   commandLog):
    cmds.animLayer("layerA")
    cmds.animLayer("layerB")
    for name in ("layerA", "layerB"):
        cmds.animLayer(name, edit=True, selected=True)
    CORE.curveTarget.curveNames = cmds.keyframe("ctrl.tx", query=True, name=True)
    commandLog.clear()
    tools = rk.AnimTools()
    assert [curve.name() for curve in tools.targetCurves] == CORE.curveTarget.curveNames
    tools.updateChannelBoxHighlight()
    tools.updateAnimLayerSync()
    assert errors == [] and CORE.messages == []
    assert commandLog("channelBox") == commandLog("timeControl") == []


def test_the_time_moves_without_a_refresh(rk, ctrl, batch, commandLog):
    commandLog.clear()
    rk.AnimControl.setCurrentTime(rk.FrameTime(12))
    assert cmds.currentTime(query=True) == 12.0
    assert commandLog("refresh") == [] and commandLog("currentTime")[0] == ((12.0,), {})


@pytest.mark.parametrize("option", [False, True], ids=["option off", "option on"])
def test_the_euler_filter_offers_itself_to_nobody(rk, batch, errors, option):
    cmds.createNode("transform", name="head")
    for frame, value in ((1, 0.0), (2, 10.0), (3, 380.0)):
        cmds.setKeyframe("head.rotateX", time=(frame,), value=value)
    curve = cmds.keyframe("head.rotateX", query=True, name=True)
    CORE.curveTarget.curveNames = curve
    CORE.toolOptions["smartEulerFilter"] = option
    tools = rk.AnimTools()
    tools.applySmartEulerFilterToFrames([1, 3], "farm job")
    assert cmds.keyframe(curve, query=True, valueChange=True) == pytest.approx(
        [0.0, 10.0, 20.0] if option else [0.0, 10.0, 380.0])
    assert [m.title for m in CORE.messages] == ["Smart Euler Filter Applied"] * option
    assert errors == [] and tools.lastActionId == "farm job"
