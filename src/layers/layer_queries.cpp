// LayerQueries: the scene's animation layers as a whole.
#include "module/names.h"
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {
namespace {

py::object baseLayerName(const State &s) {
    return getAttr(s.global(s.LayerQueries), s.BASE_LAYER);
}

py::object newLayer(const State &s, py::handle name) { return call(s.global(s.AnimLayer), name); }

// The base layer's children in connection order, then the base layer; none
// in a scene without layers (the base layer's plug does not exist).
py::object layerNames(const State &s, py::handle) {
    py::object result = steal(PyList_New(0));
    py::object names;
    try {
        py::object base = baseLayerName(s);
        py::object children = callMethod(s.global(s.cmds), s.listConnections,
                                         format("%s.childrenLayers", base));
        names = truthy(children) ? steal(PySequence_List(children.ptr())) : steal(PyList_New(0));
        append(names, base);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_ValueError)) throw;
        return result;
    }
    for (py::handle name : names)
        if (truthy(name)) append(result, name);
    return result;
}

py::object allLayers(const State &s, py::handle self) {
    py::object result = steal(PyList_New(0));
    for (py::handle name : getAttr(self, s.layerNames)) {
        py::object layer = newLayer(s, name);
        if (truthy(callMethod(layer, s.exists))) append(result, layer);
    }
    return result;
}

// No layer selected in the layer editor reads as the base layer alone.
py::object selectedLayers(const State &s, py::handle self) {
    py::object result = steal(PyList_New(0));
    py::object cmds = s.global(s.cmds);
    for (py::handle name : getAttr(self, s.layerNames))
        if (truthy(callMethodKw(cmds, s.animLayer, s.kwQuerySelected, name, Py_True, Py_True)))
            append(result, newLayer(s, name));
    if (PyList_GET_SIZE(result.ptr()) == 0) append(result, newLayer(s, baseLayerName(s)));
    return result;
}

// The last layer in layerNames order that Maya lists among the best layers;
// the base layer when it lists none, or answers no list at all.
py::object lastBestLayer(const State &s, py::handle self) {
    py::object result = newLayer(s, baseLayerName(s));
    py::object animLayer = getAttr(s.global(s.cmds), s.animLayer);
    for (py::handle name : getAttr(self, s.layerNames)) {
        py::object best = callKw(animLayer, s.kwQueryBestAnimLayer, Py_True, Py_True);
        if (best.is_none()) continue;
        const int found = PySequence_Contains(best.ptr(), name.ptr());
        if (found < 0) throwPythonError();
        if (found) result = newLayer(s, name);
    }
    return result;
}

py::object emptyLayerNames(const State &s, py::handle self) {
    py::object result = steal(PyList_New(0));
    for (py::handle layer : getAttr(self, s.allLayers))
        if (truthy(callMethod(layer, s.isEmpty)) && !truthy(getAttr(layer, s.isBaseLayer)))
            append(result, getAttr(layer, s.name));
    return result;
}

// No nodes given means no layers: the command itself would answer for the
// selection instead.
py::object affectedLayerNames(const State &s, py::handle nodes) {
    py::object result = steal(PyList_New(0));
    if (!truthy(nodes)) return result;
    py::object affected = callMethodKw(s.global(s.cmds), s.animLayer, s.kwQueryAffectedLayers,
                                       latin1Names(s, nodes), Py_True, Py_True);
    if (affected.is_none()) return result;
    py::object base = baseLayerName(s);
    for (py::handle name : affected)
        if (!equal(name, base)) append(result, name);
    return result;
}

}  // namespace

void defineLayerQueries(const State &s) {
    const char *doc =
        "Questions about the scene's animation layers as a whole; properties are\n"
        "read once per instance.\n"
        "\n"
        "BASE_LAYER is the name of Maya's root layer.";
    defineClass(s, "LayerQueries", "CoreObject", doc, [](ClassBuilder &cls) {
        cls.constant("BASE_LAYER", text("BaseAnimation"));
        cls.property<layerNames>("layerNames",
            "The base layer's child layers in connection order, then the base layer;\n"
            "[] without layers.");
        cls.property<allLayers>("allLayers", "AnimLayers of layerNames that exist.");
        cls.property<selectedLayers>("selectedLayers",
            "AnimLayers selected in the layer editor, or the base layer alone.");
        cls.property<lastBestLayer>("lastBestLayer",
            "The last layer Maya lists as best for the selection (base layer default).");
        cls.method<emptyLayerNames>("emptyLayerNames",
            "Names of the empty layers, the base layer never among them.", {"self"});
        cls.staticMethod<affectedLayerNames>("affectedLayerNames",
            "Names of the layers affecting `nodes` (a name or names), base layer left out;\n"
            "[] when no node is given.",
            {"nodes"});
    });
}

}  // namespace rigkit
