// The key tools of AnimTools: key kinds on the target's keys, special ticks
// through a modifier, clearing every key in the scene, and the small queries
// and utilities the suite's tools call on the target curves.
#include "tools/anim_tools.h"

#include "module/classes.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace rigkit {
namespace {

bool selectedKeysMode(const State &s, py::handle self) {
    return equal(getAttr(self, s.targetMode), getAttr(self, s.MODE_SELECTED_KEYS));
}

py::object keyKindConstant(const State &s, PyObject *name) {
    return getAttr(s.global(s.AnimCurve), name);
}

// The curves of rotate, translate and scale channels among `curves`.
py::object transformCurves(const State &s, py::handle curves) {
    py::object result = newList();
    for (py::handle curve : curves)
        if (truthy(getAttr(curve, s.isRotate)) || truthy(getAttr(curve, s.isTranslate)) ||
            truthy(getAttr(curve, s.isScale)))
            append(result, curve);
    return result;
}

py::object givenOrTransformCurves(const State &s, py::handle self, py::handle animCurves) {
    if (truthy(animCurves)) return py::reinterpret_borrow<py::object>(animCurves);
    return transformCurves(s, getAttr(self, s.animCurves));
}

// --- queries -----------------------------------------------------------------------

py::object animCurveNames(const State &s, py::handle self) {
    py::object result = newList();
    for (py::handle curve : getAttr(self, s.animCurves)) append(result, getAttr(curve, s.curveName));
    return result;
}

py::object hasTargetKeys(const State &s, py::handle self) {
    if (selectedKeysMode(s, self)) return boolObject(true);
    for (py::handle curve : getAttr(self, s.animCurves))
        if (truthy(getAttr(curve, s.targetKeyIndices))) return boolObject(true);
    return boolObject(false);
}

py::object isRangeTarget(const State &s, py::handle self) {
    if (selectedKeysMode(s, self)) return boolObject(true);
    return boolObject(truthy(getAttr(call(s.global(s.CurveTarget)), s.hasTimeRange)));
}

// --- key kinds -----------------------------------------------------------------------

bool isFrameSequence(py::handle time) {
    return PySequence_Check(time.ptr()) && !PyUnicode_Check(time.ptr()) &&
           !PyBytes_Check(time.ptr());
}

// A key command's time as its (start, end): one frame is the range of that
// frame; a sequence gives its two items, or its only one, which may itself
// be such a pair, as in [(start, end)].
std::pair<py::object, py::object> timeRange(py::handle time) {
    if (!isFrameSequence(time)) {
        py::object frame = py::reinterpret_borrow<py::object>(time);
        return {frame, frame};
    }
    py::object items = steal(PySequence_Tuple(time.ptr()));
    if (PyTuple_GET_SIZE(items.ptr()) == 1 && isFrameSequence(PyTuple_GET_ITEM(items.ptr(), 0)))
        items = steal(PySequence_Tuple(PyTuple_GET_ITEM(items.ptr(), 0)));  // one level only
    const Py_ssize_t count = PyTuple_GET_SIZE(items.ptr());
    if (count < 1 || count > 2) {
        PyErr_Format(PyExc_ValueError, "a time range is a start and an end, got %zd items",
                     count);
        throwPythonError();
    }
    // The tuple is this function's own, so its items stay put.
    return {py::reinterpret_borrow<py::object>(PyTuple_GET_ITEM(items.ptr(), 0)),
            py::reinterpret_borrow<py::object>(PyTuple_GET_ITEM(items.ptr(), count - 1))};
}

// The curve's key indices from `start` on and before `end`, or up to and
// including `end` when `withEnd`.
py::object indicesInRange(const State &s, py::handle curve, py::handle start, py::handle end,
                          bool withEnd) {
    py::object keyIndices = getAttr(curve, s.keyIndices);
    py::object result = newList();
    Py_ssize_t position = 0;
    for (py::handle time : getAttr(curve, s.keyTimes)) {
        const int from = PyObject_RichCompareBool(start.ptr(), time.ptr(), Py_LE);
        if (from < 0) throwPythonError();
        const int before =
            from ? PyObject_RichCompareBool(time.ptr(), end.ptr(), withEnd ? Py_LE : Py_LT) : 0;
        if (before < 0) throwPythonError();
        if (before) append(result, steal(PySequence_GetItem(keyIndices.ptr(), position)));
        ++position;
    }
    return result;
}

// A number Maya's time flag takes as it is (not a bool, not nan or an
// infinity, not a text).
bool isPlainFrame(py::handle frame) {
    if (PyBool_Check(frame.ptr()) || !(PyFloat_Check(frame.ptr()) || PyLong_Check(frame.ptr())))
        return false;
    const double value = PyFloat_AsDouble(frame.ptr());
    if (value == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError)) throwPythonError();
        PyErr_Clear();
        return false;
    }
    return std::isfinite(value);
}

