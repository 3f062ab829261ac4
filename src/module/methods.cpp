#include "module/methods.h"

#include <cstddef>
#include <string>

namespace rigkit {

namespace detail {

namespace {

// The binding tuple of every member function:
// (module, qualname, names, defaults, docstring).
enum BindingItem : Py_ssize_t { kModule, kQualname, kNames, kDefaults, kDoc };

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

// "f() missing 2 required positional arguments: 'a' and 'b'"
void setMissingArgumentsError(PyObject *qualname, const py::list &missing) {
    const Py_ssize_t n = PyList_GET_SIZE(missing.ptr());
    std::string names;
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (i > 0) names += n == 2 ? " and " : (i == n - 1 ? ", and " : ", ");
        names += "'" + py::str(PyList_GET_ITEM(missing.ptr(), i)).cast<std::string>() + "'";
    }
    PyErr_Format(PyExc_TypeError, "%U() missing %zd required positional argument%s: %s", qualname,
                 n, n == 1 ? "" : "s", names.c_str());
}

}  // namespace

// Binds as CPython binds a def's positional-or-keyword parameters, with its
// messages.
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
    bool complete = true;
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (out[i]) continue;
        if (i < required)
            complete = false;
        else
            out[i] = PyTuple_GET_ITEM(defaults, i - required);
    }
    if (complete) return true;
    // Missing required arguments are named all at once, as CPython names them.
    py::list missing;
    for (Py_ssize_t i = 0; i < required; ++i)
        if (!out[i]) missing.append(py::reinterpret_borrow<py::object>(PyTuple_GET_ITEM(names, i)));
    setMissingArgumentsError(qualname, missing);
    return false;
}

// --- the member function type ----------------------------------------------

namespace {

Function *asFunction(PyObject *self) { return reinterpret_cast<Function *>(self); }

void functionDealloc(PyObject *self) {
    PyObject_GC_UnTrack(self);
    Py_CLEAR(asFunction(self)->binding);
    Py_CLEAR(asFunction(self)->name);
    PyObject_GC_Del(self);
}

int functionTraverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(asFunction(self)->binding);
    return 0;
}

int functionClear(PyObject *self) {
    Py_CLEAR(asFunction(self)->binding);
    return 0;
}

// Binds like a def: through an instance it is a bound method, through the
// class the function itself.
PyObject *functionGet(PyObject *self, PyObject *obj, PyObject *) {
    if (!obj || obj == Py_None) {
        Py_INCREF(self);
        return self;
    }
    return PyMethod_New(self, obj);
}

PyObject *bindingItem(PyObject *self, BindingItem i) {
    PyObject *binding = asFunction(self)->binding;
    if (!binding) Py_RETURN_NONE;
    PyObject *value = PyTuple_GET_ITEM(binding, i);
    Py_INCREF(value);
    return value;
}

PyObject *functionName(PyObject *self, void *) {
    Py_INCREF(asFunction(self)->name);
    return asFunction(self)->name;
}

PyObject *functionQualname(PyObject *self, void *) { return bindingItem(self, kQualname); }

PyObject *functionModule(PyObject *self, void *) {
    PyObject *binding = asFunction(self)->binding;
    if (!binding) Py_RETURN_NONE;
    return PyObject_GetAttrString(PyTuple_GET_ITEM(binding, kModule), "__name__");
}

PyObject *functionDoc(PyObject *self, void *) { return bindingItem(self, kDoc); }

// "(self, name, flag=False)": what inspect.signature and help() read for a
// callable that is not a Python function.
PyObject *functionTextSignature(PyObject *self, void *) {
    PyObject *binding = asFunction(self)->binding;
    if (!binding) Py_RETURN_NONE;
    return guarded([&] {
        PyObject *names = item(binding, kNames);
        PyObject *defaults = item(binding, kDefaults);
        const Py_ssize_t count = PyTuple_GET_SIZE(names);
        const Py_ssize_t required = count - PyTuple_GET_SIZE(defaults);
        py::object parts = steal(PyList_New(0));
        for (Py_ssize_t i = 0; i < count; ++i) {
            PyObject *name = PyTuple_GET_ITEM(names, i);
            py::object part;
            if (i < required)
                part = py::reinterpret_borrow<py::object>(name);
            else
                part = steal(PyUnicode_FromFormat("%U=%R", name,
                                                  PyTuple_GET_ITEM(defaults, i - required)));
            if (PyList_Append(parts.ptr(), part.ptr()) < 0) throwPythonError();
        }
        py::object joined = steal(PyUnicode_Join(text(", ").ptr(), parts.ptr()));
        return steal(PyUnicode_FromFormat("(%U)", joined.ptr()));
    });
}

PyObject *functionRepr(PyObject *self) {
    PyObject *qualname = functionQualname(self, nullptr);
    if (!qualname) return nullptr;
    PyObject *repr = PyUnicode_FromFormat("<rigkit0 function %S>", qualname);
    Py_DECREF(qualname);
    return repr;
}

PyGetSetDef functionGetSet[] = {
    {"__name__", functionName, nullptr, nullptr, nullptr},
    {"__qualname__", functionQualname, nullptr, nullptr, nullptr},
    {"__module__", functionModule, nullptr, nullptr, nullptr},
    {"__doc__", functionDoc, nullptr, nullptr, nullptr},
    {"__text_signature__", functionTextSignature, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr}};

}  // namespace

