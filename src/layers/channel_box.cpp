// ChannelBox: the Channel Box selection, and the animatable and animated plugs
// of a set of nodes, as plug arrays, attribute wrappers and plug paths.
#include <algorithm>
#include <vector>

#include "attributes/anim_attr.h"
#include "module/names.h"
#include "module/classes.h"
#include "scene/node.h"

namespace rigkit {
namespace {

// --- plug arrays handed out --------------------------------------------------------

// array[i] of an MPlugArray refers into the array's own memory and dies with
// it. The arrays handed out are of a subclass of the namespace's MPlugArray
// that reads its elements as owned copies, MPlug(array[i]): a plug a caller
// takes stays valid however long it is kept, while the array itself goes
// with the ChannelBox that read it, so memory stays flat over a day of tool
// calls.
py::object ownedElement(const State &s, py::handle self, py::handle index) {
    py::object plain = getAttr(self, s._plainArrayClass);
    py::object element = call(getAttr(plain, s.__getitem__), self, index);
    return call(s.global(s.MPlug), element);
}

py::object ownedElements(const State &s, py::handle self) {
    py::object copies = newList();
    const Py_ssize_t count = asIndex(callMethod(self, s.length));
    for (Py_ssize_t i = 0; i < count; ++i)
        append(copies, ownedElement(s, self, steal(PyLong_FromSsize_t(i))));
    return steal(PyObject_GetIter(copies.ptr()));
}

py::object newPlugArray(const State &s) {
    py::object plain = s.global(s.MPlugArray);
    if (!PyType_Check(plain.ptr())) return call(plain);  // a factory, not a class
    PyObject *cached = PyDict_GetItemWithError(s.ownedPlugArrays, plain.ptr());
    if (!cached && PyErr_Occurred()) throwPythonError();
    py::object owned = py::reinterpret_borrow<py::object>(cached);
    if (!cached) {
        ClassBuilder cls(s, "OwnedPlugArray", steal(PyTuple_Pack(1, plain.ptr())),
                         "A plug array whose elements are read as plugs of their own, valid\n"
                         "after the array is gone.");
        cls.constant("_plainArrayClass", plain);
        cls.method<ownedElement>("__getitem__", "A copy of the plug at `index`.",
                                 {"self", "index"});
        cls.method<ownedElements>("__iter__", "Copies of every plug, in order.", {"self"});
        owned = cls.build();
        if (PyDict_SetItem(s.ownedPlugArrays, plain.ptr(), owned.ptr()) < 0) throwPythonError();
    }
    return call(owned);
}

// Runs `each(plug)` for each element of a plug array this class made (its
// elements are owned copies).
template <class Each>
void forEachPlug(const State &s, py::handle array, Each &&each) {
    const Py_ssize_t count = asIndex(callMethod(array, s.length));
    for (Py_ssize_t i = 0; i < count; ++i) each(steal(PySequence_GetItem(array.ptr(), i)));
}

py::object wrappersOf(const State &s, py::handle array) {
    py::object result = newList();
    forEachPlug(s, array, [&](py::handle plug) { append(result, newAnimAttr(s, plug)); });
    return result;
}

// A list of `name` read from each item of a list of wrappers.
py::object namesOf(py::handle attrs, PyObject *name) {
    py::object result = newList();
    for (py::handle attr : attrs) append(result, getAttr(attr, name));
    return result;
}

// --- nodes -------------------------------------------------------------------------

py::object init(const State &s, py::handle self, py::handle nodes) {
    py::object stored = latin1Names(s, nodes);
    if (PyUnicode_Check(stored.ptr()) && PyUnicode_GET_LENGTH(stored.ptr()) > 0) {
        py::object name = stored;
        stored = newList();
        append(stored, name);
    } else if (!truthy(stored)) {
        stored = callMethodKw(s.global(s.cmds), s.ls, s.kwSelectionLongDependencyNodes, Py_True,
                              Py_True, Py_True);
    }
    setAttr(self, s.nodes, stored);
    return none();
}

// The names of `nodes` that are DAG nodes. The selection holds utility nodes
// and materials too, which have no DAG path to ask for; they stay in nodes.
py::object dagNodeNames(const State &s, py::handle nodes) {
    py::object result = newList();
    py::object cmds = s.global(s.cmds);
    py::object dagNode = text("dagNode");
    py::object names = steal(PyObject_GetIter(nodes.ptr()));
    while (PyObject *raw = PyIter_Next(names.ptr())) {
        py::object name = py::reinterpret_steal<py::object>(raw);
        if (truthy(callMethodKw(cmds, s.ls, s.kwType, name, dagNode))) append(result, name);
    }
    if (PyErr_Occurred()) throwPythonError();
    return result;
}

// nodes gains the first shape below each transform (cameras only when asked),
// once each; the order of nodes is not kept.
void addShapesOf(const State &s, py::handle self, bool camerasOnly) {
    py::object names = newList();
    py::object reader =
        call(s.global(s.SelectionReader), dagNodeNames(s, getAttr(self, s.nodes)));
    py::object zero = steal(PyLong_FromLong(0));
    for (py::handle path : getAttr(reader, s.nodeDagPaths)) {
        if (!hasFn(s, path, s.kTransform)) continue;
        try {
            callMethod(path, s.extendToShapeDirectlyBelow, zero);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError)) throw;
            continue;  // a transform without a shape
        }
        if (!camerasOnly || hasFn(s, path, s.kCamera))
            append(names, callMethod(path, s.fullPathName));
    }
    // nodes may be any sequence the caller gave (a tuple, say): join as lists.
    py::object all = steal(PySequence_List(getAttr(self, s.nodes).ptr()));
    all = steal(PySequence_InPlaceConcat(all.ptr(), names.ptr()));
    setAttr(self, s.nodes, steal(PySequence_List(steal(PySet_New(all.ptr())).ptr())));
}

