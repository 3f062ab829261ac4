// AnimTools: the finished animation tools. This file holds the class, the
// curve sources every tool shares and the Smart Euler Filter;
// anim_tools_sync.cpp the timeline questions.
#include "tools/anim_tools.h"

#include "module/action.h"
#include "module/classes.h"

#include <array>
#include <cmath>
#include <vector>

namespace rigkit {
namespace {

// --- which curves ------------------------------------------------------------------

bool underMouse(const State &s, PyObject *toolbarName) {
    py::object toolbar = getAttr(s.global(s.CORE), toolbarName);
    return truthy(toolbar) && truthy(callMethod(toolbar, s.underMouse));
}

// The tools act on the selected keys only while the animator works in a key
// editor with keys selected, and neither over a toolbar nor preferring the
// target's curves.
py::object targetMode(const State &s, py::handle self) {
    py::object targetCurves = getAttr(self, s.MODE_TARGET_CURVES);
    if (underMouse(s, s.ZentrikToolbar) || underMouse(s, s.secondToolbar)) return targetCurves;
    if (!truthy(getAttr(call(s.global(s.KeySelectionContext)), s.isActive))) return targetCurves;
    if (truthy(getAttr(self, s.selectedKeyCurves))) {
        if (truthy(getAttr(call(s.global(s.CurveTarget)), s.preferTargetCurves)))
            return targetCurves;
        return getAttr(self, s.MODE_SELECTED_KEYS);
    }
    return targetCurves;
}

py::object animCurves(const State &s, py::handle self) {
    const bool selectedKeys =
        equal(getAttr(self, s.targetMode), getAttr(self, s.MODE_SELECTED_KEYS));
    py::object curves = getAttr(self, selectedKeys ? s.selectedKeyCurves : s.targetCurves);
    return curves.is_none() ? newList() : curves;
}

// AnimCurve(name, mode[, targetTime], targetController=self)
py::object newCurve(const State &s, py::handle self, py::handle name, py::handle mode,
                    py::handle targetTime = py::handle()) {
    py::object curveClass = s.global(s.AnimCurve);
    if (targetTime) return callKw(curveClass, s.kwTargetController, name, mode, targetTime, self);
    return callKw(curveClass, s.kwTargetController, name, mode, self);
}

py::object selectedKeyCurves(const State &s, py::handle self) {
    py::object names = callKw(getAttr(s.global(s.cmds), s.keyframe), s.kwQueryNameSelected,
                              Py_True, Py_True, Py_True);
    py::object result = newList();
    if (!truthy(names)) return result;
    py::object mode = getAttr(self, s.MODE_SELECTED_KEYS);
    for (py::handle name : names) append(result, newCurve(s, self, name, mode));
    return result;
}

// Runs an optional step: a question or a cosmetic update. Its failure (a
// rebuilt UI, a closed toolbar) is reported, and the tool goes on.
template <class Step>
void bestEffort(const State &s, const char *what, Step &&step) {
    try {
        step();
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Could not %s - %s", text(what),
                                  steal(PyObject_Str(e.value().ptr()))));
        });
    }
}

// Reading the target first offers the timeline questions, so they come up as
// a tool is about to act; a question that cannot be asked stops no tool.
py::object targetCurves(const State &s, py::handle self) {
    InterfaceCheck ui(s);  // one question to Maya for both offers
    bestEffort(s, "offer the Channel Box timeline sync",
               [&] { callMethod(self, s.updateChannelBoxHighlight); });
    bestEffort(s, "offer the anim layer timeline sync",
               [&] { callMethod(self, s.updateAnimLayerSync); });
    py::object target = call(s.global(s.CurveTarget));
    py::object targetTime = getAttr(target, s.targetTime);
    py::object mode = getAttr(self, s.MODE_TARGET_CURVES);
    py::object result = newList();
    for (py::handle name : getAttr(target, s.curveNames))
        append(result, newCurve(s, self, name, mode, targetTime));
    return result;
}

