"""Finding plugs, nodes and paths by name through the API, as the checks of
the stand-in do it in many places."""
from maya import cmds
import maya.OpenMaya as om


def selectionOf(*names):
    """An MSelectionList holding each of `names`."""
    result = om.MSelectionList()
    for name in names:
        result.add(name)
    return result


def plug(name):
    """The MPlug named "node.attribute"."""
    result = om.MPlug()
    selectionOf(name).getPlug(0, result)
    return result


def dependNode(name):
    """The MObject of the node named `name`."""
    result = om.MObject()
    selectionOf(name).getDependNode(0, result)
    return result


def dagPath(name):
    """The MDagPath of the DAG node named `name`."""
    result = om.MDagPath()
    selectionOf(name).getDagPath(0, result)
    return result


def sources(name):
    """The plugs that feed `name` (None when nothing does)."""
    return cmds.listConnections(name, source=True, destination=False, plugs=True)
