#include "module/action.h"

namespace rigkit {

// The action's memory. Objects it answers for are held, so that the address
// that keys them cannot be reused by another object while the action runs.
struct Action {
    PyThreadState *thread = PyThreadState_Get();  // the thread whose call opened it
    py::object names = steal(PyDict_New());     // node name -> MObject
    py::object members = steal(PyDict_New());   // address -> {member: value}
    py::object existing = steal(PySet_New(nullptr));  // MObjects found to exist
    py::object paths = steal(PySet_New(nullptr));     // names that are full DAG paths
    py::object held = steal(PyList_New(0));
};

namespace {

// The running action, for a call on the thread that opened it; null for any
// other thread: its call may run while that one waits for the interpreter
// lock, and must neither take that call's answers for its own nor use the
// memory after that call has ended and dropped it.
Action *current(const State &s) {
    Action *action = s.action;
    return action && action->thread == PyThreadState_Get() ? action : nullptr;
}

// False while the module's `_actionMemory` is set false: every question then
// goes to Maya as often as it is asked, the path the tests compare with.
bool memoryAllowed(const State &s) {
    if (!s.globals) return false;
    PyObject *flag = PyDict_GetItemWithError(s.globals, s._actionMemory);  // borrowed
    if (!flag) {
        if (PyErr_Occurred()) throwPythonError();
        return true;
    }
    const int allowed = PyObject_IsTrue(flag);
    if (allowed < 0) throwPythonError();
    return allowed != 0;
}

}  // namespace

ActionScope::ActionScope(const State &s) : s_(s) {
    if (s.action || !memoryAllowed(s)) return;
    own_.reset(new Action());
    s.action = own_.get();
}

ActionScope::~ActionScope() {
    if (!own_) return;
    s_.action = nullptr;
    // Releasing the answers may run finalizers; an error being raised stays.
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    own_.reset();
    PyErr_Restore(type, value, traceback);
}

namespace {

py::object addressOf(py::handle obj) { return steal(PyLong_FromVoidPtr(obj.ptr())); }

void hold(Action &action, py::handle obj) { append(action.held, obj); }

// A borrowed entry of `dict`, or null.
PyObject *entry(py::handle dict, py::handle key) {
    PyObject *found = PyDict_GetItemWithError(dict.ptr(), key.ptr());
    if (!found && PyErr_Occurred()) throwPythonError();
    return found;
}

}  // namespace

py::object knownNode(const State &s, py::handle name) {
    Action *action = current(s);
    if (!action || !PyUnicode_CheckExact(name.ptr())) return py::object();
    return py::reinterpret_borrow<py::object>(entry(action->names, name));
}

void rememberNode(const State &s, py::handle name, py::handle mobject) {
    Action *action = current(s);
    if (!action || !PyUnicode_CheckExact(name.ptr()) || mobject.is_none()) return;
    if (PyDict_SetItem(action->names.ptr(), name.ptr(), mobject.ptr()) < 0) throwPythonError();
}

void rememberPath(const State &s, py::handle path, py::handle mobject) {
    Action *action = current(s);
    if (!action || !PyUnicode_CheckExact(path.ptr()) || mobject.is_none()) return;
    rememberNode(s, path, mobject);
    if (PySet_Add(action->paths.ptr(), path.ptr()) < 0) throwPythonError();
}

bool knownPath(const State &s, py::handle name) {
    Action *action = current(s);
    if (!action || !PyUnicode_CheckExact(name.ptr())) return false;
    const int found = PySet_Contains(action->paths.ptr(), name.ptr());
    if (found < 0) throwPythonError();
    return found != 0;
}

void forgetNodes(const State &s) {
    Action *action = current(s);
    if (!action) return;
    PyDict_Clear(action->names.ptr());
    PySet_Clear(action->existing.ptr());
    PySet_Clear(action->paths.ptr());
}

bool knownToExist(const State &s, py::handle mobject) {
    Action *action = current(s);
    if (!action) return false;
    const int found = PySet_Contains(action->existing.ptr(), addressOf(mobject).ptr());
    if (found < 0) throwPythonError();
    return found != 0;
}

void markExisting(const State &s, py::handle mobject) {
    // Every live watch of this thread sees it: an outer call's lookup may run
    // inside an inner one.
    ExistenceWatch *innermost = s.existenceWatch;
    if (innermost && innermost->thread_ == PyThreadState_Get())
        for (ExistenceWatch *watch = innermost; watch; watch = watch->outer_)
            watch->seen_ = py::reinterpret_borrow<py::object>(mobject);
    Action *action = current(s);
    if (!action) return;
    hold(*action, mobject);
    if (PySet_Add(action->existing.ptr(), addressOf(mobject).ptr()) < 0) throwPythonError();
}

ExistenceWatch::ExistenceWatch(const State &s) : s_(s) {
    if (!memoryAllowed(s)) return;
    PyThreadState *thread = PyThreadState_Get();
    if (s.existenceWatch && s.existenceWatch->thread_ != thread) return;  // another thread's
    thread_ = thread;
    outer_ = s.existenceWatch;
    s.existenceWatch = this;
    watching_ = true;
}

ExistenceWatch::~ExistenceWatch() {
    if (!watching_) return;
    // One thread's calls end in the order they began, so this is the innermost
    // watch; unlinked wherever it stands all the same, never left behind.
    for (ExistenceWatch **link = &s_.existenceWatch; *link; link = &(*link)->outer_)
        if (*link == this) {
            *link = outer_;
            break;
        }
}

namespace {

// The members read of `obj` so far in the action: made on first use.
py::object membersOf(Action &action, py::handle obj) {
    py::object address = addressOf(obj);
    if (PyObject *read = entry(action.members, address))
        return py::reinterpret_borrow<py::object>(read);
    py::object read = steal(PyDict_New());
    hold(action, obj);
    if (PyDict_SetItem(action.members.ptr(), address.ptr(), read.ptr()) < 0) throwPythonError();
    return read;
}

}  // namespace

py::object memberOnce(const State &s, py::handle obj, PyObject *name) {
    Action *action = current(s);
    if (!action) return getAttr(obj, name);
    if (PyObject *read = entry(action->members, addressOf(obj)))
        if (PyObject *known = entry(read, name)) return py::reinterpret_borrow<py::object>(known);
    py::object value = getAttr(obj, name);
    fileMember(s, obj, name, value);
    return value;
}

py::object knownMember(const State &s, py::handle obj, PyObject *name) {
    Action *action = current(s);
    if (!action) return py::object();
    PyObject *read = entry(action->members, addressOf(obj));
    if (!read) return py::object();
    return py::reinterpret_borrow<py::object>(entry(read, name));
}

void fileMember(const State &s, py::handle obj, PyObject *name, py::handle value) {
    // The object's table is looked up anew: reading a member may have run
    // module calls that filed other members of the same object.
    Action *action = current(s);
    if (!action) return;
    if (PyDict_SetItem(membersOf(*action, obj).ptr(), name, value.ptr()) < 0) throwPythonError();
}

namespace {

// The key the function set is filed under among the wrapper's members: a
// text no attribute name can be.
py::object curveFnKey() { return steal(PyUnicode_InternFromString("curve function set")); }

}  // namespace

void rememberCurveFn(const State &s, py::handle curve, py::handle fn) {
    fileMember(s, curve, curveFnKey().ptr(), fn);
}

py::object knownCurveFn(const State &s, py::handle curve) {
    return knownMember(s, curve, curveFnKey().ptr());
}

void forgetMembers(const State &s, py::handle obj) {
    Action *action = current(s);
    if (!action) return;
    py::object address = addressOf(obj);
    if (entry(action->members, address) &&
        PyDict_DelItem(action->members.ptr(), address.ptr()) < 0)
        throwPythonError();
}

}  // namespace rigkit
