// What importing the module does, step by step. Nothing here catches: any
// failure aborts the import with the error as it was raised.
#include "module/loading.h"

#include "module/classes.h"

namespace rigkit {

namespace {

// `from <name> import *` at the given level, into the module's namespace:
// the names of __all__ when the module has it, else every name without a
// leading underscore, as the interpreter's own star import does.
void importStar(const State &s, py::handle name, int level) {
    py::object fromlist = steal(Py_BuildValue("(s)", "*"));
    py::object source = steal(PyImport_ImportModuleLevelObject(name.ptr(), s.globals,
                                                               nullptr, fromlist.ptr(), level));
    py::object names;
    bool skipPrivate = false;
    if (PyObject *all = PyObject_GetAttr(source.ptr(), s.__all__)) {
        names = py::reinterpret_steal<py::object>(all);
    } else {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
        PyErr_Clear();
        names = steal(PyMapping_Keys(getAttr(source, s.__dict__).ptr()));
        skipPrivate = true;
    }
    py::object iterator = steal(PyObject_GetIter(names.ptr()));
    while (PyObject *raw = PyIter_Next(iterator.ptr())) {
        py::object key = py::reinterpret_steal<py::object>(raw);
        if (skipPrivate && PyUnicode_Check(key.ptr()) && PyUnicode_READ_CHAR(key.ptr(), 0) == '_')
            continue;
        py::object value = getAttr(source, key.ptr());
        if (PyDict_SetItem(s.globals, key.ptr(), value.ptr()) < 0) throwPythonError();
    }
    if (PyErr_Occurred()) throwPythonError();
}

// The built-ins the classes use; the import fails early if one is missing.
void requireBuiltins(const State &s) {
    for (const char *name : {"staticmethod", "super", "max", "min", "sum", "range", "enumerate",
                             "NameError", "RuntimeError", "ValueError", "AttributeError",
                             "OverflowError"})
        s.global(steal(PyUnicode_InternFromString(name)).ptr());
}

// The suite ships one core module per interpreter, named by the version
// number: major and minor written one after the other (3.9 gives core39,
// 3.12 core312). The name is built rather than looked up in a fixed list, so
// that the suite's next interpreter needs its core module and a build of this
// module, not a change to it. A suite without that module is told so by
// version; an import failing inside the core module goes on unchanged.
void importCore(const State &s, py::handle sys) {
    py::object info = getAttr(sys, s.version_info);
    py::object major = steal(PySequence_GetItem(info.ptr(), 0));
    py::object minor = steal(PySequence_GetItem(info.ptr(), 1));
    py::object digits = format("%s%s", major, minor);
    py::object version = steal(PyLong_FromUnicodeObject(digits.ptr(), 10));
    if (PyDict_SetItemString(s.globals, "_", version.ptr()) < 0) throwPythonError();

    py::object name = format("Zentrik._api.__hybrid__.core%s", version);
    try {
        importStar(s, name, 0);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_ModuleNotFoundError)) throw;
        PyObject *missing = PyObject_GetAttrString(e.value().ptr(), "name");
        if (!missing) PyErr_Clear();
        const bool ours = missing && PyUnicode_Check(missing) &&
                          PyUnicode_Compare(missing, name.ptr()) == 0;
        Py_XDECREF(missing);
        if (PyErr_Occurred()) PyErr_Clear();
        if (!ours) throw;
        py::object message = format(
            "rigkit0 cannot load under CPython %s.%s: the suite has no core module for it "
            "(no module named '%s'); rigkit0 is released for CPython 3.9, 3.10, 3.11 and 3.13",
            major, minor, name);
        py::raise_from(e, PyExc_ImportError, py::str(message).cast<std::string>().c_str());
        throw py::error_already_set();
    }
}

}  // namespace

void load(const State &s) {
    requireBuiltins(s);

    py::object sys = steal(PyImport_ImportModule("sys"));
    if (PyDict_SetItemString(s.globals, "sys", sys.ptr()) < 0) throwPythonError();

    importCore(s, sys);

    defineAnimControl(s);
    defineFrameTime(s);
    defineSelectionBuilder(s);
    defineNode(s);
    defineSelectionReader(s);
    defineLayerQueries(s);
    defineAnimLayer(s);
    defineKeyQueries(s);
    defineChannelBox(s);
    defineMirrorRules(s);
    defineAnimAttr(s);
    defineAnimTools(s);

    importStar(s, text("rigkit1"), 1);
}

}  // namespace rigkit