PyTypeObject functionType = [] {
    PyTypeObject type{PyVarObject_HEAD_INIT(nullptr, 0)};
    type.tp_name = "rigkit0.function";
    type.tp_basicsize = sizeof(Function);
    type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_HAVE_VECTORCALL |
                    Py_TPFLAGS_METHOD_DESCRIPTOR;
    type.tp_vectorcall_offset = offsetof(Function, vectorcall);
    type.tp_call = PyVectorcall_Call;
    type.tp_dealloc = functionDealloc;
    type.tp_traverse = functionTraverse;
    type.tp_clear = functionClear;
    type.tp_descr_get = functionGet;
    type.tp_repr = functionRepr;
    type.tp_getset = functionGetSet;
    return type;
}();

bool readyFunctionType() { return PyType_Ready(&functionType) == 0; }

}  // namespace detail

namespace {

// The namespace a class statement would fill: metaclass.__prepare__(name,
// bases), which must give a mapping.
py::object prepareNamespace(py::handle metaclass, py::handle name, py::handle bases) {
    py::object prepared;
    if (PyObject *prepare = PyObject_GetAttrString(metaclass.ptr(), "__prepare__")) {
        prepared = call(py::reinterpret_steal<py::object>(prepare), name, bases);
    } else {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
        PyErr_Clear();
        return py::dict();
    }
    if (!PyMapping_Check(prepared.ptr())) {
        PyErr_Format(PyExc_TypeError, "%.200s.__prepare__() must return a mapping, not %.200s",
                     reinterpret_cast<PyTypeObject *>(metaclass.ptr())->tp_name,
                     Py_TYPE(prepared.ptr())->tp_name);
        throwPythonError();
    }
    return prepared;
}

// The metaclass a class statement with these bases would call: the type of
// the first base (the module's classes have exactly one).
py::object metaclassOf(py::handle bases) {
    if (!PyTuple_Check(bases.ptr()) || PyTuple_GET_SIZE(bases.ptr()) < 1) {
        PyErr_SetString(PyExc_TypeError, "a class needs a tuple of at least one base");
        throwPythonError();
    }
    return py::reinterpret_borrow<py::object>(
        reinterpret_cast<PyObject *>(Py_TYPE(PyTuple_GET_ITEM(bases.ptr(), 0))));
}

}  // namespace

ClassBuilder::ClassBuilder(const State &s, const char *name, py::handle bases, const char *doc,
                           py::handle outer)
    : s_(s),
      name_(steal(PyUnicode_InternFromString(name))),
      qualname_(outer ? format("%s.%s", outer, name_) : name_),
      bases_(py::reinterpret_borrow<py::object>(bases)),
      metaclass_(metaclassOf(bases)),
      namespace_(prepareNamespace(metaclass_, name_, bases_)) {
    put("__module__", getAttr(s.module, s.__name__));
    put("__qualname__", qualname_);
#if PY_VERSION_HEX >= 0x030D0000
    // A class statement records where it starts; the module has no Python
    // source, so inspect finds none whatever the line.
    put("__firstlineno__", steal(PyLong_FromLong(1)));
#endif
    put("__doc__", text(doc));
}

py::object ClassBuilder::makeFunction(vectorcallfunc body, const char *name, const char *doc,
                                      Params params, Defaults defaults) {
    py::tuple names(params.size());
    Py_ssize_t i = 0;
    for (const char *param : params)
        PyTuple_SET_ITEM(names.ptr(), i++, steal(PyUnicode_InternFromString(param)).release().ptr());
    py::tuple values(defaults.size());
    i = 0;
    for (py::handle value : defaults) PyTuple_SET_ITEM(values.ptr(), i++, value.inc_ref().ptr());
    py::object qualname = format("%s.%s", qualname_, text(name));
    py::object binding = steal(PyTuple_Pack(5, s_.module, qualname.ptr(), names.ptr(),
                                            values.ptr(), text(doc).ptr()));

    py::object functionName = steal(PyUnicode_InternFromString(name));

    // Nothing may fail once the object exists: its fields are not yet set.
    auto *function = PyObject_GC_New(detail::Function, &detail::functionType);
    if (!function) throwPythonError();
    function->vectorcall = body;
    function->binding = binding.release().ptr();
    function->name = functionName.release().ptr();
    PyObject_GC_Track(function);
    return steal(reinterpret_cast<PyObject *>(function));
}

py::object ClassBuilder::builtin(const char *name) const {
    return s_.global(steal(PyUnicode_InternFromString(name)).ptr());
}

void ClassBuilder::put(const char *name, py::handle value) {
    if (PyObject_SetItem(namespace_.ptr(), steal(PyUnicode_InternFromString(name)).ptr(),
                         value.ptr()) < 0)
        throwPythonError();
}

py::object ClassBuilder::build() {
#if PY_VERSION_HEX >= 0x030D0000
    // Last, after the members, as a class statement stores it.
    if (PyList_Sort(instanceAttributes_.ptr()) < 0) throwPythonError();
    put("__static_attributes__", steal(PyList_AsTuple(instanceAttributes_.ptr())));
#endif
    return call(metaclass_, name_, bases_, namespace_);
}

}  // namespace rigkit
