#include "module/runtime.h"

namespace rigkit {

bool State::init(PyObject *mod) {
#define RIGKIT_INTERN_NAME(n) \
    if (!(n = PyUnicode_InternFromString(#n))) return false;
    RIGKIT_NAMES(RIGKIT_INTERN_NAME)
#undef RIGKIT_INTERN_NAME
    if (!(utf_8 = PyUnicode_InternFromString("utf-8"))) return false;
    if (!(latin_1 = PyUnicode_InternFromString("latin_1"))) return false;
    if (!(bar = PyUnicode_InternFromString("|"))) return false;
    if (!(empty = PyUnicode_InternFromString(""))) return false;
    if (!(kwRequireShapes = PyTuple_Pack(1, requireShapes))) return false;

    module = mod;
    globals = PyModule_GetDict(mod);
    PyObject *builtinsModule = PyImport_ImportModule("builtins");
    if (!builtinsModule) return false;
    builtins = PyModule_GetDict(builtinsModule);
    Py_INCREF(builtins);
    Py_DECREF(builtinsModule);
    return true;
}

void State::clear() {
#define RIGKIT_CLEAR_NAME(n) Py_CLEAR(n);
    RIGKIT_NAMES(RIGKIT_CLEAR_NAME)
#undef RIGKIT_CLEAR_NAME
    Py_CLEAR(utf_8);
    Py_CLEAR(latin_1);
    Py_CLEAR(bar);
    Py_CLEAR(empty);
    Py_CLEAR(kwRequireShapes);
    Py_CLEAR(builtins);
    module = nullptr;
    globals = nullptr;
}

py::object State::global(PyObject *key) const {
    PyObject *value = PyDict_GetItemWithError(globals, key);
    if (!value && !PyErr_Occurred()) value = PyDict_GetItemWithError(builtins, key);
    if (!value) {
        if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "name '%U' is not defined", key);
        throwPythonError();
    }
    return py::reinterpret_borrow<py::object>(value);
}

void reportError(const State &s, py::handle message) {
    py::object traceKit = getAttr(s.global(s.CORE), s.traceKit);
    callMethod(traceKit, s.reportError, message);
}

}  // namespace rigkit
