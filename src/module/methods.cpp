#include "module/methods.h"

namespace rigkit {

namespace detail {

namespace {

// The binding tuple of every member function: (module, qualname, names, defaults).
enum BindingItem : Py_ssize_t { kModule, kQualname, kNames, kDefaults };

PyObject *item(PyObject *binding, BindingItem i) { return PyTuple_GET_ITEM(binding, i); }

Py_ssize_t findParameter(PyObject *names, PyObject *key) {
    const Py_ssize_t count = PyTuple_GET_SIZE(names);
    for (Py_ssize_t i = 0; i < count; ++i)  // keyword names are usually interned
        if (PyTuple_GET_ITEM(names, i) == key) return i;
    for (Py_ssize_t i = 0; i < count; ++i) {
        const int eq = PyObject_RichCompareBool(PyTuple_GET_ITEM(names, i), key, Py_EQ);
        if (eq < 0) return -2;
        if (eq) return i;
    }
    return -1;
}

}  // namespace

// Mirrors CPython's binding of a def's arguments, messages included.
bool bindArguments(PyObject *binding, PyObject *const *args, size_t nargsf, PyObject *kwnames,
                   PyObject **out, Py_ssize_t count) {
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (!kwnames && nargs == count) {  // the common call: everything positional
        for (Py_ssize_t i = 0; i < count; ++i) out[i] = args[i];
        return true;
    }
    PyObject *qualname = item(binding, kQualname);
    PyObject *names = item(binding, kNames);
    PyObject *defaults = item(binding, kDefaults);
    const Py_ssize_t required = count - PyTuple_GET_SIZE(defaults);
    if (nargs > count) {
        if (required == count)
            PyErr_Format(PyExc_TypeError, "%U() takes %zd positional argument%s but %zd %s given",
                         qualname, count, count == 1 ? "" : "s", nargs,
                         nargs == 1 ? "was" : "were");
        else
            PyErr_Format(PyExc_TypeError,
                         "%U() takes from %zd to %zd positional arguments but %zd %s given",
                         qualname, required, count, nargs, nargs == 1 ? "was" : "were");
        return false;
    }
    for (Py_ssize_t i = 0; i < count; ++i) out[i] = i < nargs ? args[i] : nullptr;
    const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject *key = PyTuple_GET_ITEM(kwnames, k);
        const Py_ssize_t i = findParameter(names, key);
        if (i == -2) return false;
        if (i < 0) {
            PyErr_Format(PyExc_TypeError, "%U() got an unexpected keyword argument '%S'",
                         qualname, key);
            return false;
        }
        if (out[i]) {
            PyErr_Format(PyExc_TypeError, "%U() got multiple values for argument '%S'", qualname,
                         key);
            return false;
        }
        out[i] = args[nargs + k];
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (out[i]) continue;
        if (i < required) {
            PyErr_Format(PyExc_TypeError, "%U() missing required positional argument: '%S'",
                         qualname, PyTuple_GET_ITEM(names, i));
            return false;
        }
        out[i] = PyTuple_GET_ITEM(defaults, i - required);
    }
    return true;
}

}  // namespace detail

ClassBuilder::ClassBuilder(const State &s, const char *name)
    : s_(s), name_(name), qualname_(name) {
    put("__module__", getAttr(s.module, s.__name__));
    put("__qualname__", qualname_);
}

py::object ClassBuilder::makeFunction(PyMethodDef *def, const char *name, Params params,
                                      Defaults defaults) {
    py::tuple names(params.size());
    Py_ssize_t i = 0;
    for (const char *param : params)
        PyTuple_SET_ITEM(names.ptr(), i++, steal(PyUnicode_InternFromString(param)).release().ptr());
    py::tuple values(defaults.size());
    i = 0;
    for (py::handle value : defaults) PyTuple_SET_ITEM(values.ptr(), i++, value.inc_ref().ptr());
    py::object qualname = format("%s.%s", qualname_, text(name));
    py::object binding =
        steal(PyTuple_Pack(4, s_.module, qualname.ptr(), names.ptr(), values.ptr()));
    py::object moduleName = getAttr(s_.module, s_.__name__);
    return steal(PyCFunction_NewEx(def, binding.ptr(), moduleName.ptr()));
}

py::object ClassBuilder::instanceMethod(py::handle function) {
    return steal(PyInstanceMethod_New(function.ptr()));
}

py::object ClassBuilder::builtin(const char *name) const {
    return s_.global(steal(PyUnicode_InternFromString(name)).ptr());
}

void ClassBuilder::put(const char *name, py::handle value) {
    if (PyDict_SetItemString(namespace_.ptr(), name, value.ptr()) < 0) throwPythonError();
}

py::object ClassBuilder::build(py::handle bases) {
    py::handle base = PyTuple_GET_ITEM(bases.ptr(), 0);
    py::handle metaclass = reinterpret_cast<PyObject *>(Py_TYPE(base.ptr()));
    return call(metaclass, name_, bases, namespace_);
}

}  // namespace rigkit