// The curve's key indices from `start` up to and including `end`, as
// indicesInRange finds them, but asked of Maya by time instead of reading
// every key time: the positions and times of the keys in the range, then
// the same comparisons on those times alone (Maya's range takes keys within
// a tolerance of its ends). Anything but plain frames in order goes the
// long way, which fails or finds nothing as it always did.
py::object indicesFromTo(const State &s, py::handle curve, py::handle start, py::handle end) {
    if (!isPlainFrame(start) || !isPlainFrame(end))
        return indicesInRange(s, curve, start, end, true);
    const int ordered = PyObject_RichCompareBool(start.ptr(), end.ptr(), Py_LE);
    if (ordered < 0) throwPythonError();
    if (!ordered) return newList();
    py::object keyframe = getAttr(s.global(s.cmds), s.keyframe);
    py::object name = getAttr(curve, s.curveName);
    py::object span = steal(PyTuple_Pack(2, start.ptr(), end.ptr()));
    py::object positions =
        callKw(keyframe, s.kwQueryTimeIndexValue, name, Py_True, span, Py_True);
    py::object result = newList();
    if (!truthy(positions)) return result;
    py::object times = callKw(keyframe, s.kwQueryTimeTimeChange, name, Py_True, span, Py_True);
    py::object keyIndices = getAttr(curve, s.keyIndices);
    // Tuples of their own: the comparisons below may run Python.
    py::object at = steal(PySequence_Tuple(positions.ptr()));
    py::object when = steal(PySequence_Tuple(truthy(times) ? times.ptr() : result.ptr()));
    const Py_ssize_t count = std::min(PyTuple_GET_SIZE(at.ptr()), PyTuple_GET_SIZE(when.ptr()));
    for (Py_ssize_t n = 0; n < count; ++n) {
        PyObject *time = PyTuple_GET_ITEM(when.ptr(), n);
        const int from = PyObject_RichCompareBool(start.ptr(), time, Py_LE);
        if (from < 0) throwPythonError();
        const int upTo = from ? PyObject_RichCompareBool(time, end.ptr(), Py_LE) : 0;
        if (upTo < 0) throwPythonError();
        if (!upTo) continue;
        PyObject *position = PyTuple_GET_ITEM(at.ptr(), n);
        append(result, steal(PyObject_GetItem(keyIndices.ptr(), position)));
    }
    return result;
}

// Writes both flags of every key of the target (those of `range` when one is
// given, both ends included) through one modifier, so that one undo restores
// every key as it was. The breakdown flags are the curve's keyBreakdown array,
// the node that holds the special ticks.
void writeKeyKinds(const State &s, py::handle self, py::handle breakdown, py::handle special,
                   py::handle range) {
    py::object start, end;
    if (!range.is_none()) std::tie(start, end) = timeRange(range);
    py::object curves = getAttr(self, s.animCurves);
    py::object breakdownName = text("keyBreakdown");
    withModifier(s, [&](py::handle modifier) {
        for (py::handle curve : curves) {
            py::object indices = range.is_none() ? getAttr(curve, s.targetKeyIndices)
                                                 : indicesFromTo(s, curve, start, end);
            if (!truthy(indices)) continue;
            py::object specials = getAttr(getAttr(curve, s.curveFn), s.tickDrawSpecialPlug);
            py::object node = call(s.global(s.MFnDependencyNode), callMethod(specials, s.node));
            py::object breakdowns = callMethod(node, s.findPlug, breakdownName, Py_False);
            for (py::handle index : indices) {
                callMethod(modifier, s.newPlugValueBool,
                           callMethod(breakdowns, s.elementByLogicalIndex, index), breakdown);
                callMethod(modifier, s.newPlugValueBool,
                           callMethod(specials, s.elementByLogicalIndex, index), special);
            }
        }
    });
}

