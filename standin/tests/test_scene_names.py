"""Node names and DAG paths: what a name resolves to, and what it stops resolving to."""
import fnmatch
import re
import time

import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds
import maya.OpenMaya as om
from maya._scene import globMatcher
from scene_lookup import dagPath, dependNode, selectionOf


def test_a_short_name_resolves_to_one_node_only_while_it_is_unique():
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    assert dagPath("ctrl").fullPathName() == "|grp|ctrl"
    assert cmds.createNode("transform", name="ctrl") == "|ctrl"
    assert sorted(cmds.ls("ctrl")) == ["grp|ctrl", "|ctrl"]
    assert dagPath("grp|ctrl").partialPathName() == "grp|ctrl"
    assert dagPath("|ctrl").fullPathName() == "|ctrl"
    strings = []  # API 1.0 fills a list of str
    selectionOf("ctrl").getSelectionStrings(strings)
    assert sorted(strings) == ["grp|ctrl", "|ctrl"]
    # the world above a top-level node has an empty path
    world = om.MFnDagNode(dependNode("grp")).parent(0)
    assert world.hasFn(om.MFn.kWorld) and om.MFnDagNode(world).fullPathName() == ""


@pytest.mark.parametrize("name", [
    "missing", b"missing", "grp|missing", "|ctrl", "ctrl|grp", "", "ctrl.noSuchAttribute"])
def test_selection_list_refuses_names_that_match_nothing(name):
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    with pytest.raises(RuntimeError, match=r"\(kInvalidParameter\): Object does not exist"):
        om.MSelectionList().add(name)


def test_selection_lists_and_commands_take_bytes_lists_and_tuples():
    cmds.createNode("transform", name="ball")
    cmds.createNode("transform", name="b")
    assert cmds.ls(["ball", (b"b",)], None) == ["ball", "b"]
    selection = selectionOf(b"ball", "ball.translateX")
    obj = om.MObject()
    selection.getDependNode(0, obj)
    assert obj == dependNode("ball")
    plug = om.MPlug()
    selection.getPlug(1, plug)
    assert plug.name() == "ball.translateX"
    with pytest.raises(RuntimeError):
        selection.getPlug(0, om.MPlug())


def test_deleting_a_transform_kills_the_handles_of_its_whole_subtree():
    grp = cmds.group(empty=True, name="grp")
    cmds.createNode("mesh", parent=cmds.createNode("transform", name="body", parent=grp))
    handles = [om.MObjectHandle(dependNode(n)) for n in ("grp", "body", "polySurfaceShape1")]
    assert all(h.isValid() and h.isAlive() for h in handles)
    cmds.delete("grp")
    assert [(h.isValid(), h.isAlive()) for h in handles] == [(False, False)] * 3
    assert cmds.ls(dag=True) == []


@pytest.mark.parametrize("flags, parents", [
    ({}, ["grp", "grp"]), ({"path": True}, ["top|grp", "|grp"]),
    ({"fullPath": True}, ["|top|grp", "|grp"]), ({"f": True}, ["|top|grp", "|grp"]),
])
def test_list_relatives_gives_object_names_unless_asked_for_paths(flags, parents):
    # -path: "a proper object name that can be passed to other commands"
    top = cmds.createNode("transform", name="top")
    cmds.createNode("joint", name="a", parent=cmds.createNode("transform", name="grp",
                                                              parent=top))
    cmds.createNode("joint", name="b", parent=cmds.createNode("transform", name="grp"))
    assert [cmds.listRelatives(name, parent=True, **flags)[0] for name in ("a", "b")] == parents
    assert cmds.listRelatives("top", parent=True, **flags) is None


@pytest.fixture
def twins():
    """Two transforms named "ctrl": one under "grp", one at the top."""
    cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name="grp"))
    cmds.createNode("transform", name="ctrl")


