#include "scene/node.h"

#include "module/action.h"
#include "module/classes.h"
#include "module/names.h"

namespace rigkit {
namespace {

// A new, unshared path to the node, for the operations that extend a path to a
// shape: the instance's own dagPath is kept and must not be disturbed.
py::object freshDagPath(const State &s, py::handle self) {
    return getAttr(newNode(s, getAttr(self, s.nodeName)), s.dagPath);
}

// The number of shapes directly below `path`, read through an MScriptUtil
// pointer as the API 1.0 bindings require.
// The pointer is memory owned by the util, so the util stays in a named local
// for as long as the pointer is used.
py::object shapeCount(const State &s, py::handle path) {
    py::object scriptUtilClass = s.global(s.MScriptUtil);
    py::object scriptUtil = call(scriptUtilClass);
    py::object pointer = callMethod(scriptUtil, s.asUintPtr);
    callMethod(path, s.numberOfShapesDirectlyBelow, pointer);
    return callMethod(scriptUtilClass, s.getUint, pointer);
}

// The name as stored: bytes decoded as Latin-1 under Python 3.
py::object decodedName(const State &s, py::handle nodeName) {
    py::object name = py::reinterpret_borrow<py::object>(nodeName);
    if (PyBytes_Check(name.ptr())) {
        const int py3 = PyObject_RichCompareBool(s.global(s.pythonMajor).ptr(),
                                                 steal(PyLong_FromLong(3)).ptr(), Py_GE);
        if (py3 < 0) throwPythonError();
        if (py3) name = latin1Name(s, name);
    }
    return name;
}

}  // namespace

bool selectsSeveralNodes(const State &s, py::handle selection) {
    py::object objectClass = s.global(s.MObject);
    const Py_ssize_t count = asIndex(callMethod(selection, s.length));
    if (count < 2) return false;
    py::object first = call(objectClass);
    callMethod(selection, s.getDependNode, steal(PyLong_FromLong(0)), first);
    for (Py_ssize_t i = 1; i < count; ++i) {
        py::object other = call(objectClass);
        callMethod(selection, s.getDependNode, steal(PyLong_FromSsize_t(i)), other);
        if (!equal(other, first)) return true;
    }
    return false;
}

namespace {

// The node a name designates, found through MSelectionList: the name as
// UTF-8, then as text, then as a path from the world. `failure` gets the
// reason when no single node answers: nothing matches, or the name is a
// short name that several nodes carry (Maya's own commands refuse that too,
// and guessing one would read or write the wrong character's node).
py::object findNode(const State &s, py::handle nodeName, py::object &failure) {
    py::object selection = call(s.global(s.MSelectionList));
    try {
        callMethod(selection, s.add, callMethod(nodeName, s.encode, s.utf_8));
    } catch (py::error_already_set &first) {
        if (!first.matches(PyExc_RuntimeError)) throw;
        try {
            callMethod(selection, s.add, nodeName);
        } catch (py::error_already_set &second) {
            if (!second.matches(PyExc_RuntimeError)) throw;
            try {
                callMethod(selection, s.add, percent(text("|%s").ptr(), nodeName));
            } catch (py::error_already_set &e) {
                if (!e.matches(PyExc_Exception)) throw;  // an interrupt is not a lookup failure
                failure = steal(PyObject_Str(e.value().ptr()));
                return none();
            }
        }
    }
    if (selectsSeveralNodes(s, selection)) {
        failure = severalNodesReason(nodeName);
        return none();
    }
    py::object obj = call(s.global(s.MObject));
    callMethod(selection, s.getDependNode, steal(PyLong_FromLong(0)), obj);
    // Every None answer is a failed lookup with a reason, whatever gave it.
    if (obj.is_none())
        failure = text("the node has no object");
    else
        markExisting(s, obj);  // only a node in the scene answers to a name
    return obj;
}

}  // namespace

py::object knownFullPath(const State &s, py::handle node) {
    if (!s.action) return py::object();  // nothing is known between actions
    py::object name = getAttr(node, s.nodeName);
    if (!knownPath(s, name)) return py::object();
    py::object known = knownNode(s, name);
    if (getAttr(node, s.nodeMObject).ptr() != known.ptr()) return py::object();
    return name;
}

std::pair<py::object, py::object> cutLastComponent(py::handle path) {
    const Py_ssize_t length = PyUnicode_GetLength(path.ptr());
    if (length < 0) throwPythonError();
    const Py_ssize_t bar = PyUnicode_FindChar(path.ptr(), '|', 0, length, -1);
    if (bar == -2) throwPythonError();
    const Py_ssize_t cut = bar < 0 ? 0 : bar;
    py::object parent = steal(PyUnicode_Substring(path.ptr(), 0, cut));
    py::object own = steal(PyUnicode_Substring(path.ptr(), bar + 1, length));
    return {parent, own};
}

bool namesOneNode(const State &s, py::handle name) {
    if (knownNode(s, name)) return true;
    py::object failure;
    try {
        py::object obj = findNode(s, name, failure);
        rememberNode(s, name, obj);
        return !obj.is_none();
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt is not an answer
        return false;
    }
}

namespace {

// Drops leading path components one at a time until a name exists; the name
// stays as it was when none does. The first candidate is always tried, even
// for a name without "|" (it is then the empty text). Candidates are tried
// quietly: the animator hears of a name only when the node is looked for
// and none answers.
py::object shorterExistingName(const State &s, py::handle nodeName) {
    py::object components = callMethod(nodeName, s.split, s.bar);
    const Py_ssize_t count = PyObject_Size(components.ptr());
    if (count < 0) throwPythonError();
    for (Py_ssize_t index = 1;; ++index) {
        py::object rest = steal(PySequence_GetSlice(components.ptr(), index, PY_SSIZE_T_MAX));
        py::object partialName = callMethod(s.bar, s.join, rest);
        if (namesOneNode(s, partialName)) return partialName;
        if (index + 1 >= count) return py::reinterpret_borrow<py::object>(nodeName);
    }
}

py::object init(const State &s, py::handle self, py::handle nodeName,
                py::handle searchShorterPaths) {
    py::object name = decodedName(s, nodeName);
    if (truthy(searchShorterPaths) && !namesOneNode(s, name)) name = shorterExistingName(s, name);
    setAttr(self, s.nodeName, name);
    return none();
}

// --- API objects, each made once per instance -----------------------------

// A name the running action already resolved designates the same node for
// the rest of it: wrappers made per channel and per property share one lookup.
py::object nodeMObject(const State &s, py::handle self) {
    py::object nodeName = getAttr(self, s.nodeName);
    if (py::object known = knownNode(s, nodeName)) return known;
    py::object failure;
    py::object obj = findNode(s, nodeName, failure);
    if (obj.is_none()) {
        if (!failure) failure = text("the node has no object");
        reportError(s, format("Zentrik - Error handling object %s - %s", nodeName, failure));
    }
    rememberNode(s, nodeName, obj);
    return obj;
}

py::object dagPath(const State &s, py::handle self) {
    py::object dagPathClass = s.global(s.MDagPath);
    py::object path = call(dagPathClass);
    callMethod(dagPathClass, s.getAPathTo, getAttr(self, s.nodeMObject), path);
    return path;
}

py::object fnDagNode(const State &s, py::handle self) {
    return call(s.global(s.MFnDagNode), getAttr(self, s.nodeMObject));
}

py::object fnDependencyNode(const State &s, py::handle self) {
    return call(s.global(s.MFnDependencyNode), getAttr(self, s.nodeMObject));
}

py::object objectHandle(const State &s, py::handle self) {
    return call(s.global(s.MObjectHandle), getAttr(self, s.nodeMObject));
}

py::object fnTransform(const State &s, py::handle self) {
    return call(s.global(s.MFnTransform), getAttr(self, s.dagPath));
}

py::object shape(const State &s, py::handle self) {
    try {
        py::object path = freshDagPath(s, self);
        callMethod(path, s.extendToShapeDirectlyBelow, steal(PyLong_FromLong(0)));
        return newNode(s, callMethod(path, s.fullPathName));
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return none();
    }
}

py::object shapes(const State &s, py::handle self) {
    py::object result = steal(PyList_New(0));
    py::object path;
    try {
        path = freshDagPath(s, self);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return result;
    }
    const Py_ssize_t count = asIndex(shapeCount(s, path));
    for (Py_ssize_t n = 0; n < count; ++n) {
        py::object shapePath = freshDagPath(s, self);
        callMethod(shapePath, s.extendToShapeDirectlyBelow, steal(PyLong_FromSsize_t(n)));
        py::object shapeNode = newNode(s, callMethod(shapePath, s.fullPathName));
        if (PyList_Append(result.ptr(), shapeNode.ptr()) < 0) throwPythonError();
    }
    return result;
}

// --- existence, names ------------------------------------------------------

py::object exists(const State &s, py::handle self) {
    ExistenceWatch watch(s);  // a node its name found just now is in the scene
    py::object obj;
    try {
        obj = getAttr(self, s.nodeMObject);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt is not an answer
        return boolObject(false);
    }
    if (obj.is_none()) return boolObject(false);
    if (knownToExist(s, obj)) return boolObject(true);
    try {
        // The handle is made even so, while the object is fresh: a later call
        // asks it once the node may be gone.
        py::object handle = getAttr(self, s.objectHandle);
        if (watch.saw(obj)) return boolObject(true);
        const bool found =
            truthy(callMethod(handle, s.isValid)) && truthy(callMethod(handle, s.isAlive));
        if (found) markExisting(s, obj);
        return boolObject(found);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_ValueError)) throw;
        return boolObject(false);
    }
}

