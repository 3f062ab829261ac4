// SelectionBuilder and SelectionReader: node names and the active selection as
// API objects and paths.
#include "module/classes.h"
#include "module/methods.h"
#include "module/names.h"
#include "scene/node.h"

namespace rigkit {
namespace {

// NodeHandle(name).selectionItem: the form of a name MSelectionList.add takes.
py::object selectionItem(const State &s, py::handle name) {
    return getAttr(call(s.global(s.NodeHandle), name), s.selectionItem);
}

// --- SelectionReader -------------------------------------------------------------

// One name given as text (or bytes) is that name, not a run of one-letter
// names, as ChannelBox takes it.
py::object readerInit(const State &s, py::handle self, py::handle nodes) {
    py::object stored = py::reinterpret_borrow<py::object>(nodes);
    if (PyUnicode_Check(nodes.ptr()) || PyBytes_Check(nodes.ptr())) {
        stored = newList();
        append(stored, latin1Name(s, nodes));
    } else if (!nodes.is_none()) {
        stored = steal(PySequence_List(steal(PySet_New(nodes.ptr())).ptr()));
    }
    setAttr(self, s.nodes, stored);
    return none();
}

// One object per name Maya resolves, in the stored order. Each name is
// resolved in a list of its own: in a shared list a second name of a node
// already held (a short and a long name) adds nothing, and counting positions
// would then hand out another node's object or run past the list. A name
// several nodes answer to is a failed lookup, reported, not a guess.
template <class Fill>
py::object resolvedNames(const State &s, py::handle self, Fill &&fill) {
    py::object result = steal(PyList_New(0));
    py::object selectionClass = s.global(s.MSelectionList);
    py::object zero = steal(PyLong_FromLong(0));
    py::object names = steal(PyObject_GetIter(getAttr(self, s.nodes).ptr()));
    while (PyObject *raw = PyIter_Next(names.ptr())) {
        py::object name = py::reinterpret_steal<py::object>(raw);
        py::object selection = call(selectionClass);
        try {
            callMethod(selection, s.add, selectionItem(s, name));
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError)) throw;
            continue;  // a name Maya cannot resolve
        }
        if (selectsSeveralNodes(s, selection)) {
            reportSeveralNodes(s, name);
            continue;
        }
        py::object entry = fill(selection, zero);
        if (!entry.is_none()) append(result, entry);
    }
    if (PyErr_Occurred()) throwPythonError();
    return result;
}

py::object nodeObjects(const State &s, py::handle self) {
    return resolvedNames(s, self, [&](py::handle selection, py::handle index) {
        py::object obj = call(s.global(s.MObject));
        callMethod(selection, s.getDependNode, index, obj);
        return obj;
    });
}

// An MDagPath filled by `source.getDagPath(args...)`, or None for an item
// without one (a material or utility node: animators' selections hold them).
template <class... Args>
py::object dagPathOrNone(const State &s, py::handle source, Args &&...args) {
    py::object path = call(s.global(s.MDagPath));
    try {
        callMethod(source, s.getDagPath, std::forward<Args>(args)..., path);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return none();
    }
    return path;
}

py::object nodeDagPaths(const State &s, py::handle self) {
    return resolvedNames(s, self, [&](py::handle selection, py::handle index) {
        return dagPathOrNone(s, selection, index);
    });
}

// Walks the active selection; `read(iterator)` gives one item's entry. The
// walk stops after as many steps as the list holds, whatever the iterator says.
template <class Read>
py::object activeSelection(const State &s, Read &&read) {
    py::object result = steal(PyList_New(0));
    py::object selection = call(s.global(s.MSelectionList));
    callMethod(s.global(s.MGlobal), s.getActiveSelectionList, selection);
    py::object iterator = call(s.global(s.MItSelectionList), selection);
    const Py_ssize_t count = asIndex(callMethod(selection, s.length));
    for (Py_ssize_t n = 0; n < count && !truthy(callMethod(iterator, s.isDone)); ++n) {
        py::object entry = read(iterator);
        if (!entry.is_none()) append(result, entry);
        callMethod(iterator, s.next);
    }
    return result;
}

