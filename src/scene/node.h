// Node: the wrapper of one scene node, known by name. Its members are split by
// concern over node.cpp (identity, names, hierarchy), node_attributes.cpp
// (attributes, locks, renaming, parenting) and node_transforms.cpp (matrices).
#pragma once

#include "module/methods.h"

namespace rigkit {

// Node(name), through the class as the namespace holds it now.
inline py::object newNode(const State &s, py::handle name) { return call(s.global(s.Node), name); }

// mobject.hasFn(MFn.<type>)
inline bool hasFn(const State &s, py::handle mobject, PyObject *type) {
    return truthy(callMethod(mobject, s.hasFn, getAttr(s.global(s.MFn), type)));
}

// The members of node_attributes.cpp and node_transforms.cpp.
void addNodeAttributeMembers(ClassBuilder &node);
void addNodeTransformMembers(ClassBuilder &node);

}  // namespace rigkit
