// The module's runtime: its state (interned names, the shared namespace) and the
// small set of helpers every class body uses to talk to Python objects.
//
// Why these helpers instead of pybind11's `obj.attr("x")(...)`:
// - names are interned once per module, so attribute lookups hit CPython's
//   attribute cache and allocate nothing;
// - calls go through vectorcall, which builds neither a tuple nor a dict.
// Failures still surface as `py::error_already_set`, so bodies read like Python
// with `try` / `catch` where the behaviour says "on RuntimeError ...".
#pragma once

#include <pybind11/pybind11.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <utility>

namespace py = pybind11;

namespace rigkit {

// Names of the shared namespace, looked up at call time (see GlobalName).
#define RIGKIT_GLOBALS(X)                                                                \
    X(CORE) X(MObject) X(MObjectHandle) X(MSelectionList) X(MDagPath) X(MFn)             \
    X(MFnDependencyNode) X(MFnDagNode) X(MFnTransform) X(MScriptUtil) X(Node)            \
    X(AnimAttr) X(FrameTime) X(MTime) X(MPlug) X(MDGContext) X(MDistance) X(MAngle)      \
    X(MFnAttribute) X(MFnNumericAttribute) X(MFnTypedAttribute) X(MFnNumericData)        \
    X(MFnData) X(MFnMatrixData) X(MFnPointArrayData) X(MFnDoubleArrayData)               \
    X(MFnIntArrayData) X(MPoint) X(MPointArray) X(MDoubleArray) X(MIntArray) X(MMatrix)  \
    X(MDagModifier) X(asList) X(pythonMajor) X(mayaVersion) X(coreProperty)              \
    X(coreDecorator) X(coreModifierContext) X(cmds) X(print) X(MAnimUtil) X(MAnimMessage) \
    X(MPlugArray) X(MObjectArray) X(partial) X(MirrorNode) X(MirrorStore) X(mirrorService) \
    X(AnimCurve) X(EnumAttribute) X(NumericAttribute) X(rotationMath) X(ChannelBox)      \
    X(AnimLayer) X(LayerQueries) X(NodeHandle) X(MGlobal) X(MItSelectionList)           \
    X(SelectionReader) X(CurveTarget) X(TargetSelection) X(KeySelectionContext)          \
    X(ToolOption) X(AuxToolOption) X(ProgressBar) X(ToolMessage) X(reportToolError)      \
    X(ValueRecord) X(askMessageKind) X(infoMessageKind) X(MessageClick) X(max) X(min)      \
    X(MFnAnimCurve) X(FrameStepper) X(AnimTools) X(sum) X(MTransformationMatrix) X(MVector) \
    X(MSpace) X(MQuaternion) X(MFnIkJoint) X(MEulerRotation) X(MatrixDecomposition)      \
    X(LinearValue) X(AnimControl) X(math)

// Attribute, method and keyword names. X(identifier) interns the identifier's
// own text.
#define RIGKIT_NAMES(X)                                                                  \
    /* attributes and methods */                                                         \
    X(nodeName) X(nodeMObject) X(dagPath) X(fnDagNode) X(fnDependencyNode)               \
    X(objectHandle) X(exists) X(isVisible)             \
    X(getAttr) X(setAttr) X(parent) X(child) X(childCount) X(fullPathName)               \
    X(partialPathName) X(name) X(hasFn) X(apiType) X(isValid) X(isAlive)                 \
    X(add) X(getDependNode) X(getAPathTo) X(extendToShapeDirectlyBelow)                  \
    X(numberOfShapesDirectlyBelow) X(asUintPtr) X(getUint) X(traceKit) X(reportError)    \
    X(encode) X(decode) X(split) X(join) X(requireShapes) X(getPlug) X(findPlug)         \
    X(elementByLogicalIndex) X(version_info) X(plug) X(plugName) X(attrName)             \
    X(apiTypeStr) X(fnAttribute) X(shortName) X(_targetController)      \
    X(controllerClass) X(setProperty) X(plugFromPath) X(attribute)   \
    X(selectAncestorLogicalIndex) X(partialName) X(getValue) X(setValue) X(value)        \
    X(valueAtTime) X(isFreeToChange) X(kFreeToChange) X(isCompound) X(numChildren)       \
    X(attrType) X(unitType) X(node) X(asMDistance) X(asMAngle) X(asMTime) X(asMObject)   \
    X(asString) X(asBool) X(asInt) X(asDouble) X(asCentimeters) X(asRadians) X(matrix)   \
    X(create) X(append) X(setMDistance) X(setMAngle) X(setMTime) X(setMObject)           \
    X(setString) X(setBool) X(setInt) X(setDouble) X(newPlugValue) X(newPlugValueMDistance) \
    X(newPlugValueMAngle) X(newPlugValueMTime) X(newPlugValueString) X(newPlugValueBool) \
    X(newPlugValueInt) X(newPlugValueDouble) X(message) X(tb_lineno) X(uiUnit)           \
    X(isTimewarpEnabled) X(warpedTime) X(refresh) X(currentTime) X(suspend)              \
    X(setLocked) X(setChannelBox) X(setKeyable) X(isLocked) X(color)    \
    X(toOutlinerColor) X(reparent) X(renameNode) X(reparentNode) X(doIt) X(__enter__) X(__exit__)    \
    X(keyframe) X(setKeyframe) X(animLayer) X(listConnections) X(ls) X(attributeQuery)    \
    X(isAnimated) X(findAnimation) X(length) X(connectedTo) X(isKeyable)                 \
    X(isChannelBoxFlagSet) X(isChild) X(drivenPlug) X(enumNumber) X(enumKey) X(orderKey)  \
    X(getMirrorFromNode) X(fullName) X(lookup) X(side) X(kCenter) X(partner)              \
    X(partnerName) X(namespacePrefix) X(splitSideName) X(mirrorNodeInfo)                 \
    X(mirrorNodeCache) X(isSpecialEnum) X(isMirrorable) X(mirrorFromAnimAttr)            \
    X(mirrorMultiplier) X(mirrorAttr) X(isScale) X(enumInfo) X(addCallback)              \
    X(removeCallback) X(hookKit) X(addAnimCurveEditedCallback) X(lastKeyedCurve)         \
    X(keyTimes) X(index) X(setKeyKindAt) X(onCurveEdited) X(animCurves) X(isPreferred)    \
    X(lastKeyedCurves)                                                                   \
    X(bestLayer) X(setActive) X(needsSwitch) X(previousLayer) X(shortAttrName)           \
    X(preferredOnEntry)                                                                  \
    X(mirrorStoreA) X(mirrorStoreB) X(mirrorStoreC) X(mirrorStoreD) X(storedDefaultValue) \
    X(queriedDefaultValue) X(isBaseLayer) X(isEmpty) X(layerNames) X(allLayers)           \
    X(isMuted) X(isSolo) X(isOverride) X(isPassthrough) X(rotationAccumulationMode)     \
    X(scaleAccumulationMode) X(animatableAttrs) X(removeAttribute) X(output) X(parentKey)  \
    X(plainPlugName) X(BASE_LAYER) X(kMute) X(kLock) X(kSolo) X(kOverride)               \
    X(kPassthrough) X(kPreferred) X(kRotationAccumulationMode) X(kScaleAccumulationMode)  \
    X(selectionItem) X(nodes) X(getDagPath) X(getActiveSelectionList) X(isDone) X(next)   \
    X(selectionList) X(listRelatives) X(setActiveSelectionList) X(nodeDagPaths)           \
    X(KEY_DEFAULT) X(KEY_BREAKDOWN) X(KEY_SPECIAL) X(targetTime) X(selectTargets)         \
    X(keepAlive) X(listAttr) X(hasAttribute) X(kTransform) X(kCamera) X(channelBox) X(objExists) X(isArray) X(rsplit)   \
    X(selectedChannelPaths) X(findAnimatablePlugs) X(findAnimatedPlugs) X(selectedPlugs)  \
    X(animatablePlugs) X(animatedPlugs) X(optionSet) X(activeOptions) X(attributeCount)   \
    X(nodeObjects) X(selectedAttrs) X(channelBoxAttrs) X(kMessageAttribute) X(activeAttrs) \
    X(nonAnimatedAttrs) X(shortPlugName) X(MODE_TARGET_CURVES) X(MODE_SELECTED_KEYS)      \
    X(underMouse) X(ZentrikToolbar) X(secondToolbar) X(isActive) X(selectedKeyCurves)     \
    X(preferTargetCurves) X(targetMode) X(targetCurves) X(updateChannelBoxHighlight)     \
    X(updateAnimLayerSync) X(curveNames) X(sceneCurveNames) X(isRotation) X(filterAngle)  \
    X(newKeyValues) X(filterRotation) X(parentAttribute) X(x) X(y) X(z) X(refreshKeys)    \
    X(numKeys) X(step) X(smartEulerFilter) X(lastActionId) X(show)                       \
    X(onSmartEulerFilterMessageClick) X(accepted) X(load) X(save) X(commonKit)           \
    X(smartEulerFilter_toolButton) X(setChecked) X(applySmartEulerFilterToFrames)         \
    X(alignRotationKeys) X(timeControl) X(timeSlider) X(trigger)                         \
    X(channelBoxAuxKit_channelBoxSelectionTimelineHighlight) X(selectedLayers)           \
    X(onTimelineSyncMessageClick) X(onHighlightMessageClick) X(keyValues)                \
    X(isRotate) X(isTranslate) X(curveName) X(targetKeyIndices) X(hasTimeRange)           \
    X(setSpecialKeys) X(keyIndices) X(curveFn) X(isSpecialAt) X(tickDrawSpecialPlug)      \
    X(sceneCurves) X(setSmartKeys) X(setSmartKey) X(hasTargetKeys) X(kTangentAuto)        \
    X(findIndex) X(tangentTypes) X(isWeighted) X(keyKinds) X(interpolationAt)             \
    X(worldMatrixAtFrame) X(ActivationScope) X(kObject) X(kWorld) X(addTranslation)       \
    X(asMatrix) X(inclusiveMatrix) X(rotatePivot) X(transformationMatrix)                 \
    X(exclusiveMatrixInverse) X(inverse) X(getRotation) X(transformation)                 \
    X(setRotationQuaternion) X(w) X(graphKit) X(createNode) X(deleteNode) X(connectAttr)  \
    X(worldMatrix) X(kJoint) X(kHikIKEffector) X(getOrientation) X(rotateBy)              \
    X(createFromDouble) X(asDoublePtr) X(getData3Double) X(getDouble) X(eulerRotation)    \
    X(translation) X(scale) X(rotateOrientation) X(assign) X(rotatePivotTranslation)      \
    X(decomposeLocalMatrix) X(uiValue) X(xform) X(asUnits) X(rotation) X(fnTransform)    \
    X(asRotateMatrix) X(createFromList) X(setScale) X(setShear) X(mayaState)             \
    X(kInteractive) X(_actionMemory) X(findClosest) X(time)                               \
    /* MFn types */                                                                      \
    X(kConstraint) X(kAnimLayer) X(kBlendNodeAdditiveRotation) X(kBlendNodeAdditiveScale) \
    X(kBlendNodeBase) X(kBlendNodeBoolean) X(kBlendNodeDouble)                          \
    X(kBlendNodeDoubleAngle) X(kBlendNodeDoubleLinear) X(kBlendNodeEnum) X(kBlendNodeFloat) \
    X(kBlendNodeFloatAngle) X(kBlendNodeFloatLinear) X(kBlendNodeInt16) X(kBlendNodeInt32) \
    X(kBlendNodeTime)                                                                    \
    /* MFn attribute types */                                                            \
    X(kDagNode) X(kDependencyNode) X(kAttribute3Double) X(kAttribute3Float)              \
    X(kCompoundAttribute) X(kDoubleLinearAttribute) X(kFloatLinearAttribute)             \
    X(kDoubleAngleAttribute) X(kFloatAngleAttribute) X(kTimeAttribute)                   \
    X(kTypedAttribute) X(kMatrixAttribute) X(kNumericAttribute) X(kEnumAttribute)        \
    /* MFnData types */                                                                  \
    X(kMatrix) X(kString) X(kPointArray) X(kDoubleArray) X(kIntArray)                    \
    /* MFnNumericData unit types */                                                      \
    X(kBoolean) X(kShort) X(kInt) X(kLong) X(kByte) X(k2Short) X(k3Short) X(k2Int)       \
    X(k3Int) X(k2Long) X(k3Long) X(kFloat) X(kDouble) X(kAddr) X(kChar) X(k2Float)       \
    X(k3Float) X(k2Double) X(k3Double) X(k4Double) X(kInvalid)                           \
    /* module dunders */                                                                 \
    X(__name__) X(__init__) X(__all__) X(__dict__) X(__getitem__) X(_plainArrayClass)

// Keyword-name tuples for vectorcall: X(member, "keyword", ...) names the
// last arguments of a call, in that order.
#define RIGKIT_KEYWORDS(X)                                                              \
    X(kwRequireShapes, "requireShapes") X(kwPlugName, "plugName") X(kwSuspend, "suspend") \
    X(kwQueryTimeChange, "query", "timeChange") X(kwQueryValueChange, "query", "valueChange") \
    X(kwNodeListDefault, "node", "listDefault") X(kwTimeShape, "time", "shape")           \
    X(kwTimeShapeAnimLayer, "time", "shape", "animLayer") X(kwCallbackFlag, "callbackFlag") \
    X(kwIndexKeyKindActionId, "index", "keyKind", "actionId") X(kwContainer, "container")  \
    X(kwContainerLookupFlag, "container", "lookupFlag")                                   \
    X(kwQueryBestAnimLayer, "query", "bestAnimLayer") X(kwQueryAnimCurves, "query", "animCurves") \
    X(kwQueryAttribute, "query", "attribute") X(kwLong, "long")                          \
    X(kwEditAttribute, "edit", "attribute") X(kwEditRemoveAttribute, "edit", "removeAttribute") \
    X(kwQueryMute, "query", "mute") X(kwQueryLock, "query", "lock") X(kwQuerySolo, "query", "solo") \
    X(kwQueryOverride, "query", "override") X(kwQueryPassthrough, "query", "passthrough")  \
    X(kwQueryPreferred, "query", "preferred") X(kwEditMute, "edit", "mute")              \
    X(kwEditLock, "edit", "lock") X(kwEditSolo, "edit", "solo") X(kwEditOverride, "edit", "override") \
    X(kwEditPassthrough, "edit", "passthrough") X(kwEditPreferred, "edit", "preferred")   \
    X(kwModifier, "modifier") X(kwQuerySelected, "query", "selected")                    \
    X(kwQueryAffectedLayers, "query", "affectedLayers")                                   \
    X(kwSelectionLong, "selection", "long")                                               \
    X(kwSelectionLongDependencyNodes, "selection", "long", "dependencyNodes")              \
    X(kwAllDescendentsFullPathType, "allDescendents", "fullPath", "type")                  \
    X(kwEditTimeBreakdown, "edit", "time", "breakdown")                                    \
    X(kwEditTimeTickDrawSpecial, "edit", "time", "tickDrawSpecial")                        \
    X(kwQueryMainObjectList, "query", "mainObjectList")                                    \
    X(kwQueryShapeObjectList, "query", "shapeObjectList")                                  \
    X(kwQueryHistoryObjectList, "query", "historyObjectList")                              \
    X(kwQueryOutputObjectList, "query", "outputObjectList")                                \
    X(kwQuerySelectedMainAttributes, "query", "selectedMainAttributes")                    \
    X(kwQuerySelectedShapeAttributes, "query", "selectedShapeAttributes")                  \
    X(kwQuerySelectedHistoryAttributes, "query", "selectedHistoryAttributes")              \
    X(kwQuerySelectedOutputAttributes, "query", "selectedOutputAttributes")                \
    X(kwTargetController, "targetController") X(kwType, "type")                           \
    X(kwQueryNameSelected, "query", "name", "selected")                                    \
    X(kwSmartEulerFilter, "frameRange", "includePreviousKey", "filterFlag", "actionId")   \
    X(kwMessageIdDuration, "messageId", "duration")                                        \
    X(kwOnMessageClickMessageIdClickValue, "onMessageClick", "messageId", "clickValue")   \
    X(kwOnMessageClickMessageId, "onMessageClick", "messageId")                            \
    X(kwQueryShowKeys, "query", "showKeys")                                                \
    X(kwQueryTimeIndexValue, "query", "time", "indexValue")                                \
    X(kwQueryTimeTimeChange, "query", "time", "timeChange")                                \
    X(kwQueryIndexTimeChange, "query", "index", "timeChange")                              \
    X(kwQueryAnimLayerFilterOptions, "query", "animLayerFilterOptions")                    \
    X(kwEditShowKeysCombinedLayerFilter, "edit", "showKeys", "showKeysCombined",          \
      "animLayerFilterOptions")                                                          \
    X(kwEditBreakdown, "edit", "breakdown") X(kwEditTickDrawSpecial, "edit", "tickDrawSpecial") \
    X(kwKeyFlagActionId, "keyFlag", "actionId") X(kwQueryName, "query", "name")           \
    X(kwCreateNode, "nodeName", "nodeType", "firstFlag", "secondFlag")                    \
    X(kwNodeName, "nodeName") X(kwForce, "force")                                         \
    X(kwTranslationRotationScale, "translation", "rotation", "scale")                     \
    X(kwInternalValue, "internalValue") X(kwTranslation, "translation")                   \
    X(kwRotation, "rotation") X(kwScale, "scale") X(kwShortNames, "shortNames")          \
    X(kwChannelBoxUnlockedShortNames, "channelBox", "unlocked", "shortNames")

// A name of the shared namespace with its last lookup remembered. Classes
// and services are looked up at every use, so that a name replaced in the
// namespace (a test's monkeypatch, the sibling kit) takes effect at once; the
// remembered value is used only while neither the module's namespace nor the
// builtins changed since, which the dictionaries' version tags tell, as the
// interpreter's own cache of global lookups does.
struct GlobalName {
    PyObject *name = nullptr;
    mutable PyObject *value = nullptr;  // borrowed from the dictionary holding it
    mutable uint64_t globalsVersion = 0;
    mutable uint64_t builtinsVersion = 0;
    mutable bool inBuiltins = false;
};

struct Action;
class ExistenceWatch;

class State {
public:
#define RIGKIT_DECLARE_NAME(n) PyObject *n = nullptr;
    RIGKIT_NAMES(RIGKIT_DECLARE_NAME)
#undef RIGKIT_DECLARE_NAME
#define RIGKIT_DECLARE_GLOBAL(n) GlobalName n;
    RIGKIT_GLOBALS(RIGKIT_DECLARE_GLOBAL)
#undef RIGKIT_DECLARE_GLOBAL

