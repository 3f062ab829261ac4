#include "attributes/anim_attr.h"

#include "module/action.h"
#include "module/classes.h"
#include "module/names.h"
#include "scene/node.h"

namespace rigkit {
namespace {

py::object init(const State &s, py::handle self, py::handle plug, py::handle plugName,
                py::handle targetController) {
    py::object resolved = py::reinterpret_borrow<py::object>(plug);
    if (!plugName.is_none()) {
        try {
            py::object path = latin1Name(s, plugName);
            callMethod(self, s.setProperty, s.plugName, path);
            resolved = callMethod(self, s.plugFromPath, path);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError) && !e.matches(PyExc_ValueError)) throw;
            return none();  // a path that names nothing leaves an empty wrapper
        }
    }
    setAttr(self, s.plug, resolved);
    setAttr(self, s._targetController, targetController);
    return none();
}

// A node name that several nodes answer to (a short name shared by two
// characters' controls, a pattern) is refused before anything is read or
// written on whichever match Maya lists first: the node's lookup has
// reported it as a failed lookup (or, with `report`, this reports it); this
// raises ValueError with the text Maya's commands raise. Asked only once that
// lookup failed, so a name that resolves costs no second lookup. A name
// nothing matches is left to the lookup's own report.
void refuseAmbiguousNode(const State &s, py::handle nodeName, bool report) {
    if (!PyUnicode_Check(nodeName.ptr())) return;
    py::object selection = call(s.global(s.MSelectionList));
    try {
        callMethod(selection, s.add, callMethod(nodeName, s.encode, s.utf_8));
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return;
    }
    if (!selectsSeveralNodes(s, selection)) return;
    if (report) reportSeveralNodes(s, nodeName);
    PyErr_SetObject(PyExc_ValueError, severalNodesReason(nodeName).ptr());
    throwPythonError();
}

// "node.attr", "node.attr[index]" or "node.parent[index].child". Components are
// taken leaf first: the leaf makes the plug, and an index on a later (ancestor)
// component selects that ancestor's element; a later component without one
// replaces the plug. An index on the leaf selects the leaf's own element,
// last, once the ancestors' indices are set. An index beyond Maya's unsigned
// range (or negative) gives None.
py::object plugFromPath(const State &s, py::handle, py::handle plugName) {
    py::object path = latin1Name(s, plugName);
    py::object parts = callMethod(path, s.split, s.dot);
    const Py_ssize_t partCount = PyObject_Size(parts.ptr());
    if (partCount < 0) throwPythonError();
    py::object nodeName = steal(PySequence_GetItem(parts.ptr(), 0));
    py::object node = newNode(s, nodeName);
    // A path without an attribute never looks the node up.
    if (partCount == 1)
        refuseAmbiguousNode(s, nodeName, true);
    else if (getAttr(node, s.nodeMObject).is_none())
        refuseAmbiguousNode(s, nodeName, false);
    if (partCount == 2) {  // "node.attr", the usual path, needs no walk
        py::object attributeName = steal(PySequence_GetItem(parts.ptr(), 1));
        const int hasIndex = PySequence_Contains(attributeName.ptr(), s.openBracket);
        if (hasIndex < 0) throwPythonError();
        if (!hasIndex) {
            py::object attribute =
                callMethod(getAttr(node, s.fnDependencyNode), s.attribute, attributeName);
            py::object plug = call(s.global(s.MPlug), getAttr(node, s.nodeMObject), attribute);
            // A node named by the full path the action learned for it: the
            // plug's node name is that path (AnimAttr.nodeName reads it).
            if (knownFullPath(s, node)) fileMember(s, plug, s.nodeName, nodeName);
            return plug;
        }
    }
    py::object components =
        steal(PySequence_List(steal(PySequence_GetSlice(parts.ptr(), 1, PY_SSIZE_T_MAX)).ptr()));
    if (PyList_Reverse(components.ptr()) < 0) throwPythonError();
    const py::object one = steal(PyLong_FromLong(1));

    py::object plug = none();
    py::object leafIndex = none();  // applied at the end, while the leaf is the plug
    try {
        for (py::handle component : components) {
            py::object pieces = callMethod(component, s.split, s.openBracket, one);
            py::object attributeName = steal(PySequence_GetItem(pieces.ptr(), 0));
            const int hasIndex = PySequence_Contains(component.ptr(), s.openBracket);
            if (hasIndex < 0) throwPythonError();
            py::object index = none();
            if (hasIndex) {  // int() of the text between "[" and the following "]"
                py::object rest = steal(PySequence_GetItem(pieces.ptr(), 1));
                py::object inside = steal(
                    PySequence_GetItem(callMethod(rest, s.split, s.closeBracket, one).ptr(), 0));
                index = steal(PyNumber_Long(inside.ptr()));
            }
            py::object attribute =
                callMethod(getAttr(node, s.fnDependencyNode), s.attribute, attributeName);
            if (hasIndex && !plug.is_none()) {
                callMethod(plug, s.selectAncestorLogicalIndex, index, attribute);
            } else {
                plug = call(s.global(s.MPlug), getAttr(node, s.nodeMObject), attribute);
                leafIndex = index;
            }
        }
        if (!leafIndex.is_none()) plug = callMethod(plug, s.elementByLogicalIndex, leafIndex);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_OverflowError)) throw;
        return none();  // negative, or beyond Maya's unsigned index range
    }
    return plug;
}

// The plug, or None on a wrapper whose construction ended early.
py::object heldPlug(const State &s, py::handle self) {
    PyObject *plug = PyObject_GetAttr(self.ptr(), s.plug);
    if (plug) return py::reinterpret_steal<py::object>(plug);
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
    PyErr_Clear();
    return none();
}

