"""The active selection through commands and the API: select and ls, the active
selection list and its iterator, listRelatives on the selection, cameras, and
how MAnimUtil.isAnimated examines objects, paths, plugs and list items."""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dagPath, dependNode, plug, selectionOf


@pytest.fixture
def scene():
    """grp with children a (child a1) and b; driver; md a DG node."""
    cmds.group(empty=True, name="grp")
    for name, parent in (("a", "grp"), ("a1", "a"), ("b", "grp")):
        cmds.createNode("transform", name=name, parent=parent)
    cmds.createNode("transform", name="driver")
    cmds.createNode("multiplyDivide", name="md")
    cmds.select(clear=True)


def active():
    selection = om.MSelectionList()
    om.MGlobal.getActiveSelectionList(selection)
    return selection


def walk(selection):
    """(node name, full DAG path or None) of each item, through MItSelectionList."""
    items, iterator = [], om.MItSelectionList(selection)
    while not iterator.isDone():
        obj, path = om.MObject(), om.MDagPath()
        iterator.getDependNode(obj)
        try:
            iterator.getDagPath(path)
        except RuntimeError:
            path = None
        items.append((om.MFnDependencyNode(obj).name(), path and path.fullPathName()))
        iterator.next()
    return items


class TestActiveSelection:
    def test_ls_and_the_iterator_walk_the_selection_in_order(self, scene):
        assert active().length() == 0 and om.MItSelectionList(active()).isDone()
        cmds.select("b", "md", "a1")
        assert cmds.ls(selection=True, long=True, dependencyNodes=True) == cmds.ls(
            sl=True, l=True, dep=True) == ["|grp|b", "md", "|grp|a|a1"]
        assert walk(active()) == [("b", "|grp|b"), ("md", None), ("a1", "|grp|a|a1")]

    # ls -orderedSelection: "in their order of selection"; -selection keeps that order too.
    @pytest.mark.parametrize("changes, expected", [
        ([("a1", {"add": True})], ["b", "md", "a1"]), ([("a1", {"af": True})], ["a1", "b", "md"]),
        ([("b", {"toggle": True}), ("a1", {"add": True}), ("b", {"add": True})],
         ["md", "a1", "b"]),
        ([("b", {"deselect": True}), ("a1", {"addFirst": True})], ["a1", "md"]),
    ])
    def test_selection_lists_keep_the_order_of_selection(self, scene, changes, expected):
        cmds.select("b", "md")
        for name, flags in changes:
            cmds.select(name, **flags)
        assert cmds.ls(selection=True) == cmds.ls(orderedSelection=True) == expected
        assert cmds.ls(os=True, type="transform") == [n for n in expected if n != "md"]

    # A plug item selects its node.
    @pytest.mark.parametrize("items, adjustment, expected", [
        (("a", "md"), (), ["a", "md"]), (("a", "md"), (om.MGlobal.kReplaceList,), ["a", "md"]),
        (("a", "md"), (om.MGlobal.kAddToList,), ["b", "a", "md"]),
        (("a", "md"), (om.MGlobal.kRemoveFromList,), ["b"]),
        (("a", "md"), (om.MGlobal.kXORWithList,), ["b", "md"]), (("md.input1X",), (), ["md"]),
    ])
    def test_set_active_list_replaces_by_default(self, scene, items, adjustment, expected):
        cmds.select("b", "a")
        om.MGlobal.setActiveSelectionList(selectionOf(*items), *adjustment)
        assert cmds.ls(selection=True) == expected


@pytest.mark.parametrize("mergeWithExisting, count", [(True, 1), (False, 2)])
def test_a_node_added_again_is_merged_only_when_asked(scene, mergeWithExisting, count):
    selection = om.MSelectionList()
    for _ in range(2):
        selection.add(dependNode("a"), mergeWithExisting)
    assert selection.length() == count


@pytest.mark.parametrize("index, expected", [
    ((), ["a", "b", "c"]), ((om.MFnDagNode.kNextPos,), ["a", "b", "c"]),
    ((255,), ["a", "b", "c"]), ((0,), ["c", "a", "b"]), ((1,), ["a", "c", "b"]),
])
def test_add_child_at_the_next_position_appends_and_an_index_inserts(scene, index, expected):
    cmds.createNode("transform", name="c")
    om.MFnDagNode(dagPath("grp")).addChild(dagPath("c").node(), *index)
    assert cmds.listRelatives("grp", children=True) == expected


@pytest.mark.parametrize("nodeType, apiType", [
    ("network", "kAffect"), ("passMatrix", "kDependencyNode")])
def test_node_types_without_a_type_of_their_own_answer_as_mayas_do(nodeType, apiType):
    node = cmds.createNode(nodeType)
    assert cmds.nodeType(node, apiType=True) == apiType
    obj = dependNode(node)
    assert obj.apiType() == getattr(om.MFn, apiType) and obj.hasFn(om.MFn.kDependencyNode)