py::object sceneCurveNames(const State &s, py::handle) {
    py::object types = newList();
    for (const char *type : {"animCurveTA", "animCurveTL", "animCurveTT", "animCurveTU"})
        append(types, text(type));
    py::object names = callMethodKw(s.global(s.cmds), s.ls, s.kwType, types);
    return truthy(names) ? names : newList();
}

py::object sceneCurves(const State &s, py::handle self) {
    py::object result = newList();
    py::object curveClass = s.global(s.AnimCurve);
    for (py::handle name : getAttr(self, s.sceneCurveNames)) append(result, call(curveClass, name));
    return result;
}

// --- the rotation key pre-pass ---------------------------------------------------

py::object rotationCurves(const State &s, py::handle curves) {
    py::object result = newList();
    for (py::handle curve : curves)
        if (truthy(memberOnce(s, curve, s.isRotation))) append(result, curve);
    return result;
}

// dict[key] as a new reference, or None when the key is absent. The dicts
// are this file's own (exact dicts), and the entry is owned before anything
// else runs, so no later call can take it away.
py::object entryOrNone(py::handle dict, py::handle key) {
    PyObject *found = PyDict_GetItemWithError(dict.ptr(), key.ptr());
    if (!found && PyErr_Occurred()) throwPythonError();
    return found ? py::reinterpret_borrow<py::object>(found) : none();
}

// map.setdefault(key, {})
py::object innerMap(py::handle map, py::handle key) {
    py::object inner = entryOrNone(map, key);
    if (!inner.is_none()) return inner;
    py::object created = steal(PyDict_New());
    if (PyDict_SetItem(map.ptr(), key.ptr(), created.ptr()) < 0) throwPythonError();
    return created;
}

bool contains(py::handle container, const char *letter) {
    const int found = PySequence_Contains(container.ptr(), text(letter).ptr());
    if (found < 0) throwPythonError();
    return found != 0;
}

using Items = std::vector<py::object>;

// The items of a sequence, held where no Python code can reach them: the
// filters and properties called meanwhile are Python and may change any list
// they can find, so indices are checked against these copies only.
Items itemsOf(py::handle sequence) {
    py::object list = steal(PySequence_List(sequence.ptr()));
    Items items;
    // Nothing below calls into Python, so the list's size holds while copying.
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(list.ptr()); ++i)
        items.push_back(py::reinterpret_borrow<py::object>(PyList_GET_ITEM(list.ptr(), i)));
    return items;
}

// A new list holding `items`, built without a call into Python between
// its creation and its last slot being filled.
py::object listOf(const Items &items) {
    py::object list = steal(PyList_New(static_cast<Py_ssize_t>(items.size())));
    for (size_t i = 0; i < items.size(); ++i)
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), items[i].inc_ref().ptr());
    return list;
}

// Whether `after` differs from `before`; a NaN that stays NaN is no change.
bool differs(py::handle before, py::handle after) {
    if (before.is(after)) return false;
    if (PyFloat_Check(before.ptr()) && PyFloat_Check(after.ptr())) {
        const double a = PyFloat_AS_DOUBLE(before.ptr()), b = PyFloat_AS_DOUBLE(after.ptr());
        return !(a == b || (std::isnan(a) && std::isnan(b)));
    }
    return !equal(before, after);
}

// How many curves the pre-pass has rewritten with a different value since the
// module loaded: the filter compares it around its call of the pre-pass to
// learn whether keys changed. Only ever read and written under the GIL.
unsigned long long prePassEdits = 0;

// A curve's keys as the pre-pass reads them: its kept keyTimes and keyValues,
// which belong together only while they hold as many items (a tool may have
// kept one of them from before the animator cut keys).
struct CurveKeys {
    Items times, values;
    bool paired() const { return times.size() == values.size(); }
};

CurveKeys keysOf(const State &s, py::handle curve) {
    CurveKeys keys;
    keys.values = itemsOf(memberOnce(s, curve, s.keyValues));
    keys.times = itemsOf(memberOnce(s, curve, s.keyTimes));
    return keys;
}