// The node's name: for a DAG node the given form of its path, for another
// node its name, and the stored name for anything else. A full path
// designates the node it was read from for the rest of the action (a
// shorter name may be shared, so only the full path is kept).
py::object nameOf(const State &s, py::handle self, PyObject *pathForm) {
    if (pathForm == s.fullPathName)
        if (py::object path = knownFullPath(s, self)) return path;
    py::object obj = getAttr(self, s.nodeMObject);
    if (hasFn(s, obj, s.kDagNode)) {
        py::object name = callMethod(getAttr(self, s.dagPath), pathForm);
        if (pathForm == s.fullPathName) rememberPath(s, name, obj);
        return name;
    }
    if (hasFn(s, obj, s.kDependencyNode))
        return callMethod(getAttr(self, s.fnDependencyNode), s.name);
    return getAttr(self, s.nodeName);
}

py::object fullName(const State &s, py::handle self) { return nameOf(s, self, s.fullPathName); }

py::object partialPathName(const State &s, py::handle self) {
    return nameOf(s, self, s.partialPathName);
}

py::object shortName(const State &s, py::handle self) {
    if (py::object path = knownFullPath(s, self)) return cutLastComponent(path).second;
    if (hasFn(s, getAttr(self, s.nodeMObject), s.kDependencyNode))
        return callMethod(getAttr(self, s.fnDependencyNode), s.name);
    return getAttr(self, s.nodeName);
}

