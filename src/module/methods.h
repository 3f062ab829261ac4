// How a C++ function becomes a member of one of the module's classes.
//
// The classes derive from classes that exist only at run time (the suite's
// CoreObject, Maya's MTime), so each is made as a class statement makes it: a
// namespace is filled, then the base's metaclass is called. This is the only
// place that knows how a function enters that namespace.
//
// A member is a small function object called through vectorcall that binds
// like a Python function: it is a method descriptor, so `obj.method()` and a
// class's __init__ call it with `self` in front and no bound method in
// between. A plain builtin wrapped in instancemethod works too, but costs a
// bound-method object per call; pybind11's cpp_function costs about 70% more
// again. As with a def, statics go through the built-in staticmethod and
// properties through the suite's coreProperty.
//
// Each function holds a tuple (module, qualname, parameter names, defaults,
// docstring): the module gives the body its State, names and defaults let the
// arguments bind exactly as Python binds a def's arguments, and give help()
// the signature.
//
// A body has the shape
//     py::object body(const State &s, py::handle self, py::handle arg1, ...);
// (statics have no `self`); it returns the result or throws
// py::error_already_set, and nothing it throws crosses into the interpreter.
#pragma once

#include "module/runtime.h"

#include <new>
#include <utility>

namespace rigkit {

namespace detail {

// Binds positional and keyword arguments to `count` parameters, filling the
// missing trailing ones from the defaults; false with TypeError set otherwise.
bool bindArguments(PyObject *binding, PyObject *const *args, size_t nargsf, PyObject *kwnames,
                   PyObject **out, Py_ssize_t count);

// Runs a body; turns every C++ exception into a Python error.
template <class Body>
PyObject *guarded(Body &&body) noexcept {
    try {
        return body().release().ptr();
    } catch (py::error_already_set &e) {
        e.restore();
    } catch (const std::bad_alloc &) {
        PyErr_NoMemory();
    } catch (const std::exception &e) {
        PyErr_SetString(PyExc_SystemError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, "unexpected C++ exception in rigkit0");
    }
    return nullptr;
}

template <class F>
struct Arity;
template <class... Handles>
struct Arity<py::object (*)(const State &, Handles...)> {
    static constexpr size_t value = sizeof...(Handles);
};

template <auto F, size_t... I>
py::object invoke(const State &s, PyObject **args, std::index_sequence<I...>) {
    return F(s, py::handle(args[I])...);
}

// The member function object (methods.cpp).
struct Function {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    PyObject *binding;  // (module, qualname, names, defaults)
    PyObject *name;
};

// Counts a member's call as the interpreter counts its own, for as long as
// the scope lives: a member calling members (a parent's isVisible) recurses in
// C, where nothing else counts the depth, so a deep chain ends in
// RecursionError, not a stack overflow.
//
// From CPython 3.12 the interpreter keeps its thread state in thread-local
// storage, and each of Py_EnterRecursiveCall and Py_LeaveRecursiveCall fetches
// it again: on 3.12 and 3.13 the scope fetches it once and counts on it as
// those two do, leaving the limit's check and its error to
// Py_EnterRecursiveCall. 3.14 counts the depth another way.
class RecursionScope {
public:
#if PY_VERSION_HEX >= 0x030C0000 && PY_VERSION_HEX < 0x030E0000
    RecursionScope() : thread_(PyThreadState_Get()) {
        if (thread_->c_recursion_remaining > 0)
            --thread_->c_recursion_remaining;
        else if (Py_EnterRecursiveCall(where))
            throwPythonError();
    }
    ~RecursionScope() { ++thread_->c_recursion_remaining; }
#else
    RecursionScope() {
        if (Py_EnterRecursiveCall(where)) throwPythonError();
    }
    ~RecursionScope() { Py_LeaveRecursiveCall(); }
#endif
    RecursionScope(const RecursionScope &) = delete;
    RecursionScope &operator=(const RecursionScope &) = delete;

private:
    static constexpr const char *where = " while calling a rigkit0 method";
#if PY_VERSION_HEX >= 0x030C0000 && PY_VERSION_HEX < 0x030E0000
    PyThreadState *thread_;
#endif
};

// The entry the interpreter calls. Everything, argument binding included,
// runs inside the guard: a failed allocation while naming missing arguments
// becomes MemoryError, never an exception unwinding into the interpreter.
template <auto F>
PyObject *trampoline(PyObject *callable, PyObject *const *args, size_t nargsf,
                     PyObject *kwnames) noexcept {
    return guarded([&] {
        constexpr size_t count = Arity<decltype(F)>::value;
        PyObject *binding = reinterpret_cast<Function *>(callable)->binding;
        if (!binding) {  // cleared by the garbage collector while in a dead cycle
            PyErr_SetString(PyExc_ReferenceError, "rigkit0 function no longer usable");
            throwPythonError();
        }
        // Held for the call: the defaults bound below are borrowed from it.
        py::object keep = py::reinterpret_borrow<py::object>(binding);
        PyObject *bound[count + 1];
        if (!bindArguments(binding, args, nargsf, kwnames, bound,
                           static_cast<Py_ssize_t>(count)))
            throwPythonError();
        RecursionScope depth;
        const State &s = stateOf(PyTuple_GET_ITEM(binding, 0));
        return invoke<F>(s, bound, std::make_index_sequence<count>{});
    });
}

extern PyTypeObject functionType;

// Makes the type of member functions ready; false with an error set.
bool readyFunctionType();

}  // namespace detail

using Params = std::initializer_list<const char *>;
using Defaults = std::initializer_list<py::handle>;

// Fills one class namespace and makes the class, as a class statement does:
// the namespace comes from the metaclass's __prepare__, members are stored
// into it in order, then the metaclass is called. Every member carries a
// docstring, for the suite's developers reading help().
class ClassBuilder {
public:
    // `outer` is the qualified name of the enclosing class of a nested class.
    ClassBuilder(const State &s, const char *name, py::handle bases, const char *doc,
                 py::handle outer = py::handle());

