"""The timeline questions: asked in their situation only; only a yes changes the slider."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE, MessageClick, ToolMessage

pytestmark = pytest.mark.interactive

SYNC = "Sync your timeline with Channel Box?"
HIGHLIGHT = "Turn on Channel Box Selection Timeline Highlight?"
LAYERS = "Sync your timeline keys with selected Anim Layers?"
OPTION = "channelBoxSelectionTimelineHighlight"
SLIDER_FLAGS = ("showKeys", "showKeysCombined", "animLayerFilterOptions")


@pytest.fixture
def ctrl():
    cmds.createNode("transform", name="ctrl")
    cmds.select("ctrl")


def arrange(steps):
    """ctrl.tx selected in the Channel Box, the slider showing its keys, the highlight option
    on, layers selected, the slider's layer filter synced with them: as `steps` name them."""
    if "channels" in steps:
        cmds.channelBox("mainChannelBox", edit=True, select=["ctrl.tx"])
    if "synced" in steps:
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox")
    if "highlight" in steps:
        CORE.auxToolOptions[OPTION] = True
    for name in ("layerA", "layerB"):
        if name in steps:
            cmds.animLayer(name)
            cmds.animLayer(name, edit=True, selected=True)
    if "filtered" in steps:
        cmds.timeControl(CORE.timeSlider, edit=True, animLayerFilterOptions="activeAndSelected")


def slider():
    return {flag: cmds.timeControl(CORE.timeSlider, query=True, **{flag: True})
            for flag in SLIDER_FLAGS}


@pytest.mark.parametrize("steps, update", [
    ("", "updateChannelBoxHighlight"), ("channels synced highlight", "updateChannelBoxHighlight"),
    ("layerA", "updateAnimLayerSync"), ("layerA layerB filtered", "updateAnimLayerSync")],
    ids=["no channels selected", "synced slider, highlight on", "one selected layer",
         "synced layer filter"])
def test_nothing_is_asked_or_changed_outside_its_situation(rk, ctrl, commandLog, steps, update):
    arrange(steps)
    commandLog.clear()
    getattr(rk.AnimTools(), update)()
    assert CORE.messages == []
    # Without channels the slider is not even asked.
    assert [flags for args, flags in commandLog("timeControl")
            if flags.get("edit") or not steps] == []


@pytest.mark.parametrize("steps, update, question, synced", [
    ("channels highlight", "updateChannelBoxHighlight", (SYNC, "timeline_channelbox_sync"),
     {"showKeys": "mainChannelBox", "showKeysCombined": True,
      "animLayerFilterOptions": "activeAndSelected"}),
    ("channels synced", "updateChannelBoxHighlight",
     (HIGHLIGHT, "channel_box_selection_timeline_highlight"), {}),
    ("layerA layerB", "updateAnimLayerSync", (LAYERS, "timeline_animlayers_sync"),
     {"animLayerFilterOptions": "activeAndSelected"})],
    ids=["slider showing other keys", "synced slider, highlight off", "two selected layers"])
@pytest.mark.parametrize("accepted", [True, False], ids=["yes", "no"])
def test_asked_in_its_situation_and_only_a_yes_changes_the_slider(
        rk, ctrl, steps, update, question, synced, accepted):
    arrange(steps)
    before = slider()
    getattr(rk.AnimTools(), update)()
    [message] = CORE.messages
    assert (message.key, message.title, message.messageId) == ("auxKit",) + question
    ToolMessage.click(0, MessageClick.accepted if accepted else MessageClick.declined)
    after = slider()
    assert ({flag: after[flag] for flag in synced} == synced) if accepted else after == before
    assert CORE.trigger.highlightRuns == int(accepted)
    if question[0] == SYNC:
        assert message.body.split("\n")[0] == (
            "It's highly recommended to enable all the power of Zentrik.")
        assert CORE.auxToolOptions[OPTION] is not accepted  # the highlight gives way to the sync


def test_a_late_yes_to_the_highlight_leaves_it_when_it_was_turned_on_meanwhile(rk, ctrl):
    arrange("channels synced")
    rk.AnimTools().updateChannelBoxHighlight()
    CORE.auxToolOptions[OPTION] = True  # from the menu
    ToolMessage.click(0, MessageClick.accepted)
    assert CORE.trigger.highlightRuns == 0


def test_reading_the_target_asks_first(rk, ctrl):
    arrange("channels")
    CORE.curveTarget.curveNames = []
    rk.AnimTools().targetCurves
    assert [m.title for m in CORE.messages] == [SYNC]