// --- hierarchy ---------------------------------------------------------------

py::object parent(const State &s, py::handle self) {
    py::object parentName, parentObject;
    try {
        parentObject = callMethod(getAttr(self, s.fnDagNode), s.parent, steal(PyLong_FromLong(0)));
        parentName = callMethod(call(s.global(s.MFnDagNode), parentObject), s.fullPathName);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return none();
    }
    if (equal(parentName, s.empty)) return none();  // directly under the world
    rememberPath(s, parentName, parentObject);
    return newNode(s, parentName);
}

bool matchesTypeFilter(const State &s, py::handle child, py::handle typeFilter) {
    py::object type = callMethod(getAttr(child, s.nodeMObject), s.apiType);
    py::object types = steal(PyObject_GetIter(call(s.global(s.asList), typeFilter).ptr()));
    while (PyObject *raw = PyIter_Next(types.ptr())) {
        py::object item = py::reinterpret_steal<py::object>(raw);
        if (equal(item, type)) return true;
    }
    if (PyErr_Occurred()) throwPythonError();
    return false;
}

py::object children(const State &s, py::handle self, py::handle typeFilter) {
    py::object result = steal(PyList_New(0));
    py::object fn = getAttr(self, s.fnDagNode);
    py::object fnDagNodeClass = s.global(s.MFnDagNode);
    const Py_ssize_t count = asIndex(callMethod(fn, s.childCount));
    for (Py_ssize_t i = 0; i < count; ++i) {
        py::object childObject = callMethod(fn, s.child, steal(PyLong_FromSsize_t(i)));
        py::object child = newNode(s, callMethod(call(fnDagNodeClass, childObject), s.fullPathName));
        if (typeFilter.is_none() || matchesTypeFilter(s, child, typeFilter))
            if (PyList_Append(result.ptr(), child.ptr()) < 0) throwPythonError();
    }
    return result;
}

