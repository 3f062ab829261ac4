// Names the classes take: text, or bytes read as Latin-1 (every byte is a
// character there, so no name fails to decode).
#pragma once

#include "module/runtime.h"

namespace rigkit {

// A name as the scene commands take it: bytes decoded, anything else as given.
inline py::object latin1Name(const State &s, py::handle name) {
    if (PyBytes_Check(name.ptr())) return callMethod(name, s.decode, s.latin_1);
    return py::reinterpret_borrow<py::object>(name);
}

// A name or a list or tuple of names with every bytes item decoded. The
// caller's object comes back unchanged when it holds no bytes, so names given
// as text stay the caller's own list; otherwise a new list is built.
inline py::object latin1Names(const State &s, py::handle names) {
    if (PyBytes_Check(names.ptr())) return latin1Name(s, names);
    if (!PyList_Check(names.ptr()) && !PyTuple_Check(names.ptr()))
        return py::reinterpret_borrow<py::object>(names);
    // A copy first: the items are read from a list nothing else can change.
    py::object items = steal(PySequence_List(names.ptr()));
    bool anyBytes = false;
    for (py::handle item : items) anyBytes = anyBytes || PyBytes_Check(item.ptr());
    if (!anyBytes) return py::reinterpret_borrow<py::object>(names);
    py::object result = newList();
    for (py::handle item : items) append(result, latin1Name(s, item));
    return result;
}

}  // namespace rigkit
