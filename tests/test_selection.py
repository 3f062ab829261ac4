"""SelectionReader and SelectionBuilder: names and the selection as API objects, made active."""
import pytest
from maya import cmds
import maya.OpenMaya as om


@pytest.fixture
def scene():
    cmds.group(empty=True, name="grp")
    for name in ("a", "b"):
        cmds.createNode("transform", name=name, parent="grp")
    cmds.createNode("transform", name="driver")
    cmds.createNode("multiplyDivide", name="md")
    cmds.select(clear=True)


def names(objects):
    return [om.MFnDependencyNode(o).name() for o in objects]


class TestReader:
    def test_names_are_kept_once(self, rk, scene):
        assert sorted(rk.SelectionReader(["a", "b", "a"]).nodes) == ["a", "b"]
        assert rk.SelectionReader().nodes is None
        with pytest.raises(TypeError):  # no names to walk
            rk.SelectionReader().nodeObjects

    @pytest.mark.parametrize("given, objects, dagPaths", [
        (["a", "nothing", "b"], ["a", "b"], ["|grp|a", "|grp|b"]),
        (["a", "|grp|a", "b"], ["a", "a", "b"], ["|grp|a", "|grp|a", "|grp|b"]),
        (["a", "md", "b"], ["a", "b", "md"], ["|grp|a", "|grp|b"]),  # md has no DAG path
        ("ab", ["ab"], ["|ab"]), (b"ab", ["ab"], ["|ab"])])  # one name, not its letters
    def test_names_as_objects_and_paths(self, rk, scene, given, objects, dagPaths):
        cmds.createNode("transform", name="ab")
        reader = rk.SelectionReader(given)
        if not isinstance(given, list):
            assert reader.nodes == ["ab"]
        assert sorted(names(reader.nodeObjects)) == objects
        assert sorted(p.fullPathName() for p in reader.nodeDagPaths) == dagPaths

    @pytest.mark.parametrize("selected, dagPaths", [
        (["b", "md", "a"], ["|grp|b", "|grp|a"]), ([], [])])  # md has no DAG path
    def test_active_selection_in_order(self, rk, scene, selected, dagPaths):
        for name in selected:
            cmds.select(name, add=True)
        reader = rk.SelectionReader()
        paths = reader.selectedDagPaths
        assert [p.fullPathName() for p in paths] == dagPaths
        assert len(set(map(id, paths))) == len(paths)  # each a path of its own
        assert names(reader.selectedObjects) == selected


@pytest.mark.parametrize("selected, active", [
    (["a", "driver"], ["|grp|a", "|driver"]), ([], ["|grp|b"])])  # nothing: left alone
def test_selection_made_active_again(rk, scene, selected, active):
    cmds.select(*selected) if selected else cmds.select(clear=True)
    builder = rk.SelectionBuilder()
    builder.addSelection()
    cmds.select("b")
    builder.makeActive()
    assert cmds.ls(selection=True, long=True) == active


def test_hierarchy_below_the_selection_skips_constraints(rk, scene):
    cmds.pointConstraint("driver", "a")
    cmds.select("grp")
    builder = rk.SelectionBuilder()
    builder.addSelectedHierarchy()
    builder.makeActive()
    assert sorted(cmds.ls(selection=True, long=True)) == ["|grp|a", "|grp|b"]
