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


INCOMPATIBLE = ("Connection not made: '%s' -> '%s'. Data types of source and destination are "
                "not compatible.")


# connectAttr: "The connected attributes must be of compatible types"; numbers of any unit
# still connect.
@pytest.mark.parametrize("source, destination, message", [
    ("driver.noSuch", "ctrl.rx", "The source attribute 'driver.noSuch' cannot be found."),
    ("driver.rx", "ctrl.noSuch", "The destination attribute 'ctrl.noSuch' cannot be found."),
    ("missing.rx", "ctrl.rx", "The source attribute 'missing.rx' cannot be found."),
    ("driver.rx", "missing.rx", "The destination attribute 'missing.rx' cannot be found."),
    ("driver.translate", "ctrl.rx", INCOMPATIBLE % ("driver.translate", "ctrl.rotateX")),
    ("driver.rx", "ctrl.rotate", INCOMPATIBLE % ("driver.rotateX", "ctrl.rotate")),
    ("driver.worldMatrix[0]", "ctrl.rx", INCOMPATIBLE % ("driver.worldMatrix[0]", "ctrl.rotateX")),
    ("driver.message", "ctrl.rx", INCOMPATIBLE % ("driver.message", "ctrl.rotateX")),
    ("driver.label", "ctrl.rx", INCOMPATIBLE % ("driver.label", "ctrl.rotateX")),
    ("driver.rx", "driver.label", INCOMPATIBLE % ("driver.rotateX", "driver.label")),
])
def test_connect_attr_refuses_a_missing_end_or_wrong_types(rig, source, destination, message):
    cmds.addAttr("driver", longName="label", dataType="string")
    with pytest.raises(RuntimeError) as raised:
        cmds.connectAttr(source, destination)
    assert str(raised.value) == message
    assert cmds.listConnections("ctrl", source=True, destination=False) == ["driver"]
    assert cmds.connectionInfo("ctrl.rx", isDestination=True) is False
    cmds.connectAttr("driver.tx", "ctrl.rx")
    cmds.connectAttr("driver.rotate", "ctrl.scale")
    assert cmds.connectionInfo("ctrl.sz", sourceFromDestination=True) == "driver.rotate"


def test_connect_attr_force_replaces_the_incoming_connection_but_not_the_same_one(rig):
    # connectAttr -force: "the old connection is broken and the new one made".
    cmds.connectAttr("ctrl.rx", "driver.rx")
    with pytest.raises(RuntimeError, match="already has an incoming connection"):
        cmds.connectAttr("other.rx", "driver.rx")
    cmds.connectAttr("other.rx", "driver.rx", force=True)
    assert cmds.connectionInfo("driver.rx", sourceFromDestination=True) == "other.rotateX"
    assert cmds.connectionInfo("ctrl.rx", isSource=True) is False
    for flags in ({}, {"force": True}):
        with pytest.raises(RuntimeError) as raised:
            cmds.connectAttr("other.rx", "driver.rx", **flags)
        assert str(raised.value) == "Maya command error"
    assert cmds.connectionInfo("driver.rx", sourceFromDestination=True) == "other.rotateX"


@pytest.mark.parametrize("args, flags, error, message", [
    (("ctrl.noSuch",), {}, ValueError, "No object matches name: ctrl.noSuch"),
    (("ctrl",), {"attribute": "noSuch"}, RuntimeError,
     "Node 'ctrl' does not have attribute 'noSuch'."),
    (("ctrl.extra",), {"attribute": "noSuch"}, RuntimeError,
     "Node 'ctrl' does not have attribute 'noSuch'."),
    (("ctrl",), {}, RuntimeError, "Must specify attribute to be deleted."),
    (("ctrl.translateX",), {}, RuntimeError, None), (("ctrl.pair0",), {}, RuntimeError, None),
    (("ctrl", "other"), {"attribute": "extra"}, RuntimeError,
     "Node 'other' does not have attribute 'extra'."),
], ids=["missing", "missing by flag", "the flag wins", "no attribute", "static",
        "compound child", "on one node only"])
def test_delete_attr_refuses_what_is_not_a_dynamic_attribute(args, flags, error, message):
    """deleteAttr: "Static attributes cannot be deleted. Children of a compound attribute
    cannot be deleted." """
    for name in ("ctrl", "other"):
        cmds.createNode("transform", name=name)
    cmds.addAttr("ctrl", longName="pair", attributeType="double2")
    cmds.addAttr("ctrl", longName="pair0", attributeType="double", parent="pair")
    cmds.addAttr("ctrl", longName="pair1", attributeType="double", parent="pair")
    cmds.addAttr("ctrl", longName="extra")
    with pytest.raises(error) as raised:
        cmds.deleteAttr(*args, **flags)
    assert message is None or str(raised.value) == message
    assert cmds.attributeQuery("translateX", node="ctrl", exists=True)
    assert cmds.deleteAttr("ctrl", query=True) == ["pair", "extra"]


