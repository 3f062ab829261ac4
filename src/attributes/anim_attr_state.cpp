#include "attributes/anim_attr.h"

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

}  // namespace

void addAnimAttrStateMembers(ClassBuilder &cls) {
    cls.method<valueAtTime>("valueAtTime",
        "The value at the MTime `mTime`, through the timewarp when asked.",
        {"self", "mTime", "applyTimewarp"}, {Py_False});
    cls.property<isFreeToChange>("isFreeToChange",
        "Whether the plug may be written (not locked, not driven).");
}

}  // namespace rigkit
