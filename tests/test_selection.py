"""SelectionReader and SelectionBuilder: names and the active selection as API
objects and paths, and selection lists made active."""
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

    def test_missing_name_between_two_existing_ones(self, rk, scene):
        reader = rk.SelectionReader(["a", "nothing", "b"])
        assert sorted(names(reader.nodeObjects)) == ["a", "b"]
        assert sorted(p.fullPathName() for p in reader.nodeDagPaths) == ["|grp|a", "|grp|b"]

    def test_a_node_named_twice_in_different_forms(self, rk, scene):
        reader = rk.SelectionReader(["a", "|grp|a", "b"])
        objects = reader.nodeObjects
        assert len(objects) == 3 and sorted(names(objects)) == ["a", "a", "b"]
        assert sorted(p.fullPathName() for p in reader.nodeDagPaths) == [
            "|grp|a", "|grp|a", "|grp|b"]

    def test_reader_without_names_cannot_walk_them(self, rk, scene):
        with pytest.raises(TypeError):
            rk.SelectionReader().nodeObjects

    def test_active_selection_in_order(self, rk, scene):
        cmds.select("b", "a")
        paths = rk.SelectionReader().selectedDagPaths
        assert [p.fullPathName() for p in paths] == ["|grp|b", "|grp|a"]
        assert paths[0] is not paths[1]
        cmds.select("md", add=True)
        reader = rk.SelectionReader()
        assert names(reader.selectedObjects) == ["b", "a", "md"]

    def test_nodes_without_a_dag_path_are_skipped_not_fatal(self, rk, scene):
        """A material or utility node in a list or the selection costs the
        other nodes nothing."""
        cmds.select("b", "md", "a")
        reader = rk.SelectionReader(["a", "md", "b"])
        assert [p.fullPathName() for p in reader.selectedDagPaths] == ["|grp|b", "|grp|a"]
        assert sorted(p.fullPathName() for p in reader.nodeDagPaths) == ["|grp|a", "|grp|b"]
        assert sorted(names(reader.nodeObjects)) == ["a", "b", "md"]

    @pytest.mark.parametrize("given", ["ab", b"ab"])
    def test_one_name_given_as_text_is_one_name(self, rk, scene, given):
        cmds.createNode("transform", name="ab")
        reader = rk.SelectionReader(given)
        assert reader.nodes == ["ab"]
        assert names(reader.nodeObjects) == ["ab"]

    def test_nothing_selected(self, rk, scene):
        reader = rk.SelectionReader()
        assert reader.selectedObjects == [] and reader.selectedDagPaths == []


class TestBuilder:
    def test_selection_made_active_again(self, rk, scene):
        cmds.select("a", "driver")
        builder = rk.SelectionBuilder()
        builder.addSelection()
        cmds.select(clear=True)
        builder.makeActive()
        assert cmds.ls(selection=True, long=True) == ["|grp|a", "|driver"]

    def test_nothing_selected_leaves_the_selection(self, rk, scene):
        builder = rk.SelectionBuilder()
        builder.addSelection()
        cmds.select("b")
        builder.makeActive()
        assert cmds.ls(selection=True) == ["b"]

    def test_hierarchy_below_the_selection_skips_constraints(self, rk, scene):
        cmds.pointConstraint("driver", "a")
        cmds.select("grp")
        builder = rk.SelectionBuilder()
        builder.addSelectedHierarchy()
        builder.makeActive()
        assert sorted(cmds.ls(selection=True, long=True)) == ["|grp|a", "|grp|b"]