def test_delete_attr_takes_a_plug_or_the_flag_for_several_nodes_and_drops_connections():
    for name in ("a", "b", "driver"):
        cmds.createNode("transform", name=name)
    for name in ("a", "b"):
        cmds.addAttr(name, longName="weight", shortName="wt")
    cmds.addAttr("a", longName="first", shortName="fi")
    cmds.connectAttr("driver.tx", "a.weight")
    cmds.connectAttr("b.weight", "driver.ty")
    cmds.deleteAttr("a.fi")
    assert cmds.deleteAttr("a", q=True) == ["weight"]
    cmds.deleteAttr("a", "b", at="wt")
    assert cmds.deleteAttr("a", q=True) is None and cmds.deleteAttr("b", q=True) is None
    assert cmds.listAttr("a", userDefined=True) is None
    assert cmds.listConnections("driver") is None
    assert cmds.connectionInfo("driver.tx", isSource=True) is False


# Maya command reference, connectionInfo: is* "the plug (or its ancestor)", get* "empty
# string if there is no such connection", a list "empty array if none".
@pytest.mark.parametrize("plug, flags, expected", [
    ("ctrl.tx", {"isDestination": True}, True), ("ctrl.tx", {"isExactDestination": True}, False),
    ("ctrl.translate", {"isExactDestination": True}, True),
    ("ctrl.tx", {"sourceFromDestination": True}, "driver.translate"),
    ("ctrl.tx", {"sfd": True}, "driver.translate"),
    ("ctrl.rx", {"sourceFromDestination": True}, ""),
    ("ctrl.tx", {"getExactDestination": True}, "ctrl.translate"),
    ("ctrl.translate", {"isSource": True}, False), ("driver.tx", {"isSource": True}, True),
    ("driver.tx", {"isExactSource": True}, False),
    ("driver.tx", {"destinationFromSource": True}, ["ctrl.translate", "other.translate"]),
    ("driver.rx", {"destinationFromSource": True}, []),
    ("driver.tx", {"getExactSource": True}, "driver.translate"),
    ("driver.translate", {"isDestination": True}, False), ("ctrl.ty", {"isLocked": True}, True),
    ("ctrl.ty", {"getLockedAncestor": True}, "ctrl.translate"),
    ("other.ty", {"getLockedAncestor": True}, ""),
], ids=lambda value: next(iter(value)) if isinstance(value, dict) else None)
def test_connection_info_answers_for_the_plug_or_its_nearest_ancestor(rig, plug, flags, expected):
    assert cmds.connectionInfo(plug, **flags) == expected


@pytest.mark.parametrize("flags, message", [
    ({}, "You must specify exactly one flag."),
    ({"isSource": True, "isDestination": True}, "You cannot specify more than one flag.")])
def test_connection_info_takes_exactly_one_flag(rig, flags, message):
    with pytest.raises(RuntimeError) as raised:
        cmds.connectionInfo("ctrl.tx", **flags)
    assert str(raised.value) == message


# listAttr: every filter flag narrows the list; "-cb: list only non-keyable attributes shown
# in the Channel Box"; a multi's children are listed by their path from it.
@pytest.mark.parametrize("flags, expected", [
    ({"userDefined": True}, ["shown", "locked", "list", "pairs", "pairs.left", "pairs.right"]),
    ({"userDefined": True, "shortNames": True}, ["sh", "lk", "li", "pr", "pr.le", "pr.ri"]),
    ({"channelBox": True}, ["shown", "locked"]), ({"cb": True, "unlocked": True}, ["shown"]),
    ({"channelBox": True, "locked": True}, ["locked"]), ({"ud": True, "k": True}, ["list"]),
    ({"userDefined": True, "leaf": True}, ["shown", "locked", "list", "pairs.left", "pairs.right"]),
])
def test_list_attr_filters_combine_and_names_below_a_multi_are_paths(flags, expected):
    cmds.createNode("network", name="n")
    for long_, short, extra in (("shown", "sh", {}), ("locked", "lk", {}),
                                ("list", "li", dict(multi=True, keyable=True))):
        cmds.addAttr("n", longName=long_, shortName=short, attributeType="double", **extra)
    cmds.setAttr("n.shown", channelBox=True)
    cmds.setAttr("n.locked", channelBox=True, lock=True)
    cmds.addAttr("n", longName="pairs", shortName="pr", attributeType="compound",
                 numberOfChildren=2, multi=True)
    cmds.addAttr("n", longName="left", shortName="le", attributeType="double", parent="pairs")
    cmds.addAttr("n", longName="right", shortName="ri", attributeType="double", parent="pairs")
    assert cmds.listAttr("n", **flags) == expected