py::object addShapes(const State &s, py::handle self) {
    addShapesOf(s, self, false);
    return none();
}

py::object addCameraShapes(const State &s, py::handle self) {
    addShapesOf(s, self, true);
    return none();
}

// --- the Channel Box's own selection ---------------------------------------------

// "node.attribute" of every attribute selected in the main Channel Box, section
// by section (main, shape, history, output), duplicates kept. Without an
// interface there is no Channel Box, and so no selection in it.
py::object selectedChannelPaths(const State &s, py::handle) {
    InterfaceCheck ui(s);
    if (!ui.present()) return newList();
    py::object cmds = s.global(s.cmds);
    py::object control = text("mainChannelBox");
    PyObject *const queries[] = {s.kwQueryMainObjectList,         s.kwQueryShapeObjectList,
                                 s.kwQueryHistoryObjectList,      s.kwQueryOutputObjectList,
                                 s.kwQuerySelectedMainAttributes, s.kwQuerySelectedShapeAttributes,
                                 s.kwQuerySelectedHistoryAttributes,
                                 s.kwQuerySelectedOutputAttributes};
    py::object answers[8];
    for (int i = 0; i < 8; ++i)
        answers[i] = callMethodKw(cmds, s.channelBox, queries[i], control, Py_True, Py_True);
    py::object result = newList();
    for (int section = 0; section < 4; ++section) {
        py::handle objects = answers[section], attributes = answers[section + 4];
        if (!truthy(objects) || !truthy(attributes)) continue;
        for (py::handle object : objects)
            for (py::handle attribute : attributes) {
                py::object path = format("%s.%s", object, attribute);
                if (truthy(callMethod(cmds, s.objExists, path))) append(result, path);
            }
    }
    return result;
}

bool usablePlug(const State &s, py::handle plug) {
    if (!truthy(callMethod(plug, s.isKeyable)) && !truthy(callMethod(plug, s.isChannelBoxFlagSet)))
        return false;
    return !truthy(callMethod(plug, s.isArray)) && !truthy(callMethod(plug, s.isLocked));
}

py::object selectedPlugs(const State &s, py::handle self) {
    py::object array = newPlugArray(s);
    for (py::handle path : getAttr(self, s.selectedChannelPaths)) {
        // The node is the text before the first ".", the attribute after the last.
        py::object nodeName =
            steal(PySequence_GetItem(callMethod(path, s.split, s.dot).ptr(), 0));
        py::object attrName =
            steal(PySequence_GetItem(callMethod(path, s.rsplit, s.dot).ptr(), -1));
        py::object plug = callMethod(newNode(s, nodeName), s.getPlug, attrName);
        if (!plug.is_none() && usablePlug(s, plug)) callMethod(array, s.append, plug);
    }
    return array;
}

