// AnimLayer: one animation layer node, known by name. Each member is one or a
// few animLayer commands on that name, or an attribute of the layer node.
#include <optional>

#include "module/names.h"
#include "module/classes.h"
#include "module/methods.h"
#include "scene/node.h"

namespace rigkit {
namespace {

py::object cmdsModule(const State &s) { return s.global(s.cmds); }

py::object newLayer(const State &s, py::handle name) { return call(s.global(s.AnimLayer), name); }

// The command's list, or a new empty one for an empty or None answer.
py::object listOrEmpty(py::handle answer) {
    if (answer.is_none()) return steal(PyList_New(0));
    return steal(PySequence_List(answer.ptr()));
}

// cmds.animLayer(name, query=True, <flag>=True), as Maya answers it.
template <PyObject *State::*Keywords>
py::object layerQuery(const State &s, py::handle self) {
    return callMethodKw(cmdsModule(s), s.animLayer, s.*Keywords, getAttr(self, s.name), Py_True,
                        Py_True);
}

// cmds.animLayer(name, edit=True, <flag>=value)
void layerEdit(const State &s, py::handle self, PyObject *keywords, py::handle value) {
    callMethodKw(cmdsModule(s), s.animLayer, keywords, getAttr(self, s.name), Py_True, value);
}

template <PyObject *State::*Keywords>
py::object setFlag(const State &s, py::handle self, py::handle state) {
    layerEdit(s, self, s.*Keywords, state);
    return none();
}

// --- construction and identity ------------------------------------------------

py::object init(const State &s, py::handle self, py::handle name) {
    setAttr(self, s.name, latin1Name(s, name));
    return none();
}

py::object create(const State &s, py::handle name) {
    return newLayer(s, callMethod(cmdsModule(s), s.animLayer, latin1Name(s, name)));
}

py::object bestLayer(const State &s) {
    py::object best = callKw(getAttr(cmdsModule(s), s.animLayer), s.kwQueryBestAnimLayer,
                             Py_True, Py_True);
    if (best.is_none()) return none();
    return newLayer(s, steal(PySequence_GetItem(best.ptr(), 0)));
}

py::object node(const State &s, py::handle self) { return newNode(s, getAttr(self, s.name)); }

py::object exists(const State &s, py::handle self) {
    return callMethod(getAttr(self, s.node), s.exists);
}

py::object isBaseLayer(const State &s, py::handle self) {
    return boolObject(
        equal(getAttr(self, s.name), getAttr(s.global(s.LayerQueries), s.BASE_LAYER)));
}

// --- contents ------------------------------------------------------------------

py::object animCurveNames(const State &s, py::handle self) {
    return listOrEmpty(layerQuery<&State::kwQueryAnimCurves>(s, self));
}

py::object attributePaths(const State &s, py::handle self) {
    return listOrEmpty(layerQuery<&State::kwQueryAttribute>(s, self));
}

// Each path's long form, in the command's order. The answer is a new list
// filled by appending: `ls` is Python and may reach anything it can see.
py::object attributes(const State &s, py::handle self) {
    py::object result = newList();
    py::object cmds = cmdsModule(s);
    for (py::handle path : attributePaths(s, self)) {
        py::object longNames = callMethodKw(cmds, s.ls, s.kwLong, path, Py_True);
        append(result, steal(PySequence_GetItem(longNames.ptr(), 0)));
    }
    return result;
}

// A Node built from an attribute path stands for the attribute's node.
py::object nodes(const State &s, py::handle self) {
    py::object unique = steal(PySet_New(nullptr));
    for (py::handle path : attributePaths(s, self))
        if (PySet_Add(unique.ptr(), callMethod(newNode(s, path), s.fullName).ptr()) < 0)
            throwPythonError();
    return steal(PySequence_List(unique.ptr()));
}

// The base layer is empty without child layers, another layer without DAG members.
py::object isEmpty(const State &s, py::handle self) {
    if (!truthy(callMethod(self, s.exists))) return boolObject(true);
    const char *plug = truthy(getAttr(self, s.isBaseLayer)) ? "%s.childrenLayers"
                                                             : "%s.dagSetMembers";
    py::object connected =
        callMethod(cmdsModule(s), s.listConnections, format(plug, getAttr(self, s.name)));
    return boolObject(!truthy(connected));
}

// --- membership ------------------------------------------------------------------

py::object addAttribute(const State &s, py::handle self, py::handle plugName) {
    layerEdit(s, self, s.kwEditAttribute, latin1Name(s, plugName));
    return none();
}

py::object removeAttribute(const State &s, py::handle self, py::handle plugName) {
    layerEdit(s, self, s.kwEditRemoveAttribute, latin1Name(s, plugName));
    return none();
}

// Runs `each(attr)` for every animatable attribute of ChannelBox(nodeName).
template <class Each>
void forAnimatableAttrs(const State &s, py::handle nodeName, Each &&each) {
    py::object channelBox = call(s.global(s.ChannelBox), nodeName);
    py::object attrs = steal(PyObject_GetIter(getAttr(channelBox, s.animatableAttrs).ptr()));
    while (PyObject *raw = PyIter_Next(attrs.ptr())) {
        py::object attr = py::reinterpret_steal<py::object>(raw);
        each(getAttr(attr, s.plugName));
    }
    if (PyErr_Occurred()) throwPythonError();
}

py::object addAnimatableAttributes(const State &s, py::handle self, py::handle nodeName) {
    forAnimatableAttrs(s, nodeName, [&](py::handle plugName) {
        layerEdit(s, self, s.kwEditAttribute, plugName);
    });
    return none();
}

py::object removeAnimatableAttributes(const State &s, py::handle self, py::handle nodeName) {
    forAnimatableAttrs(s, nodeName, [&](py::handle plugName) {
        callMethod(self, s.removeAttribute, plugName);
    });
    return none();
}

// --- flags -----------------------------------------------------------------------

py::object rotationAccumulationMode(const State &s, py::handle self) {
    return callMethod(getAttr(self, s.node), s.getAttr, text("rotationAccumulationMode"));
}

py::object scaleAccumulationMode(const State &s, py::handle self) {
    return callMethod(getAttr(self, s.node), s.getAttr, text("scaleAccumulationMode"));
}

py::object setActive(const State &s, py::handle self) {
    layerEdit(s, self, s.kwEditPreferred, Py_True);
    return none();
}

// --- settings --------------------------------------------------------------------

// The eight settings an animator sees, keyed by the class's k-constants, with
// the layer node's attribute that holds each (the animLayer flags are those
// attributes) and the animLayer edit flag that sets it, where there is one.
struct Setting {
    PyObject *State::*key;
    PyObject *State::*property;
    const char *attribute;
    PyObject *State::*edit;
};
constexpr Setting kSettings[] = {
    {&State::kMute, &State::isMuted, "mute", &State::kwEditMute},
    {&State::kLock, &State::isLocked, "lock", &State::kwEditLock},
    {&State::kSolo, &State::isSolo, "solo", &State::kwEditSolo},
    {&State::kOverride, &State::isOverride, "override", &State::kwEditOverride},
    {&State::kPassthrough, &State::isPassthrough, "passthrough", &State::kwEditPassthrough},
    {&State::kPreferred, &State::isPreferred, "preferred", &State::kwEditPreferred},
    {&State::kRotationAccumulationMode, &State::rotationAccumulationMode,
     "rotationAccumulationMode", nullptr},
    {&State::kScaleAccumulationMode, &State::scaleAccumulationMode, "scaleAccumulationMode",
     nullptr},
};
constexpr size_t kSettingCount = sizeof(kSettings) / sizeof(kSettings[0]);

py::object settings(const State &s, py::handle self) {
    py::object result = steal(PyDict_New());
    for (const Setting &setting : kSettings)
        if (PyDict_SetItem(result.ptr(), getAttr(self, s.*setting.key).ptr(),
                           getAttr(self, s.*setting.property).ptr()) < 0)
            throwPythonError();
    return result;
}

// Every entry is read before anything is written, so a dictionary without one
// of the eight keys changes nothing. Without a modifier the flags are set by
// animLayer edits, at once; with one, every setting is queued on it as a write
// of the layer node's attribute, so that undoing the modifier undoes the call.
py::object applySettings(const State &s, py::handle self, py::handle settings, py::handle,
                         py::handle modifier) {
    if (settings.is_none()) return none();
    py::object values[kSettingCount];
    for (size_t i = 0; i < kSettingCount; ++i)
        values[i] = steal(
            PyObject_GetItem(settings.ptr(), getAttr(self, s.*kSettings[i].key).ptr()));
    // A name that is no layer raises here as the animLayer edits raise
    // without a modifier, rather than failing one attribute write at a time.
    if (!modifier.is_none()) layerQuery<&State::kwQueryMute>(s, self);
    py::object node = getAttr(self, s.node);
    for (size_t i = 0; i < kSettingCount; ++i) {
        const Setting &setting = kSettings[i];
        if (modifier.is_none() && setting.edit)
            layerEdit(s, self, s.*setting.edit, values[i]);
        else
            callMethodKw(node, s.setAttr, s.kwModifier, text(setting.attribute), values[i],
                         modifier);
    }
    return none();
}

// --- the activation scope ----------------------------------------------------------

// Each layer's preferred flag as (name, preferred) pairs.
py::object preferredFlags(const State &s) {
    py::object cmds = cmdsModule(s);
    py::object flags = newList();
    py::object layers = listOrEmpty(callMethodKw(cmds, s.ls, s.kwType, text("animLayer")));
    for (py::handle name : layers) {
        py::object preferred =
            boolObject(truthy(callMethodKw(cmds, s.animLayer, s.kwQueryPreferred, name,
                                           Py_True, Py_True)));
        append(flags, steal(PyTuple_Pack(2, name.ptr(), preferred.ptr())));
    }
    return flags;
}

// Whether a layer other than `layerName` is preferred among `flags`.
bool anotherPreferred(py::handle flags, py::handle layerName) {
    for (py::handle entry : flags) {
        auto [name, preferred] = unpackPair(entry);
        if (truthy(preferred) && !equal(name, layerName)) return true;
    }
    return false;
}

// Maya keys into the top-most preferred layer, so a preferred layer is the
// best one only while no other layer is preferred too.
py::object scopeInit(const State &s, py::handle self, py::handle animLayer) {
    setAttr(self, s.animLayer, animLayer);
    bool needsSwitch = !animLayer.is_none();
    if (needsSwitch && truthy(getAttr(animLayer, s.isPreferred)))
        needsSwitch = anotherPreferred(preferredFlags(s), getAttr(animLayer, s.name));
    setAttr(self, s.needsSwitch, boolObject(needsSwitch));
    setAttr(self, s.previousLayer, Py_None);
    setAttr(self, s.preferredOnEntry, newList());
    setAttr(self, s.isActive, Py_False);
    return none();
}

py::object scopeExit(const State &s, py::handle self, py::handle, py::handle, py::handle);

// Making one layer preferred can change the best layer of attributes far
// from it, so the scope remembers every layer's flag, not only the layer that
// was best. The other layers stop being preferred for the block: a higher
// preferred layer would otherwise still take the keys meant for this one.
// A second entry before the exit would overwrite the flags saved on entry
// with the block's own, and the outer exit would then keep the other layers
// off: it is refused before anything changes.
py::object scopeEnter(const State &s, py::handle self) {
    if (truthy(getAttr(self, s.isActive))) {
        PyErr_SetString(PyExc_RuntimeError,
                        "ActivationScope is already active: leave it before entering it again");
        throwPythonError();
    }
    setAttr(self, s.isActive, Py_True);
    if (!truthy(getAttr(self, s.needsSwitch))) return none();
    setAttr(self, s.previousLayer, callMethod(s.global(s.AnimLayer), s.bestLayer));
    py::object flags = preferredFlags(s);
    setAttr(self, s.preferredOnEntry, flags);
    py::object animLayer = getAttr(self, s.animLayer);
    py::object layerName = getAttr(animLayer, s.name);
    py::object cmds = cmdsModule(s);
    try {
        for (py::handle entry : flags) {
            auto [name, preferred] = unpackPair(entry);
            if (truthy(preferred) && !equal(name, layerName))
                callMethodKw(cmds, s.animLayer, s.kwEditPreferred, name, Py_True, Py_False);
        }
        callMethod(animLayer, s.setActive);
    } catch (py::error_already_set &e) {
        // A failed entry runs no exit: put the flags back here, then fail.
        whileHandling(e, [&] { scopeExit(s, self, Py_None, Py_None, Py_None); });
        throw;
    }
    return none();
}

// Puts back the preferred flag of every layer that was there on entry and
// still is, so each attribute's best layer is what it was, also when no
// layer was best on entry. A flag that cannot be put back does not keep the
// layers after it from theirs: every layer is tried, then the first failure
// is raised. Never suppresses the block's exception.
py::object scopeExit(const State &s, py::handle self, py::handle, py::handle, py::handle) {
    setAttr(self, s.isActive, Py_False);
    if (!truthy(getAttr(self, s.needsSwitch))) return none();
    py::object cmds = cmdsModule(s);
    py::object entries =
        steal(PySequence_List(getAttr(self, s.preferredOnEntry).ptr()));
    std::optional<py::error_already_set> firstFailure;
    for (py::handle entry : entries) {
        try {
            auto [name, preferred] = unpackPair(entry);
            py::object now;
            try {
                now = callMethodKw(cmds, s.animLayer, s.kwQueryPreferred, name, Py_True,
                                   Py_True);
            } catch (py::error_already_set &e) {
                // A layer deleted (or renamed) inside the block has no flag to restore.
                if (!e.matches(PyExc_RuntimeError) && !e.matches(PyExc_ValueError)) throw;
                continue;
            }
            if (truthy(now) != truthy(preferred))
                callMethodKw(cmds, s.animLayer, s.kwEditPreferred, name, Py_True, preferred);
        } catch (py::error_already_set &e) {
            if (!firstFailure) firstFailure.emplace(std::move(e));
        }
    }
    if (firstFailure) throw *firstFailure;
    return none();
}

py::object activationScope(const State &s, py::handle outer) {
    py::object bases = steal(PyTuple_Pack(1, reinterpret_cast<PyObject *>(&PyBaseObject_Type)));
    ClassBuilder scope(s, "ActivationScope", bases,
                       "Makes a layer the only preferred one for a `with` block, so keys go\n"
                       "to it, then puts every layer's preferred flag back as it was on entry\n"
                       "(also when the block raises), so each attribute's best layer is what\n"
                       "it was. None, or a layer already the only preferred one, changes\n"
                       "nothing.\n"
                       "\n"
                       "previousLayer is the layer that was best on entry (or None);\n"
                       "preferredOnEntry lists (layer name, preferred) as found on entry;\n"
                       "isActive is true between entry and exit, when a second entry is\n"
                       "refused with RuntimeError.",
                       outer);
    scope.instanceAttributes(
        {"animLayer", "needsSwitch", "previousLayer", "preferredOnEntry", "isActive"});
    scope.init<scopeInit>("Remember `animLayer` (an AnimLayer or None) and whether it needs\n"
                          "switching to.",
                          {"self", "animLayer"});
    scope.method<scopeEnter>("__enter__",
                             "Remember the best layer and every layer's preferred flag, then\n"
                             "make animLayer the only preferred layer; RuntimeError when the\n"
                             "scope is already active.",
                             {"self"});
    scope.method<scopeExit>("__exit__",
                            "Put the remembered preferred flags back, every layer tried before\n"
                            "the first failure is raised; never suppresses.",
                            {"self", "excType", "excValue", "traceback"},
                            {Py_None, Py_None, Py_None});
    return scope.build();
}

}  // namespace

void defineAnimLayer(const State &s) {
    const char *doc =
        "One animation layer, known by its name.\n"
        "\n"
        "The k* constants are the keys of the settings dictionary; properties\n"
        "are read once and kept, so build a new AnimLayer to look again.";
    defineClass(s, "AnimLayer", "CoreObject", doc, [&](ClassBuilder &cls) {
        cls.instanceAttributes({"name"});
        cls.constant("kMute", text("m"));
        cls.constant("kLock", text("l"));
        cls.constant("kSolo", text("s"));
        cls.constant("kOverride", text("o"));
        cls.constant("kPassthrough", text("pt"));
        cls.constant("kPreferred", text("pf"));
        cls.constant("kRotationAccumulationMode", text("ra"));
        cls.constant("kScaleAccumulationMode", text("sa"));
        cls.constant("kWeight", text("wgth"));
        cls.constant("ActivationScope", activationScope(s, cls.qualname()));

        cls.init<init>("Wrap the layer named `name`; the scene is not touched.",
                       {"self", "name"});
        cls.staticMethod<create>("create", "Create a layer and wrap the name Maya gave it.",
                                 {"name"});
        cls.staticMethod<bestLayer>("bestLayer",
            "The layer Maya keys into for the selection, or None.", {});
        cls.property<node>("node", "The Node of the layer.");
        cls.method<exists>("exists", "Whether the layer node is in the scene.", {"self"});
        cls.property<isBaseLayer>("isBaseLayer", "Whether this is the root layer.");
        cls.property<animCurveNames>("animCurveNames", "Names of the layer's anim curves.");
        cls.property<attributes>("attributes", "Long paths of the layer's attributes.");
        cls.property<nodes>("nodes",
            "Full names of the nodes with attributes in the layer, each once.");
        cls.method<isEmpty>("isEmpty",
            "True for a missing layer, a base layer without child layers, or a layer\n"
            "without members.",
            {"self"});
        cls.method<addAttribute>("addAttribute", "Add the attribute at `plugName` to the layer.",
                                 {"self", "plugName"});
        cls.method<removeAttribute>("removeAttribute",
            "Remove the attribute at `plugName` from the layer.", {"self", "plugName"});
        cls.method<addAnimatableAttributes>("addAnimatableAttributes",
            "Add every animatable attribute of the node (the selection when empty).",
            {"self", "nodeName"});
        cls.method<removeAnimatableAttributes>("removeAnimatableAttributes",
            "Remove every animatable attribute of the node (the selection when empty).",
            {"self", "nodeName"});
        cls.property<layerQuery<&State::kwQueryMute>>("isMuted", "Whether the layer is muted.");
        cls.property<layerQuery<&State::kwQueryLock>>("isLocked", "Whether the layer is locked.");
        cls.property<layerQuery<&State::kwQuerySolo>>("isSolo", "Whether the layer is soloed.");
        cls.property<layerQuery<&State::kwQueryOverride>>("isOverride",
            "Whether the layer overrides the layers below.");
        cls.property<layerQuery<&State::kwQueryPassthrough>>("isPassthrough",
            "Whether the layer passes through.");
        cls.property<layerQuery<&State::kwQueryPreferred>>("isPreferred",
            "Whether the layer is the preferred (active) one.");
        cls.property<rotationAccumulationMode>("rotationAccumulationMode",
            "The layer node's rotationAccumulationMode.");
        cls.property<scaleAccumulationMode>("scaleAccumulationMode",
            "The layer node's scaleAccumulationMode.");
        cls.method<setFlag<&State::kwEditMute>>("setMute", "Mute or unmute the layer.",
                                                {"self", "state"});
        cls.method<setFlag<&State::kwEditLock>>("setLock", "Lock or unlock the layer.",
                                                {"self", "state"});
        cls.method<setFlag<&State::kwEditSolo>>("setSolo", "Solo the layer or not.",
                                                {"self", "state"});
        cls.method<setActive>("setActive", "Make the layer the preferred one.", {"self"});
        cls.property<settings>("settings",
            "The eight settings (mute, lock, solo, override, passthrough, preferred,\n"
            "rotation and scale accumulation) keyed by the k-constants.");
        cls.method<applySettings>("applySettings",
            "Apply a settings dictionary (None: nothing). With a `modifier`, every\n"
            "setting is queued on it as a write of the layer node's attribute, so\n"
            "undoing the modifier undoes them all.",
            {"self", "settings", "actionId", "modifier"}, {Py_None, Py_None});
    });
}

}  // namespace rigkit
