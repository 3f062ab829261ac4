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
    """grp with children a (child a1, constrained to driver) and b; md a DG node."""
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="a", parent="grp")
    cmds.createNode("transform", name="a1", parent="a")
    cmds.createNode("transform", name="b", parent="grp")
    cmds.createNode("transform", name="driver")
    cmds.createNode("multiplyDivide", name="md")
    cmds.select(clear=True)


def active():
    selection = om.MSelectionList()
    om.MGlobal.getActiveSelectionList(selection)
    return selection


def walk(selection):
    """(node name, full DAG path or None) of each item, through MItSelectionList."""
    items = []
    iterator = om.MItSelectionList(selection)
    while not iterator.isDone():
        obj, path = om.MObject(), om.MDagPath()
        iterator.getDependNode(obj)
        try:
            iterator.getDagPath(path)
            fullPath = path.fullPathName()
        except RuntimeError:
            fullPath = None
        items.append((om.MFnDependencyNode(obj).name(), fullPath))
        iterator.next()
    return items


class TestActiveSelection:
    def test_ls_lists_the_selection_in_order_long_with_dependency_nodes(self, scene):
        cmds.select("b", "md", "a")
        assert cmds.ls(selection=True, long=True, dependencyNodes=True) == [
            "|grp|b", "md", "|grp|a"]
        assert cmds.ls(sl=True, l=True, dep=True) == ["|grp|b", "md", "|grp|a"]

    @pytest.mark.parametrize("changes, expected", [
        ([("a1", {"add": True})], ["b", "md", "a1"]),
        ([("a1", {"addFirst": True})], ["a1", "b", "md"]),
        ([("b", {"toggle": True}), ("a1", {"add": True}), ("b", {"add": True})],
         ["md", "a1", "b"]),
        ([("b", {"deselect": True}), ("a1", {"af": True})], ["a1", "md"]),
    ])
    def test_selection_and_ordered_selection_list_in_the_order_of_selection(
            self, scene, changes, expected):
        """Maya command reference, ls -orderedSelection: "in their order of
        selection"; the stand-in's -selection keeps that order too."""
        cmds.select("b", "md")
        for name, flags in changes:
            cmds.select(name, **flags)
        assert cmds.ls(selection=True) == cmds.ls(orderedSelection=True) == expected
        assert cmds.ls(os=True, type="transform") == [n for n in expected if n != "md"]

    def test_the_iterator_walks_the_active_list_and_dg_nodes_have_no_path(self, scene):
        assert active().length() == 0 and om.MItSelectionList(active()).isDone()
        cmds.select("b", "md", "a1")
        assert walk(active()) == [("b", "|grp|b"), ("md", None), ("a1", "|grp|a|a1")]

    @pytest.mark.parametrize("adjustment, expected", [
        ((), ["a", "md"]),
        ((om.MGlobal.kReplaceList,), ["a", "md"]),
        ((om.MGlobal.kAddToList,), ["b", "a", "md"]),
        ((om.MGlobal.kRemoveFromList,), ["b"]),
        ((om.MGlobal.kXORWithList,), ["b", "md"]),
    ])
    def test_set_active_selection_list_replaces_by_default(self, scene, adjustment, expected):
        cmds.select("b", "a")
        om.MGlobal.setActiveSelectionList(selectionOf("a", "md"), *adjustment)
        assert cmds.ls(selection=True) == expected

    def test_a_plug_item_selects_its_node(self, scene):
        om.MGlobal.setActiveSelectionList(selectionOf("md.input1X"))
        assert cmds.ls(selection=True) == ["md"]


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


class TestListRelativesOfTheSelection:
    def test_all_descendant_transforms_include_constraints(self, scene):
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


class TestIsAnimated:
    """Maya API reference, MAnimUtil: objects and paths through all their
    attributes (checkParent: parents too); an MPlug alone -- "a compound
    attribute will not have its child attributes examined"."""

    @pytest.fixture
    def keyed(self):
        """group1.translateX and loose.offset.offsetX keyed; torus under
        group1, loose and still under the unanimated group2."""
        cmds.group(empty=True, name="group1")
        cmds.createNode("transform", name="torus", parent="group1")
        cmds.group(empty=True, name="group2")
        cmds.createNode("transform", name="loose", parent="group2")
        cmds.createNode("transform", name="still", parent="group2")
        cmds.addAttr("loose", longName="offset", attributeType="double3")
        for axis in "XYZ":
            cmds.addAttr("loose", longName="offset" + axis, attributeType="double",
                         parent="offset")
        cmds.setKeyframe("group1.translateX", time=(1,), value=1.0)
        cmds.setKeyframe("loose.offsetX", time=(1,), value=1.0)

    KINDS = dict(object=dependNode, path=dagPath, plug=plug, list=selectionOf)

    @pytest.mark.parametrize("name, kind, checkParent, expected", [
        ("torus", "object", False, False), ("torus", "object", True, True),
        ("torus", "path", False, False), ("torus", "path", True, True),
        ("torus", "list", False, False), ("torus", "list", True, True),
        ("still", "path", True, False), ("still", "object", True, False),
        ("loose", "object", False, True),
        ("group1", "object", False, True),
        ("group1.translate", "plug", False, False), ("group1.translateX", "plug", False, True),
        ("loose.offset", "plug", False, False), ("loose.offsetX", "plug", False, True),
        ("group1.translate", "list", False, True), ("loose.offset", "list", False, True),
        ("loose.offsetY", "list", False, False),
    ])
    def test_how_each_representation_is_examined(self, keyed, name, kind, checkParent,
                                                 expected):
        assert oma.MAnimUtil.isAnimated(self.KINDS[kind](name), checkParent) is expected


def test_calls_that_answer_a_status_in_cpp_answer_none(scene):
    """Maya API reference, "Differences Between Maya's C++ and Python APIs": no MStatus."""
    selection = om.MSelectionList()
    assert selection.add("grp|a") is None
    path = om.MDagPath()
    selection.getDagPath(0, path)
    other = om.MDagPath()
    assert other.set(path) is None
    assert other.fullPathName() == "|grp|a"