void writeValues(const State &s, py::handle curve, const Items &original, const Items &working) {
    bool changed = false;
    for (size_t i = 0; i < working.size() && !changed; ++i)
        changed = differs(original[i], working[i]);
    callMethod(curve, s.setProperty, s.newKeyValues, listOf(working));
    if (changed) ++prePassEdits;
}

// Decides which curves the pre-pass may edit. Its edits keep each key's
// orientation, so they keep the pose only where a curve's values are what
// its node shows. A layer blends into the rotation below it as
// below * backgroundWeight + own * foregroundWeight (by channel, or by
// quaternion in "by layer" accumulation), so a curve's values are the shown
// rotation exactly when its own layer is the base or takes over completely
// (foreground 1, background 0) and every other layer over the node adds
// nothing (foreground 0, background 1), at every key. Only layers that hold
// one of the node's rotate channels add to its rotation: a layer of
// translation tweaks must not switch the flip fix off.
class LayerRule {
public:
    explicit LayerRule(const State &s)
        : s_(s), base_(getAttr(s.global(s.LayerQueries), s.BASE_LAYER)),
          layersOfNode_(steal(PyDict_New())), weights_(steal(PyDict_New())),
          rotatedNodes_(steal(PyDict_New())),
          timeKeyword_(steal(Py_BuildValue("(s)", "time"))),
          rotateNames_(steal(Py_BuildValue("{sOsOsOsOsOsOsOsO}", "rotateX", Py_None, "rotateY",
                                           Py_None, "rotateZ", Py_None, "rotate", Py_None,
                                           "rx", Py_None, "ry", Py_None, "rz", Py_None, "r",
                                           Py_None))) {
        // Without a root layer the scene has no layers: nothing to ask per node.
        py::object rootKeywords = steal(Py_BuildValue("(ss)", "query", "root"));
        anyLayers_ = !callMethodKw(s.global(s.cmds), s.animLayer, rootKeywords.ptr(), Py_True,
                                   Py_True)
                          .is_none();
    }

    bool showsItsValues(py::handle curve, const Items &times) {
        py::object layer = memberOnce(s_, curve, s_.animLayer);
        const bool onBase = layer.is_none() || equal(layer, base_);
        if (!anyLayers_) return onBase;
        py::object nodeName = memberOnce(s_, curve, s_.nodeName);
        Items others;
        bool ownListed = onBase;
        if (!nodeName.is_none()) {
            for (py::handle other : layersOf(nodeName)) {
                if (equal(other, base_) || !rotates(other, nodeName)) continue;
                if (!onBase && equal(other, layer))
                    ownListed = true;
                else
                    others.push_back(py::reinterpret_borrow<py::object>(other));
            }
        }
        if (!ownListed) return false;
        for (const py::object &time : times) {
            if (!onBase && !weightsAre(layer, time, 1.0, 0.0)) return false;
            for (const py::object &other : others)
                if (!weightsAre(other, time, 0.0, 1.0)) return false;
        }
        return true;
    }

private:
    // cmds.animLayer(node, query=True, affectedLayers=True), once per node.
    py::object layersOf(py::handle nodeName) {
        py::object layers = entryOrNone(layersOfNode_, nodeName);
        if (!layers.is_none()) return layers;
        py::object found = callMethodKw(s_.global(s_.cmds), s_.animLayer, s_.kwQueryAffectedLayers,
                                        nodeName, Py_True, Py_True);
        layers = truthy(found) ? found : newList();
        layers = steal(PySequence_List(layers.ptr()));
        if (PyDict_SetItem(layersOfNode_.ptr(), nodeName.ptr(), layers.ptr()) < 0)
            throwPythonError();
        return layers;
    }

