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
        assert node.nodeName == name and errors == []
        assert not node.exists() and not node.exists() and node.nodeMObject is None
        [report] = errors
        assert report.startswith("Zentrik - Error handling object %s - " % name)
        for method in (node.fullName, node.partialPathName, node.shortName):
            with pytest.raises(AttributeError):
                method()

    def test_shorter_path_search_skips_a_candidate_several_nodes_share(self, rk, errors, twins):
        node = rk.Node("|rig|ctrl", True)
        assert node.nodeName == "|rig|ctrl"
        assert node.nodeMObject is None

    @pytest.mark.parametrize("call, message", [
        (lambda rk: rk.Node(),
         r"^Node.__init__\(\) missing 1 required positional argument: 'nodeName'$"),
        (lambda rk: rk.Node("a").getAttrAtTime(),
         "missing 2 required positional arguments: 'attributeName' and 'mTime'$"),
        (lambda rk: rk.Node("a", False, 1), "takes from 2 to 3 positional arguments but 4"),
        (lambda rk: rk.Node("a", nodeName="b"), "multiple values for argument 'nodeName'"),
        (lambda rk: rk.Node(name="a"), "unexpected keyword argument 'name'")])
    def test_arguments_bind_as_in_python(self, rk, call, message):
        assert rk.Node(nodeName="a", searchShorterPaths=False).nodeName == "a"
        with pytest.raises(TypeError, match=message):
            call(rk)


class TestExistence:
    @pytest.mark.parametrize("name", ["ctrl", "ctrl*", b"ctrl"])
    def test_a_name_several_nodes_share_is_a_failed_lookup_never_a_guess(self, rk, twins,
                                                                        errors, name):
        node = rk.Node(name)
        text = node.nodeName
        ambiguous = ["Zentrik - Error handling object %s - More than one object matches "
                     "name: %s" % (text, text)]
        assert node.nodeMObject is None and not node.exists()
        assert errors == ambiguous
        # Nothing is read or written on a guess, by the node or by a path on its name.
        with pytest.raises(AttributeError):
            node.fullName()
        node.setAttr("tx", 4.0)
        del errors[:]
        attr = rk.AnimAttr(plugName=text + ".tx")
        assert errors == ambiguous
        assert not hasattr(attr, "plug") and attr.exists is False
        assert attr.setValue(3.0) is None
        attr.setValueUndoable(4.0)
        assert cmds.getAttr("|g1|ctrl.tx") == 0.0 and cmds.getAttr("|g2|ctrl.tx") == 0.0
        with pytest.raises(ValueError, match="^More than one object matches name: "):
            attr.plugFromPath(text + ".tx")

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

    def test_node_stays_bound_after_rename_until_deleted(self, rk, hierarchy):
        node = rk.Node("|grp|empty")
        assert node.fullName() == "|grp|empty"
        cmds.rename("|grp|empty", "renamed")
        assert node.shortName() == "renamed" and node.nodeName == "|grp|empty"
        assert node.exists()
        cmds.delete("|grp|renamed")
        assert not node.exists()

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


# A transform needs a shape to be visible, its parents do not; an override counts when enabled.
@pytest.mark.parametrize("name, requireShapes, hidden, enabled, visible", [
    ("|grp|ctrl", True, None, False, True), ("|grp|empty", True, None, False, False),
    ("|grp|empty", False, None, False, True), ("nothing", True, None, False, False),
    ("net", True, None, False, False), ("|grp|ctrl", True, "|grp|ctrl.visibility", True, False),
    ("|grp|ctrl", True, "grp.visibility", True, False),
    ("|grp|ctrl", True, "|grp|ctrl.overrideVisibility", True, False),
    ("|grp|ctrl", True, "|grp|ctrl.overrideVisibility", False, True)])
def test_visible(rk, hierarchy, name, requireShapes, hidden, enabled, visible):
    cmds.createNode("network", name="net")
    if hidden:
        cmds.setAttr(hidden.rsplit(".", 1)[0] + ".overrideEnabled", enabled)
        cmds.setAttr(hidden, False)
    assert rk.Node(name).isVisible(requireShapes=requireShapes) is visible