py::object nodeMObject(const State &s, py::handle self) {
    py::object plug = heldPlug(s, self);
    if (plug.is_none()) return none();
    return callMethod(plug, s.node);
}

py::object fnDependencyNode(const State &s, py::handle self) {
    return call(s.global(s.MFnDependencyNode), getAttr(self, s.nodeMObject));
}

py::object fnAttribute(const State &s, py::handle self) {
    return call(s.global(s.MFnAttribute), plugAttribute(s, getAttr(self, s.plug)));
}

py::object attrName(const State &s, py::handle self) {
    py::object plug = heldPlug(s, self);
    if (plug.is_none()) return none();
    // includeNodeName, includeNonMandatoryIndices, includeInstancedIndices,
    // useAlias, useFullAttributePath, useLongNames
    return callMethod(plug, s.partialName, Py_False, Py_False, Py_False, Py_False, Py_False,
                      Py_True);
}

// The parents' part of attrName, then the leaf's short name with the leaf's
// own index, if it has one: an element plug ("weight[3]") keeps naming that
// element ("w[3]").
py::object shortAttrName(const State &s, py::handle self) {
    py::object parts = callMethod(getAttr(self, s.attrName), s.split, s.dot);
    py::object parent =
        callMethod(s.dot, s.join, steal(PySequence_GetSlice(parts.ptr(), 0, -1)));
    py::object leaf = callMethod(getAttr(self, s.fnAttribute), s.shortName);
    py::object last = steal(PySequence_GetItem(parts.ptr(), -1));
    py::object pieces = callMethod(last, s.split, s.openBracket, steal(PyLong_FromLong(1)));
    const Py_ssize_t count = PyObject_Size(pieces.ptr());
    if (count < 0) throwPythonError();
    if (count == 2)
        leaf = format("%s[%s", leaf, steal(PySequence_GetItem(pieces.ptr(), 1)));
    if (truthy(parent)) return format("%s.%s", parent, leaf);
    return leaf;
}

py::object nodeName(const State &s, py::handle self) {
    try {
        if (s.action)  // a path the action filed for this very plug
            if (py::object known = knownMember(s, heldPlug(s, self), s.nodeName)) return known;
        py::object obj = getAttr(self, s.nodeMObject);
        if (obj.is_none()) return none();
        if (hasFn(s, obj, s.kDagNode)) {
            // A full path designates its node for the rest of the action: the
            // wrapper's Node need not look it up again.
            py::object path = callMethod(call(s.global(s.MFnDagNode), obj), s.fullPathName);
            rememberPath(s, path, obj);
            return path;
        }
        return callMethod(call(s.global(s.MFnDependencyNode), obj), s.name);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        raiseEnriched(s, e, [&] {
            return format(" (Line: %s) attrName: %s", failureLine(s, e), getAttr(self, s.attrName));
        });
    }
}

py::object apiType(const State &s, py::handle self) {
    return callMethod(plugAttribute(s, getAttr(self, s.plug)), s.apiType);
}

py::object exists(const State &s, py::handle self) {
    if (!getAttr(self, s.nodeMObject).is_none()) return boolObject(true);
    reportError(s, format("Node Attr does not exist: %s", getAttr(self, s.plugName)));
    return boolObject(false);
}

}  // namespace

py::object plugAttribute(const State &s, py::handle plug) {
    if (py::object known = knownMember(s, plug, s.attribute)) return known;
    py::object attribute = callMethod(plug, s.attribute);
    fileMember(s, plug, s.attribute, attribute);
    return attribute;
}

void defineAnimAttr(const State &s) {
    const char *doc =
        "One attribute of a node, of any type, read and written in one uniform way.\n"
        "\n"
        "Values are in Maya's internal units (centimetres, radians); a time\n"
        "attribute is a frame number in the current time unit.";
    defineClass(s, "AnimAttr", "MirrorRules", doc, [&](ClassBuilder &cls) {
        cls.instanceAttributes({"plug", "_targetController", "lastKeyedCurve", "lastKeyedCurves"});
        cls.constant("controllerClass", s.global(s.ChannelBox));
        cls.init<init>(
            "Wrap `plug`, or the attribute at the path `plugName` (text, or bytes in\n"
            "Latin-1): \"node.attr\", \"node.attr[index]\", \"node.attr[index].child\".",
            {"self", "plug", "plugName", "targetController"},
                       {Py_None, Py_None, Py_None});
        cls.method<plugFromPath>("plugFromPath",
            "The MPlug at the path \"node.attr[index].child\" (an index selects that\n"
            "element), or None when an index does not fit; ValueError when the node\n"
            "name matches several nodes.",
            {"self", "plugName"});
        cls.property<nodeMObject>("nodeMObject",
            "The MObject of the plug's node, or None without a plug.");
        cls.property<fnDependencyNode>("fnDependencyNode", "MFnDependencyNode of the plug's node.");
        cls.property<fnAttribute>("fnAttribute", "MFnAttribute of the plug's attribute.");
        cls.property<attrName>("attrName",
            "The attribute's long name with its parents and indices, or None.");
        cls.property<shortAttrName>("shortAttrName",
            "The attribute's short name, after its parents' long names.");
        cls.property<nodeName>("nodeName",
            "The full DAG path (or name) of the plug's node, or None.");
        cls.property<apiType>("apiType", "The MFn type of the plug's attribute.");
        cls.property<exists>("exists", "Whether the attribute's node was found; reports when not.");
        addAnimAttrReadMembers(cls);
        addAnimAttrWriteMembers(cls);
        addAnimAttrStateMembers(cls);
        addAnimAttrMirrorMembers(cls);
        addAnimAttrKeyMembers(cls);
    });
}

}  // namespace rigkit