    // The constructor, stored under __init__ like any other method.
    template <auto F>
    void init(const char *doc, Params params, Defaults defaults = {}) {
        put("__init__", function<F>("__init__", doc, params, defaults));
    }
    template <auto F>
    void method(const char *name, const char *doc, Params params, Defaults defaults = {}) {
        put(name, function<F>(name, doc, params, defaults));
    }
    // A method handed through the suite's coreDecorator.
    template <auto F>
    void decorated(const char *name, const char *doc, Params params, Defaults defaults = {}) {
        put(name, call(s_.global(s_.coreDecorator), function<F>(name, doc, params, defaults)));
    }
    // A value computed on first read and kept by the instance (coreProperty).
    template <auto F>
    void property(const char *name, const char *doc) {
        put(name, call(s_.global(s_.coreProperty), function<F>(name, doc, {"self"}, {})));
    }
    template <auto F>
    void staticMethod(const char *name, const char *doc, Params params, Defaults defaults = {}) {
        put(name, call(builtin("staticmethod"), function<F>(name, doc, params, defaults)));
    }
    void constant(const char *name, py::handle value) { put(name, value); }
    // Names the class's methods store on `self`: from CPython 3.13 a class
    // statement lists them, sorted, in __static_attributes__.
    void instanceAttributes(Params names) {
        for (const char *name : names) append(instanceAttributes_, text(name));
    }

    // The qualified name of the class being built, for nested classes.
    py::handle qualname() const { return qualname_; }

    // Calls the metaclass with (name, bases, namespace).
    py::object build();

private:
    template <auto F>
    py::object function(const char *name, const char *doc, Params params, Defaults defaults) {
        return makeFunction(&detail::trampoline<F>, name, doc, params, defaults);
    }
    py::object makeFunction(vectorcallfunc body, const char *name, const char *doc,
                            Params params, Defaults defaults);
    py::object builtin(const char *name) const;
    void put(const char *name, py::handle value);

    const State &s_;
    py::object name_;
    py::object qualname_;
    py::object bases_;
    py::object metaclass_;
    py::object namespace_;
    py::object instanceAttributes_ = newList();
};

// Looks the base class up in the module's namespace as a class statement does
// (NameError when it is missing), fills the class through `fill`, makes it and
// binds it in the module.
template <class Fill>
py::object defineClass(const State &s, const char *name, const char *baseName, const char *doc,
                       Fill &&fill) {
    py::object base = s.global(steal(PyUnicode_InternFromString(baseName)).ptr());
    py::object bases = steal(PyTuple_Pack(1, base.ptr()));
    ClassBuilder builder(s, name, bases, doc);
    fill(builder);
    py::object cls = builder.build();
    if (PyDict_SetItemString(s.globals, name, cls.ptr()) < 0) throwPythonError();
    return cls;
}

}  // namespace rigkit
