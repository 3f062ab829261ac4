"""MScriptUtil pointers are memory their util owns: usable while the util lives,
refused once it is freed, where Maya would read or write freed memory."""
import weakref

import pytest
from maya import cmds
import maya.OpenMaya as om
from scene_lookup import dependNode

FREED = "MScriptUtil pointer used after its MScriptUtil was freed"


def shapes_below(pointer):
    path = om.MDagPath()
    om.MDagPath.getAPathTo(dependNode("ball"), path)
    path.numberOfShapesDirectlyBelow(pointer)


def transform_scale(pointer):
    om.MFnTransform(dependNode("ball")).getScale(pointer)


def matrix_scale(pointer):
    om.MFnTransform(dependNode("ball")).transformation().getScale(pointer, om.MSpace.kTransform)


def test_a_pointer_does_not_keep_its_util_alive():
    util = om.MScriptUtil()
    pointer = util.asUintPtr()
    om.MScriptUtil.setUint(pointer, 7)
    assert util.asUint() == 7
    alive = weakref.ref(util)
    del util
    assert alive() is None
    with pytest.raises(RuntimeError, match=FREED):
        om.MScriptUtil.getUint(pointer)


@pytest.mark.parametrize("method, args", [
    ("getUint", ()), ("getInt", ()), ("getShort", ()), ("getBool", ()), ("getFloat", ()),
    ("getDouble", ()), ("setUint", (1,)), ("setInt", (1,)), ("setBool", (True,)),
    ("setDouble", (1.0,)), ("getDoubleArrayItem", (2,)), ("setDoubleArray", (2, 1.0)),
    ("getIntArrayItem", (2,)),
])
def test_a_temporary_utils_pointer_is_refused_by_every_accessor(method, args):
    with pytest.raises(RuntimeError, match=FREED):
        getattr(om.MScriptUtil, method)(om.MScriptUtil().asDoublePtr(), *args)


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
