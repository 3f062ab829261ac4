// KeyQueries: key kinds on runs of frames; the base of ChannelBox and AnimTools.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {
namespace {

py::object layers(const State &s, py::handle) { return call(s.global(s.LayerQueries)); }

// Consecutive frames (each at most one after the one before) as
// (first, last) pairs, in one pass.
py::object frameRuns(py::handle frames) {
    py::object runs = steal(PyList_New(0));
    py::object one = steal(PyLong_FromLong(1));
    py::object first, previous;
    auto closeRun = [&] {
        py::object pair = steal(PyTuple_Pack(2, first.ptr(), previous.ptr()));
        if (PyList_Append(runs.ptr(), pair.ptr()) < 0) throwPythonError();
    };
    py::object iterator = steal(PyObject_GetIter(frames.ptr()));
    while (PyObject *raw = PyIter_Next(iterator.ptr())) {
        py::object frame = py::reinterpret_steal<py::object>(raw);
        if (!first) {
            first = frame;
        } else {
            py::object step = steal(PyNumber_Subtract(frame.ptr(), previous.ptr()));
            const int gap = PyObject_RichCompareBool(step.ptr(), one.ptr(), Py_GT);
            if (gap < 0) throwPythonError();
            if (gap) {
                closeRun();
                first = frame;
            }
        }
        previous = frame;
    }
    if (PyErr_Occurred()) throwPythonError();
    if (first) closeRun();
    return runs;
}

py::object setKeyKindOnFrames(const State &s, py::handle, py::handle keyTarget,
                              py::handle keyKind, py::handle frameList) {
    py::object curveClass = s.global(s.AnimCurve);
    py::object kind = truthy(keyKind) ? py::reinterpret_borrow<py::object>(keyKind)
                                      : getAttr(curveClass, s.KEY_DEFAULT);
    py::object frames = call(s.global(s.asList), frameList);
    if (!truthy(frames)) frames = getAttr(call(s.global(s.CurveTarget)), s.targetTime);
    py::object runs = frameRuns(frames.is_none() ? steal(PyList_New(0)) : frames);
    if (PyList_GET_SIZE(runs.ptr()) == 0) return none();  // no frame from anywhere

    // The targets are selected before the edits; the answer is held until
    // they are done.
    py::object held = callMethod(s.global(s.TargetSelection), s.selectTargets);
    py::handle breakdown = boolObject(equal(kind, getAttr(curveClass, s.KEY_BREAKDOWN)));
    py::handle special = boolObject(equal(kind, getAttr(curveClass, s.KEY_SPECIAL)));
    py::object cmds = s.global(s.cmds);
    for (py::handle run : runs) {
        callMethodKw(cmds, s.keyframe, s.kwEditTimeBreakdown, keyTarget, Py_True, run, breakdown);
        callMethodKw(cmds, s.keyframe, s.kwEditTimeTickDrawSpecial, keyTarget, Py_True, run,
                     special);
    }
    return none();
}

}  // namespace

void defineKeyQueries(const State &s) {
    const char *doc = "Key kinds on runs of frames; the base of ChannelBox and AnimTools.";
    defineClass(s, "KeyQueries", "CoreObject", doc, [](ClassBuilder &cls) {
        cls.property<layers>("layers", "A LayerQueries of the scene, made on first read.");
        cls.method<setKeyKindOnFrames>("setKeyKindOnFrames",
            "Give the keys of `keyTarget` at `frameList` (else the target's frames) the\n"
            "kind `keyKind` (falsy: the default kind); consecutive frames are edited\n"
            "as one time range.",
            {"self", "keyTarget", "keyKind", "frameList"}, {Py_None});
    });
}

}  // namespace rigkit
