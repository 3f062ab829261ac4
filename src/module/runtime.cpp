#include "module/runtime.h"

namespace rigkit {

namespace {

// A tuple of interned keyword names; null with an error set on failure.
PyObject *keywordNames(std::initializer_list<const char *> names) {
    PyObject *tuple = PyTuple_New(static_cast<Py_ssize_t>(names.size()));
    if (!tuple) return nullptr;
    Py_ssize_t i = 0;
    for (const char *name : names) {
        PyObject *interned = PyUnicode_InternFromString(name);
        if (!interned) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, i++, interned);
    }
    return tuple;
}

// The words of `list`, split at white space, as a tuple.
PyObject *words(const char *list) {
    PyObject *textObject = PyUnicode_FromString(list);
    if (!textObject) return nullptr;
    PyObject *split = PyUnicode_Split(textObject, nullptr, -1);
    Py_DECREF(textObject);
    if (!split) return nullptr;
    PyObject *tuple = PyList_AsTuple(split);
    Py_DECREF(split);
    return tuple;
}

// A name's cached value is good while neither dictionary changed since it
// was read. Up to CPython 3.11 the dictionaries carry version tags that say
// so; from 3.12 they are gone, and a dictionary watcher counts the changes
// to the two dictionaries instead (all modules of this one, in the one main
// interpreter, share the count: a change to either dictionary of any of them
// only costs the others a fresh lookup).
#if PY_VERSION_HEX < 0x030C0000
bool watchNames(PyObject *, PyObject *) { return true; }
uint64_t versionOf(PyObject *dict) { return reinterpret_cast<PyDictObject *>(dict)->ma_version_tag; }
#else
uint64_t changes = 1;
int watcher = -1;

int countChange(PyDict_WatchEvent, PyObject *, PyObject *, PyObject *) {
    ++changes;
    return 0;
}

// Watches both dictionaries; false, with no error set, when the interpreter
// has no watcher left to give, and names are then looked up every time.
// Nothing unwatches them: the builtins are shared, and the count only ever
// makes a cached value be read again.
bool watchNames(PyObject *globals, PyObject *builtins) {
    if (watcher < 0) watcher = PyDict_AddWatcher(countChange);
    if (watcher < 0 || PyDict_Watch(watcher, globals) < 0 || PyDict_Watch(watcher, builtins) < 0) {
        PyErr_Clear();
        return false;
    }
    return true;
}

uint64_t versionOf(PyObject *) { return changes; }
#endif

}  // namespace

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
    if (!(dot = PyUnicode_InternFromString("."))) return false;
    if (!(openBracket = PyUnicode_InternFromString("["))) return false;
    if (!(closeBracket = PyUnicode_InternFromString("]"))) return false;
    if (!(empty = PyUnicode_InternFromString(""))) return false;
    if (!(smartKeyCallback = PyUnicode_InternFromString("animAttr_setSmartKey"))) return false;
    if (!(registerNode = PyUnicode_InternFromString("register"))) return false;
    if (!(ownedPlugArrays = PyDict_New())) return false;
    if (!(translateWords = words("translateX translateY translateZ tx ty tz"))) return false;
    if (!(rotateWords = words("rotateX rotateY rotateZ rx ry rz"))) return false;
    if (!(scaleWords = words("scaleX scaleY scaleZ sx sy sz"))) return false;
#define RIGKIT_MAKE_KEYWORDS(n, ...) \
    if (!(n = keywordNames({__VA_ARGS__}))) return false;
    RIGKIT_KEYWORDS(RIGKIT_MAKE_KEYWORDS)
#undef RIGKIT_MAKE_KEYWORDS

    module = mod;
    globals = PyModule_GetDict(mod);
    Py_INCREF(globals);
    PyObject *builtinsModule = PyImport_ImportModule("builtins");
    if (!builtinsModule) return false;
    builtins = PyModule_GetDict(builtinsModule);
    Py_INCREF(builtins);
    Py_DECREF(builtinsModule);
    cachesNames = watchNames(globals, builtins);
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
    Py_CLEAR(dot);
    Py_CLEAR(openBracket);
    Py_CLEAR(closeBracket);
    Py_CLEAR(empty);
    Py_CLEAR(smartKeyCallback);
    Py_CLEAR(registerNode);
    Py_CLEAR(translateWords);
    Py_CLEAR(rotateWords);
    Py_CLEAR(scaleWords);
#define RIGKIT_CLEAR_KEYWORDS(n, ...) Py_CLEAR(n);
    RIGKIT_KEYWORDS(RIGKIT_CLEAR_KEYWORDS)
#undef RIGKIT_CLEAR_KEYWORDS
    clearReferences();
    module = nullptr;
}