    // Texts used as values rather than names.
    PyObject *utf_8 = nullptr;     // "utf-8"
    PyObject *latin_1 = nullptr;   // "latin_1"
    PyObject *bar = nullptr;       // "|"
    PyObject *dot = nullptr;       // "."
    PyObject *openBracket = nullptr;   // "["
    PyObject *closeBracket = nullptr;  // "]"
    PyObject *empty = nullptr;     // ""
    PyObject *smartKeyCallback = nullptr;  // "animAttr_setSmartKey"
    PyObject *registerNode = nullptr;      // "register", a C++ keyword
    // The transform channels' long and short names, split from their word lists.
    PyObject *translateWords = nullptr;
    PyObject *rotateWords = nullptr;
    PyObject *scaleWords = nullptr;
#define RIGKIT_DECLARE_KEYWORDS(n, ...) PyObject *n = nullptr;
    RIGKIT_KEYWORDS(RIGKIT_DECLARE_KEYWORDS)
#undef RIGKIT_DECLARE_KEYWORDS

    PyObject *module = nullptr;    // borrowed: the state lives inside it
    // Strong, and null once the module is cleared: code that still runs then
    // (a finalizer during collection) gets an error, never a freed dictionary.
    PyObject *globals = nullptr;   // the module's namespace
    PyObject *builtins = nullptr;  // the interpreter's builtins dict
    bool cachesNames = false;      // whether global() may keep what it found
    // Plug array class of the namespace -> its subclass with owned elements
    // (ChannelBox), made once per class.
    PyObject *ownedPlugArrays = nullptr;
    // What the running public call has learned (module/action.h); null
    // between calls. Only touched under the interpreter lock.
    mutable Action *action = nullptr;
    // The innermost ExistenceWatch alive (module/action.h), or null.
    mutable ExistenceWatch *existenceWatch = nullptr;
    // The answer of the action running now to "has Maya its interface?"
    // (see InterfaceCheck), and how many checks of that action are alive.
    mutable bool interfacePresent = true;
    mutable int interfaceChecks = 0;

