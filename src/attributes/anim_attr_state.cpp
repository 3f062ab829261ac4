#include "attributes/anim_attr.h"
#include "scene/node.h"

namespace rigkit {
namespace {

py::object valueAtTime(const State &s, py::handle self, py::handle mTime,
                       py::handle applyTimewarp) {
    py::object time = py::reinterpret_borrow<py::object>(mTime);
    if (truthy(applyTimewarp)) time = callMethod(s.global(s.FrameTime), s.warpedTime, time);
    return callMethod(self, s.getValue, call(s.global(s.MDGContext), time));
}

py::object isFreeToChange(const State &s, py::handle self) {
    py::object state = callMethod(getAttr(self, s.plug), s.isFreeToChange);
    return boolObject(equal(state, getAttr(s.global(s.MPlug), s.kFreeToChange)));
}

// --- keys ----------------------------------------------------------------------

// cmds.keyframe(plugName, query=True, <flag>=True): None without keys.
py::object keyQuery(const State &s, py::handle self, PyObject *kwnames) {
    return callMethodKw(s.global(s.cmds), s.keyframe, kwnames, getAttr(self, s.plugName),
                        Py_True, Py_True);
}

py::object keyTimes(const State &s, py::handle self) {
    return keyQuery(s, self, s.kwQueryTimeChange);
}

py::object keyValues(const State &s, py::handle self) {
    return keyQuery(s, self, s.kwQueryValueChange);
}

// --- animation state ---------------------------------------------------------

// The plugs connected to `plug` as sources (incoming) or destinations.
py::object connections(const State &s, py::handle plug, bool incoming) {
    py::object array = call(s.global(s.MPlugArray));
    callMethod(plug, s.connectedTo, array, boolObject(incoming), boolObject(!incoming));
    return array;
}

// Runs `visit(item)` for each item of an API array (length() and [i]) until it
// answers true; true when one did.
template <class Visit>
bool anyOf(const State &s, py::handle array, Visit &&visit) {
    const Py_ssize_t count = asIndex(callMethod(array, s.length));
    for (Py_ssize_t i = 0; i < count; ++i) {
        py::object item = steal(PySequence_GetItem(array.ptr(), i));
        if (visit(item)) return true;
    }
    return false;
}

// Whether a curve that feeds an additive rotation or scale blend ends on
// another channel than `plug`: such a blend is shared by the three channels.
bool drivesAnotherChannel(const State &s, py::handle plug, py::handle fn, py::handle curve) {
    py::object output = callMethod(fn, s.findPlug, s.output);
    const bool feedsBlend = anyOf(s, connections(s, output, false), [&](py::handle destination) {
        py::object node = callMethod(destination, s.node);
        return hasFn(s, node, s.kBlendNodeAdditiveRotation) ||
               hasFn(s, node, s.kBlendNodeAdditiveScale);
    });
    if (!feedsBlend) return false;
    py::object driven = getAttr(curve, s.drivenPlug);
    return !driven.is_none() &&
           !equal(callMethod(driven, s.name), callMethod(plug, s.name));
}

py::object animCurves(const State &s, py::handle self) {
    py::object plug = getAttr(self, s.plug);
    py::object result = steal(PyList_New(0));
    // A constrained channel counts as having no curves.
    if (anyOf(s, connections(s, plug, true), [&](py::handle source) {
            return hasFn(s, callMethod(source, s.node), s.kConstraint);
        }))
        return result;

    py::object found = call(s.global(s.MObjectArray));
    callMethod(s.global(s.MAnimUtil), s.findAnimation, plug, found);
    const bool onLayerNode =
        apiTypeIs(s, callMethod(callMethod(plug, s.node), s.apiType), s.kAnimLayer);
    py::object fnClass = s.global(s.MFnDependencyNode);
    py::object curveClass = s.global(s.AnimCurve);
    anyOf(s, found, [&](py::handle curveObject) {
        py::object fn = call(fnClass, curveObject);
        py::object curve = call(curveClass, callMethod(fn, s.name));
        if (onLayerNode || !drivesAnotherChannel(s, plug, fn, curve))
            if (PyList_Append(result.ptr(), curve.ptr()) < 0) throwPythonError();
        return false;
    });
    return result;
}

py::object isAnimated(const State &s, py::handle self) {
    py::object animated = callMethod(s.global(s.MAnimUtil), s.isAnimated, getAttr(self, s.plug));
    return boolObject(truthy(animated) && truthy(getAttr(self, s.animCurves)));
}

// A blend node of an animation layer. Maya lists only a blend's own type
// among its function sets (not kBlendNodeBase), so each type is named.
bool isLayerBlend(const State &s, py::handle node) {
    for (PyObject *type :
         {s.kBlendNodeBase, s.kBlendNodeAdditiveRotation,
          s.kBlendNodeAdditiveScale, s.kBlendNodeBoolean, s.kBlendNodeDouble,
          s.kBlendNodeDoubleAngle, s.kBlendNodeDoubleLinear, s.kBlendNodeEnum, s.kBlendNodeFloat,
          s.kBlendNodeFloatAngle, s.kBlendNodeFloatLinear, s.kBlendNodeInt16, s.kBlendNodeInt32,
          s.kBlendNodeTime})
        if (hasFn(s, node, type)) return true;
    return false;
}

// Driven by something other than animation (an expression, a utility node),
// locked, or neither keyable nor shown in the Channel Box: not changeable.
// An animation layer's blend is animation even before the layer holds a key
// for the channel: Maya keys such a channel into the layer.
py::object isChangeable(const State &s, py::handle self) {
    py::object plug = getAttr(self, s.plug);
    if (truthy(callMethod(plug, s.isLocked))) return boolObject(false);
    if (!truthy(callMethod(plug, s.isKeyable)) && !truthy(callMethod(plug, s.isChannelBoxFlagSet)))
        return boolObject(false);
    auto drivenOtherwise = [&](py::handle p) {
        py::object sources = call(s.global(s.MPlugArray));
        if (!truthy(callMethod(p, s.connectedTo, sources, Py_True, Py_False))) return false;
        return !anyOf(s, sources, [&](py::handle source) {
            return isLayerBlend(s, callMethod(source, s.node));
        });
    };
    auto notAnimated = [&] { return !truthy(getAttr(self, s.isAnimated)); };
    if (drivenOtherwise(plug) && notAnimated()) return boolObject(false);
    if (truthy(callMethod(plug, s.isChild)) && drivenOtherwise(callMethod(plug, s.parent)) &&
        notAnimated())
        return boolObject(false);
    return boolObject(true);
}

// --- type details --------------------------------------------------------------

py::object infoOfType(const State &s, py::handle self, PyObject *type, const GlobalName &info) {
    if (!apiTypeIs(s, getAttr(self, s.apiType), type)) return none();
    return call(s.global(info), callMethod(getAttr(self, s.plug), s.attribute));
}

py::object enumInfo(const State &s, py::handle self) {
    return infoOfType(s, self, s.kEnumAttribute, s.EnumAttribute);
}

py::object numericInfo(const State &s, py::handle self) {
    return infoOfType(s, self, s.kNumericAttribute, s.NumericAttribute);
}

// An enum of six rotate orders: its value is the default, not a number to mirror.
py::object isSpecialEnum(const State &s, py::handle self) {
    if (!apiTypeIs(s, getAttr(self, s.apiType), s.kEnumAttribute)) return boolObject(false);
    py::object info = getAttr(self, s.enumInfo);
    if (!equal(getAttr(info, s.enumNumber), steal(PyLong_FromLong(5)))) return boolObject(false);
    return boolObject(
        equal(getAttr(info, s.enumKey), getAttr(s.global(s.rotationMath), s.orderKey)));
}

}  // namespace

void addAnimAttrStateMembers(ClassBuilder &cls) {
    cls.method<valueAtTime>("valueAtTime",
        "The value at the MTime `mTime`, through the timewarp when asked.",
        {"self", "mTime", "applyTimewarp"}, {Py_False});
    cls.property<isFreeToChange>("isFreeToChange",
        "Whether the plug may be written (not locked, not driven).");
    cls.property<keyTimes>("keyTimes", "The times of the attribute's keys, or None without keys.");
    cls.property<keyValues>("keyValues",
        "The values of the attribute's keys in key order, or None without keys.");
    cls.property<animCurves>("animCurves",
        "AnimCurves of the curves that animate the plug (none when constrained;\n"
        "curves that reach another channel through a shared blend are left out).");
    cls.property<isAnimated>("isAnimated", "Whether curves animate the plug.");
    cls.property<isChangeable>("isChangeable",
        "Whether an animator may change the value: unlocked, keyable or shown in\n"
        "the Channel Box, and driven by nothing but animation (curves, or an\n"
        "animation layer's blend).");
    cls.property<enumInfo>("enumInfo", "The suite's wrapper of an enum attribute, or None.");
    cls.property<numericInfo>("numericInfo",
        "The suite's wrapper of a numeric attribute, or None.");
    cls.property<isSpecialEnum>("isSpecialEnum", "Whether the attribute is a rotate-order enum.");
}

}  // namespace rigkit