    // Whether `layer` holds a rotate channel of the node `nodeName` (as the
    // curves give it: a DAG node's full path). The layer's members are read
    // once: cmds.animLayer(layer, query=True, attribute=True), their nodes
    // made full paths by one cmds.ls(..., long=True).
    bool rotates(py::handle layer, py::handle nodeName) {
        py::object nodes = entryOrNone(rotatedNodes_, layer);
        if (nodes.is_none()) {
            py::object cmds = s_.global(s_.cmds);
            py::object members = callMethodKw(cmds, s_.animLayer, s_.kwQueryAttribute, layer,
                                              Py_True, Py_True);
            py::object rotated = newList();
            if (truthy(members)) {
                for (py::handle member : members) {
                    if (!PyUnicode_Check(member.ptr())) continue;
                    const Py_ssize_t dot = PyUnicode_FindChar(
                        member.ptr(), '.', 0, PyUnicode_GET_LENGTH(member.ptr()), 1);
                    if (dot == -2) throwPythonError();
                    if (dot <= 0) continue;
                    py::object attr = steal(PyUnicode_Substring(
                        member.ptr(), dot + 1, PyUnicode_GET_LENGTH(member.ptr())));
                    const int isRotate = PyDict_Contains(rotateNames_.ptr(), attr.ptr());
                    if (isRotate < 0) throwPythonError();
                    if (isRotate) append(rotated, steal(PyUnicode_Substring(member.ptr(), 0, dot)));
                }
            }
            py::object found = none();
            if (PyList_GET_SIZE(rotated.ptr()) > 0)
                found = callMethodKw(cmds, s_.ls, s_.kwLong, rotated, Py_True);
            nodes = steal(PySet_New(truthy(found) ? found.ptr() : nullptr));
            if (PyDict_SetItem(rotatedNodes_.ptr(), layer.ptr(), nodes.ptr()) < 0)
                throwPythonError();
        }
        const int holds = PySet_Contains(nodes.ptr(), nodeName.ptr());
        if (holds < 0) throwPythonError();
        return holds != 0;
    }

    bool weightsAre(py::handle layer, py::handle time, double foreground, double background) {
        return weight(layer, "%s.foregroundWeight", time) == foreground &&
               weight(layer, "%s.backgroundWeight", time) == background;
    }

    // cmds.getAttr("<layer>.<weight>", time=time), once per layer, weight and time.
    double weight(py::handle layer, const char *plugFormat, py::handle time) {
        py::object plug = format(plugFormat, layer);
        py::object key = steal(PyTuple_Pack(2, plug.ptr(), time.ptr()));
        py::object value = entryOrNone(weights_, key);
        if (value.is_none()) {
            value = callKw(getAttr(s_.global(s_.cmds), s_.getAttr), timeKeyword_.ptr(), plug, time);
            if (PyDict_SetItem(weights_.ptr(), key.ptr(), value.ptr()) < 0) throwPythonError();
        }
        return toDouble(value);
    }

    const State &s_;
    py::object base_, layersOfNode_, weights_, rotatedNodes_, timeKeyword_, rotateNames_;
    bool anyLayers_ = false;
};

// Each key brought within half a turn of the key before it; the first key,
// and keys at or before startFrame, stay.
void alignSingle(const State &s, LayerRule &rule, py::handle curve, py::handle startFrame) {
    const CurveKeys keys = keysOf(s, curve);
    if (!keys.paired() || !rule.showsItsValues(curve, keys.times)) return;
    Items working = keys.values;
    py::object filterAngle = getAttr(s.global(s.rotationMath), s.filterAngle);
    for (size_t i = 1; i < working.size(); ++i) {
        if (!startFrame.is_none()) {
            const int atOrAfter =
                PyObject_RichCompareBool(startFrame.ptr(), keys.times[i].ptr(), Py_GE);
            if (atOrAfter < 0) throwPythonError();
            if (atOrAfter) continue;
        }
        working[i] = call(filterAngle, working[i - 1], keys.values[i]);
    }
    writeValues(s, curve, keys.values, working);
}

// Time to the index of its first occurrence, for lookups in one step.
py::object firstIndexByTime(const Items &times) {
    py::object index = steal(PyDict_New());
    for (size_t n = 0; n < times.size(); ++n) {
        py::object position = steal(PyLong_FromSize_t(n));
        if (PyDict_SetDefault(index.ptr(), times[n].ptr(), position.ptr()) == nullptr)
            throwPythonError();
    }
    return index;
}

