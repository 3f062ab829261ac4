"""Python API 1.0 node function sets: ``MFnBase``, ``MFnDependencyNode``,
``MFnDagNode`` and ``MFnTransform``.  Gathered by ``maya.OpenMaya``; the
joint set built on ``MFnTransform`` is in ``maya._anim_joints``.
"""

from . import _math
from ._api_geometry import (
    MEulerRotation, MMatrix, MPoint, MQuaternion, MSpace, MTransformationMatrix,
    MVector)
from ._api_objects import _fail, _invalid, MFn, MObject
from ._api_plug import MPlug
from ._api_scriptutil import _Pointer, _readPointer, _writePointer
from ._api_selection import MDagPath, _node
from ._attrs import AttrDef as _AttrDef
from ._scene import Node as _Node, SCENE
from ._scene_plugs import FREE_TO_CHANGE

__all__ = [
    "MFnBase", "MFnDependencyNode", "MFnDagNode", "MFnTransform",
]


# --- function sets --------------------------------------------------------------

class MFnBase(object):
    """Base of the function sets; ``_required`` is the MFn type an object
    must have for the set to attach to it."""

    _required = MFn.kBase

    def __init__(self, obj=None):
        self._obj = MObject()
        if obj is not None:
            self.setObject(obj)

    def setObject(self, obj):
        if isinstance(obj, MDagPath):
            obj = obj.node()
        if not isinstance(obj, MObject):
            raise TypeError("expected an MObject")
        if obj.isNull() or not obj.hasFn(self._required):
            raise _invalid("Object is incompatible with this method")
        self._obj = MObject(obj)

    def object(self):
        return MObject(self._obj)

    def hasObj(self, obj):
        if isinstance(obj, MObject):
            return obj.hasFn(self._required)
        return obj in (self._required,)

    def type(self):
        return self._required


class MFnDependencyNode(MFnBase):
    _required = MFn.kDependencyNode

    def _n(self):
        node = self._obj._ref
        if not isinstance(node, _Node):
            raise _invalid("Function set has no object")
        if not node.alive and node is not SCENE.world:
            raise _invalid("Object does not exist")
        return node

    def create(self, typeName, name=None):
        node = SCENE.createNode(typeName, name)
        self._obj = MObject._wrap(node)
        return MObject(self._obj)

    def name(self):
        return self._n().name

    def setName(self, name):
        return SCENE.rename(self._n(), name)

    def typeName(self):
        return self._n().typeName

    def findPlug(self, name, wantNetworkedPlug=True):
        node = self._n()
        if isinstance(name, MObject):
            attr = name._ref
            if not isinstance(attr, _AttrDef):
                raise _invalid("Object is not an attribute")
        else:
            attr = node.findAttr(name)
            if attr is None:
                raise _invalid("Object does not exist")
        plug = MPlug()
        plug._set(node, attr, (None,) * (attr.arrayDepth() - (1 if attr.multi else 0)))
        return plug

    def attribute(self, name):
        if isinstance(name, int) and not isinstance(name, bool):
            attr = self._n().attributeAt(name)
            if attr is None:
                raise _invalid("Index not within range")
            return MObject._wrap(attr)
        attr = self._n().findAttr(name)
        if attr is None:
            raise _invalid("Object does not exist")
        return MObject._wrap(attr)

    def attributeCount(self):
        return self._n().attributeCount()

    def hasAttribute(self, name):
        return self._n().findAttr(name) is not None

    def addAttribute(self, attrObj):
        attr = attrObj._ref
        if not isinstance(attr, _AttrDef):
            raise _invalid("Object is not an attribute")
        try:
            SCENE.addDynamicAttr(self._n(), attr)
        except RuntimeError as error:
            raise _invalid(str(error))

    def removeAttribute(self, attrObj):
        try:
            SCENE.removeDynamicAttr(self._n(), attrObj._ref)
        except RuntimeError as error:
            raise _invalid(str(error))

    def isLocked(self):
        return self._n().locked

    def setLocked(self, locked):
        self._n().locked = bool(locked)

    def isDefaultNode(self):
        return self._n().readOnly

    def isFromReferencedFile(self):
        return False

    def getConnections(self, array):
        node = self._n()
        for dst in SCENE.connections:
            if dst[0] is node:
                plug = MPlug()
                plug._set(*dst)
                array.append(plug)
        for src in SCENE.outgoing:
            if src[0] is node:
                plug = MPlug()
                plug._set(*src)
                array.append(plug)


