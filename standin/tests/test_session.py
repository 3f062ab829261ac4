"""Batch mode: the switch of maya.standalone, MGlobal's and about's answers, no UI controls."""
import pytest
from maya import cmds, standalone
from maya.OpenMaya import MGlobal


@pytest.mark.standin_only
def test_standalone_switches_batch_mode_on_and_off_again():
    was_batch = cmds.about(batch=True)
    standalone.uninitialize()
    seen = [(MGlobal.mayaState(), cmds.about(batch=True))]
    standalone.initialize()
    seen.append((MGlobal.mayaState(), cmds.about(b=True)))
    was_batch or standalone.uninitialize()
    assert seen == [(MGlobal.kInteractive, False), (MGlobal.kBatch, True)]


@pytest.mark.parametrize("command, control, flags", [
    (cmds.channelBox, "mainChannelBox", dict(query=True, selectedMainAttributes=True)),
    (cmds.timeControl, "timeControl1", dict(edit=True, showKeys="mainChannelBox"))])
def test_interface_controls_do_not_exist_in_batch(batch, command, control, flags):
    assert command(control, exists=True) is False
    with pytest.raises(RuntimeError, match="^%s: Object '%s' not found.$" % (
            command.__name__, control)):
        command(control, **flags)
