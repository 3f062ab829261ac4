// AnimAttr's smart key: a key on whichever curve Maya edits for the attribute
// (a layer's own curve, or the base curve), found through a one-shot
// anim-curve-edited callback, then given its key kind on that curve.
#include "attributes/anim_attr.h"

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

py::object setSmartKey(const State &s, py::handle self, py::handle frame, py::handle keyKind,
                       py::handle actionId, py::handle animLayer) {
    py::object before = py::reinterpret_steal<py::object>(keptCurve(s, self));
    py::object onCurveEdited = getAttr(reinterpret_cast<PyObject *>(Py_TYPE(self.ptr())),
                                       s.onCurveEdited);
    py::object callback = call(s.global(s.partial), onCurveEdited, self);
    py::object arguments = steal(PyList_New(1));
    PyList_SET_ITEM(arguments.ptr(), 0, callback.release().ptr());
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
        py::object index = callMethod(getAttr(curve, s.keyTimes), s.index, frame);
        callMethodKw(curve, s.setKeyKindAt, s.kwIndexKeyKindActionId, index, keyKind, actionId);
    }
    return curve;
}

// Called by Maya with the curves one edit changed; keeps the first.
py::object onCurveEdited(const State &s, py::handle self, py::handle editedCurves,
                         py::handle) {
    callMethod(hookKit(s), s.removeCallback, s.smartKeyCallback);
    py::object first = steal(PySequence_GetItem(editedCurves.ptr(), 0));
    py::object name = callMethod(call(s.global(s.MFnDependencyNode), first), s.name);
    setAttr(self, s.lastKeyedCurve, call(s.global(s.AnimCurve), name));
    return none();
}

}  // namespace

void addAnimAttrKeyMembers(ClassBuilder &cls) {
    cls.method<setSmartKey>("setSmartKey",
        "Key the attribute at `frame` (in `animLayer`, an AnimLayer, when given)\n"
        "and give the new key `keyKind` on the curve Maya edited. Returns that\n"
        "AnimCurve, or None when Maya refused the key or keyed no curve.",
        {"self", "frame", "keyKind", "actionId", "animLayer"},
        {Py_None, Py_None, Py_None, Py_None});
    cls.method<onCurveEdited>("onCurveEdited",
        "The one-shot anim-curve-edited callback: keeps the first edited curve\n"
        "as lastKeyedCurve and removes itself.",
        {"self", "editedCurves", "clientData"}, {Py_None});
}

}  // namespace rigkit