class MFnDagNode(MFnDependencyNode):
    """DAG node function set.  ``parent(0)`` of a top-level node is the world
    node, whose ``fullPathName()`` is ""."""

    _required = MFn.kDagNode
    kNextPos = 255

    def __init__(self, obj=None):
        self._path = None
        MFnDependencyNode.__init__(self, obj)

    def setObject(self, obj):
        if isinstance(obj, MDagPath):
            self._path = MDagPath(obj)
        MFnDependencyNode.setObject(self, obj)

    def create(self, typeName, name=None, parent=MObject.kNullObj):
        parentNode = parent._ref if isinstance(parent, MObject) and not parent.isNull() else None
        node = SCENE.createNode(typeName, name, parentNode)
        if node.nodeType.isShape and parentNode is None:
            node = node.parent
        self._obj = MObject._wrap(node)
        return MObject(self._obj)

    def parentCount(self):
        node = self._n()
        return 0 if node is SCENE.world else 1

    def parent(self, index=0):
        node = self._n()
        if node is SCENE.world or index != 0:
            raise _invalid("Index not within range")
        return MObject._wrap(node.parent)

    def childCount(self):
        return len(self._n().children)

    def child(self, index):
        children = self._n().children
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(children):
            raise _invalid("Index not within range")
        return MObject._wrap(children[index])

    def hasParent(self, obj):
        return self._n().parent is _node(obj)

    def hasChild(self, obj):
        return _node(obj) in self._n().children

    def isChildOf(self, obj):
        return self.hasParent(obj)

    def isParentOf(self, obj):
        return self.hasChild(obj)

    def addChild(self, child, index=kNextPos, keepExistingParents=False):
        # kNextPos (Maya's value, 255) appends, as does any index past the end.
        target = _node(child)
        last = index == self.kNextPos or index >= len(self._n().children)
        SCENE.reparent(target, self._n(), None if last else index)

    def removeChild(self, child):
        SCENE.reparent(_node(child), SCENE.world)

    def fullPathName(self):
        return SCENE.fullPath(self._n())

    def partialPathName(self):
        return SCENE.partialPath(self._n())

    def getPath(self, path):
        node = self._n()
        path._node = node

    def dagPath(self):
        path = MDagPath()
        path._node = self._n()
        return path

    def dagRoot(self):
        node = self._n()
        chain = SCENE.pathNodes(node)
        return MObject._wrap(chain[0] if chain else SCENE.world)

    def transformationMatrix(self):
        return MMatrix(SCENE.localMatrix(self._n()))

    def isIntermediateObject(self):
        node = self._n()
        return bool(SCENE.value((node, node.findAttr("intermediateObject"), ())))

    def instanceCount(self, total=False):
        return 1

    def isInstanced(self, indirect=True):
        return False


def _vectorValue(node, name):
    attr = node.findAttr(name)
    return [SCENE.value((node, c, ())) for c in attr.children]


def _setVector(node, name, values):
    attr = node.findAttr(name)
    for child, value in zip(attr.children, values):
        key = (node, child, ())
        if SCENE.freeToChange(key) != FREE_TO_CHANGE:
            raise _fail("The plug '%s' is locked or connected and cannot be modified."
                        % SCENE.plugName(*key))
        SCENE.setPlugValue(key, float(value))


