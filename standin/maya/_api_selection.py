"""Python API 1.0 selection and DAG paths: ``MSelectionList``,
``MItSelectionList``, ``MGlobal`` and ``MDagPath``.  Gathered by
``maya.OpenMaya``.
"""

from ._api_geometry import MMatrix
from ._api_objects import _Array, _invalid, MFn, MObject
from ._api_plug import MPlug
from ._api_scriptutil import MScriptUtil
from . import _session
from ._scene import Node as _Node, SCENE

__all__ = [
    "MDagPathArray", "MSelectionList", "MItSelectionList", "MGlobal", "MDagPath",
]


def _node(obj, what="Object does not exist"):
    """The live scene node behind an MObject (or MDagPath)."""
    if isinstance(obj, MDagPath):
        obj = obj.node()
    ref = getattr(obj, "_ref", None)
    if not isinstance(ref, _Node):
        raise _invalid(what)
    return ref


class MDagPathArray(_Array):
    _convert = staticmethod(lambda v: MDagPath(v))

    def _default(self):
        return MDagPath()


# --- selection ----------------------------------------------------------------------

class MSelectionList(object):
    """A list of nodes, DAG paths and plugs.  ``add`` of a name accepts a
    short name, a partial or full DAG path, "node.attribute", bytes
    (decoded as UTF-8) and wildcards.  The name is a pattern: every match
    is added, also every node of a short name several DAG nodes carry."""

    kMergeNormal, kXORWithList, kRemoveFromList = 0, 1, 2

    def __init__(self, other=None):
        self._items = list(other._items) if isinstance(other, MSelectionList) else []

    def _addItem(self, item, merge=True):
        if merge and item in self._items:
            return
        self._items.append(item)

    def add(self, item, mergeWithExisting=True):
        if isinstance(item, bytes):
            item = item.decode("utf-8")
        if isinstance(item, MDagPath):
            self._addItem(("node", _node(item)), mergeWithExisting)
        elif isinstance(item, MPlug):
            self._addItem(("plug", item._key()), mergeWithExisting)
        elif isinstance(item, MObject):
            self._addItem(("node", _node(item)), mergeWithExisting)
        elif isinstance(item, str):
            for entry in _selectionItems(item):
                self._addItem(entry, mergeWithExisting)
        else:
            raise TypeError("in method 'MSelectionList_add', argument 2 of type 'MString const &'")

    def merge(self, other, strategy=0):
        for item in other._items:
            self._addItem(item)

    def remove(self, index):
        self._check(index)
        del self._items[index]

    def clear(self):
        del self._items[:]

    def length(self):
        return len(self._items)

    def isEmpty(self):
        return not self._items

    def _check(self, index):
        if not 0 <= index < len(self._items):
            raise _invalid("Index not within range")
        kind, ref = self._items[index]
        node = ref if kind == "node" else ref[0]
        if not node.alive:
            raise _invalid("Object does not exist")
        return kind, ref, node

    def getDependNode(self, index, obj):
        kind, ref, node = self._check(index)
        obj._ref = node

    def getDagPath(self, index, path, component=None):
        kind, ref, node = self._check(index)
        if kind != "node" or not node.isDag:
            raise _invalid("Object is not a DAG node")
        path._node = node

    def getPlug(self, index, plug):
        kind, ref, node = self._check(index)
        if kind != "plug":
            raise _invalid("Object is not a plug")
        plug._set(*ref)

    def getSelectionStrings(self, array, index=None):
        indices = range(len(self._items)) if index is None else [index]
        for i in indices:
            kind, ref = self._items[i]
            if kind == "node":
                array.append(SCENE.partialPath(ref))
            else:
                array.append(SCENE.plugName(*ref))

    def hasItem(self, item):
        if isinstance(item, MPlug):
            return ("plug", item._key()) in self._items
        return ("node", _node(item)) in self._items


