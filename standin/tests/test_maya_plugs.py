"""Plugs: structure, locks and connections, free-to-change, typed data."""
import pytest
from maya import cmds
from maya import _scene
import maya.OpenMaya as om


def plug(name):
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MPlug()
    selection.getPlug(0, result)
    return result


def node_fn(name):
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    return om.MFnDependencyNode(obj)


@pytest.fixture
def rig():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="driver")
    cmds.addAttr("ctrl", longName="list", attributeType="compound", numberOfChildren=1,
                 multi=True)
    cmds.addAttr("ctrl", longName="weight", attributeType="double", parent="list")
    return "ctrl"


@pytest.mark.parametrize("setup, target, expected", [
    ([], "ctrl.tx", om.MPlug.kFreeToChange),
    ([("lock", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("connect", "driver.tx", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("lock", "ctrl.t")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("lock", "ctrl.tx")], "ctrl.t", om.MPlug.kChildrenNotFreeToChange),
    ([("connect", "driver.ty", "ctrl.ty")], "ctrl.t", om.MPlug.kChildrenNotFreeToChange),
    ([("connect", "driver.tx", "ctrl.tx")], "driver.tx", om.MPlug.kFreeToChange),
    ([("key", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
])
def test_is_free_to_change_for_locked_and_connected_plugs(rig, setup, target, expected):
    for step in setup:
        if step[0] == "lock":
            cmds.setAttr(step[1], lock=True)
        elif step[0] == "connect":
            cmds.connectAttr(step[1], step[2])
        else:
            cmds.setKeyframe(step[1])
    assert plug(target).isFreeToChange() == expected


def test_parents_and_children_are_checked_only_when_asked(rig):
    cmds.setAttr("ctrl.t", lock=True)
    cmds.setAttr("ctrl.ry", lock=True)
    assert plug("ctrl.tx").isFreeToChange(False, True) == om.MPlug.kFreeToChange
    assert plug("ctrl.r").isFreeToChange(True, False) == om.MPlug.kFreeToChange


@pytest.mark.parametrize("write", [
    lambda p: p.setDouble(1.0), lambda p: p.setMDistance(om.MDistance(1.0)),
    lambda p: p.setInt(1), lambda p: p.setBool(True),
])
@pytest.mark.parametrize("block", ["lock", "connect"])
def test_setters_refuse_locked_and_driven_plugs(rig, write, block):
    if block == "lock":
        cmds.setAttr("ctrl.tx", lock=True)
    else:
        cmds.connectAttr("driver.tx", "ctrl.tx")
    with pytest.raises(RuntimeError):
        write(plug("ctrl.tx"))
    with pytest.raises(RuntimeError, match="locked or connected"):
        cmds.setAttr("ctrl.tx", 5)


def test_sparse_array_elements_and_ancestor_indices(rig):
    cmds.setAttr("ctrl.list[3].weight", 7)
    cmds.setAttr("ctrl.list[10].weight", 9)
    weight = om.MPlug(node_fn(rig).object(), node_fn(rig).attribute("weight"))
    assert weight.name() == "ctrl.list[-1].weight"
    weight.selectAncestorLogicalIndex(10, node_fn(rig).attribute("list"))
    assert (weight.name(), weight.asDouble()) == ("ctrl.list[10].weight", 9.0)
    assert weight.partialName(False, False, False, False, False, True) == "list[10].weight"
    array = node_fn(rig).findPlug("list")
    indices = om.MIntArray()
    array.getExistingArrayAttributeIndices(indices)
    assert list(indices) == [3, 10]
    assert array.elementByPhysicalIndex(1).logicalIndex() == 10
    assert array.elementByLogicalIndex(5).isElement()
    assert array.numElements() == 3


@pytest.mark.parametrize("index, error", [(-1, OverflowError), (2 ** 32, OverflowError),
                                          (2 ** 64, OverflowError), (1.5, TypeError)])
def test_select_ancestor_index_refuses_what_unsigned_int_cannot_hold(rig, index, error):
    weight = node_fn(rig).findPlug("weight")
    with pytest.raises(error, match="argument 2 of type 'unsigned int'"):
        weight.selectAncestorLogicalIndex(index, node_fn(rig).attribute("list"))


def test_select_ancestor_index_needs_an_array_ancestor(rig):
    with pytest.raises(RuntimeError):
        node_fn(rig).findPlug("tx").selectAncestorLogicalIndex(1, node_fn(rig).attribute("t"))


@pytest.mark.parametrize("name, short, full", [
    ("translateX", "tx", "translate.translateX"),
    ("worldMatrix[0]", "wm[0]", "worldMatrix[0]"),
    ("outlinerColorG", "oclrg", "outlinerColor.outlinerColorG"),
])
def test_plug_names(rig, name, short, full):
    p = plug("ctrl." + name)
    assert p.name() == "ctrl." + name
    assert p.partialName() == short
    assert p.partialName(True, False, False, False, True, True) == "ctrl." + full


def test_compound_structure_and_wrong_kind_accessors(rig):
    t = plug("ctrl.t")
    assert (t.isCompound(), t.numChildren(), t.child(2).partialName()) == (True, 3, "tz")
    assert t.child(0).parent() == t and t.child(0).isChild()
    with pytest.raises(RuntimeError):
        t.asDouble()
    with pytest.raises(RuntimeError):
        plug("ctrl.tx").asString()
    with pytest.raises(RuntimeError):
        node_fn("ctrl").findPlug("noSuchAttribute")


@pytest.mark.parametrize("at, api_type", [
    (dict(at="double3"), "kAttribute3Double"), (dict(at="float3"), "kAttribute3Float"),
    (dict(at="compound"), "kCompoundAttribute"), (dict(at="doubleLinear"), "kDoubleLinearAttribute"),
    (dict(at="floatLinear"), "kFloatLinearAttribute"), (dict(at="doubleAngle"), "kDoubleAngleAttribute"),
    (dict(at="floatAngle"), "kFloatAngleAttribute"), (dict(at="time"), "kTimeAttribute"),
    (dict(dt="matrix"), "kTypedAttribute"), (dict(at="matrix"), "kMatrixAttribute"),
    (dict(at="fltMatrix"), "kFloatMatrixAttribute"), (dict(at="long"), "kNumericAttribute"),
    (dict(at="enum", en="a:b"), "kEnumAttribute"), (dict(at="message"), "kMessageAttribute"),
])
def test_added_attributes_have_maya_api_types(rig, at, api_type):
    cmds.addAttr(rig, longName="extra", **at)
    attr = node_fn(rig).attribute("extra")
    assert attr.apiTypeStr() == api_type
    assert attr.apiType() == getattr(om.MFn, api_type)


@pytest.mark.parametrize("at, unit_type", [
    ("bool", om.MFnNumericData.kBoolean), ("long", om.MFnNumericData.kInt),
    ("short", om.MFnNumericData.kShort), ("byte", om.MFnNumericData.kByte),
    ("char", om.MFnNumericData.kChar), ("float", om.MFnNumericData.kFloat),
    ("double", om.MFnNumericData.kDouble), ("double3", om.MFnNumericData.k3Double),
])
def test_numeric_unit_types(rig, at, unit_type):
    cmds.addAttr(rig, longName="extra", attributeType=at)
    assert om.MFnNumericAttribute(node_fn(rig).attribute("extra")).unitType() == unit_type


def test_numeric_function_set_refuses_other_attributes(rig):
    with pytest.raises(RuntimeError):
        om.MFnNumericAttribute(node_fn(rig).attribute("rotateOrder"))
    _scene.addNumericAttribute(rig, "raw", "raw", om.MFnNumericData.kAddr, 4)
    assert om.MFnNumericAttribute(node_fn(rig).attribute("raw")).unitType() == \
        om.MFnNumericData.kAddr
    assert plug("ctrl.raw").asDouble() == 4.0


@pytest.mark.parametrize("data_type, fn_class, array_class, values", [
    ("doubleArray", om.MFnDoubleArrayData, om.MDoubleArray, [1.5, 2.5]),
    ("Int32Array", om.MFnIntArrayData, om.MIntArray, [3, 4, 5]),
])
def test_array_data_round_trips_through_plugs(rig, data_type, fn_class, array_class, values):
    cmds.addAttr(rig, longName="data", dataType=data_type)
    array = array_class()
    for v in values:
        array.append(v)
    plug("ctrl.data").setMObject(fn_class().create(array))
    assert list(fn_class(plug("ctrl.data").asMObject()).array()) == values
    assert cmds.getAttr("ctrl.data") == values


def test_point_array_and_matrix_data(rig):
    cmds.addAttr(rig, longName="points", dataType="pointArray")
    points = om.MPointArray()
    points.append(om.MPoint(1, 2, 3))
    plug("ctrl.points").setMObject(om.MFnPointArrayData().create(points))
    assert cmds.getAttr("ctrl.points") == [(1.0, 2.0, 3.0, 1.0)]
    matrix = om.MMatrix()
    matrix.setElement(3, 0, 5.0)
    plug("ctrl.offsetParentMatrix").setMObject(om.MFnMatrixData().create(matrix))
    read = om.MFnMatrixData(plug("ctrl.worldMatrix[0]").asMObject()).matrix()
    assert read == matrix and read.isEquivalent(om.MMatrix(matrix))
    assert cmds.getAttr("ctrl.worldMatrix")[12] == 5.0
    assert plug("ctrl.worldMatrix").isArray() and plug("ctrl.wm[0]").array().isArray()


def test_connections_and_listing(rig):
    assert cmds.connectAttr("driver.t", "ctrl.t") == "Connected driver.translate to ctrl.translate."
    cmds.setAttr("driver.ty", 4)
    assert cmds.getAttr("ctrl.ty") == 4.0
    assert cmds.listConnections("ctrl", plugs=True) == ["driver.translate"]
    sources = om.MPlugArray()
    assert plug("ctrl.t").connectedTo(sources, True, False)
    assert sources[0].name() == "driver.translate"
    with pytest.raises(RuntimeError):
        cmds.connectAttr("ctrl.r", "ctrl.t")
    cmds.disconnectAttr("driver.t", "ctrl.t")
    assert not plug("ctrl.t").isConnected()


def test_lock_keyable_and_channel_box_flags(rig):
    cmds.setAttr("ctrl.ro", channelBox=True)
    cmds.setAttr("ctrl.tx", keyable=False)
    assert cmds.getAttr("ctrl.ro", channelBox=True) and plug("ctrl.ro").isChannelBoxFlagSet()
    assert not plug("ctrl.tx").isKeyable() and plug("ctrl.ty").isKeyable()
    plug("ctrl.ty").setLocked(True)
    assert cmds.getAttr("ctrl.ty", lock=True)