// --- every animatable or animated plug of the nodes ------------------------------

py::object plugsFound(const State &s, py::handle self, PyObject *finder) {
    py::object array = newPlugArray(s);
    py::object selection = call(s.global(s.MSelectionList));
    py::object handleClass = s.global(s.NodeHandle);
    py::object selectionClass = s.global(s.MSelectionList);
    for (py::handle name : getAttr(self, s.nodes)) {
        // Each name alone first: one that several nodes share is a failed
        // lookup, reported, and none of those nodes' plugs is handed out.
        py::object item = getAttr(call(handleClass, name), s.selectionItem);
        py::object alone = call(selectionClass);
        try {
            callMethod(alone, s.add, item);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError)) throw;  // a name Maya cannot resolve
            continue;
        }
        if (selectsSeveralNodes(s, alone)) {
            reportSeveralNodes(s, name);
            continue;
        }
        callMethod(selection, s.add, item);
    }
    callMethod(s.global(s.MAnimUtil), finder, selection, array);
    return array;
}

py::object animatablePlugs(const State &s, py::handle self) {
    return plugsFound(s, self, s.findAnimatablePlugs);
}

py::object animatedPlugs(const State &s, py::handle self) {
    return plugsFound(s, self, s.findAnimatedPlugs);
}

// --- wrappers ----------------------------------------------------------------------

py::object selectedAttrs(const State &s, py::handle self) {
    return wrappersOf(s, getAttr(self, s.selectedPlugs));
}

py::object animatableAttrs(const State &s, py::handle self) {
    return wrappersOf(s, getAttr(self, s.animatablePlugs));
}

// --- the non-keyable attributes the Channel Box shows ------------------------------

// A node's function set, and its name as commands take it: a DAG node's full
// path, another node's own (unique) name. A DAG function set refuses a node
// that is not a DAG node, which answers the question without asking it.
std::pair<py::object, py::object> functionSetAndName(const State &s, py::handle object) {
    try {
        py::object fn = call(s.global(s.MFnDagNode), object);
        return {fn, callMethod(fn, s.fullPathName)};
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
    }
    py::object fn = call(s.global(s.MFnDependencyNode), object);
    return {fn, callMethod(fn, s.name)};
}

// The text after the last "." of a listed attribute: "iog.og.gcl" is "gcl".
py::object leafName(const State &s, py::handle listed) {
    return steal(PySequence_GetItem(callMethod(listed, s.rsplit, s.dot).ptr(), -1));
}

bool isRotateOrder(const State &s, py::handle listed) {
    return equal(leafName(s, listed), text("ro"));
}

// The rotate order's plug ("ro"; the node has one) when the Channel Box shows
// it although it is neither keyable nor flagged for the Channel Box: while it
// is free to change and the suite does not hide it. None otherwise.
py::object freeRotateOrder(const State &s, py::handle fn) {
    py::object plug = callMethod(fn, s.findPlug, text("ro"));
    if (truthy(callMethod(plug, s.isKeyable))) return none();
    if (!equal(callMethod(plug, s.isFreeToChange), getAttr(s.global(s.MPlug), s.kFreeToChange)))
        return none();
    py::object options = getAttr(getAttr(s.global(s.CORE), s.optionSet), s.activeOptions);
    const int hidden = PySequence_Contains(options.ptr(), text("nonExposedRotationOrder").ptr());
    if (hidden < 0) throwPythonError();
    return hidden ? none() : plug;
}

// Runs `read`, reporting a RuntimeError as an attribute that could not be read.
template <class Read>
void readingAttribute(const State &s, Read &&read) {
    try {
        read();
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Could not read attr - %s",
                                  steal(PyObject_Str(e.value().ptr()))));
        });
    }
}