// The index `time` has in one curve of a trio, or -1 when it has none. The
// map is a Python dict, so what it answers is checked against the keys.
Py_ssize_t indexIn(py::handle indexOf, py::handle time, size_t count) {
    PyObject *found = PyDict_GetItemWithError(indexOf.ptr(), time.ptr());
    if (!found) {
        if (PyErr_Occurred()) throwPythonError();
        return -1;
    }
    const Py_ssize_t at = PyLong_AsSsize_t(found);
    if (at == -1 && PyErr_Occurred()) throwPythonError();
    if (at < 0 || static_cast<size_t>(at) >= count) {
        PyErr_SetString(PyExc_IndexError, "key index out of range");
        throwPythonError();
    }
    return at;
}

// The three curves' keys at their common times made continuous as one
// rotation, in the node's rotate order.
void alignTrio(const State &s, LayerRule &rule, const std::array<py::object, 3> &curves,
               py::handle startFrame) {
    std::array<CurveKeys, 3> keys;
    std::array<py::object, 3> indexOf;
    for (int c = 0; c < 3; ++c) {
        keys[c] = keysOf(s, curves[c]);
        if (!keys[c].paired()) return;
    }
    if (!rule.showsItsValues(curves[0], keys[0].times)) return;
    for (int c = 0; c < 3; ++c) indexOf[c] = firstIndexByTime(keys[c].times);
    std::array<Items, 3> working = {keys[0].values, keys[1].values, keys[2].values};
    py::object filterRotation = getAttr(s.global(s.rotationMath), s.filterRotation);
    py::object rotationOrder;  // read once: nothing here changes the node

    for (const py::object &time : keys[0].times) {
        Py_ssize_t at[3];
        bool common = true;
        for (int c = 0; c < 3 && common; ++c) {
            at[c] = indexIn(indexOf[c], time, keys[c].values.size());
            common = at[c] >= 0;
        }
        if (!common || at[0] == 0 || at[1] == 0 || at[2] == 0) continue;
        if (!startFrame.is_none()) {
            const int after = PyObject_RichCompareBool(startFrame.ptr(), time.ptr(), Py_GT);
            if (after < 0) throwPythonError();
            if (after) continue;
        }
        py::object previous = steal(PyTuple_Pack(3, working[0][at[0] - 1].ptr(),
                                                 working[1][at[1] - 1].ptr(),
                                                 working[2][at[2] - 1].ptr()));
        py::object current = steal(PyTuple_Pack(3, keys[0].values[at[0]].ptr(),
                                                keys[1].values[at[1]].ptr(),
                                                keys[2].values[at[2]].ptr()));
        if (!rotationOrder)
            rotationOrder = callMethod(memberOnce(s, curves[0], s.node), s.getAttr, text("ro"));
        py::object filtered = call(filterRotation, previous, current, rotationOrder);
        for (int c = 0; c < 3; ++c) working[c][at[c]] = steal(PySequence_GetItem(filtered.ptr(), c));
    }
    for (int c = 0; c < 3; ++c) writeValues(s, curves[c], keys[c].values, working[c]);
}

