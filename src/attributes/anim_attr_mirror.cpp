// AnimAttr's mirroring: which attributes mirror at all, the counterpart
// attribute, and the mirrored value.
#include "attributes/anim_attr.h"

namespace rigkit {
namespace {

// Typed, matrix and enum attributes, and booleans, carry no value to mirror;
// scale channels keep their value on both sides.
py::object isMirrorable(const State &s, py::handle self) {
    try {
        py::object apiType = getAttr(self, s.apiType);
        for (PyObject *never : {s.kTypedAttribute, s.kMatrixAttribute, s.kEnumAttribute})
            if (apiTypeIs(s, apiType, never)) return boolObject(false);
        if (apiTypeIs(s, apiType, s.kNumericAttribute)) {
            py::object numeric = call(s.global(s.MFnNumericAttribute),
                                      callMethod(getAttr(self, s.plug), s.attribute));
            if (equal(callMethod(numeric, s.unitType),
                      getAttr(s.global(s.MFnNumericData), s.kBoolean)))
                return boolObject(false);
        }
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt goes on
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Could not determine mirrorable attribute %s, %s, %s, %s",
                                  steal(PyObject_Str(e.value().ptr())),
                                  orNone([&] { return getAttr(self, s.plugName); }),
                                  orNone([&] { return getAttr(self, s.apiType); }),
                                  orNone([&] { return apiTypeStr(s, self); })));
        });
        return boolObject(false);
    }
    return boolObject(!truthy(getAttr(self, s.isScale)));
}

// The same attribute on the node the mirror service pairs with this one.
py::object mirrorFromAnimAttr(const State &s, py::handle self) {
    py::object mirrorNode =
        callMethod(s.global(s.mirrorService), s.getMirrorFromNode, getAttr(self, s.node));
    py::object path =
        format("%s.%s", callMethod(mirrorNode, s.fullName), getAttr(self, s.attrName));
    return callKw(s.global(s.AnimAttr), s.kwPlugName, path);
}

// value * multiplier, element by element through lists and tuples, so that a
// compound value (translate's three numbers) is mirrored, not repeated.
py::object scaled(py::handle value, py::handle multiplier) {
    const bool isList = PyList_Check(value.ptr());
    if (!isList && !PyTuple_Check(value.ptr())) return steal(PyNumber_Multiply(value.ptr(), multiplier.ptr()));
    if (Py_EnterRecursiveCall(" while mirroring a nested value")) throwPythonError();
    struct Leave {
        ~Leave() { Py_LeaveRecursiveCall(); }
    } leave;
    py::object items = steal(PySequence_List(value.ptr()));
    const Py_ssize_t count = PyList_GET_SIZE(items.ptr());
    for (Py_ssize_t i = 0; i < count; ++i) {
        py::object item = scaled(PyList_GET_ITEM(items.ptr(), i), multiplier);
        PyList_SetItem(items.ptr(), i, item.release().ptr());  // steals; cannot fail here
    }
    if (isList) return items;
    return steal(PyList_AsTuple(items.ptr()));
}

py::object getMirrorValueAt(const State &s, py::handle self, py::handle time) {
    py::object mirror = getAttr(self, s.mirrorAttr);
    if (mirror.is_none()) return none();
    py::object value = callMethod(mirror, s.valueAtTime, time);
    if (value.is_none()) return none();
    py::object multiplier = getAttr(self, s.mirrorMultiplier);
    if (multiplier.is_none()) return none();
    return scaled(value, multiplier);
}

}  // namespace

void addAnimAttrMirrorMembers(ClassBuilder &cls) {
    cls.property<isMirrorable>("isMirrorable",
        "Whether the value mirrors: not for typed, matrix, enum, boolean or scale\n"
        "attributes. A failing test is reported and answers False.");
    cls.property<mirrorFromAnimAttr>("mirrorFromAnimAttr",
        "The AnimAttr of the same attribute on the mirror service's partner node.");
    cls.method<getMirrorValueAt>("getMirrorValueAt",
        "The mirror attribute's value at the MTime `time` times mirrorMultiplier\n"
        "(element by element for compound values), or None.",
        {"self", "time"});
}

}  // namespace rigkit
