"""The attributes a transform and a joint carry, as Maya lists them: how many,
in which order, and which ones the Channel Box shows by default."""
import pytest
from maya import cmds
import maya.OpenMaya as om

KEYABLE = ["visibility", "translateX", "translateY", "translateZ", "rotateX", "rotateY",
           "rotateZ", "scaleX", "scaleY", "scaleZ"]


def attributeNames(name):
    """Long names of a node's attributes in index order, and its count."""
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    fn = om.MFnDependencyNode(obj)
    count = fn.attributeCount()
    return [om.MFnAttribute(fn.attribute(i)).name() for i in range(count)], count


@pytest.mark.parametrize("nodeType, count", [("transform", 232), ("joint", 311)])
def test_attribute_indices_run_from_the_base_node_to_the_type_then_dynamic(nodeType, count):
    node = cmds.createNode(nodeType, name="n")
    names, total = attributeNames(node)
    assert total == count and len(set(names)) == count
    order = [names.index(a) for a in ("message", "binMembership", "hyperLayout",
                                      "boundingBox", "visibility", "outlinerColorB",
                                      "translate", "translateX", "rotateZ", "rotateOrder",
                                      "scale", "offsetParentMatrix", "rotationInterpolation")]
    assert order == sorted(order) and order[:2] == [0, 5]
    assert names.index("translateX") == names.index("translate") + 1
    cmds.addAttr(node, longName="extra", attributeType="double", keyable=True)
    names, total = attributeNames(node)
    assert total == count + 1 and names[-1] == "extra"


@pytest.mark.parametrize("nodeType", ["transform", "joint"])
def test_a_new_transform_keys_visibility_and_the_nine_channels(nodeType):
    node = cmds.createNode(nodeType, name="n")
    assert cmds.listAttr(node, keyable=True) == KEYABLE
    assert cmds.listAttr(node, channelBox=True) is None
    for attr in ("rotateOrder", "jointOrientX" if nodeType == "joint" else "shearXY"):
        assert not cmds.attributeQuery(attr, node=node, keyable=True)
        assert not cmds.attributeQuery(attr, node=node, channelBox=True)


@pytest.mark.parametrize("plugName, default", [
    ("visibility", True), ("scaleY", 1.0), ("rotateOrder", 0), ("inheritsTransform", True),
    ("minRotXLimit", -45.0), ("maxTransLimitEnable", [(False, False, False)]),
    ("objectColor", 0), ("useOutlinerColor", False), ("ghostColorPreR", 0.447),
])
def test_inherited_and_own_attributes_start_at_mayas_defaults(plugName, default):
    node = cmds.createNode("transform", name="n")
    expected = pytest.approx(default) if isinstance(default, float) else default
    assert cmds.getAttr("%s.%s" % (node, plugName)) == expected


def test_dag_nodes_descend_from_container_base_and_entity():
    node = cmds.createNode("joint", name="n")
    assert cmds.nodeType(node, inherited=True) == [
        "containerBase", "entity", "dagNode", "transform", "joint"]
    for abstract in ("containerBase", "entity"):
        with pytest.raises(RuntimeError):
            cmds.createNode(abstract)
