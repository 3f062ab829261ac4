// The key tools of AnimTools: key kinds on the target's keys, special ticks
// through a modifier, clearing every key in the scene, and the small queries
// and utilities the suite's tools call on the target curves.
#include "tools/anim_tools.h"

#include "module/classes.h"

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

py::object setKeyKind(const State &s, py::handle self, py::handle keyKind, py::handle time,
                      py::handle useModifier) {
    py::object kind = truthy(keyKind) ? py::reinterpret_borrow<py::object>(keyKind)
                                      : keyKindConstant(s, s.KEY_DEFAULT);
    py::handle breakdown = boolObject(equal(kind, keyKindConstant(s, s.KEY_BREAKDOWN)));
    py::handle special = boolObject(equal(kind, keyKindConstant(s, s.KEY_SPECIAL)));
    py::object keyframe = getAttr(s.global(s.cmds), s.keyframe);
    if (!selectedKeysMode(s, self)) {
        // The edits name no object: they apply to the targets selected here.
        py::object range = truthy(time) ? py::reinterpret_borrow<py::object>(time)
                                        : getAttr(call(s.global(s.CurveTarget)), s.targetTime);
        callMethod(s.global(s.TargetSelection), s.selectTargets);
        callKw(keyframe, s.kwEditTimeBreakdown, Py_True, range, breakdown);
        if (truthy(useModifier))
            callMethod(self, s.setSpecialKeys, special, range);
        else
            callKw(keyframe, s.kwEditTimeTickDrawSpecial, Py_True, range, special);
        return none();
    }
    callKw(keyframe, s.kwEditBreakdown, Py_True, breakdown);  // the selected keys
    if (truthy(useModifier))
        callMethod(self, s.setSpecialKeys, special);
    else
        callKw(keyframe, s.kwEditTickDrawSpecial, Py_True, special);
    return none();
}

// The curve's key indices in [start, end): a key exactly at the end is left out.
py::object indicesInRange(const State &s, py::handle curve, py::handle frameRange) {
    py::object start = steal(PySequence_GetItem(frameRange.ptr(), 0));
    py::object end = steal(PySequence_GetItem(frameRange.ptr(), 1));
    py::object keyIndices = getAttr(curve, s.keyIndices);
    py::object result = newList();
    Py_ssize_t position = 0;
    for (py::handle time : getAttr(curve, s.keyTimes)) {
        const int from = PyObject_RichCompareBool(start.ptr(), time.ptr(), Py_LE);
        if (from < 0) throwPythonError();
        const int before = from ? PyObject_RichCompareBool(time.ptr(), end.ptr(), Py_LT) : 0;
        if (before < 0) throwPythonError();
        if (before) append(result, steal(PySequence_GetItem(keyIndices.ptr(), position)));
        ++position;
    }
    return result;
}

