"""Batch mode: the switch maya.standalone turns, what MGlobal and about answer, and the
interface's controls, which no longer exist."""
import pytest
from maya import cmds
from maya.OpenMaya import MGlobal

from Zentrik._api.__hybrid__._core import CORE


@pytest.mark.standin_only
def test_standalone_switches_batch_mode_on_and_off_again():
    import maya.standalone

    was_batch = cmds.about(batch=True)
    seen = []
    try:
        for step in (maya.standalone.uninitialize, maya.standalone.initialize,
                     maya.standalone.initialize, maya.standalone.uninitialize):
            step()
            seen.append((MGlobal.mayaState(), cmds.about(batch=True), cmds.about(b=True)))
    finally:
        (maya.standalone.initialize if was_batch else maya.standalone.uninitialize)()
    interactive, batch = (MGlobal.kInteractive, False, False), (MGlobal.kBatch, True, True)
    assert seen == [interactive, batch, batch, interactive]


@pytest.mark.parametrize("command, control, flags", [
    (cmds.channelBox, "mainChannelBox", dict(query=True, selectedMainAttributes=True)),
    (cmds.channelBox, "mainChannelBox", dict(edit=True, select=["persp.tx"])),
    (cmds.timeControl, CORE.timeSlider, dict(query=True, showKeys=True)),
    (cmds.timeControl, CORE.timeSlider, dict(edit=True, showKeys="mainChannelBox"))],
    ids=["channelBox query", "channelBox edit", "timeControl query", "timeControl edit"])
def test_interface_controls_do_not_exist_in_batch(batch, command, control, flags):
    assert command(control, exists=True) is False
    with pytest.raises(RuntimeError) as caught:
        command(control, **flags)
    assert str(caught.value) == "%s: Object '%s' not found." % (command.__name__, control)


def test_scene_commands_and_refresh_work_in_batch(batch):
    cmds.refresh(suspend=True)
    cmds.currentTime(7)
    cmds.refresh(suspend=False)
    assert cmds.currentTime(query=True) == 7.0
