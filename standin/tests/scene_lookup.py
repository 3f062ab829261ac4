"""Finding a plug or a node by name through the API, as the checks of the
stand-in do it in many places."""
import maya.OpenMaya as om


def plug(name):
    """The MPlug named "node.attribute"."""
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MPlug()
    selection.getPlug(0, result)
    return result


def dependNode(name):
    """The MObject of the node named `name`."""
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MObject()
    selection.getDependNode(0, result)
    return result