def _selectionItems(text):
    text = text.strip()
    nodePart, dot, attrPart = text.partition(".")
    nodes = SCENE.resolve(nodePart)
    if not nodes:
        raise _invalid("Object does not exist")
    items = []
    for node in nodes:
        if dot:
            try:
                attr, indices = SCENE.parsePlug(node, attrPart)
            except ValueError:
                continue
            items.append(("plug", (node, attr, indices)))
        else:
            items.append(("node", node))
    if not items:
        raise _invalid("Object does not exist")
    return items


class MItSelectionList(object):
    kUnknownItem, kDagSelectionItem, kAnimSelectionItem, kDNselectionItem, \
        kPlugSelectionItem = -1, 0, 1, 2, 3

    def __init__(self, selectionList, filterType=MFn.kInvalid):
        self._list = MSelectionList(selectionList)
        self._filter = filterType
        self._index = 0
        self._skip()

    def _skip(self):
        while self._index < self._list.length() and self._filter != MFn.kInvalid:
            obj = MObject()
            try:
                self._list.getDependNode(self._index, obj)
            except RuntimeError:
                break
            if obj.hasFn(self._filter):
                break
            self._index += 1

    def isDone(self):
        return self._index >= self._list.length()

    def next(self):
        self._index += 1
        self._skip()

    def reset(self):
        self._index = 0
        self._skip()

    def setFilter(self, filterType):
        self._filter = filterType
        self.reset()

    def getDependNode(self, obj):
        self._list.getDependNode(self._index, obj)

    def getDagPath(self, path, component=None):
        self._list.getDagPath(self._index, path)

    def getPlug(self, plug):
        self._list.getPlug(self._index, plug)

    def getStrings(self, array):
        self._list.getSelectionStrings(array, self._index)

    def hasComponents(self):
        return False

    def itemType(self):
        kind, ref = self._list._items[self._index]
        if kind == "plug":
            return self.kPlugSelectionItem
        return self.kDagSelectionItem if ref.isDag else self.kDNselectionItem


class MGlobal(object):
    kReplaceList, kXORWithList, kAddToList, kRemoveFromList, kAddToHeadOfList = range(5)
    kInteractive, kBatch, kLibraryApp, kBaseUIMode = range(4)

    @staticmethod
    def getActiveSelectionList(selectionList, orderedSelectionIfAvailable=False):
        selectionList.clear()
        for node in SCENE.selection:
            selectionList._items.append(("node", node))

    @staticmethod
    def setActiveSelectionList(selectionList, listAdjustment=0):
        nodes = [ref if kind == "node" else ref[0] for kind, ref in selectionList._items]
        nodes = [n for n in nodes if n.alive]
        current = SCENE.selection
        if listAdjustment == MGlobal.kReplaceList:
            current[:] = []
            for n in nodes:
                if n not in current:
                    current.append(n)
        elif listAdjustment == MGlobal.kAddToList:
            current.extend(n for n in nodes if n not in current)
        elif listAdjustment == MGlobal.kAddToHeadOfList:
            current[:0] = [n for n in nodes if n not in current]
        elif listAdjustment == MGlobal.kRemoveFromList:
            current[:] = [n for n in current if n not in nodes]
        elif listAdjustment == MGlobal.kXORWithList:
            for n in nodes:
                if n in current:
                    current.remove(n)
                else:
                    current.append(n)

    @staticmethod
    def clearSelectionList():
        del SCENE.selection[:]

    @staticmethod
    def getSelectionListByName(name, selectionList):
        selectionList.add(name)

    @staticmethod
    def selectByName(name, listAdjustment=0):
        sel = MSelectionList()
        sel.add(name)
        MGlobal.setActiveSelectionList(sel, listAdjustment)
        return True

    @staticmethod
    def mayaState():
        """``kBatch`` after ``maya.standalone.initialize()``, else
        ``kInteractive`` (see ``maya._session``)."""
        return MGlobal.kBatch if _session.isBatch() else MGlobal.kInteractive

    @staticmethod
    def apiVersion():
        return 20220000

    @staticmethod
    def mayaVersion():
        return "2022"

    @staticmethod
    def displayInfo(text):
        print(text)

    @staticmethod
    def displayWarning(text):
        print("# Warning: %s #" % text)

    @staticmethod
    def displayError(text):
        print("# Error: %s #" % text)