py::object setKeyKind(const State &s, py::handle self, py::handle keyKind, py::handle time,
                      py::handle useModifier) {
    py::object kind = truthy(keyKind) ? py::reinterpret_borrow<py::object>(keyKind)
                                      : keyKindConstant(s, s.KEY_DEFAULT);
    py::handle breakdown = boolObject(equal(kind, keyKindConstant(s, s.KEY_BREAKDOWN)));
    py::handle special = boolObject(equal(kind, keyKindConstant(s, s.KEY_SPECIAL)));
    py::object keyframe = getAttr(s.global(s.cmds), s.keyframe);
    if (!selectedKeysMode(s, self)) {
        // The edits name no object: they apply to the targets selected here.
        py::object given = truthy(time) ? py::reinterpret_borrow<py::object>(time)
                                        : getAttr(call(s.global(s.CurveTarget)), s.targetTime);
        // Handed to keyframe as one (start, end) tuple: Maya reads a list as
        // separate times ([1, 10] is the keys at 1 and at 10, not those
        // between), and a time that is no range is refused before any edit.
        const auto bounds = timeRange(given);
        py::object range = steal(PyTuple_Pack(2, bounds.first.ptr(), bounds.second.ptr()));
        callMethod(s.global(s.TargetSelection), s.selectTargets);
        if (truthy(useModifier)) {
            writeKeyKinds(s, self, breakdown, special, range);
        } else {
            callKw(keyframe, s.kwEditTimeBreakdown, Py_True, range, breakdown);
            callKw(keyframe, s.kwEditTimeTickDrawSpecial, Py_True, range, special);
        }
        return none();
    }
    if (truthy(useModifier)) {
        writeKeyKinds(s, self, breakdown, special, Py_None);  // the selected keys
    } else {
        callKw(keyframe, s.kwEditBreakdown, Py_True, breakdown);
        callKw(keyframe, s.kwEditTickDrawSpecial, Py_True, special);
    }
    return none();
}

// Writes the special tick of the target keys through one modifier, skipping
// keys already in the requested state.
py::object setSpecialKeys(const State &s, py::handle self, py::handle isSpecial,
                          py::handle frameRange) {
    const bool wanted = truthy(isSpecial);
    py::object curves = getAttr(self, s.animCurves);
    py::object start, end;  // a key exactly at the end is left out
    if (!frameRange.is_none()) {
        start = steal(PySequence_GetItem(frameRange.ptr(), 0));
        end = steal(PySequence_GetItem(frameRange.ptr(), 1));
    }
    withModifier(s, [&](py::handle modifier) {
        for (py::handle curve : curves) {
            py::object indices = frameRange.is_none()
                                     ? getAttr(curve, s.targetKeyIndices)
                                     : indicesInRange(s, curve, start, end, false);
            py::object curveFn = getAttr(curve, s.curveFn);
            py::object flags;  // the per-key array plug, read once per curve
            for (py::handle index : indices) {
                if (truthy(callMethod(curveFn, s.isSpecialAt, index)) == wanted) continue;
                if (!flags) flags = getAttr(curveFn, s.tickDrawSpecialPlug);
                py::object element = callMethod(flags, s.elementByLogicalIndex, index);
                callMethod(modifier, s.newPlugValueBool, element, isSpecial);
            }
        }
    });
    return none();
}

py::object tintAllKeysRedInTheScene(const State &s, py::handle self) {
    py::object names = newList();
    for (py::handle curve : getAttr(self, s.sceneCurves)) append(names, getAttr(curve, s.curveName));
    if (PyList_GET_SIZE(names.ptr()) == 0) return none();
    py::object cmds = s.global(s.cmds);
    callMethodKw(cmds, s.keyframe, s.kwEditBreakdown, names, Py_True, Py_False);
    callMethodKw(cmds, s.keyframe, s.kwEditTickDrawSpecial, names, Py_True, Py_False);
    return none();
}

// --- the curve list and smart keys ----------------------------------------------------

py::object setAnimCurves(const State &s, py::handle self, py::handle animCurves,
                         py::handle onlyExisting) {
    py::object curves = py::reinterpret_borrow<py::object>(animCurves);
    if (truthy(onlyExisting)) {
        curves = newList();
        for (py::handle curve : animCurves)
            if (truthy(callMethod(curve, s.exists))) append(curves, curve);
    }
    callMethod(self, s.setProperty, s.animCurves, curves);
    return none();
}