// Appends to `result` the attributes of one node that the Channel Box shows
// though they are not keyable, in attribute index order: those flagged for
// the Channel Box that are neither arrays nor locked, and the rotate order
// while it is free to change. Maya lists them in a command or two, so the
// node's attributes are not walked one index at a time (a transform has
// hundreds). A node met again under another of its names (`walked` holds
// the names met) adds nothing, as the animatable plugs list it once.
void addShownNonKeyable(const State &s, py::handle object, py::handle result,
                        py::handle walked) {
    auto [fn, nodeName] = functionSetAndName(s, object);
    const int seen = PySet_Contains(walked.ptr(), nodeName.ptr());
    if (seen < 0) throwPythonError();
    if (seen) return;
    if (PySet_Add(walked.ptr(), nodeName.ptr()) < 0) throwPythonError();
    py::object cmds = s.global(s.cmds);
    py::object listed = callMethodKw(cmds, s.listAttr, s.kwChannelBoxUnlockedShortNames,
                                     nodeName, Py_True, Py_True, Py_True);
    // (listed name, plug), in attribute index order
    std::vector<std::pair<py::object, py::object>> shown;
    bool rotateOrderListed = false;
    if (!listed.is_none()) {
        for (py::handle name : listed) {
            readingAttribute(s, [&] {
                py::object plug = callMethod(fn, s.findPlug, leafName(s, name));
                if (truthy(callMethod(plug, s.isArray))) return;
                rotateOrderListed = rotateOrderListed || isRotateOrder(s, name);
                shown.emplace_back(py::reinterpret_borrow<py::object>(name), plug);
            });
        }
    }
    if (!rotateOrderListed) {
        readingAttribute(s, [&] {
            // Every attribute, in index order: whether the node has a rotate
            // order, and where it stands among those shown.
            py::object all = callMethodKw(cmds, s.listAttr, s.kwShortNames, nodeName, Py_True);
            if (all.is_none()) return;
            py::object positions = steal(PyDict_New());
            py::object roPosition;
            Py_ssize_t position = 0;
            for (py::handle name : all) {
                py::object index = steal(PyLong_FromSsize_t(position++));
                if (PyDict_SetItem(positions.ptr(), name.ptr(), index.ptr()) < 0)
                    throwPythonError();
                if (!roPosition && isRotateOrder(s, name)) roPosition = index;
            }
            if (!roPosition) return;
            py::object plug = freeRotateOrder(s, fn);
            if (plug.is_none()) return;
            auto at = std::find_if(shown.begin(), shown.end(), [&](const auto &entry) {
                PyObject *index = PyDict_GetItemWithError(positions.ptr(), entry.first.ptr());
                if (!index && PyErr_Occurred()) throwPythonError();
                return index && PyObject_RichCompareBool(index, roPosition.ptr(), Py_GT) == 1;
            });
            shown.emplace(at, text("ro"), plug);
        });
    }
    for (auto &entry : shown) append(result, newAnimAttr(s, entry.second));
}

py::object channelBoxAttrs(const State &s, py::handle self) {
    py::object result = steal(PySequence_List(getAttr(self, s.animatableAttrs).ptr()));
    py::object reader = call(s.global(s.SelectionReader), getAttr(self, s.nodes));
    py::object walked = steal(PySet_New(nullptr));
    for (py::handle object : getAttr(reader, s.nodeObjects))
        addShownNonKeyable(s, object, result, walked);
    return result;
}

// Highlighted channels that are all locked or hidden are the animator
// excluding the rest: only a Channel Box with nothing highlighted means
// every channel.
py::object activeAttrs(const State &s, py::handle self) {
    py::object selected = getAttr(self, s.selectedAttrs);
    if (truthy(selected)) return selected;
    if (truthy(getAttr(self, s.selectedChannelPaths))) return newList();
    return getAttr(self, s.channelBoxAttrs);
}

py::object animatedAttrs(const State &s, py::handle self) {
    py::object result = newList();
    py::object fn = s.global(s.MFn);
    py::object matrix = getAttr(fn, s.kMatrixAttribute);
    py::object message = getAttr(fn, s.kMessageAttribute);
    forEachPlug(s, getAttr(self, s.animatedPlugs), [&](py::handle plug) {
        py::object attr = newAnimAttr(s, plug);
        py::object apiType = getAttr(attr, s.apiType);
        if (!equal(apiType, matrix) && !equal(apiType, message)) append(result, attr);
    });
    return result;
}

