// AnimControl and FrameTime: Maya's time API for the module and its callers.
#include "attributes/anim_attr.h"
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {
namespace {

void suspendRefresh(const State &s, PyObject *suspend) {
    callMethodKw(s.global(s.cmds), s.refresh, s.kwSuspend, suspend);
}

// The frame `mTime` stands for in the unit the scene works in: an MTime may
// be in seconds, or in another frame rate than the scene's. Anything else
// that only has value() gives that value as a frame.
py::object frameOf(const State &s, py::handle mTime) {
    py::object asUnits;
    try {
        asUnits = getAttr(mTime, s.asUnits);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_AttributeError)) throw;
        return callMethod(mTime, s.value);
    }
    return call(asUnits, callMethod(s.global(s.MTime), s.uiUnit));
}

// Moves the scene to the time without redrawing the viewports on the way;
// refresh is switched back on whatever happens. Without an interface there
// are no viewports to spare.
py::object setCurrentTime(const State &s, py::handle mTime) {
    InterfaceCheck ui(s);
    if (!ui.present()) {
        callMethod(s.global(s.cmds), s.currentTime, frameOf(s, mTime));
        return none();
    }
    try {
        suspendRefresh(s, Py_True);
        py::object frame = frameOf(s, mTime);
        callMethod(s.global(s.cmds), s.currentTime, frame);
    } catch (py::error_already_set &e) {
        whileHandling(e, [&] { suspendRefresh(s, Py_False); });
        throw;
    }
    suspendRefresh(s, Py_False);
    return none();
}

// An MTime of `frame` in the unit the interface shows at this moment.
py::object frameTimeInit(const State &s, py::handle self, py::handle frame) {
    py::object mtime = s.global(s.MTime);
    callMethod(mtime, s.__init__, self, frame, callMethod(mtime, s.uiUnit));
    return none();
}

py::object isTimewarpEnabled(const State &s) {
    return getAttr(animAttrAtPath(s, "time1.enableTimewarp"), s.value);
}

py::object setTimewarpEnabled(const State &s, py::handle isEnabled) {
    callMethod(animAttrAtPath(s, "time1.enableTimewarp"), s.setValue, isEnabled);
    return none();
}

// `time` itself when timewarp is off; else a new FrameTime of the warped frame.
py::object warpedTime(const State &s, py::handle time) {
    py::object frameTime = s.global(s.FrameTime);
    if (!truthy(callMethod(frameTime, s.isTimewarpEnabled)))
        return py::reinterpret_borrow<py::object>(time);
    py::object warped = callMethod(animAttrAtPath(s, "time1.outTime"), s.valueAtTime, time);
    return call(frameTime, warped);
}

}  // namespace

void defineAnimControl(const State &s) {
    const char *doc =
        "Maya's animation control, with a time change that does not redraw on the way.";
    defineClass(s, "AnimControl", "MAnimControl", doc, [](ClassBuilder &cls) {
        cls.staticMethod<setCurrentTime>("setCurrentTime",
            "Move the scene to the MTime without redrawing the viewports on the way\n"
            "(in batch there are none: only the time moves).",
            {"mTime"});
    });
}

void defineFrameTime(const State &s) {
    const char *doc =
        "An MTime of a frame in the unit the interface shows, and the scene's timewarp.";
    defineClass(s, "FrameTime", "MTime", doc, [](ClassBuilder &cls) {
        cls.init<frameTimeInit>(
            "An MTime of `frame` in the time unit the interface shows now.",
            {"self", "frame"});
        cls.staticMethod<isTimewarpEnabled>("isTimewarpEnabled",
            "Whether the scene's timewarp (time1.enableTimewarp) is on.",
            {});
        cls.staticMethod<setTimewarpEnabled>("setTimewarpEnabled",
            "Turn the scene's timewarp on or off.",
            {"isEnabled"});
        cls.staticMethod<warpedTime>("warpedTime",
            "`time` itself when timewarp is off, else a FrameTime of the warped frame.",
            {"time"});
    });
}

}  // namespace rigkit