py::object selectedObjects(const State &s, py::handle) {
    return activeSelection(s, [&](py::handle iterator) {
        try {
            py::object obj = call(s.global(s.MObject));
            callMethod(iterator, s.getDependNode, obj);
            return obj;
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError)) throw;
            return none();  // an item without an object is skipped
        }
    });
}

py::object selectedDagPaths(const State &s, py::handle) {
    return activeSelection(s, [&](py::handle iterator) { return dagPathOrNone(s, iterator); });
}

// --- SelectionBuilder --------------------------------------------------------------

py::object builderInit(const State &s, py::handle self) {
    setAttr(self, s.selectionList, call(s.global(s.MSelectionList)));
    return none();
}

py::object addSelection(const State &s, py::handle self) {
    py::object names = callMethodKw(s.global(s.cmds), s.ls, s.kwSelectionLong, Py_True, Py_True);
    if (names.is_none()) return none();
    py::object selection = getAttr(self, s.selectionList);
    for (py::handle name : names) callMethod(selection, s.add, selectionItem(s, name));
    return none();
}

// The transforms below the selected nodes, constraints left out; the selected
// nodes themselves are not added.
py::object addSelectedHierarchy(const State &s, py::handle self) {
    py::object names = callMethodKw(s.global(s.cmds), s.listRelatives,
                                    s.kwAllDescendentsFullPathType, Py_True, Py_True,
                                    text("transform"));
    if (names.is_none()) names = steal(PyList_New(0));
    py::object reader = call(s.global(s.SelectionReader), names);
    py::object selection = getAttr(self, s.selectionList);
    for (py::handle path : getAttr(reader, s.nodeDagPaths))
        if (!hasFn(s, path, s.kConstraint)) callMethod(selection, s.add, path);
    return none();
}

py::object makeActive(const State &s, py::handle self) {
    py::object selection = getAttr(self, s.selectionList);
    if (!truthy(callMethod(selection, s.isEmpty)))
        callMethod(s.global(s.MGlobal), s.setActiveSelectionList, selection);
    return none();
}

}  // namespace

void defineSelectionBuilder(const State &s) {
    const char *doc =
        "Collects nodes into an MSelectionList (selectionList) and makes it the\n"
        "active selection.";
    defineClass(s, "SelectionBuilder", "CoreObject", doc, [](ClassBuilder &cls) {
        cls.instanceAttributes({"selectionList"});
        cls.init<builderInit>("Start with an empty selectionList.", {"self"});
        cls.method<addSelection>("addSelection", "Add every selected node.", {"self"});
        cls.method<addSelectedHierarchy>("addSelectedHierarchy",
            "Add every transform below the selected nodes, constraints left out.", {"self"});
        cls.method<makeActive>("makeActive",
            "Make selectionList the active selection, unless it is empty.", {"self"});
    });
}

void defineSelectionReader(const State &s) {
    const char *doc =
        "Node names, or the active selection, as MObjects and MDagPaths; each\n"
        "property is read once and kept.";
    defineClass(s, "SelectionReader", "CoreObject", doc, [](ClassBuilder &cls) {
        cls.instanceAttributes({"nodes"});
        cls.init<readerInit>("Keep the names `nodes` once each (order not kept), or None; one\n"
                             "name given as text or bytes is that one name.",
                             {"self", "nodes"}, {Py_None});
        cls.property<nodeObjects>("nodeObjects",
            "One MObject per name Maya resolves; unresolvable names are skipped, names\n"
            "several nodes share reported and skipped.");
        cls.property<nodeDagPaths>("nodeDagPaths",
            "One MDagPath per name Maya resolves; unresolvable names and nodes\n"
            "without a DAG path are skipped, names several nodes share reported and\n"
            "skipped.");
        cls.property<selectedObjects>("selectedObjects",
            "One MObject per item of the active selection.");
        cls.property<selectedDagPaths>("selectedDagPaths",
            "One MDagPath per item of the active selection that has one.");
    });
}

}  // namespace rigkit
