// AnimAttr's smart key: a key on whichever curve Maya edits for the attribute
// (a layer's own curve, or the base curve), found through a one-shot
// anim-curve-edited callback, then given its key kind on that curve.
#include "attributes/anim_attr.h"
#include "module/action.h"

namespace rigkit {
namespace {

// The instance's lastKeyedCurve, or null when the callback never set one.
PyObject *keptCurve(const State &s, py::handle self) {
    PyObject *curve = PyObject_GetAttr(self.ptr(), s.lastKeyedCurve);
    if (curve) return curve;
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
    PyErr_Clear();
    return nullptr;
}

py::object hookKit(const State &s) { return getAttr(s.global(s.CORE), s.hookKit); }

void setKey(const State &s, py::handle self, py::handle frame, py::handle animLayer) {
    py::object cmds = s.global(s.cmds);
    py::object time = steal(PyTuple_Pack(1, frame.ptr()));
    py::object plugName = getAttr(self, s.plugName);
    if (animLayer.is_none())
        callMethodKw(cmds, s.setKeyframe, s.kwTimeShape, plugName, time, Py_False);
    else
        callMethodKw(cmds, s.setKeyframe, s.kwTimeShapeAnimLayer, plugName, time, Py_False,
                     getAttr(animLayer, s.name));
}

// The curves the last key edited: every one (a compound's children each have
// their own), or the one kept as lastKeyedCurve when no list was kept.
py::object keyedCurves(const State &s, py::handle self, py::handle lastKeyed) {
    PyObject *curves = PyObject_GetAttr(self.ptr(), s.lastKeyedCurves);
    if (curves) return py::reinterpret_steal<py::object>(curves);
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
    PyErr_Clear();
    py::object single = newList();
    append(single, lastKeyed);
    return single;
}

// The position of the key at `frame` on `curve`, as list.index finds it among
// the curve's key times (equal time, ValueError when none), but asked of Maya
// by time: reading every key time would make keying a whole animation key by
// key grow with the square of its keys. Maya matches times within a
// tolerance, so the key found must also carry exactly that time.
py::object keyIndexAt(const State &s, py::handle curve, py::handle frame) {
    if (py::object fn = knownCurveFn(s, curve)) {
        // The curve this call keyed: its key closest to the frame, which is
        // the key at the frame if any is (keys have distinct times).
        py::object unit = callMethod(s.global(s.MTime), s.uiUnit);
        py::object time = call(s.global(s.MTime), frame, unit);
        py::object index = callMethod(fn, s.findClosest, time);
        py::object found = callMethod(fn, s.time, index);
        if (equal(callMethod(found, s.asUnits, unit), frame)) return index;
        PyErr_Format(PyExc_ValueError, "%R is not in list", frame.ptr());
        throwPythonError();
    }
    py::object keyframe = getAttr(s.global(s.cmds), s.keyframe);
    py::object name = getAttr(curve, s.curveName);
    py::object span = steal(PyTuple_Pack(2, frame.ptr(), frame.ptr()));
    py::object found = callKw(keyframe, s.kwQueryTimeIndexValue, name, Py_True, span, Py_True);
    if (truthy(found)) {
        py::object index = steal(PySequence_GetItem(found.ptr(), 0));
        py::object at = steal(PyTuple_Pack(2, index.ptr(), index.ptr()));
        py::object times = callKw(keyframe, s.kwQueryIndexTimeChange, name, Py_True, at, Py_True);
        if (truthy(times) && equal(steal(PySequence_GetItem(times.ptr(), 0)), frame))
            return index;
    }
    PyErr_Format(PyExc_ValueError, "%R is not in list", frame.ptr());
    throwPythonError();
}

py::object setSmartKey(const State &s, py::handle self, py::handle frame, py::handle keyKind,
                       py::handle actionId, py::handle animLayer) {
    ActionScope action(s);  // the callback hands the keyed curves' function sets on
    // A key at nan or an infinity would break the curve for every frame;
    // refused before anything is registered or keyed.
    if (isNonFiniteNumber(frame)) {
        reportError(s, format("Zentrik - Could not set smart key %s at frame %s: not a finite "
                              "number",
                              orNone([&] { return getAttr(self, s.plugName); }), frame));
        return none();
    }
    py::object before = py::reinterpret_steal<py::object>(keptCurve(s, self));
    py::object onCurveEdited = getAttr(reinterpret_cast<PyObject *>(Py_TYPE(self.ptr())),
                                       s.onCurveEdited);
    py::object arguments = newList();
    append(arguments, call(s.global(s.partial), onCurveEdited, self));
    callMethodKw(hookKit(s), s.addCallback, s.kwCallbackFlag,
                 getAttr(s.global(s.MAnimMessage), s.addAnimCurveEditedCallback), arguments,
                 s.smartKeyCallback, Py_False);

    // The callback serves this key only: when the command edits no curve (a
    // locked attribute) or fails, the registration is withdrawn, or the next
    // unrelated curve edit in the scene would land on this wrapper.
    auto firedNow = [&] {
        py::object after = py::reinterpret_steal<py::object>(keptCurve(s, self));
        return after && after.ptr() != before.ptr();
    };
    auto withdrawUnlessFired = [&] {
        if (!firedNow()) callMethod(hookKit(s), s.removeCallback, s.smartKeyCallback);
    };
    try {
        setKey(s, self, frame, animLayer);
    } catch (py::error_already_set &e) {
        whileHandling(e, withdrawUnlessFired);
        if (e.matches(PyExc_ValueError)) return none();  // Maya refused the key
        throw;
    }
    if (!firedNow()) {
        callMethod(hookKit(s), s.removeCallback, s.smartKeyCallback);
        return none();  // no curve keyed: nothing to give a kind
    }
    py::object curve = getAttr(self, s.lastKeyedCurve);
    if (!keyKind.is_none() && !curve.is_none()) {
        // Every key the command set gets the kind: keying a compound such as
        // translate edits one curve per child.
        for (py::handle keyed : keyedCurves(s, self, curve)) {
            py::object index = keyIndexAt(s, keyed, frame);
            callMethodKw(keyed, s.setKeyKindAt, s.kwIndexKeyKindActionId, index, keyKind,
                         actionId);
        }
    }
    return curve;
}

// Called by Maya with the curves one edit changed: keeps the first as
// lastKeyedCurve and all of them, in order, as lastKeyedCurves.
py::object onCurveEdited(const State &s, py::handle self, py::handle editedCurves,
                         py::handle) {
    callMethod(hookKit(s), s.removeCallback, s.smartKeyCallback);
    py::object curveClass = s.global(s.AnimCurve);
    // The name is read through the curve's function set, which then finds
    // the new key by its time without another call to make it.
    auto curveAt = [&](Py_ssize_t i) {
        py::object edited = steal(PySequence_GetItem(editedCurves.ptr(), i));
        py::object fn;
        try {
            fn = call(s.global(s.MFnAnimCurve), edited);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_RuntimeError)) throw;  // not a curve: named as any node
            py::object node = call(s.global(s.MFnDependencyNode), edited);
            return call(curveClass, callMethod(node, s.name));
        }
        py::object curve = call(curveClass, callMethod(fn, s.name));
        rememberCurveFn(s, curve, fn);
        return curve;
    };
    // The curve wrappers run Python that could change the array: the curves
    // are those it held when the callback came, fewer if it shrank meanwhile,
    // never more, so an array that keeps growing cannot keep the loop going.
    auto length = [&] { return asIndex(callMethod(editedCurves, s.length)); };
    const Py_ssize_t count = length();
    py::object first = curveAt(0);
    py::object curves = newList();
    append(curves, first);
    for (Py_ssize_t i = 1; i < count && i < length(); ++i) append(curves, curveAt(i));
    setAttr(self, s.lastKeyedCurve, first);
    setAttr(self, s.lastKeyedCurves, curves);
    return none();
}

}  // namespace

void addAnimAttrKeyMembers(ClassBuilder &cls) {
    cls.method<setSmartKey>("setSmartKey",
        "Key the attribute at `frame` (in `animLayer`, an AnimLayer, when given)\n"
        "and give every new key `keyKind` on the curves Maya edited. Returns the\n"
        "first such AnimCurve, or None when Maya refused the key, keyed no curve\n"
        "or `frame` is not a finite number (reported).",
        {"self", "frame", "keyKind", "actionId", "animLayer"},
        {Py_None, Py_None, Py_None, Py_None});
    cls.method<onCurveEdited>("onCurveEdited",
        "The one-shot anim-curve-edited callback: keeps the first edited curve\n"
        "as lastKeyedCurve, all of them as lastKeyedCurves, and removes itself.",
        {"self", "editedCurves", "clientData"}, {Py_None});
}

}  // namespace rigkit
