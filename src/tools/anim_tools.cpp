// AnimTools: the finished animation tools. This file holds the class, the
// curve sources every tool shares and the Smart Euler Filter;
// anim_tools_sync.cpp the timeline questions.
#include "tools/anim_tools.h"

#include "module/classes.h"

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

// Reading the target first offers the timeline questions, so they come up as
// a tool is about to act.
py::object targetCurves(const State &s, py::handle self) {
    callMethod(self, s.updateChannelBoxHighlight);
    callMethod(self, s.updateAnimLayerSync);
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
        if (truthy(getAttr(curve, s.isRotation))) append(result, curve);
    return result;
}

// dict.setdefault(key, {})
py::object innerMap(py::handle map, py::handle key) {
    PyObject *inner = PyDict_GetItemWithError(map.ptr(), key.ptr());
    if (inner) return py::reinterpret_borrow<py::object>(inner);
    if (PyErr_Occurred()) throwPythonError();
    py::object created = steal(PyDict_New());
    if (PyDict_SetItem(map.ptr(), key.ptr(), created.ptr()) < 0) throwPythonError();
    return created;
}

bool contains(py::handle container, const char *letter) {
    const int found = PySequence_Contains(container.ptr(), text(letter).ptr());
    if (found < 0) throwPythonError();
    return found != 0;
}

// Each key brought within half a turn of the key before it; the first key,
// and keys at or before startFrame, stay.
void alignSingle(const State &s, py::handle curve, py::handle startFrame) {
    py::object original = steal(PySequence_List(getAttr(curve, s.keyValues).ptr()));
    py::object working = steal(PySequence_List(original.ptr()));
    py::object times = getAttr(curve, s.keyTimes);
    py::object filterAngle = getAttr(s.global(s.rotationMath), s.filterAngle);
    const Py_ssize_t count = PyList_GET_SIZE(working.ptr());
    for (Py_ssize_t i = 1; i < count; ++i) {
        if (!startFrame.is_none()) {
            py::object time = steal(PySequence_GetItem(times.ptr(), i));
            const int atOrAfter = PyObject_RichCompareBool(startFrame.ptr(), time.ptr(), Py_GE);
            if (atOrAfter < 0) throwPythonError();
            if (atOrAfter) continue;
        }
        py::object value = call(filterAngle, PyList_GET_ITEM(working.ptr(), i - 1),
                                PyList_GET_ITEM(original.ptr(), i));
        PyList_SetItem(working.ptr(), i, value.release().ptr());  // in range
    }
    callMethod(curve, s.setProperty, s.newKeyValues, working);
}

// Time to the index of its first occurrence, for lookups in one step.
py::object firstIndexByTime(py::handle times) {
    py::object index = steal(PyDict_New());
    Py_ssize_t n = 0;
    for (py::handle time : times) {
        py::object position = steal(PyLong_FromSsize_t(n++));
        if (PyDict_SetDefault(index.ptr(), time.ptr(), position.ptr()) == nullptr)
            throwPythonError();
    }
    return index;
}

// The three curves' keys at their common times made continuous as one
// rotation, in the node's rotate order.
void alignTrio(const State &s, py::handle x, py::handle y, py::handle z, py::handle startFrame) {
    py::handle curves[3] = {x, y, z};
    py::object original[3], working[3], indexOf[3];
    for (int c = 0; c < 3; ++c) {
        original[c] = steal(PySequence_List(getAttr(curves[c], s.keyValues).ptr()));
        working[c] = steal(PySequence_List(original[c].ptr()));
    }
    py::object xTimes = getAttr(x, s.keyTimes);
    indexOf[0] = firstIndexByTime(xTimes);
    indexOf[1] = firstIndexByTime(getAttr(y, s.keyTimes));
    indexOf[2] = firstIndexByTime(getAttr(z, s.keyTimes));
    py::object filterRotation = getAttr(s.global(s.rotationMath), s.filterRotation);
    py::object rotationOrder;  // read once: nothing here changes the node

    for (py::handle time : xTimes) {
        Py_ssize_t at[3];
        bool common = true;
        for (int c = 0; c < 3 && common; ++c) {
            PyObject *found = PyDict_GetItemWithError(indexOf[c].ptr(), time.ptr());
            if (!found && PyErr_Occurred()) throwPythonError();
            common = found != nullptr;
            if (found) at[c] = PyLong_AsSsize_t(found);
        }
        if (!common || at[0] == 0 || at[1] == 0 || at[2] == 0) continue;
        if (!startFrame.is_none()) {
            const int after = PyObject_RichCompareBool(startFrame.ptr(), time.ptr(), Py_GT);
            if (after < 0) throwPythonError();
            if (after) continue;
        }
        py::object previous = steal(PyTuple_Pack(3, PyList_GET_ITEM(working[0].ptr(), at[0] - 1),
                                                 PyList_GET_ITEM(working[1].ptr(), at[1] - 1),
                                                 PyList_GET_ITEM(working[2].ptr(), at[2] - 1)));
        py::object current = steal(PyTuple_Pack(3, PyList_GET_ITEM(original[0].ptr(), at[0]),
                                                PyList_GET_ITEM(original[1].ptr(), at[1]),
                                                PyList_GET_ITEM(original[2].ptr(), at[2])));
        if (!rotationOrder) rotationOrder = callMethod(getAttr(x, s.node), s.getAttr, text("ro"));
        py::object filtered = call(filterRotation, previous, current, rotationOrder);
        for (int c = 0; c < 3; ++c) {
            py::object value = steal(PySequence_GetItem(filtered.ptr(), c));
            if (at[c] >= PyList_GET_SIZE(working[c].ptr())) {
                PyErr_SetString(PyExc_IndexError, "list assignment index out of range");
                throwPythonError();
            }
            PyList_SetItem(working[c].ptr(), at[c], value.release().ptr());
        }
    }
    for (int c = 0; c < 3; ++c) callMethod(curves[c], s.setProperty, s.newKeyValues, working[c]);
}

