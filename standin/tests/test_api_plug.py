"""What the attribute wrapper relies on to find, read and write a plug: elements by
logical index, typed matrix data, compound keys, node identity, and MScriptUtil pointers
that are refused once their util is freed.  (Shared names: tests/test_node.py.)"""
import gc
import weakref

import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma

from scene_lookup import dependNode, plug

FREED = "MScriptUtil pointer used after its MScriptUtil was freed"


# Reading and writing elements, also of an array inside an array element: the
# attribute path tests in tests/test_anim_attr_plug.py.
@pytest.mark.parametrize("index, error", [
    (-1, OverflowError), (2 ** 32, OverflowError), (1.0, TypeError)])
def test_index_outside_unsigned_range_is_refused(index, error):
    cmds.createNode("network", name="n")
    cmds.addAttr("n", longName="values", attributeType="double", multi=True)
    values = om.MFnDependencyNode(dependNode("n")).findPlug("values", False)
    with pytest.raises(error, match="argument 2 of type 'unsigned int'"):
        values.elementByLogicalIndex(index)


def test_a_child_past_the_last_and_an_element_of_a_plain_plug_are_refused():
    cmds.createNode("transform", name="t")
    translate = plug("t.translate")
    assert translate.child(2).name() == "t.translateZ"
    with pytest.raises(RuntimeError):
        translate.child(3)
    with pytest.raises(RuntimeError):
        plug("t.message").elementByLogicalIndex(0)


def test_matrix_data_does_not_fit_other_typed_data():
    # Writing matrix data, directly and through a modifier: the attribute write
    # tests in tests/test_anim_attr_values.py.
    cmds.createNode("transform", name="t")
    cmds.addAttr("t", longName="names", dataType="stringArray")
    with pytest.raises(RuntimeError, match="does not fit"):
        plug("t.names").setMObject(om.MFnMatrixData().create(om.MMatrix()))


def test_one_key_on_a_compound_tells_the_callback_every_curve_at_once():
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
    before = dependNode(cmds.createNode("transform", name="spine"))
    cmds.rename("spine", "spine_old")
    assert dependNode("spine_old") == before
    cmds.createNode("transform", name="spine")
    assert dependNode("spine") != before
    assert om.MObject().apiType() == om.MFn.kInvalid


def test_a_plug_read_from_an_array_dies_with_it_and_a_copy_does_not():
    """API 1.0 hands out array[i] as a reference into the array's memory."""
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


def shapes_below(pointer):
    path = om.MDagPath()
    om.MDagPath.getAPathTo(dependNode("ball"), path)
    path.numberOfShapesDirectlyBelow(pointer)


def transform_scale(pointer):
    om.MFnTransform(dependNode("ball")).getScale(pointer)


def matrix_scale(pointer):
    om.MFnTransform(dependNode("ball")).transformation().getScale(pointer, om.MSpace.kTransform)


@pytest.mark.parametrize("method, args", [
    ("getUint", ()), ("getInt", ()), ("getShort", ()), ("getBool", ()), ("getFloat", ()),
    ("getDouble", ()), ("setUint", (1,)), ("setInt", (1,)), ("setBool", (True,)),
    ("setDouble", (1.0,)), ("getDoubleArrayItem", (2,)), ("setDoubleArray", (2, 1.0)),
    ("getIntArrayItem", (2,)),
])
def test_a_pointer_does_not_keep_its_util_alive_and_is_refused_once_it_is_gone(method, args):
    util = om.MScriptUtil()
    pointer = util.asUintPtr()
    om.MScriptUtil.setUint(pointer, 7)
    assert util.asUint() == 7
    alive = weakref.ref(util)
    del util
    assert alive() is None
    with pytest.raises(RuntimeError, match=FREED):
        getattr(om.MScriptUtil, method)(pointer, *args)


@pytest.mark.parametrize("write, expected", [
    (shapes_below, [1]), (transform_scale, [2.0, 3.0, 4.0]), (matrix_scale, [2.0, 3.0, 4.0]),
], ids=["numberOfShapesDirectlyBelow", "MFnTransform.getScale", "MTransformationMatrix.getScale"])
def test_api_methods_write_through_a_live_pointer_and_refuse_a_freed_one(write, expected):
    cmds.createNode("mesh", parent=cmds.createNode("transform", name="ball"))
    cmds.setAttr("ball.scale", 2, 3, 4)
    util = om.MScriptUtil()
    util.createFromList([0.0] * len(expected), len(expected))
    pointer = util.asDoublePtr()
    write(pointer)
    assert [om.MScriptUtil.getDoubleArrayItem(pointer, i) for i in range(len(expected))] \
        == pytest.approx(expected)
    with pytest.raises(RuntimeError, match=FREED):
        write(om.MScriptUtil().asDoublePtr())
