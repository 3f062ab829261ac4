"""connectAttr, deleteAttr and connectionInfo: what they answer and how they fail."""
import pytest
from maya import cmds


@pytest.fixture
def rig():
    """driver.translate feeds ctrl.translate and other.translate; ctrl.t is locked."""
    for name in ("driver", "ctrl", "other"):
        cmds.createNode("transform", name=name)
    cmds.connectAttr("driver.translate", "ctrl.translate")
    cmds.connectAttr("driver.translate", "other.translate")
    cmds.setAttr("ctrl.translate", lock=True)


@pytest.mark.parametrize("source, destination, message", [
    ("driver.noSuch", "ctrl.rx", "The source attribute 'driver.noSuch' cannot be found."),
    ("driver.rx", "ctrl.noSuch", "The destination attribute 'ctrl.noSuch' cannot be found."),
    ("missing.rx", "ctrl.rx", "The source attribute 'missing.rx' cannot be found."),
    ("driver.rx", "missing.rx", "The destination attribute 'missing.rx' cannot be found."),
])
def test_connect_attr_names_the_end_that_cannot_be_found(rig, source, destination, message):
    with pytest.raises(RuntimeError) as raised:
        cmds.connectAttr(source, destination)
    assert str(raised.value) == message
    assert cmds.connectionInfo("ctrl.rx", isDestination=True) is False


@pytest.mark.parametrize("args, flags", [
    (("ctrl.noSuch",), {}), (("ctrl",), {"attribute": "noSuch"}), (("ctrl.translateX",), {}),
], ids=["missing", "missing by flag", "static"])
def test_delete_attr_refuses_what_is_not_a_dynamic_attribute(args, flags):
    cmds.createNode("transform", name="ctrl")
    with pytest.raises(RuntimeError):
        cmds.deleteAttr(*args, **flags)
    assert cmds.attributeQuery("translateX", node="ctrl", exists=True)


def test_delete_attr_removes_a_dynamic_attribute_by_either_spelling():
    cmds.createNode("transform", name="ctrl")
    cmds.addAttr("ctrl", longName="first", shortName="fi")
    cmds.addAttr("ctrl", longName="second")
    cmds.deleteAttr("ctrl.fi")
    cmds.deleteAttr("ctrl", attribute="second")
    assert cmds.listAttr("ctrl", userDefined=True) is None


@pytest.mark.parametrize("plug, flags, expected", [
    ("ctrl.tx", {"isDestination": True}, True),
    ("ctrl.tx", {"isExactDestination": True}, False),
    ("ctrl.translate", {"isExactDestination": True}, True),
    ("ctrl.tx", {"sourceFromDestination": True}, "driver.translate"),
    ("ctrl.tx", {"sfd": True}, "driver.translate"),
    ("ctrl.rx", {"sourceFromDestination": True}, ""),
    ("ctrl.tx", {"getExactDestination": True}, "ctrl.translate"),
    ("ctrl.translate", {"isSource": True}, False),
    ("driver.tx", {"isSource": True}, True),
    ("driver.tx", {"isExactSource": True}, False),
    ("driver.tx", {"destinationFromSource": True}, ["ctrl.translate", "other.translate"]),
    ("driver.rx", {"destinationFromSource": True}, []),
    ("driver.tx", {"getExactSource": True}, "driver.translate"),
    ("driver.translate", {"isDestination": True}, False),
    ("ctrl.ty", {"isLocked": True}, True),
    ("ctrl.ty", {"getLockedAncestor": True}, "ctrl.translate"),
    ("other.ty", {"getLockedAncestor": True}, ""),
], ids=lambda value: next(iter(value)) if isinstance(value, dict) else None)
def test_connection_info_answers_for_the_plug_or_its_nearest_ancestor(rig, plug, flags, expected):
    assert cmds.connectionInfo(plug, **flags) == expected
