// The module's entry point: multi-phase initialisation, so that the execution
// step runs with __name__, __package__ and __spec__ already set and the
// relative import of the sibling kit resolves.
#include "module/loading.h"
#include "module/methods.h"

#include <cstddef>
#include <cstring>
#include <new>

// Maya's interpreter has the global lock, and the module relies on it: it
// borrows references from lists and dictionaries that only the lock keeps
// alive. A free-threaded build is refused here rather than made to crash.
#ifdef Py_GIL_DISABLED
#error "rigkit0 is not for free-threaded CPython (3.13t): build it with a CPython that has the GIL"
#endif

// pyconfig.h must describe the target the compiler builds for: Windows' own
// file says 64-bit only to MSVC, and a mismatch compiles cleanly into a module
// with the wrong object layout.
static_assert(SIZEOF_VOID_P == sizeof(void *), "pyconfig.h's pointer size is not the target's");
static_assert(SIZEOF_SIZE_T == sizeof(std::size_t), "pyconfig.h's size_t is not the target's");
static_assert(sizeof(Py_ssize_t) == sizeof(std::size_t), "Py_ssize_t is not as wide as size_t");

namespace rigkit {
namespace {

int traverseModule(PyObject *module, visitproc visit, void *arg) {
    State *s = static_cast<State *>(PyModule_GetState(module));
    return s ? s->traverse(visit, arg) : 0;
}

int clearModule(PyObject *module) {
    if (State *s = static_cast<State *>(PyModule_GetState(module))) s->clearReferences();
    return 0;
}

void freeModule(void *module) {
    if (State *s = static_cast<State *>(PyModule_GetState(static_cast<PyObject *>(module))))
        s->clear();
}

int execModule(PyObject *module) {
    State *s = new (PyModule_GetState(module)) State();
    // pybind11's error handling takes the interpreter lock through the
    // GILState API, which in a sub-interpreter waits for ever on the main
    // interpreter's lock: refuse to load there rather than hang later.
    if (PyInterpreterState_Get() != PyInterpreterState_Main()) {
        PyErr_SetString(PyExc_ImportError,
                        "rigkit0 can only be loaded in the main interpreter, not in a "
                        "sub-interpreter");
        return -1;
    }
    if (!s->init(module) || !detail::readyFunctionType()) return -1;
    PyObject *done = detail::guarded([&] {
        load(*s);
        return none();
    });
    if (!done) return -1;
    Py_DECREF(done);
    return 0;
}

PyModuleDef_Slot slots[] = {{Py_mod_exec, reinterpret_cast<void *>(&execModule)},
                            {0, nullptr}};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT,
                         "rigkit0",
                         "Classes that wrap the Maya scene for the suite's animation tools.",
                         sizeof(State),
                         nullptr,
                         slots,
                         traverseModule,
                         clearModule,
                         freeModule};

}  // namespace
}  // namespace rigkit

PyMODINIT_FUNC PyInit_rigkit0() {
    // A free-threaded interpreter lays out objects differently and would
    // misread every one; its own file name suffix (cpython-313t) keeps it from
    // finding this module, unless the file is renamed. Only C calls here: no
    // macro that reads an object's fields.
    if (std::strstr(Py_GetVersion(), "free-threading")) {
        PyErr_SetString(PyExc_ImportError,
                        "rigkit0 cannot load into a free-threaded CPython; it needs a CPython "
                        "with the global interpreter lock, as Maya's is");
        return nullptr;
    }
    return PyModuleDef_Init(&rigkit::moduleDef);
}
