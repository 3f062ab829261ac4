"""Node: construction, the kept API objects, existence, names and hierarchy."""
import pytest
from maya import cmds
from maya.OpenMaya import MFn


@pytest.fixture
def hierarchy():
    """|grp|ctrl (transform with a mesh shape), |grp|empty, |other|ctrl."""
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent="grp")
    cmds.createNode("mesh", name="ctrlShape", parent="|grp|ctrl")
    cmds.createNode("transform", name="empty", parent="grp")
    cmds.group(empty=True, name="other")
    cmds.createNode("transform", name="ctrl", parent="other")


class TestConstruction:
    def test_bytes_name_is_decoded_as_latin_1(self, rk):
        assert rk.Node(b"caf\xe9").nodeName == "caf\xe9"

    @pytest.mark.parametrize("given, found, path", [
        ("|rig|ctrl", "|rig|ctrl", "|rig|ctrl"),  # found as given: kept
        ("|grp|ctrl", "ctrl", "|rig|ctrl"),
        ("|top|rig|ctrl", "rig|ctrl", "|rig|ctrl"),
    ])
    def test_shorter_path_search_finds_the_node_without_reports(
            self, rk, errors, given, found, path):
        cmds.group(empty=True, name="rig")
        cmds.createNode("transform", name="ctrl", parent="rig")
        node = rk.Node(given, searchShorterPaths=True)
        assert node.nodeName == found
        assert node.fullName() == path
        assert errors == []  # the candidates that missed are not the animator's concern

    @pytest.mark.parametrize("name, shorter", [
        ("|grp|nothing", True), ("nothing", True), ("|a|b|c|nothing", True), ("nothing", False)])
    def test_unknown_name_keeps_the_name_and_is_reported_once_per_instance(
            self, rk, errors, name, shorter):
        node = rk.Node(name, shorter)
        assert node.nodeName == name
        assert errors == []
        assert not node.exists() and not node.exists()
        assert node.nodeMObject is None
        assert len(errors) == 1
        assert errors[0].startswith("Zentrik - Error handling object %s - " % name)
        for method in (node.fullName, node.partialPathName, node.shortName):
            with pytest.raises(AttributeError):
                method()

    def test_shorter_path_search_skips_a_candidate_several_nodes_share(self, rk, errors, twins):
        node = rk.Node("|rig|ctrl", True)
        assert node.nodeName == "|rig|ctrl"
        assert node.nodeMObject is None

    def test_arguments_bind_as_in_python(self, rk):
        assert rk.Node(nodeName="a", searchShorterPaths=False).nodeName == "a"
        with pytest.raises(TypeError, match=r"^Node.__init__\(\) missing 1 required positional "
                                            r"argument: 'nodeName'$"):
            rk.Node()
        with pytest.raises(TypeError, match="missing 2 required positional arguments: "
                                            "'attributeName' and 'mTime'$"):
            rk.Node("a").getAttrAtTime()
        with pytest.raises(TypeError, match="takes from 2 to 3 positional arguments but 4"):
            rk.Node("a", False, 1)
        with pytest.raises(TypeError, match="multiple values for argument 'nodeName'"):
            rk.Node("a", nodeName="b")
        with pytest.raises(TypeError, match="unexpected keyword argument 'name'"):
            rk.Node(name="a")


class TestExistence:
    def test_deleted_node_no_longer_exists(self, rk, hierarchy):
        node = rk.Node("|grp|empty")
        assert node.exists()
        cmds.delete("|grp|empty")
        assert not node.exists()

    @pytest.mark.parametrize("name", ["ctrl", "ctrl*", b"ctrl"])
    def test_a_name_several_nodes_share_is_a_failed_lookup(self, rk, hierarchy, errors, name):
        node = rk.Node(name)
        assert node.nodeMObject is None and not node.exists()
        assert errors == ["Zentrik - Error handling object %s - More than one object matches "
                          "name: %s" % (node.nodeName, node.nodeName)]
        # Nothing is read or written on a guess.
        with pytest.raises(AttributeError):
            node.fullName()
        node.setAttr("tx", 4.0)
        assert cmds.getAttr("|grp|ctrl.tx") == 0.0 and cmds.getAttr("|other|ctrl.tx") == 0.0

    @pytest.mark.parametrize("name, path", [("grp|ctrl", "|grp|ctrl"), ("|other|ctrl", "|other|ctrl"),
                                            ("ctrlShape", "|grp|ctrl|ctrlShape")])
    def test_a_path_that_tells_shared_names_apart_finds_its_node(
            self, rk, hierarchy, errors, name, path):
        assert rk.Node(name).fullName() == path
        assert errors == []

    @pytest.mark.parametrize("name", [None, 5, 2.5, object(), ("a",), ""])
    def test_any_object_as_name_answers_without_crashing(self, rk, name):
        assert rk.Node(name).exists() is False


