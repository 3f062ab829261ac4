#include "module/runtime.h"

namespace rigkit {

bool State::init(PyObject *mod) {
#define RIGKIT_INTERN_NAME(n) \
    if (!(n = PyUnicode_InternFromString(#n))) return false;
    RIGKIT_NAMES(RIGKIT_INTERN_NAME)
#undef RIGKIT_INTERN_NAME
#define RIGKIT_INTERN_GLOBAL(n) \
    if (!(n.name = PyUnicode_InternFromString(#n))) return false;
    RIGKIT_GLOBALS(RIGKIT_INTERN_GLOBAL)
#undef RIGKIT_INTERN_GLOBAL
    if (!(utf_8 = PyUnicode_InternFromString("utf-8"))) return false;
    if (!(latin_1 = PyUnicode_InternFromString("latin_1"))) return false;
    if (!(bar = PyUnicode_InternFromString("|"))) return false;
    if (!(empty = PyUnicode_InternFromString(""))) return false;
    if (!(kwRequireShapes = PyTuple_Pack(1, requireShapes))) return false;
    if (!(kwPlugName = PyTuple_Pack(1, plugName))) return false;
    if (!(kwSuspend = PyTuple_Pack(1, suspend))) return false;

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
#define RIGKIT_CLEAR_GLOBAL(n) \
    Py_CLEAR(n.name);          \
    n.value = nullptr;
    RIGKIT_GLOBALS(RIGKIT_CLEAR_GLOBAL)
#undef RIGKIT_CLEAR_GLOBAL
    Py_CLEAR(utf_8);
    Py_CLEAR(latin_1);
    Py_CLEAR(bar);
    Py_CLEAR(empty);
    Py_CLEAR(kwRequireShapes);
    Py_CLEAR(kwPlugName);
    Py_CLEAR(kwSuspend);
    Py_CLEAR(builtins);
    module = nullptr;
    globals = nullptr;
}

namespace {

// The dictionaries' version tags exist up to CPython 3.11; later versions
// look the name up every time.
#if PY_VERSION_HEX < 0x030C0000
constexpr bool kVersionTags = true;
uint64_t versionOf(PyObject *dict) { return reinterpret_cast<PyDictObject *>(dict)->ma_version_tag; }
#else
constexpr bool kVersionTags = false;
uint64_t versionOf(PyObject *) { return 0; }
#endif

}  // namespace

py::object State::global(const GlobalName &g) const {
    if (kVersionTags && g.value && g.globalsVersion == versionOf(globals) &&
        (!g.inBuiltins || g.builtinsVersion == versionOf(builtins)))
        return py::reinterpret_borrow<py::object>(g.value);
    PyObject *value = PyDict_GetItemWithError(globals, g.name);
    g.inBuiltins = !value;
    if (!value && !PyErr_Occurred()) value = PyDict_GetItemWithError(builtins, g.name);
    if (!value) {
        g.value = nullptr;
        if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "name '%U' is not defined", g.name);
        throwPythonError();
    }
    g.value = value;
    g.globalsVersion = versionOf(globals);
    g.builtinsVersion = versionOf(builtins);
    return py::reinterpret_borrow<py::object>(value);
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

py::object failureLine(const State &s, py::error_already_set &e) {
    py::handle traceback = e.trace();
    if (!traceback || traceback.is_none()) return none();
    return getAttr(traceback, s.tb_lineno);
}

void raiseEnriched(const State &s, py::error_already_set &e, py::handle suffix) {
    py::object prefix;
    if (PyObject *message = PyObject_GetAttr(e.value().ptr(), s.message)) {
        prefix = py::reinterpret_steal<py::object>(message);
    } else {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
        PyErr_Clear();
        prefix = text("Error:");
    }
    py::object message = format("%s%s", prefix, suffix);
    PyObject *replacement = PyObject_CallOneArg(e.type().ptr(), message.ptr());
    if (!replacement || !PyExceptionInstance_Check(replacement)) {
        Py_XDECREF(replacement);
        PyErr_Clear();
        throw e;  // the caught failure itself
    }
    PyException_SetContext(replacement, e.value().inc_ref().ptr());
    PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(replacement)), replacement);
    Py_DECREF(replacement);
    throwPythonError();
}

namespace {

// `first, second = pair`, with Python's messages when the count is wrong.
py::object secondOfPair(py::handle pair) {
    py::object iterator = steal(PyObject_GetIter(pair.ptr()));
    py::object items[3];
    int count = 0;
    for (; count < 3; ++count) {
        PyObject *item = PyIter_Next(iterator.ptr());
        if (!item) break;
        items[count] = py::reinterpret_steal<py::object>(item);
    }
    if (PyErr_Occurred()) throwPythonError();
    if (count < 2)
        PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected 2, got %d)", count);
    else if (count > 2)
        PyErr_SetString(PyExc_ValueError, "too many values to unpack (expected 2)");
    if (count != 2) throwPythonError();
    return items[1];
}

}  // namespace

void withModifier(const State &s, const std::function<void(py::handle)> &body) {
    py::object manager = call(s.global(s.coreModifierContext), Py_False, Py_True);
    py::handle managerType = reinterpret_cast<PyObject *>(Py_TYPE(manager.ptr()));
    py::object exit = getAttr(managerType, s.__exit__);
    py::object pair = call(getAttr(managerType, s.__enter__), manager);
    try {
        body(secondOfPair(pair));
    } catch (py::error_already_set &e) {
        if (!truthy(call(exit, manager, e.type(), e.value(), e.trace()))) throw;
        return;
    }
    call(exit, manager, Py_None, Py_None, Py_None);
}

}  // namespace rigkit