int State::traverse(visitproc visit, void *arg) {
    Py_VISIT(globals);
    Py_VISIT(builtins);
    Py_VISIT(ownedPlugArrays);
    return 0;
}

void State::clearReferences() {
    Py_CLEAR(globals);
    Py_CLEAR(builtins);
    Py_CLEAR(ownedPlugArrays);
}

namespace {

[[noreturn]] void throwTornDown() {
    PyErr_SetString(PyExc_RuntimeError, "rigkit0 is being torn down");
    throwPythonError();
}

}  // namespace

namespace {

}  // namespace

py::object State::global(const GlobalName &g) const {
    if (!globals || !builtins) throwTornDown();
    if (cachesNames && g.value && g.globalsVersion == versionOf(globals) &&
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
    if (!globals || !builtins) throwTornDown();
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

InterfaceCheck::InterfaceCheck(const State &s) : s_(s) {
    if (s.interfaceChecks == 0) {
        py::object mglobal = s.global(s.MGlobal);
        s.interfacePresent =
            equal(callMethod(mglobal, s.mayaState), getAttr(mglobal, s.kInteractive));
    }
    ++s.interfaceChecks;
}

py::object failureLine(const State &s, py::error_already_set &e) {
    py::handle traceback = e.trace();
    if (!traceback || traceback.is_none()) return none();
    return getAttr(traceback, s.tb_lineno);
}

HandlingScope::HandlingScope(py::error_already_set &handled) {
    PyErr_GetExcInfo(&type_, &value_, &traceback_);
    PyErr_SetExcInfo(handled.type().inc_ref().ptr(), handled.value().inc_ref().ptr(),
                     handled.trace() ? handled.trace().inc_ref().ptr() : nullptr);
}

HandlingScope::~HandlingScope() { PyErr_SetExcInfo(type_, value_, traceback_); }

void raiseEnriched(const State &s, py::error_already_set &e,
                   const std::function<py::object()> &suffix) {
    whileHandling(e, [&] {
        py::object prefix;
        if (PyObject *message = PyObject_GetAttr(e.value().ptr(), s.message)) {
            prefix = py::reinterpret_steal<py::object>(message);
        } else {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPythonError();
            PyErr_Clear();
            prefix = text("Error:");
        }
        py::object message = format("%s%s", prefix, suffix());
        py::object replacement = py::reinterpret_steal<py::object>(
            PyObject_CallOneArg(e.type().ptr(), message.ptr()));
        if (!replacement || !PyExceptionInstance_Check(replacement.ptr())) {
            PyErr_Clear();
            return;  // e's class cannot be built from one message: e itself goes on
        }
        // Raised while e is the handled exception, so e becomes its context.
        PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(replacement.ptr())),
                        replacement.ptr());
        throwPythonError();
    });
    throw e;
}

std::pair<py::object, py::object> unpackPair(py::handle pair) {
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
    return {items[0], items[1]};
}

namespace {

// type(obj).name bound to obj, as the interpreter looks up special methods.
py::object lookupSpecial(py::handle obj, PyObject *name) {
    PyTypeObject *type = Py_TYPE(obj.ptr());
    PyObject *descriptor = _PyType_Lookup(type, name);  // borrowed
    if (!descriptor) {
        PyErr_SetObject(PyExc_AttributeError, name);
        throwPythonError();
    }
    // Held while its __get__ runs: Python code there may replace it in the type.
    py::object held = py::reinterpret_borrow<py::object>(descriptor);
    descrgetfunc get = Py_TYPE(descriptor)->tp_descr_get;
    if (!get) return held;
    py::object heldType = py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject *>(type));
    return steal(get(held.ptr(), obj.ptr(), heldType.ptr()));
}

}  // namespace

void withContext(const State &s, py::handle manager,
                 const std::function<void(py::handle)> &body) {
    py::object enter = lookupSpecial(manager, s.__enter__);
    py::object exit = lookupSpecial(manager, s.__exit__);
    py::object entered = call(enter);
    try {
        body(entered);
    } catch (py::error_already_set &e) {
        const bool suppressed = whileHandling(e, [&] {
            py::handle trace = e.trace() ? py::handle(e.trace()) : py::handle(Py_None);
            return truthy(call(exit, e.type(), e.value(), trace));
        });
        if (!suppressed) throw;
        return;
    }
    call(exit, Py_None, Py_None, Py_None);
}

void withModifier(const State &s, const std::function<void(py::handle)> &body) {
    py::object manager = call(s.global(s.coreModifierContext), Py_False, Py_True);
    withContext(s, manager, [&](py::handle pair) { body(unpackPair(pair).second); });
}

}  // namespace rigkit
