// Node: the wrapper of one scene node, known by name. Its members are split by
// concern over node.cpp (identity, names, hierarchy), node_attributes.cpp
// (attributes, locks, renaming, parenting) and node_transforms.cpp (matrices).
#pragma once

#include "module/methods.h"

#include <utility>

namespace rigkit {

// Node(name), through the class as the namespace holds it now.
inline py::object newNode(const State &s, py::handle name) { return call(s.global(s.Node), name); }

// mobject.hasFn(MFn.<type>)
inline bool hasFn(const State &s, py::handle mobject, PyObject *type) {
    return truthy(callMethod(mobject, s.hasFn, getAttr(s.global(s.MFn), type)));
}

// Whether the items of `selection` (an MSelectionList a name was added to)
// are more than one node: the name is then a short name that several nodes
// carry, or a pattern. Several paths to one node are one node.
bool selectsSeveralNodes(const State &s, py::handle selection);

// Whether exactly one node answers to `name`, asked without any report: a
// name nothing matches, or several nodes share, is no.
bool namesOneNode(const State &s, py::handle name);

// The full DAG path the running action learned for `node` (a Node): its
// name, when that name was filed as the full path of the very object the
// Node holds; otherwise a null object. Asks Maya nothing.
py::object knownFullPath(const State &s, py::handle node);

// A full DAG path cut at its last "|": the parent's full path (empty for a
// node under the world) and the node's own name.
std::pair<py::object, py::object> cutLastComponent(py::handle path);

// The reason a lookup of `nodeName` fails when several nodes answer to it,
// in the words Maya's own commands use.
inline py::object severalNodesReason(py::handle nodeName) {
    return format("More than one object matches name: %s", nodeName);
}

// Reports, as a node lookup does, that several nodes answer to `nodeName`.
inline void reportSeveralNodes(const State &s, py::handle nodeName) {
    reportError(s, format("Zentrik - Error handling object %s - %s", nodeName,
                          severalNodesReason(nodeName)));
}

// The members of node_attributes.cpp and node_transforms.cpp.
void addNodeAttributeMembers(ClassBuilder &node);
void addNodeTransformMembers(ClassBuilder &node);

}  // namespace rigkit