py::object setSmartKeys(const State &s, py::handle self, py::handle actionId) {
    for (py::handle curve : getAttr(self, s.animCurves))
        callMethodKw(curve, s.setSmartKey, s.kwKeyFlagActionId, Py_False, actionId);
    return none();
}

py::object keyIfNoTargetKeys(const State &s, py::handle self, py::handle actionId) {
    if (!truthy(callMethod(self, s.hasTargetKeys))) callMethod(self, s.setSmartKeys, actionId);
    return none();
}

// --- what the target holds at a frame ------------------------------------------------

py::object autoPair(const State &s) {
    py::object tangent = getAttr(s.global(s.MFnAnimCurve), s.kTangentAuto);
    py::object pair = steal(PyList_New(2));
    PyList_SET_ITEM(pair.ptr(), 0, tangent.inc_ref().ptr());
    PyList_SET_ITEM(pair.ptr(), 1, tangent.inc_ref().ptr());
    return pair;
}

// The tangent pair at `frame` of every transform curve with a key there:
// auto/auto when one has it, the common pair when all agree, else auto/auto.
py::object tangentTypesAt(const State &s, py::handle self, py::handle frame) {
    py::object curves = transformCurves(s, getAttr(self, s.animCurves));
    py::object automatic = autoPair(s);
    auto entryAt = [&](py::handle curve) -> py::object {
        py::object index = callMethod(curve, s.findIndex, getAttr(curve, s.keyTimes), frame);
        if (index.is_none()) return index;
        return steal(PyObject_GetItem(getAttr(curve, s.tangentTypes).ptr(), index.ptr()));
    };
    for (py::handle curve : curves) {
        py::object entry = entryAt(curve);
        if (!entry.is_none() && equal(entry, automatic)) return entry;
    }
    py::object distinct = newList();
    for (py::handle curve : curves) {
        py::object entry = entryAt(curve);
        if (entry.is_none()) continue;
        const int seen = PySequence_Contains(distinct.ptr(), entry.ptr());
        if (seen < 0) throwPythonError();
        if (!seen) append(distinct, entry);
    }
    if (PyList_GET_SIZE(distinct.ptr()) == 1)
        return py::reinterpret_borrow<py::object>(PyList_GET_ITEM(distinct.ptr(), 0));
    return automatic;
}

py::object areTransformCurvesWeighted(const State &s, py::handle self) {
    for (py::handle curve : transformCurves(s, getAttr(self, s.animCurves)))
        if (!truthy(getAttr(getAttr(curve, s.curveFn), s.isWeighted))) return boolObject(false);
    return boolObject(true);
}

// Special wins over plain over breakdown across the curves that have a key at
// `frame`; a curve without one there has no say, and when none has one the
// frame has no kind.
py::object keyKindAt(const State &s, py::handle self, py::handle frame, py::handle times) {
    py::object known = truthy(times) ? py::reinterpret_borrow<py::object>(times)
                                     : getAttr(call(s.global(s.CurveTarget)), s.keyTimes);
    const int listed = PySequence_Contains(known.ptr(), frame.ptr());
    if (listed < 0) throwPythonError();
    if (!listed) return none();
    py::object special = keyKindConstant(s, s.KEY_SPECIAL);
    py::object plain = keyKindConstant(s, s.KEY_DEFAULT);
    bool keyed = false, anyPlain = false;
    for (py::handle curve : getAttr(self, s.animCurves)) {
        py::object index = callMethod(curve, s.findIndex, getAttr(curve, s.keyTimes), frame);
        if (index.is_none()) continue;
        keyed = true;
        py::object kind = steal(PyObject_GetItem(getAttr(curve, s.keyKinds).ptr(), index.ptr()));
        if (equal(kind, special)) return special;
        if (!anyPlain) anyPlain = equal(kind, plain);
    }
    if (!keyed) return none();
    return anyPlain ? plain : keyKindConstant(s, s.KEY_BREAKDOWN);
}

