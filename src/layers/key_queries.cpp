// KeyQueries: key kinds on runs of frames; the base of ChannelBox and AnimTools.
#include "attributes/anim_attr.h"
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {
namespace {

py::object layers(const State &s, py::handle) { return call(s.global(s.LayerQueries)); }

// Whether a < b, with Python's comparison.
bool less(py::handle a, py::handle b) {
    const int r = PyObject_RichCompareBool(a.ptr(), b.ptr(), Py_LT);
    if (r < 0) throwPythonError();
    return r != 0;
}

// The frames in ascending order, each once, grouped into runs of frames at
// most one apart, as (first, last) pairs. Sorting first makes the keys that
// get the kind independent of the order and repetitions of the list.
py::object frameRuns(py::handle frames) {
    py::object sorted = steal(PySequence_List(frames.ptr()));
    if (PyList_Sort(sorted.ptr()) < 0) throwPythonError();
    py::object runs = newList();
    py::object one = steal(PyLong_FromLong(1));
    py::object first, previous;
    auto closeRun = [&] { append(runs, steal(PyTuple_Pack(2, first.ptr(), previous.ptr()))); };
    for (py::handle item : sorted) {
        py::object frame = py::reinterpret_borrow<py::object>(item);
        if (!first) {
            first = frame;
        } else {
            if (equal(frame, previous)) continue;
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
    if (first) closeRun();
    return runs;
}

// The target's time as one run from its earliest to its latest frame: a
// (start, end) pair is a range, not two frames far apart.
py::object targetRun(py::handle frames) {
    py::object runs = newList();
    py::object first, last;
    for (py::handle item : frames) {
        py::object frame = py::reinterpret_borrow<py::object>(item);
        if (!first || less(frame, first)) first = frame;
        if (!last || less(last, frame)) last = frame;
    }
    if (first) append(runs, steal(PyTuple_Pack(2, first.ptr(), last.ptr())));
    return runs;
}

py::object setKeyKindOnFrames(const State &s, py::handle, py::handle keyTarget,
                              py::handle keyKind, py::handle frameList) {
    py::object curveClass = s.global(s.AnimCurve);
    py::object kind = truthy(keyKind) ? py::reinterpret_borrow<py::object>(keyKind)
                                      : getAttr(curveClass, s.KEY_DEFAULT);
    py::object asList = s.global(s.asList);
    py::object frames = call(asList, frameList);
    const bool given = truthy(frames);
    if (!given) frames = call(asList, getAttr(call(s.global(s.CurveTarget)), s.targetTime));
    // A nan compares false with every frame, so it would join the runs on
    // each side of it into one: refused before any key is edited.
    frames = steal(PySequence_List(frames.ptr()));
    for (py::handle frame : frames) {
        if (!isNonFiniteNumber(frame)) continue;
        reportError(s, format("Zentrik - Could not set the key kind at frame %s: not a finite "
                              "number",
                              frame));
        return none();
    }
    py::object runs = given ? frameRuns(frames) : targetRun(frames);
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
            "Give the keys of `keyTarget` at `frameList` the kind `keyKind` (falsy: the\n"
            "default kind); the frames, in ascending order, are edited as runs of\n"
            "consecutive frames, each one time range. Without frames, the target's\n"
            "time range is edited as one range. A frame that is not finite is\n"
            "reported and no key is edited.",
            {"self", "keyTarget", "keyKind", "frameList"}, {Py_None});
    });
}

}  // namespace rigkit
