#include "attributes/anim_attr.h"
#include "module/action.h"
#include "scene/node.h"

namespace rigkit {
namespace {

py::object getPlug(const State &s, py::handle self, py::handle attributeName,
                   py::handle logicalIndex) {
    try {
        py::object plug = callMethod(getAttr(self, s.fnDependencyNode), s.findPlug, attributeName);
        if (logicalIndex.is_none()) return plug;
        return callMethod(plug, s.elementByLogicalIndex, logicalIndex);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_ValueError) && !e.matches(PyExc_RuntimeError)) throw;
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Attribute does not exist %s %s %s",
                                  getAttr(self, s.nodeName), attributeName, logicalIndex));
        });
        return none();
    }
}

// A new wrapper on every call, so each read sees the scene as it is now.
py::object wrapper(const State &s, py::handle self, py::handle attributeName,
                   py::handle logicalIndex) {
    return newAnimAttr(s, callMethod(self, s.getPlug, attributeName, logicalIndex));
}

py::object getAttrValue(const State &s, py::handle self, py::handle attributeName,
                        py::handle logicalIndex) {
    return getAttr(wrapper(s, self, attributeName, logicalIndex), s.value);
}

py::object getAttrAtTime(const State &s, py::handle self, py::handle attributeName,
                         py::handle mTime, py::handle logicalIndex) {
    return callMethod(wrapper(s, self, attributeName, logicalIndex), s.valueAtTime, mTime);
}

py::object setAttrValue(const State &s, py::handle self, py::handle attributeName,
                        py::handle value, py::handle logicalIndex, py::handle modifier) {
    callMethod(wrapper(s, self, attributeName, logicalIndex), s.setValue, value, modifier);
    return none();
}

py::object setAttrUndoable(const State &s, py::handle self, py::handle attributeName,
                           py::handle value, py::handle logicalIndex) {
    withModifier(s, [&](py::handle modifier) {
        callMethod(self, s.setAttr, attributeName, value, logicalIndex, modifier);
    });
    return none();
}

void setLocked(const State &s, py::handle self, py::handle attributeName, PyObject *locked) {
    py::object plug = callMethod(self, s.getPlug, attributeName);
    if (!plug.is_none()) callMethod(plug, s.setLocked, locked);
}

py::object lockAttr(const State &s, py::handle self, py::handle attributeName) {
    setLocked(s, self, attributeName, Py_True);
    return none();
}

py::object unlockAttr(const State &s, py::handle self, py::handle attributeName) {
    setLocked(s, self, attributeName, Py_False);
    return none();
}

py::object unlockTransformChannels(const State &s, py::handle self) {
    for (const char *name : {"tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz"}) {
        py::object plug = callMethod(self, s.getPlug, text(name));
        try {  // a missing channel (plug None) is skipped
            callMethod(plug, s.setLocked, Py_False);
            callMethod(plug, s.setChannelBox, Py_True);
            callMethod(plug, s.setKeyable, Py_True);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_AttributeError)) throw;
        }
    }
    return none();
}

py::object isRotationLocked(const State &s, py::handle self) {
    for (const char *name : {"rx", "ry", "rz"})
        if (!truthy(callMethod(callMethod(self, s.getPlug, text(name)), s.isLocked)))
            return boolObject(false);
    return boolObject(true);
}

// Outliner colours exist from host version 2016 on; older hosts are left alone.
py::object setOutlinerColor(const State &s, py::handle self, py::handle color) {
    const int recent = PyObject_RichCompareBool(s.global(s.mayaVersion).ptr(),
                                                steal(PyLong_FromLong(2016)).ptr(), Py_GE);
    if (recent < 0) throwPythonError();
    if (!recent) return none();
    py::object converted =
        callMethod(getAttr(s.global(s.CORE), s.color), s.toOutlinerColor, color);
    callMethod(self, s.setAttr, text("useOutlinerColor"), Py_True);
    callMethod(self, s.setAttr, text("outlinerColor"), converted);
    return none();
}

py::object rename(const State &s, py::handle self, py::handle newName) {
    py::object modifier = call(s.global(s.MDagModifier));
    callMethod(modifier, s.renameNode, getAttr(self, s.nodeMObject), newName);
    callMethod(modifier, s.doIt);
    forgetNodes(s);  // names resolved before now may designate another node
    // The kept nodeMObject follows the node, so this is the new name.
    return callMethod(self, s.shortName);
}

py::object reparent(const State &s, py::handle self, py::handle node, py::handle modifier) {
    py::object dagModifier = truthy(modifier) ? py::reinterpret_borrow<py::object>(modifier)
                                              : call(s.global(s.MDagModifier));
    py::object newParent =
        node.is_none() ? call(s.global(s.MObject)) : getAttr(node, s.nodeMObject);
    // Only None means the world: a parent that was not found (its lookup has
    // reported why) moves nothing, or the node would jump out of its rig.
    if (newParent.is_none()) return none();
    callMethod(dagModifier, s.reparentNode, getAttr(self, s.nodeMObject), newParent);
    callMethod(dagModifier, s.doIt);
    forgetNodes(s);  // the node's paths, and those below it, changed
    getAttr(self, s.dagPath);  // keep the path under the new parent
    return none();
}

py::object reparentUndoable(const State &s, py::handle self, py::handle node) {
    withModifier(s, [&](py::handle modifier) { callMethod(self, s.reparent, node, modifier); });
    return none();
}

}  // namespace

void addNodeAttributeMembers(ClassBuilder &node) {
    node.method<getPlug>("getPlug",
        "The MPlug of the attribute (its element `logicalIndex` when given), or\n"
        "None after a report when it does not exist.",
        {"self", "attributeName", "logicalIndex"}, {Py_None});
    node.method<getAttrValue>("getAttr",
        "The attribute's value, read through a new AnimAttr.",
        {"self", "attributeName", "logicalIndex"}, {Py_None});
    node.method<getAttrAtTime>("getAttrAtTime",
        "The attribute's value at the MTime `mTime`.",
        {"self", "attributeName", "mTime", "logicalIndex"},
                               {Py_None});
    node.method<setAttrValue>("setAttr",
        "Write the attribute's value, queued on `modifier` when one is given;\n"
        "failures are reported, never raised.",
        {"self", "attributeName", "value", "logicalIndex", "modifier"},
                              {Py_None, Py_None});
    node.method<setAttrUndoable>("setAttrUndoable", "Write the attribute's value as one undo step.",
                                 {"self", "attributeName", "value", "logicalIndex"}, {Py_None});
    node.method<lockAttr>("lockAttr", "Lock the attribute.", {"self", "attributeName"});
    node.method<unlockAttr>("unlockAttr", "Unlock the attribute.", {"self", "attributeName"});
    node.method<unlockTransformChannels>("unlockTransformChannels",
        "Unlock the nine transform channels and make them keyable and shown.",
        {"self"});
    node.method<isRotationLocked>("isRotationLocked",
        "Whether all three rotation channels are locked.",
        {"self"});
    node.method<setOutlinerColor>("setOutlinerColor",
        "Colour the node in the Outliner (hosts from 2016 on).",
        {"self", "color"});
    node.method<rename>("rename",
        "Rename the node and return its new short name.",
        {"self", "newName"});
    node.method<reparent>("reparent",
        "Put the node under `node` (None: the world), through `modifier` when one\n"
        "is given.",
        {"self", "node", "modifier"}, {Py_None});
    node.method<reparentUndoable>("reparentUndoable",
        "Reparent as one undo step.",
        {"self", "node"});
}

}  // namespace rigkit