py::object isVisible(const State &s, py::handle self, py::handle requireShapes) {
    auto attribute = [&](const char *name) {
        return truthy(callMethod(self, s.getAttr, text(name)));
    };
    if (!truthy(callMethod(self, s.exists))) return boolObject(false);
    if (!hasFn(s, getAttr(self, s.nodeMObject), s.kDagNode)) return boolObject(false);
    if (!attribute("visibility")) return boolObject(false);
    if (truthy(requireShapes) && !truthy(shapeCount(s, getAttr(self, s.dagPath))))
        return boolObject(false);
    if (attribute("overrideEnabled") && !attribute("overrideVisibility")) return boolObject(false);
    py::object p = callMethod(self, s.parent);
    if (!p.is_none())
        return boolObject(truthy(callMethodKw(p, s.isVisible, s.kwRequireShapes, Py_False)));
    return boolObject(true);
}

}  // namespace

void defineNode(const State &s) {
    const char *doc =
        "One node of the scene, found by its name.\n"
        "\n"
        "Maya API objects are computed on first read and kept, so a Node stays bound\n"
        "to the node it first found; build a new Node to look again.";
    defineClass(s, "Node", "CoreObject", doc, [&](ClassBuilder &node) {
        node.instanceAttributes({"nodeName"});
        node.init<init>(
            "Wrap the node named `nodeName` (text, or bytes read as Latin-1).\n"
            "\n"
            "With `searchShorterPaths`, a path that names no node is shortened from\n"
            "the left until it does.",
            {"self", "nodeName", "searchShorterPaths"}, {Py_False});
        node.property<nodeMObject>("nodeMObject",
            "The node's MObject, or None after a reported failure to find it.");
        node.property<dagPath>("dagPath", "An MDagPath to the node, made once and kept.");
        node.property<fnDagNode>("fnDagNode", "MFnDagNode of the node.");
        node.property<fnDependencyNode>("fnDependencyNode", "MFnDependencyNode of the node.");
        node.property<objectHandle>("objectHandle", "MObjectHandle of the node.");
        node.property<fnTransform>("fnTransform", "MFnTransform on the node's path.");
        node.property<shape>("shape", "The Node of the first shape directly below, or None.");
        node.property<shapes>("shapes", "The Nodes of all shapes directly below.");
        node.method<exists>("exists", "Whether the node is in the scene now.", {"self"});
        node.method<isVisible>("isVisible",
            "Whether the node and its parents are shown; with `requireShapes`, the\n"
            "node itself must also have a shape.",
            {"self", "requireShapes"}, {Py_True});
        node.method<parent>("parent",
            "The Node of the DAG parent, or None under the world.",
            {"self"});
        node.method<children>("children",
            "The Nodes of the DAG children, those of the MFn types in `typeFilter` only\n"
            "when it is given.",
            {"self", "typeFilter"}, {Py_None});
        node.method<fullName>("fullName",
            "The full DAG path, or the name of a node outside the DAG.",
            {"self"});
        node.method<partialPathName>("partialPathName",
            "The shortest unique DAG path, or the name of a node outside the DAG.",
            {"self"});
        node.method<shortName>("shortName", "The node's own name, without its path.", {"self"});
        addNodeAttributeMembers(node);
        addNodeTransformMembers(node);
    });
}

}  // namespace rigkit
