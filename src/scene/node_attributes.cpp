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
        reportError(s, format("Zentrik - Attribute does not exist %s %s %s",
                              getAttr(self, s.nodeName), attributeName, logicalIndex));
        return none();
    }
}

// Booleans only, until the attribute wrapper reads every kind.
py::object getAttrValue(const State &s, py::handle self, py::handle attributeName,
                        py::handle logicalIndex) {
    py::object plug = getPlug(s, self, attributeName, logicalIndex);
    return callMethod(plug, s.asBool);
}

}  // namespace

void addNodeAttributeMembers(ClassBuilder &node) {
    node.method<getPlug>("getPlug", {"self", "attributeName", "logicalIndex"}, {Py_None});
    node.method<getAttrValue>("getAttr", {"self", "attributeName", "logicalIndex"}, {Py_None});
}

}  // namespace rigkit
