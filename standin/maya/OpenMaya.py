"""Python API 1.0 classes over the stand-in scene (see ``maya._scene``).

Methods raise ``RuntimeError`` where Maya's would report a failed MStatus,
with Maya's "(kCode): text" message form.  Every class is a plain Python
class, so it can be subclassed (the module derives from ``MTime`` and from
``MAnimControl``); subclass instances are accepted wherever the base is.

Simplifications: there is no instancing (one DAG path per node), MDagPath
follows its end node (a path keeps naming a node after the node is renamed
or reparented), and attribute MObjects of built-in attributes are shared by
every node of a type, as in Maya.
"""

# Where each name lives: one private module per area.
#   _api_objects     MFn, MObject, MObjectHandle and the plain arrays
#   _api_geometry    vectors, points, matrices, rotations, MTransformationMatrix
#   _api_time        MTime, MDistance, MAngle, MDGContext
#   _api_scriptutil  MScriptUtil and its pointers
#   _api_selection   MSelectionList, MItSelectionList, MGlobal, MDagPath
#   _api_nodes       MFnDependencyNode, MFnDagNode, MFnTransform
#   _api_attributes  MFnAttribute and its kinds, MFnData and the data sets
#   _api_plug        MPlug, MPlugArray
#   _api_modifiers   MDGModifier, MDagModifier, MMessage

from ._api_objects import *  # noqa: F401,F403
from ._api_geometry import *  # noqa: F401,F403
from ._api_time import *  # noqa: F401,F403
from ._api_scriptutil import *  # noqa: F401,F403
from ._api_selection import *  # noqa: F401,F403
from ._api_nodes import *  # noqa: F401,F403
from ._api_attributes import *  # noqa: F401,F403
from ._api_plug import *  # noqa: F401,F403
from ._api_modifiers import *  # noqa: F401,F403


from . import (  # noqa: E402
    _api_objects, _api_geometry, _api_time, _api_scriptutil, _api_selection,
    _api_nodes, _api_attributes, _api_plug, _api_modifiers)
__all__ = sorted(set().union(
    _api_objects.__all__, _api_geometry.__all__, _api_time.__all__,
    _api_scriptutil.__all__, _api_selection.__all__, _api_nodes.__all__,
    _api_attributes.__all__, _api_plug.__all__, _api_modifiers.__all__))
del _api_objects, _api_geometry, _api_time, _api_scriptutil, _api_selection, _api_nodes, _api_attributes, _api_plug, _api_modifiers
