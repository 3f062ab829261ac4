// AnimAttr: one attribute of one node, held as an MPlug. Its members are split
// by concern: anim_attr.cpp (construction, identity), anim_attr_read.cpp,
// anim_attr_write.cpp, anim_attr_state.cpp (keys, animation state,
// changeability), anim_attr_mirror.cpp, anim_attr_key.cpp (smart keys).
#pragma once

#include "module/methods.h"

#include <cmath>

namespace rigkit {

// AnimAttr(plug), through the class as the namespace holds it now.
inline py::object newAnimAttr(const State &s, py::handle plug) {
    return call(s.global(s.AnimAttr), plug);
}

// AnimAttr(plugName=path)
inline py::object animAttrAtPath(const State &s, const char *path) {
    py::object name = text(path);
    PyObject *argv[] = {name.ptr()};
    return steal(PyObject_Vectorcall(s.global(s.AnimAttr).ptr(), argv, 0, s.kwPlugName));
}

// plug.attribute(), asked of Maya once per plug and action.
py::object plugAttribute(const State &s, py::handle plug);

// plug.attribute().apiTypeStr() of the wrapper's plug, for reports.
inline py::object apiTypeStr(const State &s, py::handle self) {
    return callMethod(callMethod(getAttr(self, s.plug), s.attribute), s.apiTypeStr);
}

// For a failure's report only: what `read` gives, or None when that fails too
// (a wrapper without a plug), so that the failure is still reported.
template <class Read>
py::object orNone(Read &&read) {
    try {
        return read();
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;
        return none();
    }
}

// apiType == MFn.<type>
inline bool apiTypeIs(const State &s, py::handle apiType, PyObject *type) {
    return equal(apiType, getAttr(s.global(s.MFn), type));
}

// Whether `value` is a number that is not finite: nan, an infinity, or an
// integer beyond a double's range. Anything that is not a number is left to
// whoever converts it.
inline bool isNonFiniteNumber(py::handle value) {
    if (!PyNumber_Check(value.ptr()) || PyComplex_Check(value.ptr())) return false;
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError)) throwPythonError();
        PyErr_Clear();
        return true;
    }
    return !std::isfinite(number);
}

void addAnimAttrReadMembers(ClassBuilder &cls);
void addAnimAttrWriteMembers(ClassBuilder &cls);
void addAnimAttrStateMembers(ClassBuilder &cls);
void addAnimAttrMirrorMembers(ClassBuilder &cls);
void addAnimAttrKeyMembers(ClassBuilder &cls);

}  // namespace rigkit
