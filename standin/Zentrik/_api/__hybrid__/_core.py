"""The shared implementation behind the stand-in core modules core37 ... core313.

The suite ships one core module per interpreter; ``rigkit0`` star-imports the
one that matches the running interpreter and finds here everything it uses
from outside: ``CORE`` and its services, the Maya command module, the Maya
API 1.0 classes, the base class ``CoreObject`` with its decorators, and a few
small utilities.

This stand-in reaches Maya only through the public ``maya.cmds``,
``maya.OpenMaya`` and ``maya.OpenMayaAnim`` modules, as the suite does. Where
the real suite shows something to the animator (error reports, toolbar
buttons, option toggles) the stand-in records it instead, so tests can assert
on what the module asked for:

- ``CORE.calls``: every operation on a service, as ``(service, operation,
  args)`` with the arguments in signature order, defaults filled in;
- ``CORE.traceKit.errors``: the reported error texts;
- ``CORE.modifierContexts`` / ``CORE.lastModifier``: what
  ``coreModifierContext`` yielded and whether it was applied;
- ``CORE.decoratedCalls``: how often each ``coreDecorator`` method ran;
- the tools' records: ``CORE.messages`` (each ``ToolMessage.show``),
  ``CORE.toolErrors`` (``reportToolError``), ``CORE.progressBars``,
  ``CORE.targetSelections`` (``TargetSelection.selectTargets``),
  ``CORE.eulerFilterCalls`` (``AnimCurve.smartEulerFilter``),
  ``CORE.smartKeys`` (``AnimCurve.setSmartKey``) and
  ``CORE.frameSteppers`` (each ``FrameStepper`` entered, with the nodes
  registered and the steps taken).

What the suite answers the tools, tests preset on ``CORE``: the option
stores ``CORE.toolOptions`` and ``CORE.auxToolOptions`` (dictionaries by
option key), ``CORE.curveTarget`` (``curveNames``, ``targetTime``,
``keyTimes``, ``hasTimeRange``, ``preferTargetCurves`` of
``CurveTarget``), ``CORE.keySelectionContext.isActive`` and
``CORE.frameStepper.canStep``.

``CORE.resetRecords()`` clears all of them and puts every service and
setting back to its default answer; tests call it between cases.

The suite's own objects that rigkit0 builds or consults:

- ``MirrorNode(node)``: a node's side and counterpart, found from its name
  (markers such as ``L_``, ``_R``, ``left``/``Right`` words; see
  ``MirrorNode.splitSideName``);
- ``mirrorService.getMirrorFromNode(node)``: the counterpart's node wrapper;
- ``MirrorStore(container=..., lookupFlag=False).lookup(attr)``: a value from
  one of the four mirror stores. ``CORE.mirrorStoreA`` holds the names of
  mirroring attributes, ``mirrorStoreB`` and ``mirrorStoreC`` multipliers,
  ``mirrorStoreD`` default values; tests fill a store's ``entries``
  dictionary, keyed by an attribute wrapper's ``settingsKey``
  ("rig|L_arm_ctrl.translateX"), ``plainPlugName`` ("L_arm_ctrl.translateX"),
  ``attrName`` ("translateX", a rule for the channel on every node) or
  ``shortAttrName`` ("tx"), and ``resetRecords()`` empties them;
- ``AnimCurve(name, mode=None, targetTime=None, targetController=None)``:
  one anim curve's keys, key kinds, tangent types, target keys, driven plug
  and node, layer, smart key and its Euler filter; ``AnimCurveFn``, the
  function set its ``curveFn`` hands the tools;
- ``MatrixDecomposition(matrix)``: translation, scale and Euler rotation
  of a matrix; ``LinearValue``: a distance in centimetres and in the
  working unit; ``FrameStepper``: steps the scene through frames;
- ``EnumAttribute``, ``NumericAttribute``: wrappers of an attribute
  ``MObject``;
- ``rotationMath``: rotate-order names and the Euler filters
  ``filterAngle`` and ``filterRotation``;
- the tool objects: ``CurveTarget``, ``TargetSelection``,
  ``KeySelectionContext``, ``ToolOption``, ``AuxToolOption``,
  ``ProgressBar``, ``ToolMessage`` with ``askMessageKind``,
  ``infoMessageKind`` and ``MessageClick``, ``reportToolError`` and the
  record class ``ValueRecord``.
"""