// Writes the special tick of the target keys through one modifier, skipping
// keys already in the requested state.
py::object setSpecialKeys(const State &s, py::handle self, py::handle isSpecial,
                          py::handle frameRange) {
    const bool wanted = truthy(isSpecial);
    py::object curves = getAttr(self, s.animCurves);
    withModifier(s, [&](py::handle modifier) {
        for (py::handle curve : curves) {
            py::object indices = frameRange.is_none() ? getAttr(curve, s.targetKeyIndices)
                                                      : indicesInRange(s, curve, frameRange);
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

// Special wins over plain over breakdown across the curves.
py::object keyKindAt(const State &s, py::handle self, py::handle frame, py::handle times) {
    py::object known = truthy(times) ? py::reinterpret_borrow<py::object>(times)
                                     : getAttr(call(s.global(s.CurveTarget)), s.keyTimes);
    const int listed = PySequence_Contains(known.ptr(), frame.ptr());
    if (listed < 0) throwPythonError();
    if (!listed) return none();
    py::object curves = getAttr(self, s.animCurves);
    auto anyKindIs = [&](PyObject *kindName) {
        py::object kind = keyKindConstant(s, kindName);
        for (py::handle curve : curves) {
            py::object index = callMethod(getAttr(curve, s.keyTimes), s.index, frame);
            py::object kinds = getAttr(curve, s.keyKinds);
            if (equal(steal(PyObject_GetItem(kinds.ptr(), index.ptr())), kind)) return true;
        }
        return false;
    };
    if (anyKindIs(s.KEY_SPECIAL)) return keyKindConstant(s, s.KEY_SPECIAL);
    if (anyKindIs(s.KEY_DEFAULT)) return keyKindConstant(s, s.KEY_DEFAULT);
    return keyKindConstant(s, s.KEY_BREAKDOWN);
}

// node name -> {frame: mean interpolation of the node's curves there}
py::object nodeInterpolationsAt(const State &s, py::handle self, py::handle frame,
                                py::handle animCurves) {
    py::object result = steal(PyDict_New());
    for (py::handle curve : givenOrTransformCurves(s, self, animCurves)) {
        py::object value = callMethod(curve, s.interpolationAt, frame);
        if (value.is_none()) continue;
        py::object nodeName = getAttr(curve, s.nodeName);
        PyObject *frames = PyDict_GetItemWithError(result.ptr(), nodeName.ptr());
        if (!frames) {
            if (PyErr_Occurred()) throwPythonError();
            py::object created = steal(PyDict_New());
            if (PyDict_SetItem(result.ptr(), nodeName.ptr(), created.ptr()) < 0)
                throwPythonError();
            frames = created.ptr();
        }
        py::object values = newList();
        PyObject *kept = PyDict_SetDefault(frames, frame.ptr(), values.ptr());
        if (!kept) throwPythonError();
        append(kept, value);
    }
    py::object sum = s.global(s.sum);
    for (py::handle nodeName : result) {
        py::object frames = steal(PyObject_GetItem(result.ptr(), nodeName.ptr()));
        for (py::handle key : frames) {
            py::object values = steal(PyObject_GetItem(frames.ptr(), key.ptr()));
            py::object count = steal(PyLong_FromSsize_t(PyList_GET_SIZE(values.ptr())));
            py::object mean = steal(PyNumber_TrueDivide(call(sum, values).ptr(), count.ptr()));
            if (PyDict_SetItem(frames.ptr(), key.ptr(), mean.ptr()) < 0) throwPythonError();
        }
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
                PyObject *byFrame = PyDict_SetDefault(result.ptr(), curve.ptr(), empty.ptr());
                if (!byFrame || PyDict_SetItem(byFrame, frame.ptr(), kept.ptr()) < 0)
                    throwPythonError();
            }
        }
    });
    return result;
}

// The curves of `nodes` as the layer `animLayer` shows them; a name Maya finds
// ambiguous is tried once more as full paths.
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
            whileHandling(e, [&] {
                py::object fullNames = newList();
                py::object nodeClass = s.global(s.Node);
                for (py::handle node : nodes)
                    append(fullNames, callMethod(call(nodeClass, node), s.fullName));
                names = callKw(keyframe, s.kwQueryName, fullNames, Py_True, Py_True);
            });
        }
    });
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
        "Give the target keys (at `time`, else the target's range) the kind\n"
        "`keyKind` (falsy: plain); the special tick goes through a modifier unless\n"
        "`useModifier` is false.",
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
        "else breakdown), or None when `frame` is not among `times`.",
        {"self", "frame", "times"}, {Py_None});
    cls.method<nodeInterpolationsAt>("nodeInterpolationsAt",
        "Node name to {frame: mean interpolation of the node's curves at frame}.",
        {"self", "frame", "animCurves"}, {Py_None});
    cls.method<worldMatricesAt>("worldMatricesAt",
        "Curve to {frame: world matrix of its node}, each node evaluated once per\n"
        "frame.",
        {"self", "frames", "animCurves"}, {Py_None});
    cls.staticMethod<curvesOfNodes>("curvesOfNodes",
        "AnimCurves of the curves of `nodes`, read with `animLayer` active.",
        {"nodes", "animLayer"}, {Py_None});
}

}  // namespace rigkit
