// AnimAttr's mirroring: which attributes mirror at all, the counterpart
// attribute, and the mirrored value.
#include "attributes/anim_attr.h"
#include "module/action.h"
#include "scene/node.h"

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
                                      plugAttribute(s, getAttr(self, s.plug)));
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

// The same attribute on the node the mirror service pairs with this one, or
// None when there is no such attribute: a sided node without its partner
// (a left prop with no right one), a partner name several nodes answer to,
// or a partner without this attribute.
py::object mirrorFromAnimAttr(const State &s, py::handle self) {
    ActionScope action(s);
    py::object mirrorNode =
        callMethod(s.global(s.mirrorService), s.getMirrorFromNode, getAttr(self, s.node));
    if (mirrorNode.is_none()) return none();
    // Asked by name, silently: a partner that is not there, or a name several
    // nodes share (two copies of a rig without namespaces), is no failure.
    if (!namesOneNode(s, getAttr(mirrorNode, s.nodeName))) return none();
    py::object path =
        format("%s.%s", callMethod(mirrorNode, s.fullName), getAttr(self, s.attrName));
    py::object partner = callKw(s.global(s.AnimAttr), s.kwPlugName, path);
    PyObject *plug = PyObject_GetAttr(partner.ptr(), s.plug);  // absent when the path failed
    if (!plug) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
        PyErr_Clear();
        return none();
    }
    const bool found = plug != Py_None;
    Py_DECREF(plug);
    return found ? partner : none();
}

// value * multiplier, element by element through lists and tuples, so that a
// compound value (translate's three numbers) is mirrored, not repeated. The
// items are read from a tuple of their own and the result only grows by
// append, so a multiplication that runs Python and reaches either sequence
// cannot make this read outside it.
py::object scaled(py::handle value, py::handle multiplier) {
    const bool isList = PyList_Check(value.ptr());
    if (!isList && !PyTuple_Check(value.ptr()))
        return steal(PyNumber_Multiply(value.ptr(), multiplier.ptr()));
    if (Py_EnterRecursiveCall(" while mirroring a nested value")) throwPythonError();
    struct Leave {
        ~Leave() { Py_LeaveRecursiveCall(); }
    } leave;
    py::object items = steal(PySequence_Tuple(value.ptr()));
    py::object result = newList();
    for (py::handle item : items) append(result, scaled(item, multiplier));
    if (isList) return result;
    return steal(PyList_AsTuple(result.ptr()));
}

py::object getMirrorValueAt(const State &s, py::handle self, py::handle time) {
    ActionScope action(s);
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
        "The AnimAttr of the same attribute on the mirror service's partner node,\n"
        "or None when that node is missing or its name is shared, or it lacks the\n"
        "attribute.");
    cls.method<getMirrorValueAt>("getMirrorValueAt",
        "The mirror attribute's value at the MTime `time` times mirrorMultiplier\n"
        "(element by element for compound values), or None.",
        {"self", "time"});
}

}  // namespace rigkit