py::object alignRotationKeys(const State &s, py::handle self, py::handle startFrame) {
    ActionScope action(s);  // each curve member is read once
    py::object curves = rotationCurves(s, getAttr(self, s.animCurves));
    if (PyList_GET_SIZE(curves.ptr()) == 0) return none();

    // Curves of one node, layer and rotation: node -> layer -> attribute -> curve.
    Items singles;
    py::object nodes = steal(PyDict_New());
    for (py::handle curve : curves) {
        if (memberOnce(s, curve, s.parentAttribute).is_none()) {
            singles.push_back(py::reinterpret_borrow<py::object>(curve));
            continue;
        }
        py::object layers = innerMap(nodes, memberOnce(s, curve, s.nodeName));
        py::object attrs = innerMap(layers, memberOnce(s, curve, s.animLayer));
        if (PyObject_SetItem(attrs.ptr(), memberOnce(s, curve, s.attrName).ptr(), curve.ptr()) < 0)
            throwPythonError();
    }
    std::vector<std::array<py::object, 3>> trios;
    py::object recordClass = s.global(s.ValueRecord);
    for (py::handle node : nodes) {
        py::object layers = steal(PyObject_GetItem(nodes.ptr(), node.ptr()));
        for (py::handle layer : layers) {
            py::object attrs = steal(PyObject_GetItem(layers.ptr(), layer.ptr()));
            py::object record = call(recordClass);
            const Py_ssize_t size = PyObject_Size(attrs.ptr());
            if (size < 0) throwPythonError();
            for (py::handle attrName : attrs) {
                py::object curve = steal(PyObject_GetItem(attrs.ptr(), attrName.ptr()));
                if (size != 3)
                    singles.push_back(curve);
                else if (contains(attrName, "X"))
                    setAttr(record, s.x, curve);
                else if (contains(attrName, "Y"))
                    setAttr(record, s.y, curve);
                else if (contains(attrName, "Z"))
                    setAttr(record, s.z, curve);
            }
            std::array<py::object, 3> trio = {getAttr(record, s.x), getAttr(record, s.y),
                                              getAttr(record, s.z)};
            if (!trio[0].is_none() && !trio[1].is_none() && !trio[2].is_none())
                trios.push_back(std::move(trio));
        }
    }
    LayerRule rule(s);
    for (const py::object &curve : singles) alignSingle(s, rule, curve, startFrame);
    for (const auto &trio : trios) alignTrio(s, rule, trio, startFrame);
    return none();
}

// --- the Smart Euler Filter ---------------------------------------------------------

// A refreshed curve's keyTimes, the scene's own key times, asked of Maya in
// one keyframe query rather than key by key, and kept as the member's answer
// for the rest of the action.
py::object freshKeyTimes(const State &s, py::handle curve) {
    py::object times =
        callMethodKw(s.global(s.cmds), s.keyframe, s.kwQueryTimeChange,
                     memberOnce(s, curve, s.curveName), Py_True, Py_True);
    if (times.is_none()) return memberOnce(s, curve, s.keyTimes);  // keys gone meanwhile
    fileMember(s, curve, s.keyTimes, times);
    return times;
}

// The earliest of the curves' last keys before startFrame, or startFrame.
py::object previousKeyStart(const State &s, py::handle curves, py::handle startFrame) {
    py::object maxima = newList();
    py::object two = steal(PyLong_FromLong(2));
    for (py::handle curve : curves) {
        callMethod(curve, s.refreshKeys);
        forgetMembers(s, curve);  // its keys are read afresh from here on
        const int few =
            PyObject_RichCompareBool(memberOnce(s, curve, s.numKeys).ptr(), two.ptr(), Py_LT);
        if (few < 0) throwPythonError();
        if (few) continue;
        py::object before = newList();
        for (py::handle time : freshKeyTimes(s, curve)) {
            const int earlier = PyObject_RichCompareBool(time.ptr(), startFrame.ptr(), Py_LT);
            if (earlier < 0) throwPythonError();
            if (earlier) append(before, time);
        }
        if (PyList_GET_SIZE(before.ptr()) == 0) continue;
        try {
            append(maxima, call(s.global(s.max), before));
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_ValueError)) throw;
        }
    }
    if (PyList_GET_SIZE(maxima.ptr()) == 0) return py::reinterpret_borrow<py::object>(startFrame);
    return call(s.global(s.min), maxima);
}

py::object toolMessage(const State &s) { return s.global(s.ToolMessage); }