# --- MDagPath -------------------------------------------------------------------

def _shapesBelow(node):
    if not node.isDag or node.nodeType.isShape:
        return []
    return [c for c in node.children if c.nodeType.isShape]


class MDagPath(object):
    """Path to a DAG node.  Without instancing a node has one path, so the
    path is kept as its end node."""

    def __init__(self, other=None):
        self._node = other._node if isinstance(other, MDagPath) else None

    def _live(self):
        node = self._node
        if node is None or not node.alive and node is not SCENE.world:
            raise _invalid("Object does not exist")
        return node

    @staticmethod
    def getAPathTo(obj, path):
        node = obj._ref
        if not isinstance(node, _Node) or not node.isDag:
            raise _invalid("Object is not a DAG node")
        path._node = node

    @staticmethod
    def getAllPathsTo(obj, array):
        path = MDagPath()
        MDagPath.getAPathTo(obj, path)
        array.append(path)

    def isValid(self):
        node = self._node
        return node is not None and (node.alive or node is SCENE.world)

    def node(self):
        return MObject._wrap(self._live())

    def transform(self):
        node = self._live()
        while node is not None and node is not SCENE.world:
            if node.nodeType.isTransform:
                return MObject._wrap(node)
            node = node.parent
        raise _invalid("No transform above this path")

    def fullPathName(self):
        return SCENE.fullPath(self._live())

    def partialPathName(self):
        return SCENE.partialPath(self._live())

    def length(self):
        return len(SCENE.pathNodes(self._live()))

    def pop(self, count=1):
        node = self._live()
        for _ in range(count):
            if node is SCENE.world:
                raise _invalid("Path is already at the root")
            node = node.parent
        self._node = node

    def push(self, child):
        node = self._live()
        target = _node(child)
        if target.parent is not node:
            raise _invalid("Object is not a child of the path")
        self._node = target

    def childCount(self):
        return len(self._live().children)

    def child(self, index):
        return MObject._wrap(self._live().children[index])

    def numberOfShapesDirectlyBelow(self, countPtr):
        MScriptUtil.setUint(countPtr, len(_shapesBelow(self._live())))

    def extendToShapeDirectlyBelow(self, index):
        shapes = _shapesBelow(self._live())
        if isinstance(index, bool) or not isinstance(index, int) or not 0 <= index < len(shapes):
            raise _invalid("No shape at that index below the path")
        self._node = shapes[index]

    def extendToShape(self):
        shapes = _shapesBelow(self._live())
        if len(shapes) != 1:
            if self._node.nodeType.isShape:
                return
            raise _invalid("The path does not have exactly one shape below it")
        self._node = shapes[0]

    def apiType(self):
        return self._live().nodeType.apiType

    def hasFn(self, fnType):
        return fnType in self._live().nodeType.fnTypes

    def instanceNumber(self):
        return 0

    def isInstanced(self):
        return False

    def inclusiveMatrix(self):
        return MMatrix(SCENE.worldMatrix(self._live()))

    def inclusiveMatrixInverse(self):
        return self.inclusiveMatrix().inverse()

    def exclusiveMatrix(self):
        return MMatrix(SCENE.parentWorldMatrix(self._live()))

    def exclusiveMatrixInverse(self):
        return self.exclusiveMatrix().inverse()

    def set(self, other):
        self._node = other._node

    def __eq__(self, other):
        if isinstance(other, MDagPath):
            return self._node is other._node
        return NotImplemented

    def __ne__(self, other):
        result = self.__eq__(other)
        return result if result is NotImplemented else not result

    __hash__ = None

    def __repr__(self):
        return "<MDagPath %s>" % (SCENE.fullPath(self._node) if self._node else "(empty)")
