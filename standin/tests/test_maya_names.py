"""Node names and DAG paths: what a name resolves to, and what it stops resolving to."""
import pytest
from maya import cmds
import maya.OpenMaya as om


def depend_node(name):
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    return obj


def dag_path(name):
    path = om.MDagPath()
    om.MDagPath.getAPathTo(depend_node(name), path)
    return path


def test_a_short_name_resolves_to_one_node_only_while_it_is_unique():
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent=grp)
    assert dag_path("ctrl").fullPathName() == "|grp|ctrl"
    assert cmds.createNode("transform", name="ctrl") == "|ctrl"
    assert sorted(cmds.ls("ctrl")) == ["grp|ctrl", "|ctrl"]
    assert dag_path("grp|ctrl").partialPathName() == "grp|ctrl"
    assert dag_path("|ctrl").fullPathName() == "|ctrl"
    selection = om.MSelectionList()
    selection.add("ctrl")
    strings = om.MStringArray()
    selection.getSelectionStrings(strings)
    assert sorted(strings) == ["grp|ctrl", "|ctrl"]


@pytest.mark.parametrize("name", [
    "missing", b"missing", "grp|missing", "|ctrl", "ctrl|grp", "", "ctrl.noSuchAttribute",
])
def test_selection_list_refuses_names_that_match_nothing(name):
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    with pytest.raises(RuntimeError, match=r"\(kInvalidParameter\): Object does not exist"):
        om.MSelectionList().add(name)


def test_selection_list_takes_bytes_and_attribute_paths():
    cmds.createNode("transform", name="ball")
    selection = om.MSelectionList()
    selection.add(b"ball")
    selection.add("ball.translateX")
    obj = om.MObject()
    selection.getDependNode(0, obj)
    assert obj == depend_node("ball")
    plug = om.MPlug()
    selection.getPlug(1, plug)
    assert plug.name() == "ball.translateX"
    with pytest.raises(RuntimeError):
        selection.getPlug(0, om.MPlug())


def test_deleting_a_transform_kills_the_handles_of_its_whole_subtree():
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("mesh", parent=cmds.createNode("transform", name="body", parent=grp))
    handles = [om.MObjectHandle(depend_node(n)) for n in ("grp", "body", "polySurfaceShape1")]
    assert all(h.isValid() and h.isAlive() for h in handles)
    cmds.delete("grp")
    assert [(h.isValid(), h.isAlive()) for h in handles] == [(False, False)] * 3
    assert cmds.ls(dag=True) == []


def test_top_level_parent_is_the_world_with_an_empty_path():
    node = depend_node(cmds.createNode("transform", name="top"))
    world = om.MFnDagNode(node).parent(0)
    assert world.hasFn(om.MFn.kWorld)
    assert om.MFnDagNode(world).fullPathName() == ""


@pytest.fixture
def twins():
    """Two transforms named "ctrl": one under "grp", one at the top."""
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    cmds.createNode("transform", name="ctrl")


AMBIGUOUS_CALLS = [
    ("select", ("ctrl",), {}, "ctrl"),
    ("getAttr", ("ctrl.tx",), {}, "ctrl.tx"),
    ("setAttr", ("ctrl.tx", 1.0), {}, "ctrl.tx"),
    ("listRelatives", ("ctrl",), {"parent": True}, "ctrl"),
    ("delete", ("ctrl",), {}, "ctrl"),
    ("rename", ("ctrl", "other"), {}, "ctrl"),
    ("parent", ("ctrl", "grp"), {}, "ctrl"),
    ("xform", ("ctrl",), {"query": True, "translation": True}, "ctrl"),
    ("nodeType", ("ctrl",), {}, "ctrl"),
    ("addAttr", ("ctrl",), {"longName": "extra"}, "ctrl"),
    ("listConnections", ("ctrl",), {}, "ctrl"),
    ("connectAttr", ("grp.tx", "ctrl.tx"), {}, "ctrl.tx"),
    ("connectionInfo", ("ctrl.tx",), {"isSource": True}, "ctrl.tx"),
    ("setKeyframe", ("ctrl.tx",), {}, "ctrl.tx"),
]


@pytest.mark.parametrize("command, args, flags, shown", AMBIGUOUS_CALLS,
                         ids=[call[0] for call in AMBIGUOUS_CALLS])
def test_commands_refuse_a_short_name_that_several_nodes_carry(twins, command, args, flags, shown):
    with pytest.raises(ValueError) as raised:
        getattr(cmds, command)(*args, **flags)
    assert str(raised.value) == "More than one object matches name: %s" % shown
    assert sorted(cmds.ls("ctrl", long=True)) == ["|ctrl", "|grp|ctrl"]
    assert cmds.listConnections("grp") is None and cmds.ls(type="animCurve") == []


def test_an_ambiguous_name_exists_and_paths_or_patterns_still_reach_its_nodes(twins):
    assert cmds.objExists("ctrl") and cmds.objExists("ctrl.tx")
    cmds.setAttr("|ctrl.tx", 2.0)
    assert cmds.getAttr("grp|ctrl.tx") == 0.0 and cmds.getAttr("|ctrl.tx") == 2.0
    cmds.select("ctr*")
    assert sorted(cmds.ls(selection=True)) == ["grp|ctrl", "|ctrl"]
    selection = om.MSelectionList()
    selection.add("ctrl.tx")
    assert selection.length() == 2