// The active attributes whose plug is not animated, compared by plug name
// through a set: the Channel Box of a large selection holds thousands of plugs.
py::object nonAnimatedAttrs(const State &s, py::handle self) {
    py::object animated = steal(PySet_New(nullptr));
    forEachPlug(s, getAttr(self, s.animatedPlugs), [&](py::handle plug) {
        if (PySet_Add(animated.ptr(), callMethod(plug, s.name).ptr()) < 0) throwPythonError();
    });
    py::object result = newList();
    for (py::handle attr : getAttr(self, s.activeAttrs)) {
        const int found =
            PySet_Contains(animated.ptr(), callMethod(getAttr(attr, s.plug), s.name).ptr());
        if (found < 0) throwPythonError();
        if (!found) append(result, attr);
    }
    return result;
}

py::object selectedPlugNames(const State &s, py::handle self) {
    return namesOf(getAttr(self, s.selectedAttrs), s.plugName);
}
py::object animatablePlugNames(const State &s, py::handle self) {
    return namesOf(getAttr(self, s.animatableAttrs), s.plugName);
}
py::object animatableShortPlugNames(const State &s, py::handle self) {
    return namesOf(getAttr(self, s.animatableAttrs), s.shortPlugName);
}
py::object nonAnimatedPlugNames(const State &s, py::handle self) {
    return namesOf(getAttr(self, s.nonAnimatedAttrs), s.plugName);
}

}  // namespace

void defineChannelBox(const State &s) {
    const char *doc =
        "The attributes an animator means: the Channel Box selection, and the\n"
        "animatable and animated plugs of a set of nodes (`nodes`: given, or the\n"
        "selection). Properties are read once and kept.\n"
        "\n"
        "The plug arrays belong to the object that read them; their elements, and\n"
        "the wrappers built from them, are plugs of their own, valid after the\n"
        "arrays are gone. keepAlive is kept for callers that read it and stays\n"
        "empty.";
    defineClass(s, "ChannelBox", "KeyQueries", doc, [](ClassBuilder &cls) {
        cls.instanceAttributes({"nodes"});
        // Once the store of every array handed out; nothing needs it now.
        cls.constant("keepAlive", steal(PyList_New(0)));
        cls.init<init>("Work on `nodes` (a name or names; bytes read as Latin-1), or on\n"
                       "the selected dependency nodes when none are given.",
                       {"self", "nodes"}, {Py_None});
        cls.method<addShapes>("addShapes",
            "Add the first shape below each transform to nodes; nodes that are not\n"
            "DAG nodes stay and add nothing.",
            {"self"});
        cls.method<addCameraShapes>("addCameraShapes",
            "Add the first shape below each transform to nodes, when it is a camera.", {"self"});
        cls.property<selectedChannelPaths>("selectedChannelPaths",
            "\"node.attribute\" of every attribute selected in the Channel Box's four\n"
            "sections, in section order; empty when Maya runs without its interface.");
        cls.property<selectedPlugs>("selectedPlugs",
            "MPlugArray of the selected channels that are keyable or shown, not\n"
            "arrays and not locked.");
        cls.property<animatablePlugs>("animatablePlugs", "MPlugArray of the nodes' animatable plugs.");
        cls.property<animatedPlugs>("animatedPlugs", "MPlugArray of the nodes' animated plugs.");
        cls.property<selectedAttrs>("selectedAttrs", "AnimAttrs of selectedPlugs.");
        cls.property<animatableAttrs>("animatableAttrs", "AnimAttrs of animatablePlugs.");
        cls.property<channelBoxAttrs>("channelBoxAttrs",
            "animatableAttrs, then the non-keyable attributes the Channel Box shows.");
        cls.property<activeAttrs>("activeAttrs",
            "selectedAttrs; channelBoxAttrs only when no channel is highlighted\n"
            "(highlighted channels that cannot be used give an empty list).");
        cls.property<animatedAttrs>("animatedAttrs",
            "AnimAttrs of animatedPlugs, matrix and message attributes left out.");
        cls.property<nonAnimatedAttrs>("nonAnimatedAttrs",
            "The activeAttrs whose plug is not animated.");
        cls.property<selectedPlugNames>("selectedPlugNames", "plugName of each selectedAttrs entry.");
        cls.property<animatablePlugNames>("animatablePlugNames",
            "plugName of each animatableAttrs entry.");
        cls.property<animatableShortPlugNames>("animatableShortPlugNames",
            "shortPlugName of each animatableAttrs entry.");
        cls.property<nonAnimatedPlugNames>("nonAnimatedPlugNames",
            "plugName of each nonAnimatedAttrs entry.");
    });
}

}  // namespace rigkit
