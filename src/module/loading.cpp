// What importing the module does, step by step. Nothing here catches: any
// failure aborts the import with the error as it was raised.
#include "module/loading.h"

#include "module/classes.h"

namespace rigkit {

namespace {

// `from <name> import *` at the given level, into the module's namespace:
// the names of __all__ when the module has it, else every name without a
// leading underscore, as the interpreter's own star import does.
void importStar(const State &s, const char *name, int level) {
    py::object fromlist = steal(Py_BuildValue("(s)", "*"));
    py::object source = steal(PyImport_ImportModuleLevelObject(text(name).ptr(), s.globals,
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

// Major and minor version written one after the other: 3.9 is 39, 3.10 is 310.
py::object versionNumber(const State &s, py::handle sys) {
    py::object info = getAttr(sys, s.version_info);
    py::object major = steal(PySequence_GetItem(info.ptr(), 0));
    py::object minor = steal(PySequence_GetItem(info.ptr(), 1));
    return steal(PyLong_FromUnicodeObject(format("%s%s", major, minor).ptr(), 10));
}

}  // namespace

void load(const State &s) {
    requireBuiltins(s);

    py::object sys = steal(PyImport_ImportModule("sys"));
    if (PyDict_SetItemString(s.globals, "sys", sys.ptr()) < 0) throwPythonError();

    py::object version = versionNumber(s, sys);
    if (PyDict_SetItemString(s.globals, "_", version.ptr()) < 0) throwPythonError();

    // Each version is tested on its own, not as an else-chain: a core module
    // that several versions share would be imported once per match.
    static const struct {
        long version;
        const char *module;
    } cores[] = {{27, "Zentrik._api.__hybrid__.core27"},
                 {37, "Zentrik._api.__hybrid__.core37"},
                 {39, "Zentrik._api.__hybrid__.core39"},
                 {310, "Zentrik._api.__hybrid__.core310"},
                 {311, "Zentrik._api.__hybrid__.core311"}};
    for (const auto &core : cores)
        if (equal(version, steal(PyLong_FromLong(core.version)))) importStar(s, core.module, 0);

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

    importStar(s, "rigkit1", 1);
}

}  // namespace rigkit