def test_all_descendant_transforms_of_the_selection_include_constraints(scene):
    cmds.pointConstraint("driver", "a")
    cmds.select("grp")
    found = cmds.listRelatives(allDescendents=True, fullPath=True, type="transform")
    assert sorted(found) == ["|grp|a", "|grp|a|a1", "|grp|a|a_pointConstraint1", "|grp|b"]
    inherited = cmds.nodeType("|grp|a|a_pointConstraint1", inherited=True)
    assert inherited.index("transform") < inherited.index("constraint")
    cmds.select("b")  # nothing below, then nothing selected
    assert cmds.listRelatives(allDescendents=True, fullPath=True, type="transform") is None
    cmds.select(clear=True)
    assert cmds.listRelatives(allDescendents=True, fullPath=True) is None


class TestCamera:
    def test_creates_a_transform_and_a_camera_shape_and_selects_it(self, scene):
        assert cmds.camera() == ["camera1", "cameraShape1"]
        assert cmds.camera() == ["camera2", "cameraShape2"]
        assert cmds.ls(selection=True) == ["camera2"]
        assert cmds.listRelatives("camera1", shapes=True, fullPath=True) == [
            "|camera1|cameraShape1"]
        obj = dependNode("cameraShape1")
        assert obj.hasFn(om.MFn.kCamera) and obj.hasFn(om.MFn.kShape)
        assert cmds.ls(cameras=True) == ["cameraShape1", "cameraShape2"]
        with pytest.raises(RuntimeError):  # a transform without a camera
            cmds.camera("grp", query=True, focalLength=True)

    @pytest.mark.parametrize("flag, short, created, edited", [
        ("focalLength", "fl", 50.0, 85.0), ("nearClipPlane", "ncp", 0.5, 2.0),
        ("orthographic", "o", True, False), ("orthographicWidth", "ow", 12.0, 3.0)])
    def test_settings_on_the_transform_or_the_shape(self, scene, flag, short, created, edited):
        transform, shape = cmds.camera(**{flag: created})
        assert cmds.camera(transform, query=True, **{flag: True}) == created
        cmds.camera(shape, edit=True, **{short: edited})
        assert cmds.camera(shape, q=True, **{short: True}) == edited
        assert cmds.getAttr("%s.%s" % (shape, flag)) == edited

    def test_lengths_are_in_working_units(self, scene):
        cmds.currentUnit(linear="mm")
        transform, _ = cmds.camera(farClipPlane=200.0)
        assert cmds.camera(transform, query=True, farClipPlane=True) == pytest.approx(200.0)
        cmds.currentUnit(linear="cm")
        assert cmds.camera(transform, query=True, farClipPlane=True) == pytest.approx(20.0)


KINDS = dict(object=dependNode, path=dagPath, plug=plug, list=selectionOf)


# Maya API reference, MAnimUtil: objects and paths through all their attributes
# (checkParent: their parents too); an MPlug alone -- "a compound attribute will
# not have its child attributes examined". a.translateX and driver.offsetX are keyed.
@pytest.mark.parametrize("name, kind, checkParent, expected", [
    ("a1", "object", False, False), ("a1", "object", True, True), ("a1", "path", False, False),
    ("a1", "path", True, True), ("a1", "list", False, False), ("a1", "list", True, True),
    ("b", "path", True, False), ("b", "object", True, False), ("a", "object", False, True),
    ("driver", "object", False, True), ("a.translateX", "plug", False, True),
    ("a.translate", "plug", False, False), ("driver.offset", "plug", False, False),
    ("driver.offsetX", "plug", False, True), ("a.translate", "list", False, True),
    ("driver.offset", "list", False, True), ("driver.offsetY", "list", False, False),
])
def test_is_animated_examines_each_representation(scene, name, kind, checkParent, expected):
    cmds.addAttr("driver", longName="offset", attributeType="double3")
    for axis in "XYZ":
        cmds.addAttr("driver", longName="offset" + axis, attributeType="double",
                     parent="offset")
    cmds.setKeyframe("a.translateX", time=(1,), value=1.0)
    cmds.setKeyframe("driver.offsetX", time=(1,), value=1.0)
    assert oma.MAnimUtil.isAnimated(KINDS[kind](name), checkParent) is expected


def test_calls_that_answer_a_status_in_cpp_answer_none(scene):
    """Maya API reference, "Differences Between Maya's C++ and Python APIs": no MStatus."""
    selection = om.MSelectionList()
    assert selection.add("grp|a") is None
    path = om.MDagPath()
    selection.getDagPath(0, path)
    other = om.MDagPath()
    assert other.set(path) is None
    assert other.fullPathName() == "|grp|a"