class TestNames:
    @pytest.mark.parametrize("name, names", [
        ("|grp|ctrl", ("|grp|ctrl", "grp|ctrl", "ctrl")),
        ("empty", ("|grp|empty", "empty", "empty")), ("net", ("net",) * 3)])
    def test_full_partial_and_short_names(self, rk, hierarchy, name, names):
        cmds.createNode("network", name="net")
        node = rk.Node(name)
        assert (node.fullName(), node.partialPathName(), node.shortName()) == names

    def test_node_stays_bound_after_rename(self, rk, hierarchy):
        node = rk.Node("|grp|empty")
        assert node.fullName() == "|grp|empty"
        cmds.rename("|grp|empty", "renamed")
        assert node.shortName() == "renamed"
        assert node.nodeName == "|grp|empty"

    def test_properties_are_kept(self, rk, hierarchy):
        node = rk.Node("|grp|ctrl")
        assert node.dagPath is node.dagPath
        assert node.fnDependencyNode is node.fnDependencyNode
        assert node.fnTransform.fullPathName() == "|grp|ctrl"


class TestHierarchy:
    def test_parent(self, rk, hierarchy):
        assert rk.Node("|grp|ctrl").parent().nodeName == "|grp"
        assert rk.Node("grp").parent() is None
        cmds.createNode("network", name="net")
        assert rk.Node("net").parent() is None

    @pytest.mark.parametrize("node, typeFilter, expected", [
        ("grp", (), ["|grp|ctrl", "|grp|empty"]), ("|grp|empty", (), []),
        ("|grp|ctrl", (MFn.kTransform,), ["|grp|ctrl|child"]),
        ("|grp|ctrl", ([MFn.kMesh],), ["|grp|ctrl|ctrlShape"]),
        ("|grp|ctrl", ([MFn.kMesh, MFn.kTransform, MFn.kMesh],),
         ["|grp|ctrl|ctrlShape", "|grp|ctrl|child"]),
        ("|grp|ctrl", ([MFn.kCamera],), [])])
    def test_children(self, rk, hierarchy, node, typeFilter, expected):
        cmds.createNode("transform", name="child", parent="|grp|ctrl")
        assert [c.nodeName for c in rk.Node(node).children(*typeFilter)] == expected

    @pytest.mark.parametrize("name, shape, shapes", [
        ("|grp|ctrl", "|grp|ctrl|ctrlShape", ["|grp|ctrl|ctrlShape", "|grp|ctrl|second"]),
        ("|grp|empty", None, []), ("net", None, [])])
    def test_shapes(self, rk, hierarchy, name, shape, shapes):
        cmds.createNode("mesh", name="second", parent="|grp|ctrl")
        cmds.createNode("network", name="net")
        node = rk.Node(name)
        assert (node.shape and node.shape.nodeName) == shape
        assert [s.nodeName for s in node.shapes] == shapes
        if shape:  # the kept path is not extended by the shape lookups
            assert node.dagPath.fullPathName() == name


class TestVisibility:
    def test_transform_needs_a_shape_but_its_parents_do_not(self, rk, hierarchy):
        cmds.createNode("network", name="net")
        assert rk.Node("|grp|ctrl").isVisible()
        assert not rk.Node("|grp|empty").isVisible()
        assert rk.Node("|grp|empty").isVisible(requireShapes=False)
        assert not rk.Node("nothing").isVisible() and not rk.Node("net").isVisible()

    @pytest.mark.parametrize("node, attribute, enabled, visible", [
        ("|grp|ctrl", "visibility", True, False), ("grp", "visibility", True, False),
        ("|grp|ctrl", "overrideVisibility", True, False),
        ("|grp|ctrl", "overrideVisibility", False, True)])  # counts only when enabled
    def test_hidden(self, rk, hierarchy, node, attribute, enabled, visible):
        cmds.setAttr(node + ".overrideEnabled", enabled)
        cmds.setAttr(node + "." + attribute, False)
        assert rk.Node("|grp|ctrl").isVisible() is visible
