"""What the attribute wrapper relies on when it finds, reads and writes a plug:
array elements by logical index, typed matrix data, the curves one compound
key edits, and node identity across renames.  (Names several nodes answer:
the node tests in tests/test_node.py and test_scene_names.py.)"""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma

from scene_lookup import dependNode, plug


class TestElements:
    # Reading and writing elements, also of an array inside an array
    # element: the attribute path tests in tests/test_anim_attr_plug.py.
    @pytest.fixture
    def net(self):
        cmds.createNode("network", name="n")
        cmds.addAttr("n", longName="values", attributeType="double", multi=True)
        return om.MFnDependencyNode(dependNode("n"))

    @pytest.mark.parametrize("index, error", [
        (-1, OverflowError), (2 ** 32, OverflowError), (1.0, TypeError)])
    def test_index_outside_unsigned_range_is_refused(self, net, index, error):
        with pytest.raises(error, match="argument 2 of type 'unsigned int'"):
            net.findPlug("values", False).elementByLogicalIndex(index)

    def test_a_plug_that_is_not_an_array_has_no_elements(self, net):
        with pytest.raises(RuntimeError):
            plug("n.message").elementByLogicalIndex(0)


def test_a_child_index_past_the_last_child_is_refused():
    cmds.createNode("transform", name="t")
    translate = plug("t.translate")
    assert translate.child(2).name() == "t.translateZ"
    with pytest.raises(RuntimeError):
        translate.child(3)


class TestTypedMatrix:
    # Writing matrix data, directly and through a modifier: the attribute
    # write tests in tests/test_anim_attr_values.py.
    def test_matrix_data_does_not_fit_other_typed_data(self):
        cmds.createNode("transform", name="t")
        cmds.addAttr("t", longName="names", dataType="stringArray")
        with pytest.raises(RuntimeError, match="does not fit"):
            plug("t.names").setMObject(om.MFnMatrixData().create(om.MMatrix()))


class TestKeying:
    def test_one_key_on_a_compound_tells_the_callback_every_curve_at_once(self):
        cmds.createNode("transform", name="ctrl")
        calls = []

        def record(curves, clientData):
            calls.append([om.MFnDependencyNode(curves[i]).name() for i in range(curves.length())])
        ident = oma.MAnimMessage.addAnimCurveEditedCallback(record)
        try:
            cmds.setKeyframe("ctrl.translate", time=(4,))
        finally:
            om.MMessage.removeCallback(ident)
        assert calls == [["ctrl_translateX", "ctrl_translateY", "ctrl_translateZ"]]


def test_a_node_keeps_its_identity_across_renames_and_a_new_one_differs():
    cmds.createNode("transform", name="spine")
    before = dependNode("spine")
    cmds.rename("spine", "spine_old")
    assert dependNode("spine_old") == before
    cmds.createNode("transform", name="spine")
    assert dependNode("spine") != before


def test_a_plug_read_from_an_array_dies_with_it_and_a_copy_does_not():
    """API 1.0 hands out array[i] as a reference into the array's memory."""
    import gc

    cmds.createNode("transform", name="n")
    array = om.MPlugArray()
    array.append(plug("n.tx"))
    view, copy = array[0], om.MPlug(array[0])
    assert view.name() == copy.name() == "n.translateX"
    del array
    gc.collect()
    with pytest.raises(RuntimeError, match="Plug is null"):
        view.name()
    assert copy.name() == "n.translateX"