// node name -> {frame: mean interpolation of the node's curves there}
py::object nodeInterpolationsAt(const State &s, py::handle self, py::handle frame,
                                py::handle animCurves) {
    // node name -> the values of its curves, in lists only this call holds
    py::object byNode = steal(PyDict_New());
    for (py::handle curve : givenOrTransformCurves(s, self, animCurves)) {
        py::object value = callMethod(curve, s.interpolationAt, frame);
        if (value.is_none()) continue;
        py::object nodeName = getAttr(curve, s.nodeName);
        py::object values = newList();
        py::object kept = py::reinterpret_borrow<py::object>(
            PyDict_SetDefault(byNode.ptr(), nodeName.ptr(), values.ptr()));
        if (!kept) throwPythonError();
        append(kept, value);
    }
    py::object result = steal(PyDict_New());
    py::object sum = s.global(s.sum);
    // A snapshot of (name, values) pairs: the sum below may run any code.
    py::object items = steal(PyDict_Items(byNode.ptr()));
    for (py::handle item : items) {
        auto [nodeName, values] = unpackPair(item);
        // Counted before the sum runs, and through len(): the dict is only out of
        // reach until a collector walk finds it.
        const Py_ssize_t size = PyObject_Size(values.ptr());
        if (size < 0) throwPythonError();
        py::object count = steal(PyLong_FromSsize_t(size));
        py::object mean = steal(PyNumber_TrueDivide(call(sum, values).ptr(), count.ptr()));
        py::object frames = steal(PyDict_New());
        if (PyDict_SetItem(frames.ptr(), frame.ptr(), mean.ptr()) < 0 ||
            PyDict_SetItem(result.ptr(), nodeName.ptr(), frames.ptr()) < 0)
            throwPythonError();
    }
    return result;
}

// curve -> {frame: world matrix of the curve's node}; each node is evaluated
// once per frame however many of its curves are listed.
py::object worldMatricesAt(const State &s, py::handle self, py::handle frames,
                           py::handle animCurves) {
    py::object curves = givenOrTransformCurves(s, self, animCurves);
    py::object result = steal(PyDict_New());
    withContext(s, call(s.global(s.FrameStepper)), [&](py::handle stepper) {
        py::object evaluated = steal(PyDict_New());  // (node name, frame) -> matrix
        py::object nodeClass = s.global(s.Node);
        for (py::handle frame : frames) {
            for (py::handle curve : curves) {
                py::object nodeName = getAttr(curve, s.nodeName);
                py::object key = steal(PyTuple_Pack(2, nodeName.ptr(), frame.ptr()));
                PyObject *matrix = PyDict_GetItemWithError(evaluated.ptr(), key.ptr());
                if (!matrix && PyErr_Occurred()) throwPythonError();
                py::object kept = py::reinterpret_borrow<py::object>(matrix);
                if (!matrix) {
                    kept = callMethod(call(nodeClass, nodeName), s.worldMatrixAtFrame, frame,
                                      stepper);
                    if (PyDict_SetItem(evaluated.ptr(), key.ptr(), kept.ptr()) < 0)
                        throwPythonError();
                }
                py::object empty = steal(PyDict_New());
                py::object byFrame = py::reinterpret_borrow<py::object>(
                    PyDict_SetDefault(result.ptr(), curve.ptr(), empty.ptr()));
                if (!byFrame || PyDict_SetItem(byFrame.ptr(), frame.ptr(), kept.ptr()) < 0)
                    throwPythonError();
            }
        }
    });
    return result;
}

