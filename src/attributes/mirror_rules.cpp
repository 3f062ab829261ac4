// MirrorRules: the base of AnimAttr; names, channel families and mirroring.
#include "module/classes.h"
#include "module/methods.h"
#include "scene/node.h"

namespace rigkit {
namespace {

py::object plugName(const State &s, py::handle self) {
    py::object nodeName = getAttr(self, s.nodeName);
    if (nodeName.is_none()) return none();
    py::object attrName = getAttr(self, s.attrName);
    if (attrName.is_none()) return none();
    return format("%s.%s", nodeName, attrName);
}

py::object node(const State &s, py::handle self) {
    py::object nodeName = getAttr(self, s.nodeName);
    if (nodeName.is_none()) return none();
    return newNode(s, nodeName);
}

py::object targetController(const State &s, py::handle self) {
    py::object controller = getAttr(self, s._targetController);
    if (truthy(controller)) return controller;
    return call(getAttr(self, s.controllerClass));
}

py::object setTargetController(const State &s, py::handle self, py::handle controller) {
    setAttr(self, s._targetController, controller);
    return none();
}

}  // namespace

void defineMirrorRules(const State &s) {
    const char *doc =
        "Name forms, channel families, sides and mirror lookups of an attribute.\n"
        "\n"
        "mirrorNodeCache maps node names to mirror nodes, shared by every wrapper.";
    defineClass(s, "MirrorRules", "CoreObject", doc, [](ClassBuilder &cls) {
        // Node name to mirror node, shared by every attribute wrapper.
        cls.constant("mirrorNodeCache", steal(PyDict_New()));
        cls.property<plugName>("plugName",
            "\"node.attribute\", or None without a node or attribute.");
        cls.property<node>("node", "The Node the attribute belongs to, or None.");
        cls.property<targetController>("targetController",
            "The controller that picks target curves: the one set, else a new\n"
            "controllerClass().");
        cls.method<setTargetController>("setTargetController",
            "Set the controller that picks target curves.",
            {"self", "targetController"});
    });
}

}  // namespace rigkit
