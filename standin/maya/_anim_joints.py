"""The joint function set ``MFnIkJoint``, gathered by ``maya.OpenMayaAnim``
(Maya's ``maya.OpenMaya`` has no joint set)."""

from ._api_geometry import MEulerRotation, MQuaternion
from ._api_nodes import MFnTransform, _setVector, _vectorValue
from ._api_objects import MFn

__all__ = ["MFnIkJoint"]


class MFnIkJoint(MFnTransform):
    """Joint function set; the orientation is the jointOrient attribute."""

    _required = MFn.kJoint

    def getOrientation(self, rotation):
        jo = _vectorValue(self._n(), "jointOrient")
        euler = MEulerRotation(jo[0], jo[1], jo[2])
        if isinstance(rotation, MQuaternion):
            q = euler.asQuaternion()
            rotation.x, rotation.y, rotation.z, rotation.w = q.x, q.y, q.z, q.w
        else:
            rotation.x, rotation.y, rotation.z, rotation.order = euler.x, euler.y, euler.z, 0

    def setOrientation(self, rotation):
        if isinstance(rotation, MQuaternion):
            rotation = MEulerRotation.decompose(rotation.asMatrix(), 0)
        _setVector(self._n(), "jointOrient", (rotation.x, rotation.y, rotation.z))

    def getScaleOrientation(self, rotation):
        rotation.x = rotation.y = rotation.z = 0.0
        if isinstance(rotation, MQuaternion):
            rotation.w = 1.0