AMBIGUOUS_CALLS = [
    ("select", ("ctrl",), {}, "ctrl"), ("getAttr", ("ctrl.tx",), {}, "ctrl.tx"),
    ("setAttr", ("ctrl.tx", 1.0), {}, "ctrl.tx"), ("delete", ("ctrl",), {}, "ctrl"),
    ("listRelatives", ("ctrl",), {"parent": True}, "ctrl"),
    ("rename", ("ctrl", "other"), {}, "ctrl"), ("parent", ("ctrl", "grp"), {}, "ctrl"),
    ("xform", ("ctrl",), {"query": True, "translation": True}, "ctrl"),
    ("nodeType", ("ctrl",), {}, "ctrl"), ("addAttr", ("ctrl",), {"longName": "extra"}, "ctrl"),
    ("listConnections", ("ctrl",), {}, "ctrl"), ("setKeyframe", ("ctrl.tx",), {}, "ctrl.tx"),
    ("connectAttr", ("grp.tx", "ctrl.tx"), {}, "ctrl.tx"),
    ("connectionInfo", ("ctrl.tx",), {"isSource": True}, "ctrl.tx"),
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
    assert selectionOf("ctrl.tx").length() == 2


def fnmatch_answer(pattern, text):
    """fnmatch's answer; a pattern it cannot compile matches nothing."""
    try:
        return re.compile(fnmatch.translate(pattern)).match(text) is not None
    except re.error:
        return False


@settings(max_examples=600, deadline=None)
@given(st.text("ab|*?[]!-^\\\n", max_size=9), st.text("ab|[]!-^\\\n", max_size=9))
def test_pattern_matching_answers_as_fnmatch_does(pattern, text):
    assert globMatcher(pattern)(text) is fnmatch_answer(pattern, text)


@pytest.fixture
def chain():
    """Fifty transforms, each the child of the one before, all named ctrl."""
    parent = cmds.createNode("transform", name="ctrl")
    for _ in range(49):
        parent = cmds.createNode("transform", name="ctrl", parent=parent)
    return parent


@pytest.mark.parametrize("pattern, found", [
    ("*|ctrl" * 4000 + "*|missing", 0),   # many stars, no match at the end
    ("*|ctrl" * 4000 + "*", 0),           # more segments than the path holds
    # Named: the object's address in its text differs between processes,
    # which would give each test process its own test name.
    pytest.param(str({"k": [object(), "|ctrl" * 3000, "*|ctrl*" * 500]}), 0,
                 id="the text of a dict holding an object"),
    ("*ctrl" * 60 + "x*", 0),             # a short name, a hopeless tail
    ("|ctrl" * 50, 1),                    # the one full path, without wildcards
    ("*|ctrl" * 49, 1),                   # "*|" goes before a relative path
    ("c*l|" * 49 + "c?r[a-z]", 1),
])
def test_long_patterns_resolve_at_once(chain, pattern, found):
    started = time.perf_counter()
    assert len(cmds.ls(pattern)) == found
    assert time.perf_counter() - started < 0.5


def test_a_long_name_gets_its_next_number_at_once():
    name = "n" + "1" * 30000 + "x"
    started = time.perf_counter()
    first = cmds.createNode("transform", name=name)
    second = cmds.createNode("transform", name=name)
    assert time.perf_counter() - started < 0.5
    assert (first, second) == (name, name + "1")
    assert cmds.createNode("transform", name="arm12", skipSelect=True) == "arm12"
    assert cmds.createNode("transform", name="arm12", skipSelect=True) == "arm13"


class Unprintable:
    def __str__(self):
        raise RuntimeError("no text")


@pytest.mark.parametrize("odd, shown", [
    ({"ctrl": ["|ctrl|ctrl"]}, "{'ctrl': ['|ctrl|ctrl']}"), (3.5, "3.5"), ({"ctrl"}, "{'ctrl'}"),
    (Unprintable(), "<Unprintable object>"),
])
@pytest.mark.parametrize("call", [
    lambda odd: cmds.ls(odd), lambda odd: cmds.select(["ctrl", odd]),
    lambda odd: cmds.keyframe(odd, query=True), lambda odd: cmds.getAttr(odd),
    lambda odd: cmds.objExists(odd), lambda odd: cmds.createNode("transform", parent=odd),
    lambda odd: cmds.attributeQuery("tx", node=odd, exists=True),
], ids=["ls", "select", "keyframe", "getAttr", "objExists", "createNode", "attributeQuery"])
def test_commands_refuse_an_object_argument_that_is_no_name(call, odd, shown):
    cmds.createNode("transform", name="ctrl", skipSelect=True)
    with pytest.raises(TypeError) as raised:
        call(odd)
    assert str(raised.value) == "Object %s is invalid" % shown
    assert cmds.ls("ctrl") == ["ctrl"] and cmds.ls(selection=True) == []


def test_namespaces_dag_listing_and_a_new_scene_by_long_or_short_flags():
    assert cmds.namespace(addNamespace="rig") == "rig"
    assert cmds.namespace(add="anim", parent="rig") == "rig:anim"
    assert cmds.namespace(exists="rig:anim") is True
    cmds.createNode("transform", name="t")
    cmds.createNode("network", name="n")
    assert cmds.ls(dagObjects=True) == cmds.ls(dag=True) == ["t"]
    for flags in (dict(newFile=True, force=True), dict(new=True, f=True)):
        cmds.createNode("transform", name="left")
        assert cmds.file(**flags) == "" and cmds.ls("left") == []


@pytest.mark.parametrize("command, args, flag", [
    ("getAttr", ("t.tx",), dict(asTexture=True)), ("keyframe", ("t",), dict(tangent=True)),
    ("addAttr", ("t",), dict(longName="x", attributeType2="double")),
    ("xform", ("t",), dict(eulerFilter=True)), ("file", (), dict(n=True, force=True)),
])
def test_flags_maya_does_not_have_are_refused(command, args, flag):
    cmds.createNode("transform", name="t")
    with pytest.raises(TypeError, match="Invalid flag"):
        getattr(cmds, command)(*args, **flag)


def test_ls_lists_the_matches_of_a_name_by_full_path_not_by_creation():
    for name in ("transformB", "transformA", "parent"):
        cmds.createNode("transform", name=name)
    cmds.createNode("transform", name="child", parent="parent")
    cmds.createNode("transform", name="child")
    assert cmds.ls("transform*") == ["transformA", "transformB"]
    assert cmds.ls("child") == ["|child", "parent|child"]