    // Interns every name; false with a Python error set on failure.
    bool init(PyObject *module);
    void clear();
    // What the garbage collector may need to visit and break.
    int traverse(visitproc visit, void *arg);
    void clearReferences();

    // A name of the shared namespace, looked up at the moment of use, with the
    // builtins behind it as in Python; NameError when neither has it.
    py::object global(const GlobalName &name) const;
    py::object global(PyObject *name) const;
};

// The state of the module object `module`.
inline State &stateOf(PyObject *module) { return *static_cast<State *>(PyModule_GetState(module)); }

// ---------------------------------------------------------------------------
// Calling Python.

[[noreturn]] inline void throwPythonError() { throw py::error_already_set(); }

inline py::object steal(PyObject *result) {
    if (!result) throwPythonError();
    return py::reinterpret_steal<py::object>(result);
}

inline py::object getAttr(py::handle obj, PyObject *name) {
    return steal(PyObject_GetAttr(obj.ptr(), name));
}

inline void setAttr(py::handle obj, PyObject *name, py::handle value) {
    if (PyObject_SetAttr(obj.ptr(), name, value.ptr()) < 0) throwPythonError();
}

template <class... Args>
py::object call(py::handle callable, Args &&...args) {
    std::array<PyObject *, sizeof...(Args) + 1> argv{nullptr, py::handle(args).ptr()...};
    return steal(PyObject_Vectorcall(callable.ptr(), argv.data() + 1,
                                     sizeof...(Args) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}

// obj.name(*args), without building a bound method.
template <class... Args>
py::object callMethod(py::handle obj, PyObject *name, Args &&...args) {
    std::array<PyObject *, sizeof...(Args) + 1> argv{obj.ptr(), py::handle(args).ptr()...};
    return steal(PyObject_VectorcallMethod(name, argv.data(),
                                           argv.size() | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}

// obj.name(*args, **kw) where `kwnames` is a prebuilt tuple naming the last
// len(kwnames) arguments.
template <class... Args>
py::object callMethodKw(py::handle obj, PyObject *name, PyObject *kwnames, Args &&...args) {
    std::array<PyObject *, sizeof...(Args) + 1> argv{obj.ptr(), py::handle(args).ptr()...};
    const size_t positional = argv.size() - static_cast<size_t>(PyTuple_GET_SIZE(kwnames));
    return steal(PyObject_VectorcallMethod(name, argv.data(),
                                           positional | PY_VECTORCALL_ARGUMENTS_OFFSET, kwnames));
}

// callable(*args, **kw) where `kwnames` is a prebuilt tuple naming the last
// len(kwnames) arguments.
template <class... Args>
py::object callKw(py::handle callable, PyObject *kwnames, Args &&...args) {
    std::array<PyObject *, sizeof...(Args) + 1> argv{nullptr, py::handle(args).ptr()...};
    const size_t positional = sizeof...(Args) - static_cast<size_t>(PyTuple_GET_SIZE(kwnames));
    return steal(PyObject_Vectorcall(callable.ptr(), argv.data() + 1,
                                     positional | PY_VECTORCALL_ARGUMENTS_OFFSET, kwnames));
}

inline bool truthy(py::handle obj) {
    const int r = PyObject_IsTrue(obj.ptr());
    if (r < 0) throwPythonError();
    return r != 0;
}

inline bool equal(py::handle a, py::handle b) {
    const int r = PyObject_RichCompareBool(a.ptr(), b.ptr(), Py_EQ);
    if (r < 0) throwPythonError();
    return r != 0;
}

// A count or index from Maya as a C size; OverflowError beyond it.
inline Py_ssize_t asIndex(py::handle number) {
    const Py_ssize_t n = PyNumber_AsSsize_t(number.ptr(), PyExc_OverflowError);
    if (n == -1 && PyErr_Occurred()) throwPythonError();
    return n;
}

// A number as a C double (float() of it); TypeError for anything else.
inline double toDouble(py::handle number) {
    const double value = PyFloat_AsDouble(number.ptr());
    if (value == -1.0 && PyErr_Occurred()) throwPythonError();
    return value;
}

inline py::object boolObject(bool value) {
    return py::reinterpret_borrow<py::object>(value ? Py_True : Py_False);
}

inline py::object none() { return py::reinterpret_borrow<py::object>(Py_None); }

inline py::object newList() { return steal(PyList_New(0)); }

// list.append(item)
inline void append(py::handle list, py::handle item) {
    if (PyList_Append(list.ptr(), item.ptr()) < 0) throwPythonError();
}

// `format % args`, as Python's % operator does it.
inline py::object percent(PyObject *format, py::handle args) {
    return steal(PyNumber_Remainder(format, args.ptr()));
}

inline py::object text(const char *utf8) { return steal(PyUnicode_FromString(utf8)); }

// "...%s..." % (a, b, ...) for a format given as a C string.
template <class... Args>
py::object format(const char *fmt, Args &&...args) {
    py::object values = steal(PyTuple_Pack(sizeof...(Args), py::handle(args).ptr()...));
    return percent(text(fmt).ptr(), values);
}

// CORE.traceKit.reportError(message)
void reportError(const State &s, py::handle message);

// ---------------------------------------------------------------------------
// Shared steps.

// Makes `handled` the exception being handled, as entering an `except` block
// does, for as long as the scope lives. Python code and C errors raised
// meanwhile then take it as their context with the interpreter's own rules
// (which cut a cycle instead of making one); the caller's own exception is
// never modified.
class HandlingScope {
public:
    explicit HandlingScope(py::error_already_set &handled);
    ~HandlingScope();
    HandlingScope(const HandlingScope &) = delete;
    HandlingScope &operator=(const HandlingScope &) = delete;

private:
    PyObject *type_ = nullptr, *value_ = nullptr, *traceback_ = nullptr;
};

// Runs `step` as the body of an `except` block handling `handled` would run:
// an error it raises carries `handled` as its context.
template <class Step>
auto whileHandling(py::error_already_set &handled, Step &&step) -> decltype(step()) {
    HandlingScope scope(handled);
    return step();
}

// The line that the traceback of a caught failure carries (None without one).
py::object failureLine(const State &s, py::error_already_set &e);

// Raises, with `e` as its context, a new exception of e's class whose message
// is e's `message` attribute (or "Error:") followed by `suffix()`. When e's
// class cannot be built from one message, e itself goes on instead.
[[noreturn]] void raiseEnriched(const State &s, py::error_already_set &e,
                                const std::function<py::object()> &suffix);

// Whether Maya runs with its interface: MGlobal.mayaState() is kInteractive.
// In batch (mayapy, a farm job) UI commands fail, so the steps that only
// serve an animator (Channel Box highlight, timeline questions, redraws) are
// left out. Maya is asked once per action: the outermost check asks, and the
// checks the action's inner steps make while it lives take its answer.
class InterfaceCheck {
public:
    explicit InterfaceCheck(const State &s);
    ~InterfaceCheck() { --s_.interfaceChecks; }
    InterfaceCheck(const InterfaceCheck &) = delete;
    InterfaceCheck &operator=(const InterfaceCheck &) = delete;
    bool present() const { return s_.interfacePresent; }

private:
    const State &s_;
};

// `first, second = pair`, with Python's messages when the count is wrong.
std::pair<py::object, py::object> unpackPair(py::handle pair);

// Runs body(entered) inside `with manager as entered:`, as the statement does:
// the exit sees the body's exception and may suppress it.
void withContext(const State &s, py::handle manager,
                 const std::function<void(py::handle)> &body);

// Runs body(modifier) inside coreModifierContext(False, True), as a `with`
// statement would, the modifier being the second item of the yielded pair.
void withModifier(const State &s, const std::function<void(py::handle)> &body);

}  // namespace rigkit
