"""Python API 1.0 modifiers and messages: ``MDGModifier``,
``MDagModifier``, ``MMessage`` and the callback id array.  Gathered by
``maya.OpenMaya``.
"""

from . import _keys
from ._api_objects import _Array, _checkNumber, _fail, MObject
from ._api_plug import MPlug
from ._api_selection import _node
from ._api_time import MAngle, MDistance, MTime
from ._scene import SCENE

__all__ = [
    "MDGModifier", "MDagModifier", "MMessage", "MCallbackIdArray", "MUserData",
]


# --- modifiers ---------------------------------------------------------------------

class MDGModifier(object):
    """Queues changes until ``doIt``; ``undoIt`` takes back, in reverse
    order, what the last ``doIt`` calls changed.  The queuing methods answer
    None: API 1.0 turns a C++ MStatus into an exception or nothing (only
    API 2.0's modifiers answer themselves, for chaining)."""

    def __init__(self):
        self._queue = []
        self._done = []

    # plug values: as in Maya, a value of the wrong type is refused when it is
    # queued (a TypeError from the call), so nothing bad waits for doIt.
    def _queuePlug(self, plug, setter, value):
        plug = MPlug(plug)
        self._queue.append(("plug", plug, setter, value))

    def _queueNumber(self, method, plug, setter, value, typeName, integral=False):
        _checkNumber(value, "MDGModifier_" + method, 3, typeName, integral)
        self._queuePlug(plug, setter, value)

    def newPlugValue(self, plug, obj):
        self._queuePlug(plug, "setMObject", MObject(obj))

    def newPlugValueBool(self, plug, value):
        self._queueNumber("newPlugValueBool", plug, "setBool", value, "bool", True)

    def newPlugValueInt(self, plug, value):
        self._queueNumber("newPlugValueInt", plug, "setInt", value, "int", True)

    def newPlugValueShort(self, plug, value):
        self._queueNumber("newPlugValueShort", plug, "setInt", value, "short", True)

    def newPlugValueChar(self, plug, value):
        self._queueNumber("newPlugValueChar", plug, "setInt", value, "char", True)

    def newPlugValueDouble(self, plug, value):
        self._queueNumber("newPlugValueDouble", plug, "setDouble", value, "double")

    def newPlugValueFloat(self, plug, value):
        self._queueNumber("newPlugValueFloat", plug, "setFloat", value, "float")

    def newPlugValueString(self, plug, value):
        if not isinstance(value, str):
            raise TypeError("in method 'MDGModifier_newPlugValueString', argument 3 of type "
                            "'MString const &'")
        self._queuePlug(plug, "setString", value)

    def newPlugValueMDistance(self, plug, value):
        self._queuePlug(plug, "setMDistance", MDistance(value))

    def newPlugValueMAngle(self, plug, value):
        self._queuePlug(plug, "setMAngle", MAngle(value))

    def newPlugValueMTime(self, plug, value):
        self._queuePlug(plug, "setMTime", MTime(value))

    # nodes
    def createNode(self, typeName, parent=None):
        parentNode = None
        if isinstance(parent, MObject) and not parent.isNull():
            parentNode = _node(parent)
        nodeType = SCENE.createNode  # validated at doIt; made now, registered later
        node = nodeType(typeName, None, parentNode, register=False)
        self._queue.append(("create", node, parentNode))
        return MObject._wrap(node)

    def deleteNode(self, obj):
        self._queue.append(("delete", _node(obj)))

    def renameNode(self, obj, name):
        self._queue.append(("rename", _node(obj), name))

    def connect(self, *args):
        src, dst = self._plugPair(args)
        self._queue.append(("connect", src, dst))

    def disconnect(self, *args):
        src, dst = self._plugPair(args)
        self._queue.append(("disconnect", src, dst))

    @staticmethod
    def _plugPair(args):
        if len(args) == 2:
            return args[0]._key(), args[1]._key()
        a = MPlug(args[0], args[1])
        b = MPlug(args[2], args[3])
        return a._key(), b._key()

    def commandToExecute(self, command):
        self._queue.append(("command", command))

    def pythonCommandToExecute(self, command):
        self._queue.append(("python", command))

    def doIt(self):
        queue, self._queue = self._queue, []
        for op in queue:
            self._done.append(self._apply(op))

    def undoIt(self):
        while self._done:
            undo = self._done.pop()
            if undo is not None:
                undo()

    def _apply(self, op):
        kind = op[0]
        if kind == "plug":
            _, plug, setter, value = op
            key = plug._live()
            node, attr, indices = key
            if attr.keyFlag is not None:
                # A per-key flag lives on the key, not among the node's values.
                wasSet = _keys.flagAt(node, indices[-1], attr.keyFlag)
                getattr(plug, setter)(value)
                return lambda: _keys.setFlagAt(node, indices[-1], attr.keyFlag, wasSet)
            had = (attr, indices) in node.values
            previous = node.values.get((attr, indices))
            hadOverride = key in SCENE.overrides
            previousOverride = SCENE.overrides.get(key)
            getattr(plug, setter)(value)

            def undo():
                if had:
                    node.values[(attr, indices)] = previous
                else:
                    node.values.pop((attr, indices), None)
                if hadOverride:
                    SCENE.overrides[key] = previousOverride
                else:
                    SCENE.overrides.pop(key, None)
            return undo
        if kind == "create":
            _, node, parentNode = op
            if node.isDag and node.nodeType.isShape and node.parent not in SCENE.nodes \
                    and node.parent is not SCENE.world:
                SCENE._register(node.parent)
                transform = node.parent
            else:
                transform = None
            if SCENE._nameTaken(node.name, node.isDag, node.parent):
                node.name = SCENE.uniqueName(node.name, node.isDag, node.parent)
            SCENE._register(node)

            def undo():
                SCENE.delete([transform or node])
            return undo
        if kind == "delete":
            record = SCENE.delete([op[1]])
            return lambda: SCENE.restore(record)
        if kind == "rename":
            _, node, name = op
            old = node.name
            SCENE.rename(node, name)

            def undo():
                SCENE._unindex(node)
                node.name = old
                SCENE._index(node)
            return undo
        if kind == "reparent":
            _, node, parent = op
            oldName = node.name
            oldParent, oldIndex = SCENE.reparent(node, parent)

            def undo():
                # A clash under the new parent renamed the node; the name
                # comes back with the place.
                SCENE.reparent(node, oldParent, oldIndex)
                if node.name != oldName and not SCENE._nameTaken(oldName, True, oldParent,
                                                                 exclude=node):
                    SCENE._unindex(node)
                    node.name = oldName
                    SCENE._index(node)
            return undo
        if kind == "connect":
            _, src, dst = op
            previous = SCENE.connect(src, dst)

            def undo():
                SCENE._disconnect(src, dst)
                if previous is not None:
                    SCENE._connect(previous, dst)
            return undo
        if kind == "disconnect":
            _, src, dst = op
            if SCENE.connections.get(dst) != src:
                raise _fail("The plugs are not connected")
            SCENE._disconnect(src, dst)
            return lambda: SCENE._connect(src, dst)
        if kind == "command":
            raise _fail("MEL commands are not supported by the stand-in")
        if kind == "python":
            exec(op[1], {})
            return None
        raise _fail("Unknown modifier operation %s" % kind)


class MDagModifier(MDGModifier):

    def createNode(self, typeName, parent=MObject.kNullObj):
        return MDGModifier.createNode(self, typeName, parent)

    def reparentNode(self, obj, newParent=MObject.kNullObj):
        """A null MObject as new parent means the world."""
        node = _node(obj)
        parentNode = None
        if isinstance(newParent, MObject) and not newParent.isNull():
            parentNode = _node(newParent)
        self._queue.append(("reparent", node, parentNode))


# --- messages ---------------------------------------------------------------------

class MMessage(object):

    @staticmethod
    def removeCallback(ident):
        SCENE.removeCallback(int(ident))

    @staticmethod
    def removeCallbacks(idents):
        for ident in idents:
            SCENE.removeCallback(int(ident))


class MCallbackIdArray(_Array):
    """Callback ids; separate from ``MIntArray`` as in Maya."""
    _convert = staticmethod(int)

    def _default(self):
        return 0


class MUserData(object):
    pass
