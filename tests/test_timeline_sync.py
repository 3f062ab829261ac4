"""The timeline questions: each is asked only in its situation, and only an
accepting answer changes the time slider and the highlight."""
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


class TestChannelBoxQuestion:
    def test_no_channels_selected_asks_nothing(self, rk, ctrl):
        from maya import _scene

        _scene.clearCommandLog()
        rk.AnimTools().updateChannelBoxHighlight()
        assert CORE.messages == []
        assert [c for c in _scene.commandLog() if c[0] == "timeControl"] == []

    def test_synced_slider_with_highlight_on_asks_nothing(self, rk, ctrl):
        channelsSelected()
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True
        rk.AnimTools().updateChannelBoxHighlight()
        assert CORE.messages == []

    def test_synced_slider_with_highlight_off_offers_the_highlight(self, rk, ctrl):
        channelsSelected()
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        rk.AnimTools().updateChannelBoxHighlight()
        assert titles() == [HIGHLIGHT]
        ToolMessage.click(0, MessageClick.accepted)
        assert CORE.trigger.highlightRuns == 1

    def test_a_late_yes_leaves_a_highlight_turned_on_meanwhile(self, rk, ctrl):
        channelsSelected()
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
        rk.AnimTools().updateChannelBoxHighlight()
        CORE.auxToolOptions["channelBoxSelectionTimelineHighlight"] = True  # from the menu
        ToolMessage.click(0, MessageClick.accepted)
        assert CORE.trigger.highlightRuns == 0

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


class TestLayerQuestion:
    def test_one_selected_layer_asks_nothing(self, rk, ctrl):
        rk.AnimLayer.create("layerA")
        cmds.animLayer("layerA", edit=True, selected=True)
        rk.AnimTools().updateAnimLayerSync()
        assert CORE.messages == []

    def test_two_selected_layers_ask_and_accepting_syncs(self, rk, ctrl):
        for name in ("layerA", "layerB"):
            rk.AnimLayer.create(name)
            cmds.animLayer(name, edit=True, selected=True)
        rk.AnimTools().updateAnimLayerSync()
        [message] = CORE.messages
        assert (message.title, message.messageId) == (LAYERS, "timeline_animlayers_sync")
        ToolMessage.click(0, MessageClick.accepted)
        assert slider(animLayerFilterOptions=True) == "activeAndSelected"
        assert CORE.trigger.highlightRuns == 1

    def test_synced_slider_asks_nothing(self, rk, ctrl):
        for name in ("layerA", "layerB"):
            rk.AnimLayer.create(name)
            cmds.animLayer(name, edit=True, selected=True)
        cmds.timeControl(CORE.timeSlider, edit=True, animLayerFilterOptions="activeAndSelected")
        rk.AnimTools().updateAnimLayerSync()
        assert CORE.messages == []


def test_reading_the_target_asks_first(rk, ctrl):
    channelsSelected()
    CORE.curveTarget.curveNames = []
    rk.AnimTools().targetCurves
    assert titles() == [SYNC]