class MFnTransform(MFnDagNode):
    """Transform function set over the node's channels.  Spaces other than
    kWorld are read as the local (kTransform) space."""

    _required = MFn.kTransform

    def translation(self, space=MSpace.kTransform):
        node = self._n()
        if space == MSpace.kWorld:
            m = SCENE.worldMatrix(node)
            return MVector(m[12], m[13], m[14])
        return MVector(*_vectorValue(node, "translate"))

    def setTranslation(self, vector, space=MSpace.kTransform):
        _setVector(self._n(), "translate", (vector.x, vector.y, vector.z))

    def translateBy(self, vector, space=MSpace.kTransform):
        t = self.translation()
        self.setTranslation(t + vector)

    def rotationOrder(self):
        node = self._n()
        return SCENE.value((node, node.findAttr("rotateOrder"), ())) + 1

    def getRotation(self, rotation, space=MSpace.kTransform):
        """Fill ``rotation`` with the rotate channels: an ``MEulerRotation``
        gets the angles and the rotate order, an ``MQuaternion`` their
        rotation.  In ``kWorld`` a quaternion gets the world rotation
        instead: the rotation part of the world matrix (rotate axis, joint
        orient and every parent included; scale and shear taken out)."""
        node = self._n()
        order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
        r = _vectorValue(node, "rotate")
        if isinstance(rotation, MQuaternion):
            if space == MSpace.kWorld:
                _, _, rot = _math.decompose(SCENE.worldMatrix(node))
                q = _math.matrixToQuaternion(rot)
            else:
                q = _math.matrixToQuaternion(_math.euler(r[0], r[1], r[2], order))
            rotation.x, rotation.y, rotation.z, rotation.w = q
        else:
            rotation.x, rotation.y, rotation.z = r
            rotation.order = order

    def setRotation(self, rotation, space=MSpace.kTransform):
        node = self._n()
        if isinstance(rotation, MQuaternion):
            order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
            rotation = MEulerRotation.decompose(rotation.asMatrix(), order)
        _setVector(node, "rotate", (rotation.x, rotation.y, rotation.z))

    def getScale(self, ptr):
        _writePointer(ptr, _vectorValue(self._n(), "scale"))

    def setScale(self, ptr):
        """``ptr``: a double pointer to three values, or a sequence."""
        values = _readPointer(ptr, 3) if isinstance(ptr, _Pointer) else list(ptr)
        _setVector(self._n(), "scale", values[:3])

    def _pivot(self, name, space):
        node = self._n()
        point = MPoint(*_vectorValue(node, name))
        if space == MSpace.kWorld:
            point = point * MMatrix(SCENE.worldMatrix(node))
        return point

    def rotatePivot(self, space=MSpace.kTransform):
        """The rotate pivot: the rotatePivot attribute in the node's own
        spaces, its position in the world in ``kWorld``."""
        return self._pivot("rotatePivot", space)

    def rotatePivotTranslation(self, space=MSpace.kTransform):
        """The rotatePivotTranslate attribute."""
        return MVector(*_vectorValue(self._n(), "rotatePivotTranslate"))

    def scalePivot(self, space=MSpace.kTransform):
        """The scale pivot, as ``rotatePivot`` gives the rotate pivot."""
        return self._pivot("scalePivot", space)

    def scalePivotTranslation(self, space=MSpace.kTransform):
        """The scalePivotTranslate attribute."""
        return MVector(*_vectorValue(self._n(), "scalePivotTranslate"))

    def rotateOrientation(self, space=MSpace.kTransform):
        """The rotate axis (rotateAxis, xyz angles) as a quaternion."""
        ra = _vectorValue(self._n(), "rotateAxis")
        return MEulerRotation(ra[0], ra[1], ra[2]).asQuaternion()

    def transformation(self):
        """The node's channels as an ``MTransformationMatrix`` whose
        ``asMatrix`` is the node's local matrix (a joint's joint orient
        included, see ``MTransformationMatrix``)."""
        node = self._n()
        result = MTransformationMatrix()
        result._t = list(_vectorValue(node, "translate"))
        result._r = list(_vectorValue(node, "rotate"))
        result._order = SCENE.value((node, node.findAttr("rotateOrder"), ()))
        result._s = list(_vectorValue(node, "scale"))
        result._ro = self.rotateOrientation()
        orient = SCENE.jointOrientMatrix(node)
        if node.nodeType.isA("joint"):  # joints keep no pivots or shear
            result._post = _math.multiply(orient, SCENE.inverseScaleMatrix(node))
        else:
            result._post = orient
            result._sh = list(_vectorValue(node, "shear"))
            result._sp = list(_vectorValue(node, "scalePivot"))
            result._spt = list(_vectorValue(node, "scalePivotTranslate"))
            result._rp = list(_vectorValue(node, "rotatePivot"))
            result._rpt = list(_vectorValue(node, "rotatePivotTranslate"))
        return result
