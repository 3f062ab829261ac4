"""The timeline questions: asked in their situation only; only a yes changes the slider."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE, MessageClick, ToolMessage


@pytest.fixture
def ctrl():
    cmds.createNode("transform", name="ctrl")
    cmds.select("ctrl")


def slider(**flags):
    return cmds.timeControl(CORE.timeSlider, query=True, **flags)


def channelsSelected():
    cmds.channelBox("mainChannelBox", edit=True, select=["ctrl.tx"])


def titles():
    return [m.title for m in CORE.messages]


SYNC = "Sync your timeline with Channel Box?"
HIGHLIGHT = "Turn on Channel Box Selection Timeline Highlight?"
LAYERS = "Sync your timeline keys with selected Anim Layers?"


def selectLayers(*names):
    for name in names:
        cmds.animLayer(name)
        cmds.animLayer(name, edit=True, selected=True)


@pytest.mark.parametrize("situation, update", [
    ("no channels selected", "updateChannelBoxHighlight"),
    ("synced slider, highlight on", "updateChannelBoxHighlight"),
    ("one selected layer", "updateAnimLayerSync"),
    ("synced layer filter", "updateAnimLayerSync")])
def test_nothing_is_asked_or_changed_outside_its_situation(rk, ctrl, commandLog, situation,
                                                          update):
    if situation == "synced slider, highlight on":
        channelsSelected()
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True
    elif situation == "one selected layer":
        selectLayers("layerA")
    elif situation == "synced layer filter":
        selectLayers("layerA", "layerB")
        cmds.timeControl(CORE.timeSlider, edit=True, animLayerFilterOptions="activeAndSelected")
    commandLog.clear()
    getattr(rk.AnimTools(), update)()
    assert CORE.messages == []
    # Without channels the slider is not even asked.
    assert [flags for args, flags in commandLog("timeControl")
            if flags.get("edit") or situation == "no channels selected"] == []


class TestChannelBoxQuestion:
    @pytest.mark.parametrize("onMeanwhile", [False, True])
    def test_synced_slider_with_highlight_off_offers_the_highlight(self, rk, ctrl, onMeanwhile):
        channelsSelected()
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        rk.AnimTools().updateChannelBoxHighlight()
        assert titles() == [HIGHLIGHT]
        if onMeanwhile:  # from the menu: a late yes leaves it
            CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True
        ToolMessage.click(0, MessageClick.accepted)
        assert CORE.trigger.highlightRuns == (0 if onMeanwhile else 1)

    def test_slider_showing_other_keys_asks_and_accepting_syncs(self, rk, ctrl):
        channelsSelected()
        CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True
        rk.AnimTools().updateChannelBoxHighlight()
        [message] = CORE.messages
        assert (message.key, message.title, message.messageId) == (
            "auxKit", SYNC, "timeline_channelbox_sync")
        assert message.body.split("\n")[0] == (
            "It's highly recommended to enable all the power of Zentrik.")
        ToolMessage.click(0, MessageClick.accepted)
        assert slider(showKeys=True) == "mainChannelBox"
        assert slider(showKeysCombined=True) is True
        assert slider(animLayerFilterOptions=True) == "activeAndSelected"
        assert CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] is False
        assert CORE.trigger.highlightRuns == 1

    @pytest.mark.parametrize("question", ["sync", "highlight"])
    def test_declining_changes_nothing(self, rk, ctrl, question):
        channelsSelected()
        if question == "highlight":
            cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        before = slider(showKeys=True)
        rk.AnimTools().updateChannelBoxHighlight()
        ToolMessage.click(0, MessageClick.declined)
        assert slider(showKeys=True) == before and CORE.trigger.highlightRuns == 0


def test_two_selected_layers_ask_and_accepting_syncs(rk, ctrl):
    selectLayers("layerA", "layerB")
    rk.AnimTools().updateAnimLayerSync()
    [message] = CORE.messages
    assert (message.title, message.messageId) == (LAYERS, "timeline_animlayers_sync")
    ToolMessage.click(0, MessageClick.accepted)
    assert slider(animLayerFilterOptions=True) == "activeAndSelected"
    assert CORE.trigger.highlightRuns == 1


def test_reading_the_target_asks_first(rk, ctrl):
    channelsSelected()
    CORE.curveTarget.curveNames = []
    rk.AnimTools().targetCurves
    assert titles() == [SYNC]
