// What one public call has learned of the scene, kept only while it runs.
//
// Inside Maya each question costs a call: a tool that touches fifty nodes
// through six channels each would otherwise resolve every node by name, and
// read every curve member, once per channel and per property. A call that
// opens an ActionScope keeps those answers for as long as it runs; calls it
// makes into the module (directly, or through the suite's objects) join the
// same scope. Nothing outlives the outermost call: the animator renames,
// deletes and re-keys between actions, and the next call asks Maya again.
#pragma once

#include "module/runtime.h"

#include <memory>

namespace rigkit {

struct Action;

class ActionScope {
public:
    explicit ActionScope(const State &s);
    ~ActionScope();
    ActionScope(const ActionScope &) = delete;
    ActionScope &operator=(const ActionScope &) = delete;

private:
    const State &s_;
    std::unique_ptr<Action> own_;  // null when an outer call's scope is joined
};

// The MObject a node name resolved to earlier in this action, or a null
// object (outside an action, or a name not resolved yet).
py::object knownNode(const State &s, py::handle name);
// Files the MObject that `name` designates for the rest of the action.
void rememberNode(const State &s, py::handle name, py::handle mobject);
// rememberNode for `path`, the full DAG path Maya gave for `mobject`: the
// node's own name and its parent's are then read off the path.
void rememberPath(const State &s, py::handle path, py::handle mobject);
// Whether `name` is a full DAG path filed by rememberPath in this action.
bool knownPath(const State &s, py::handle name);
// Drops every name the action resolved: a rename or a new node may have
// made them answer differently.
void forgetNodes(const State &s);

// Whether the node of the MObject `mobject` (that very object, as a name
// resolved to it) was found to exist earlier in this action; markExisting
// records that it was.
bool knownToExist(const State &s, py::handle mobject);
void markExisting(const State &s, py::handle mobject);

// Outside an action too, one call may find a node by its name and then ask
// whether it exists (Node.exists reads nodeMObject, then its handle). While
// a watch lives it keeps the last MObject markExisting was given, so that
// call can take the finding for the answer instead of asking Maya again.
// Switched off with the action memory.
//
// The live watches form a chain through the module's state, and the chain
// holds one thread's watches at a time: another thread may run while this
// one calls into Python, and must neither link into this thread's stack nor
// see its findings. A watch that cannot join watches nothing.
class ExistenceWatch {
public:
    explicit ExistenceWatch(const State &s);
    ~ExistenceWatch();
    ExistenceWatch(const ExistenceWatch &) = delete;
    ExistenceWatch &operator=(const ExistenceWatch &) = delete;

    // Whether `mobject` is that very object, found to exist while the watch lived.
    bool saw(py::handle mobject) const { return seen_ && seen_.ptr() == mobject.ptr(); }

private:
    friend void markExisting(const State &s, py::handle mobject);
    const State &s_;
    PyThreadState *thread_ = nullptr;  // the thread whose call opened it
    ExistenceWatch *outer_ = nullptr;
    bool watching_ = false;
    py::object seen_;
};

// getattr(obj, name), read once per object and action. Outside an action a
// plain read.
py::object memberOnce(const State &s, py::handle obj, PyObject *name);
// Files `value` as what `obj`'s member `name` reads for the rest of the
// action (an answer got from Maya by another way); outside an action nothing.
void fileMember(const State &s, py::handle obj, PyObject *name, py::handle value);
// The anim-curve function set of a curve the action keyed, kept with the
// curve's wrapper, or a null object.
void rememberCurveFn(const State &s, py::handle curve, py::handle fn);
py::object knownCurveFn(const State &s, py::handle curve);
// What `obj`'s member `name` was filed or read as in this action, or a
// null object; asks nothing.
py::object knownMember(const State &s, py::handle obj, PyObject *name);
// Drops what was read of `obj` (its keys were re-read on purpose).
void forgetMembers(const State &s, py::handle obj);

}  // namespace rigkit