void filterCurves(const State &s, py::handle self, py::handle curves, py::handle frames,
                  py::handle actionId, py::handle includePreviousKey, py::handle filterFlag) {
    py::object progressBar = call(s.global(s.ProgressBar), text("Smart Euler Filter"),
                                  steal(PyLong_FromSsize_t(PyList_GET_SIZE(curves.ptr()))));
    withContext(s, progressBar, [&](py::handle progress) {
        py::object first = steal(PySequence_GetItem(frames.ptr(), 0));
        py::object last = steal(PySequence_GetItem(frames.ptr(), -1));
        py::object startFrame = first;
        if (truthy(includePreviousKey)) startFrame = previousKeyStart(s, curves, startFrame);
        // Keys the pre-pass rewrote count as changed although the curves'
        // own filters then find nothing left to do.
        const unsigned long long editsBefore = prePassEdits;
        callMethod(self, s.alignRotationKeys, startFrame);
        bool changed = prePassEdits != editsBefore;

        // A curve's own whole-turn filter changes the pose wherever the
        // pre-pass would, so it runs only on the curves the pre-pass may edit.
        LayerRule rule(s);
        for (py::handle curve : curves) {
            callMethod(progress, s.step);
            if (!rule.showsItsValues(curve, itemsOf(memberOnce(s, curve, s.keyTimes)))) continue;
            // The range is always the caller's, never the moved start.
            py::object frameRange = steal(PyList_New(2));
            PyList_SET_ITEM(frameRange.ptr(), 0, first.inc_ref().ptr());
            PyList_SET_ITEM(frameRange.ptr(), 1, last.inc_ref().ptr());
            if (truthy(callMethodKw(curve, s.smartEulerFilter, s.kwSmartEulerFilter, frameRange,
                                    includePreviousKey, filterFlag, actionId)))
                changed = true;
        }
        if (changed && !equal(actionId, getAttr(self, s.lastActionId)))
            callMethodKw(toolMessage(s), s.show, s.kwMessageIdDuration, text("smartEulerFilter"),
                         text("Smart Euler Filter Applied"), s.empty,
                         s.global(s.infoMessageKind), text("smart_euler_filter_on"),
                         steal(PyLong_FromLong(3)));
    });
}

void offerFilter(const State &s, py::handle self, py::handle frames, py::handle actionId) {
    py::object onMessageClick = call(s.global(s.partial),
                                     getAttr(self, s.onSmartEulerFilterMessageClick), frames);
    if (equal(actionId, getAttr(self, s.lastActionId))) return;
    py::object body = newList();
    for (const char *line : {"Do you want to execute it now and turn it ON?", "separator",
                             "When ON, it executes an Euler Filter pass and helps preventing "
                             "gimbal locks.",
                             "applySmartEulerFilter.gif"})
        append(body, text(line));
    callMethodKw(toolMessage(s), s.show, s.kwOnMessageClickMessageIdClickValue,
                 text("smartEulerFilter"), text("Smart Euler Filter Could Have Helped"), body,
                 s.global(s.askMessageKind), onMessageClick, text("smart_euler_filter_off"),
                 getAttr(s.global(s.MessageClick), s.accepted));
}

py::object applySmartEulerFilterToFrames(const State &s, py::handle self, py::handle frames,
                                         py::handle actionId, py::handle includePreviousKey,
                                         py::handle filterFlag) {
    InterfaceCheck ui(s);  // asked once here for the whole call, offers included
    ActionScope action(s);  // each curve member is read once
    py::object curves = getAttr(self, s.animCurves);
    if (!truthy(curves)) return none();
    const int hasNone = PySequence_Contains(frames.ptr(), Py_None);
    if (hasNone < 0) throwPythonError();
    if (hasNone) return none();
    py::object rotations = rotationCurves(s, curves);

    py::object option = call(s.global(s.ToolOption), text("smartEulerFilter"));
    if (truthy(callMethod(option, s.load)))
        filterCurves(s, self, rotations, frames, actionId, includePreviousKey, filterFlag);
    else if (ui.present())  // in batch nobody could accept: the option stays the pipeline's
        offerFilter(s, self, frames, actionId);
    setAttr(self, s.lastActionId, actionId);
    return none();
}

