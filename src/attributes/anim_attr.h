// AnimAttr: one attribute of one node, held as an MPlug. Its members are split
// by concern: anim_attr.cpp (construction, identity), anim_attr_read.cpp,
// anim_attr_write.cpp, anim_attr_state.cpp (value at a time, changeability).
#pragma once

#include "module/methods.h"

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

// plug.attribute().apiTypeStr() of the wrapper's plug, for reports.
inline py::object apiTypeStr(const State &s, py::handle self) {
    return callMethod(callMethod(getAttr(self, s.plug), s.attribute), s.apiTypeStr);
}

void addAnimAttrReadMembers(ClassBuilder &cls);
void addAnimAttrWriteMembers(ClassBuilder &cls);
void addAnimAttrStateMembers(ClassBuilder &cls);

}  // namespace rigkit