# Where each name lives: one private module per area.
#   _core_base    CoreObject, coreProperty, coreModifierContext, CORE
#   _core_mirror  MirrorNode, MirrorStore, mirrorService
#   _core_curves  AnimCurve, AnimCurveFn
#   _core_values  attribute wrappers and value records
#   _core_tools   tool targets, options, progress bar and messages

import math

from functools import partial  # noqa: F401
from maya import cmds  # noqa: F401
from maya.OpenMaya import (  # noqa: F401
    MAngle, MDGContext, MDagModifier, MDagPath, MDistance, MDoubleArray,
    MEulerRotation, MFn, MFnAttribute, MFnDagNode, MFnData, MFnDependencyNode,
    MFnDoubleArrayData, MFnIntArrayData, MFnMatrixData,
    MFnNumericAttribute, MFnNumericData, MFnPointArrayData, MFnTransform,
    MFnTypedAttribute, MGlobal, MIntArray, MItSelectionList, MMatrix, MObject,
    MObjectArray, MObjectHandle, MPlug, MPlugArray, MPoint, MPointArray, MQuaternion,
    MScriptUtil, MSelectionList, MSpace, MTime, MTransformationMatrix, MVector)
from maya.OpenMayaAnim import (  # noqa: F401
    MAnimControl, MAnimMessage, MAnimUtil, MFnAnimCurve, MFnIkJoint)
from ._rotation import rotationMath  # noqa: F401
from ._core_base import *  # noqa: F401,F403
from ._core_mirror import *  # noqa: F401,F403
from ._core_curves import *  # noqa: F401,F403
from ._core_values import *  # noqa: F401,F403
from ._core_tools import *  # noqa: F401,F403


_MAYA_API_NAMES = [
    "MAngle", "MAnimControl", "MAnimMessage", "MAnimUtil", "MDGContext",
    "MDagModifier", "MDagPath", "MDistance", "MDoubleArray", "MEulerRotation",
    "MFn", "MFnAnimCurve", "MFnAttribute", "MFnDagNode", "MFnData",
    "MFnDependencyNode", "MFnDoubleArrayData", "MFnIkJoint", "MFnIntArrayData",
    "MFnMatrixData", "MFnNumericAttribute", "MFnNumericData",
    "MFnPointArrayData", "MFnTransform", "MFnTypedAttribute", "MGlobal",
    "MIntArray", "MItSelectionList", "MMatrix", "MObject", "MObjectArray",
    "MObjectHandle", "MPlug", "MPlugArray", "MPoint", "MPointArray",
    "MQuaternion", "MScriptUtil", "MSelectionList", "MSpace", "MTime",
    "MTransformationMatrix", "MVector",
]


__all__ = [
    "AnimCurve", "AnimCurveFn", "AuxToolOption", "CORE", "CoreObject",
    "CurveTarget", "EnumAttribute", "FrameStepper", "KeySelectionContext",
    "LinearValue", "MatrixDecomposition", "MessageClick", "MirrorNode",
    "MirrorStore", "NodeHandle", "NumericAttribute", "ProgressBar",
    "TargetSelection", "ToolMessage", "ToolOption", "ValueRecord",
    "askMessageKind", "asList", "cmds", "coreDecorator", "coreModifierContext",
    "coreProperty", "infoMessageKind", "math", "mayaVersion", "mirrorService",
    "partial", "pythonMajor", "reportToolError", "rotationMath",
] + _MAYA_API_NAMES