// The answer to the offer: accepting turns the option on and filters at once.
py::object onSmartEulerFilterMessageClick(const State &s, py::handle self, py::handle frames,
                                          py::handle clickValue) {
    if (!equal(clickValue, getAttr(s.global(s.MessageClick), s.accepted))) return none();
    callMethod(call(s.global(s.ToolOption), text("smartEulerFilter")), s.save, Py_True);
    bestEffort(s, "check the Smart Euler Filter button", [&] {
        py::object commonKit = getAttr(s.global(s.CORE), s.commonKit);
        callMethod(getAttr(commonKit, s.smartEulerFilter_toolButton), s.setChecked, Py_True);
    });
    try {
        withContext(s, call(s.global(s.coreModifierContext)), [&](py::handle pair) {
            callMethod(self, s.applySmartEulerFilterToFrames, frames, unpackPair(pair).first);
        });
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        whileHandling(e, [&] {
            call(s.global(s.reportToolError), text("Could not execute Smart Euler Filter."));
        });
    }
    return none();
}

}  // namespace

void defineAnimTools(const State &s) {
    const char *doc =
        "The finished animation tools.\n"
        "\n"
        "MODE_TARGET_CURVES and MODE_SELECTED_KEYS say which curves the tools act\n"
        "on (MODE_ALT is a third value); lastActionId is the action of the last\n"
        "filter call, so that each message shows once per action. Properties are\n"
        "read once and kept.";
    defineClass(s, "AnimTools", "KeyQueries", doc, [](ClassBuilder &cls) {
        cls.constant("MODE_TARGET_CURVES", steal(PyLong_FromLong(0)));
        cls.constant("MODE_SELECTED_KEYS", steal(PyLong_FromLong(1)));
        cls.constant("MODE_ALT", steal(PyLong_FromLong(2)));
        // A tool made without one has seen no action yet.
        cls.constant("lastActionId", Py_None);
        cls.property<targetMode>("targetMode",
            "MODE_SELECTED_KEYS while keys are selected in an active key editor (and\n"
            "the target's curves are not preferred), else MODE_TARGET_CURVES.");
        cls.property<animCurves>("animCurves", "The curves the tools act on, by targetMode.");
        cls.property<selectedKeyCurves>("selectedKeyCurves",
            "AnimCurves of the curves that carry selected keys.");
        cls.property<targetCurves>("targetCurves",
            "AnimCurves of the target's curves; reading them first offers the timeline\n"
            "questions (a question that fails is reported and skipped).");
        cls.property<sceneCurveNames>("sceneCurveNames", "Names of every anim curve in the scene.");
        cls.property<sceneCurves>("sceneCurves", "AnimCurves of every anim curve in the scene.");
        cls.method<applySmartEulerFilterToFrames>("applySmartEulerFilterToFrames",
            "The Smart Euler Filter over the rotation curves, from the first to the\n"
            "last of `frames`; with the option off, offers once per action to turn it on\n"
            "(with an interface: in batch it does nothing).\n"
            "Curves whose values are not the rotation their node shows (another layer\n"
            "adds to it) are left alone, so no pose changes.",
            {"self", "frames", "actionId", "includePreviousKey", "filterFlag"},
            {Py_True, Py_True});
        cls.method<alignRotationKeys>("alignRotationKeys",
            "Make each rotation key continuous with the key before it (after\n"
            "`startFrame` when given): per curve, and per X/Y/Z trio of one node and\n"
            "layer in its rotate order. Only curves whose values are the rotation\n"
            "their node shows (no other layer adds to it) and whose kept key times\n"
            "and values pair up are edited, so no pose changes.",
            {"self", "startFrame"}, {Py_None});
        cls.method<onSmartEulerFilterMessageClick>("onSmartEulerFilterMessageClick",
            "The answer to the filter's offer: accepting turns the option on and\n"
            "filters `frames` at once.",
            {"self", "frames", "clickValue"});
        addAnimToolsSyncMembers(cls);
        addAnimToolsKeyMembers(cls);
    });
}

}  // namespace rigkit