// The curves of `nodes` as the layer `animLayer` shows them; a name Maya finds
// ambiguous is tried once more as full paths, when each names one node.
py::object curvesOfNodes(const State &s, py::handle nodes, py::handle animLayer) {
    py::object result = newList();
    if (!truthy(nodes)) return result;
    py::object tools = s.global(s.AnimTools);
    py::object mode = getAttr(tools, s.MODE_TARGET_CURVES);
    py::object time = getAttr(call(s.global(s.CurveTarget)), s.targetTime);
    py::object names;
    py::object scope = call(getAttr(s.global(s.AnimLayer), s.ActivationScope), animLayer);
    withContext(s, scope, [&](py::handle) {
        py::object keyframe = getAttr(s.global(s.cmds), s.keyframe);
        try {
            names = callKw(keyframe, s.kwQueryName, nodes, Py_True, Py_True);
        } catch (py::error_already_set &e) {
            if (!e.matches(PyExc_ValueError)) throw;
            // A name several nodes share has no full path either: the
            // command's own error goes on then, not a failed path lookup.
            bool everyNodeFound = true;
            py::object fullNames = whileHandling(e, [&] {
                py::object found = newList();
                py::object nodeClass = s.global(s.Node);
                for (py::handle node : nodes) {
                    py::object wrapper = call(nodeClass, node);
                    everyNodeFound = !getAttr(wrapper, s.nodeMObject).is_none();
                    if (!everyNodeFound) break;
                    append(found, callMethod(wrapper, s.fullName));
                }
                return found;
            });
            if (!everyNodeFound) throw;
            whileHandling(e, [&] {
                names = callKw(keyframe, s.kwQueryName, fullNames, Py_True, Py_True);
            });
        }
    });
    // A scope whose exit swallows the query's error leaves no answer: say so
    // as Python would, rather than go on without one.
    if (!names) {
        PyErr_SetString(PyExc_UnboundLocalError,
                        "the curve query inside the layer scope gave no answer: the "
                        "scope's exit suppressed its error");
        throwPythonError();
    }
    if (!truthy(names)) return result;
    py::object curveClass = s.global(s.AnimCurve);
    for (py::handle name : names) append(result, call(curveClass, name, mode, time));
    return result;
}

}  // namespace

void addAnimToolsKeyMembers(ClassBuilder &cls) {
    cls.property<animCurveNames>("animCurveNames", "The curve names of animCurves, in order.");
    cls.method<hasTargetKeys>("hasTargetKeys",
        "Whether the target holds keys (always, with selected keys).", {"self"});
    cls.method<isRangeTarget>("isRangeTarget",
        "Whether the target is a time range (always, with selected keys).", {"self"});
    cls.method<setKeyKind>("setKeyKind",
        "Give the target keys (in `time`, else the target's range, both ends\n"
        "included) the kind `keyKind` (falsy: plain), writing both flags of each\n"
        "key through one modifier, one undo step, unless `useModifier` is false.",
        {"self", "keyKind", "time", "useModifier"}, {Py_None, Py_True});
    cls.method<setSpecialKeys>("setSpecialKeys",
        "Set the special tick of the target keys (those in [start, end) of\n"
        "`frameRange` when given) through one modifier, skipping keys already so.",
        {"self", "isSpecial", "frameRange"}, {Py_None});
    cls.method<tintAllKeysRedInTheScene>("tintAllKeysRedInTheScene",
        "Make every key of every anim curve in the scene a plain, non-special key.",
        {"self"});
    cls.method<setAnimCurves>("setAnimCurves",
        "Replace animCurves (with only the curves that exist, when asked).",
        {"self", "animCurves", "onlyExisting"}, {Py_False});
    cls.method<setSmartKeys>("setSmartKeys", "Set a smart key on every curve of animCurves.",
                             {"self", "actionId"}, {Py_None});
    cls.method<keyIfNoTargetKeys>("keyIfNoTargetKeys",
        "Set smart keys when the target holds no keys.", {"self", "actionId"}, {Py_None});
    cls.method<tangentTypesAt>("tangentTypesAt",
        "The in and out tangent types of the transform curves' keys at `frame`:\n"
        "auto/auto when any has it or they disagree, else their common pair.",
        {"self", "frame"});
    cls.method<areTransformCurvesWeighted>("areTransformCurvesWeighted",
        "Whether every transform curve is weighted.", {"self"});
    cls.method<keyKindAt>("keyKindAt",
        "The kind of the keys at `frame` across the curves (special, else plain,\n"
        "else breakdown) of the curves keyed there, or None when `frame` is not\n"
        "among `times` or no curve has a key there.",
        {"self", "frame", "times"}, {Py_None});
    cls.method<nodeInterpolationsAt>("nodeInterpolationsAt",
        "Node name to {frame: mean interpolation of the node's curves at frame}.",
        {"self", "frame", "animCurves"}, {Py_None});
    cls.method<worldMatricesAt>("worldMatricesAt",
        "Curve to {frame: world matrix of its node}, each node evaluated once per\n"
        "frame.",
        {"self", "frames", "animCurves"}, {Py_None});
    cls.staticMethod<curvesOfNodes>("curvesOfNodes",
        "AnimCurves of the curves of `nodes`, read with `animLayer` active;\n"
        "ValueError when a name is one several nodes share.",
        {"nodes", "animLayer"}, {Py_None});
}

}  // namespace rigkit
