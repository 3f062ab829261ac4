"""Node names, DAG paths and the commands that build hierarchies."""
import pytest
from maya import cmds
import maya.OpenMaya as om
from maya import _scene


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


@pytest.mark.parametrize("node_type, created, listed", [
    ("transform", "transform1", ["|transform1"]),
    ("network", "network1", ["network1"]),
    ("mesh", "polySurfaceShape1", ["|polySurface1", "|polySurface1|polySurfaceShape1"]),
    ("camera", "cameraShape1", ["|camera1", "|camera1|cameraShape1"]),
])
def test_new_nodes_get_maya_default_names(node_type, created, listed):
    assert cmds.createNode(node_type) == created
    assert [n for n in cmds.ls(long=True) if n != "time1"] == listed


@pytest.mark.parametrize("wanted, second", [
    ("pCube1", "pCube2"), ("ctrl", "ctrl1"), ("arm9", "arm10"), ("a_b", "a_b1"),
])
def test_a_clashing_name_counts_its_trailing_number_up(wanted, second):
    assert cmds.createNode("transform", name=wanted) == wanted
    assert cmds.createNode("transform", name=wanted) == second


def test_a_dependency_node_may_not_take_a_dag_node_name():
    cmds.createNode("transform", name="rig")
    assert cmds.createNode("network", name="rig") == "rig1"


def test_dag_nodes_share_a_leaf_name_under_different_parents():
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent=grp)
    assert cmds.createNode("transform", name="ctrl") == "|ctrl"
    assert sorted(cmds.ls("ctrl")) == ["grp|ctrl", "|ctrl"]
    assert dag_path("grp|ctrl").partialPathName() == "grp|ctrl"
    assert dag_path("|grp|ctrl").fullPathName() == "|grp|ctrl"
    with pytest.raises(RuntimeError, match="More than one object matches name"):
        om.MSelectionList().add("ctrl")


@pytest.mark.parametrize("name", ["missing", "grp|missing", "|ctrl", "ctrl|grp", ""])
def test_selection_list_refuses_names_that_match_nothing(name):
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    with pytest.raises(RuntimeError, match=r"\(kInvalidParameter\): Object does not exist"):
        om.MSelectionList().add(name)


def test_selection_list_takes_bytes_and_attribute_paths():
    cmds.createNode("transform", name="ball")
    selection = om.MSelectionList()
    selection.add(b"ball")
    selection.add("ball.translateX")
    plug = om.MPlug()
    selection.getPlug(1, plug)
    assert plug.name() == "ball.translateX"
    obj = om.MObject()
    selection.getDependNode(1, obj)
    assert obj == depend_node("ball")
    with pytest.raises(RuntimeError):
        selection.getPlug(0, om.MPlug())


def test_reparenting_into_a_name_clash_renames_the_moved_node():
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent=grp)
    cmds.createNode("transform", name="ctrl")
    assert cmds.parent("|ctrl", grp) == ["ctrl1"]
    assert cmds.listRelatives(grp, children=True) == ["ctrl", "ctrl1"]


def test_deleting_a_transform_deletes_its_subtree_and_kills_handles():
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
    assert om.MFnDagNode(node).parentCount() == 1


def test_shapes_below_a_transform_through_script_util_pointers():
    parent = cmds.createNode("transform", name="geo")
    cmds.createNode("mesh", parent=parent)
    cmds.createNode("camera", parent=parent)
    cmds.createNode("transform", parent=parent)
    path = dag_path("geo")
    util = om.MScriptUtil()
    pointer = util.asUintPtr()
    path.numberOfShapesDirectlyBelow(pointer)
    assert om.MScriptUtil.getUint(pointer) == 2
    path.extendToShapeDirectlyBelow(1)
    assert path.fullPathName() == "|geo|cameraShape1"
    assert om.MObject(path.transform()) == depend_node("geo")
    with pytest.raises(RuntimeError):
        dag_path("geo").extendToShapeDirectlyBelow(2)


@pytest.mark.parametrize("api_type, answers", [
    ("mesh", ["kMesh", "kShape", "kDagNode", "kDependencyNode"]),
    ("joint", ["kJoint", "kTransform", "kDagNode"]),
    ("time", ["kTime", "kDependencyNode"]),
])
def test_has_fn_follows_the_class_hierarchy(api_type, answers):
    obj = depend_node(cmds.createNode(api_type))
    assert all(obj.hasFn(getattr(om.MFn, name)) for name in answers)
    assert not obj.hasFn(om.MFn.kCamera)
    assert obj.apiTypeStr() == answers[0]


@pytest.mark.parametrize("flags, expected", [
    ({}, ["a", "b"]),
    ({"children": True, "fullPath": True}, ["|grp|a", "|grp|b"]),
    ({"allDescendents": True}, ["bShape", "b", "a"]),
    ({"ad": True, "type": "mesh"}, ["bShape"]),
    ({"shapes": True}, None),
])
def test_list_relatives_answers_like_maya(flags, expected):
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="a", parent=grp)
    cmds.createNode("mesh", name="bShape", parent=cmds.createNode("transform", name="b", parent=grp))
    assert cmds.listRelatives(grp, **flags) == expected


def test_group_of_objects_keeps_their_world_position_and_selects_the_group():
    ball = cmds.createNode("transform", name="ball")
    cmds.setAttr("ball.translate", 1, 2, 3)
    grp = cmds.group(ball, name="grp")
    cmds.setAttr("grp.tx", 10)
    assert cmds.ls(selection=True) == ["grp"]
    assert cmds.listRelatives(grp) == ["ball"]
    assert cmds.parent("ball", world=True) == ["ball"]
    assert cmds.getAttr("ball.t") == [(11.0, 2.0, 3.0)]


def test_commands_log_their_calls_and_reject_unknown_flags():
    cmds.createNode("transform", n="a", ss=True)
    cmds.ls(sl=True, l=True)
    with pytest.raises(TypeError, match="Invalid flag 'bogus'"):
        cmds.ls(bogus=True)
    assert _scene.commandLog() == [
        ("createNode", ("transform",), {"n": "a", "ss": True}),
        ("ls", (), {"sl": True, "l": True}),
        ("ls", (), {"bogus": True}),
    ]
    cmds.file(new=True, force=True)
    assert _scene.commandLog() == []


def test_missing_names_raise_value_errors_in_commands():
    with pytest.raises(ValueError, match="No object matches name: ghost"):
        cmds.select("ghost")
    with pytest.raises(ValueError, match="No object matches name: ghost.tx"):
        cmds.getAttr("ghost.tx")
    assert not cmds.objExists("ghost")
    assert cmds.ls("ghost") == []