py::object alignRotationKeys(const State &s, py::handle self, py::handle startFrame) {
    py::object curves = rotationCurves(s, getAttr(self, s.animCurves));
    if (PyList_GET_SIZE(curves.ptr()) == 0) return none();

    // Curves of one node, layer and rotation: node -> layer -> attribute -> curve.
    py::object singles = newList();
    py::object nodes = steal(PyDict_New());
    for (py::handle curve : curves) {
        if (getAttr(curve, s.parentAttribute).is_none()) {
            append(singles, curve);
            continue;
        }
        py::object layers = innerMap(nodes, getAttr(curve, s.nodeName));
        py::object attrs = innerMap(layers, getAttr(curve, s.animLayer));
        if (PyObject_SetItem(attrs.ptr(), getAttr(curve, s.attrName).ptr(), curve.ptr()) < 0)
            throwPythonError();
    }
    py::object trios = newList();
    py::object recordClass = s.global(s.ValueRecord);
    for (py::handle node : nodes) {
        py::object layers = steal(PyObject_GetItem(nodes.ptr(), node.ptr()));
        for (py::handle layer : layers) {
            py::object attrs = steal(PyObject_GetItem(layers.ptr(), layer.ptr()));
            py::object record = call(recordClass);
            const bool trio = PyDict_GET_SIZE(attrs.ptr()) == 3;
            for (py::handle attrName : attrs) {
                py::object curve = steal(PyObject_GetItem(attrs.ptr(), attrName.ptr()));
                if (!trio)
                    append(singles, curve);
                else if (contains(attrName, "X"))
                    setAttr(record, s.x, curve);
                else if (contains(attrName, "Y"))
                    setAttr(record, s.y, curve);
                else if (contains(attrName, "Z"))
                    setAttr(record, s.z, curve);
            }
            py::object rx = getAttr(record, s.x), ry = getAttr(record, s.y),
                       rz = getAttr(record, s.z);
            if (!rx.is_none() && !ry.is_none() && !rz.is_none())
                append(trios, steal(PyTuple_Pack(3, rx.ptr(), ry.ptr(), rz.ptr())));
        }
    }
    for (py::handle curve : singles) alignSingle(s, curve, startFrame);
    for (py::handle trio : trios)
        alignTrio(s, PyTuple_GET_ITEM(trio.ptr(), 0), PyTuple_GET_ITEM(trio.ptr(), 1),
                  PyTuple_GET_ITEM(trio.ptr(), 2), startFrame);
    return none();
}

// --- the Smart Euler Filter ---------------------------------------------------------

// The earliest of the curves' last keys before startFrame, or startFrame.
py::object previousKeyStart(const State &s, py::handle curves, py::handle startFrame) {
    py::object maxima = newList();
    py::object two = steal(PyLong_FromLong(2));
    for (py::handle curve : curves) {
        callMethod(curve, s.refreshKeys);
        const int few = PyObject_RichCompareBool(getAttr(curve, s.numKeys).ptr(), two.ptr(), Py_LT);
        if (few < 0) throwPythonError();
        if (few) continue;
        py::object before = newList();
        for (py::handle time : getAttr(curve, s.keyTimes)) {
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
        callMethod(self, s.alignRotationKeys, startFrame);

        bool changed = false;
        for (py::handle curve : curves) {
            callMethod(progress, s.step);
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
    py::object curves = getAttr(self, s.animCurves);
    if (!truthy(curves)) return none();
    const int hasNone = PySequence_Contains(frames.ptr(), Py_None);
    if (hasNone < 0) throwPythonError();
    if (hasNone) return none();
    py::object rotations = rotationCurves(s, curves);

    py::object option = call(s.global(s.ToolOption), text("smartEulerFilter"));
    if (truthy(callMethod(option, s.load)))
        filterCurves(s, self, rotations, frames, actionId, includePreviousKey, filterFlag);
    else
        offerFilter(s, self, frames, actionId);
    setAttr(self, s.lastActionId, actionId);
    return none();
}

// The answer to the offer: accepting turns the option on and filters at once.
py::object onSmartEulerFilterMessageClick(const State &s, py::handle self, py::handle frames,
                                          py::handle clickValue) {
    if (!equal(clickValue, getAttr(s.global(s.MessageClick), s.accepted))) return none();
    callMethod(call(s.global(s.ToolOption), text("smartEulerFilter")), s.save, Py_True);
    py::object commonKit = getAttr(s.global(s.CORE), s.commonKit);
    callMethod(getAttr(commonKit, s.smartEulerFilter_toolButton), s.setChecked, Py_True);
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
            "questions.");
        cls.property<sceneCurveNames>("sceneCurveNames", "Names of every anim curve in the scene.");
        cls.property<sceneCurves>("sceneCurves", "AnimCurves of every anim curve in the scene.");
        cls.method<applySmartEulerFilterToFrames>("applySmartEulerFilterToFrames",
            "The Smart Euler Filter over the rotation curves, from the first to the\n"
            "last of `frames`; with the option off, offers once per action to turn it on.",
            {"self", "frames", "actionId", "includePreviousKey", "filterFlag"},
            {Py_True, Py_True});
        cls.method<alignRotationKeys>("alignRotationKeys",
            "Make each rotation key continuous with the key before it (after\n"
            "`startFrame` when given): per curve, and per X/Y/Z trio of one node and\n"
            "layer in its rotate order.",
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
