// Node's transforms and matrices: world, local and parent matrices, the world
// matrix at another frame without moving the scene, a local matrix split into
// channel values, and channels set so that a node reaches a world matrix.
#include "module/action.h"
#include "module/classes.h"
#include "scene/node.h"

#include <array>
#include <cmath>

namespace rigkit {
namespace {

py::object space(const State &s, PyObject *name) { return getAttr(s.global(s.MSpace), name); }

// The matrix moved to the node's rotate pivot, as the animator sees the node.
py::object atRotatePivot(const State &s, py::handle matrix, py::handle rotatePivot) {
    py::object m = call(s.global(s.MTransformationMatrix), matrix);
    callMethod(m, s.addTranslation, call(s.global(s.MVector), rotatePivot), space(s, s.kObject));
    return callMethod(m, s.asMatrix);
}

py::object worldMatrix(const State &s, py::handle self) {
    py::object inclusive = callMethod(getAttr(self, s.dagPath), s.inclusiveMatrix);
    py::object rotatePivot =
        callMethod(getAttr(self, s.fnTransform), s.rotatePivot, space(s, s.kObject));
    return atRotatePivot(s, inclusive, rotatePivot);
}

py::object localMatrix(const State &s, py::handle self) {
    return callMethod(getAttr(self, s.fnDagNode), s.transformationMatrix);
}

py::object parentMatrix(const State &s, py::handle self) {
    return callMethod(callMethod(getAttr(self, s.dagPath), s.exclusiveMatrixInverse), s.inverse);
}

py::object matrixWithWorldRotation(const State &s, py::handle self) {
    py::object fn = call(s.global(s.MFnTransform), getAttr(self, s.dagPath));
    py::object q = call(s.global(s.MQuaternion));
    callMethod(fn, s.getRotation, q, space(s, s.kWorld));
    py::object t = callMethod(fn, s.transformation);
    callMethod(t, s.setRotationQuaternion, getAttr(q, s.x), getAttr(q, s.y), getAttr(q, s.z),
               getAttr(q, s.w));
    return callMethod(t, s.asMatrix);
}

// The node's plug of the attribute `name`.
py::object plugOf(const State &s, py::handle self, const char *name) {
    py::object attribute = callMethod(getAttr(self, s.fnDependencyNode), s.attribute, text(name));
    return call(s.global(s.MPlug), getAttr(self, s.nodeMObject), attribute);
}

// The three children of a double3 plug, read in `context`, as an MVector.
py::object vectorAt(const State &s, py::handle plug, py::handle context) {
    py::object values[3];
    for (int i = 0; i < 3; ++i) {
        py::object child = callMethod(plug, s.child, steal(PyLong_FromLong(i)));
        values[i] = callMethod(child, s.asDouble, context);
    }
    return call(s.global(s.MVector), values[0], values[1], values[2]);
}

// The world matrix in `context`, evaluated through a temporary passMatrix
// node whose input is read in that context. The temporary node is deleted
// whatever happens: an animator's scene never keeps it.
py::object matrixThroughDummy(const State &s, py::handle self, py::handle context) {
    py::object graphKit = getAttr(s.global(s.CORE), s.graphKit);
    py::object dummy = callMethodKw(graphKit, s.createNode, s.kwCreateNode,
                                    text("Zentrik_Dummy_Matrix"), text("passMatrix"), Py_False,
                                    Py_False);
    // The suite may answer the new node's name rather than its Node; either
    // way its name is read once, so the clean-up cannot fail where the use
    // did.
    if (PyUnicode_Check(dummy.ptr()) || PyBytes_Check(dummy.ptr())) dummy = newNode(s, dummy);
    py::object dummyName = callMethod(dummy, s.fullName);
    auto deleteDummy = [&] {
        callMethodKw(graphKit, s.deleteNode, s.kwNodeName, dummyName);
        forgetNodes(s);  // a call that keeps names must not find the deleted node again
    };
    py::object matrix;
    try {
        callMethodKw(s.global(s.cmds), s.connectAttr, s.kwForce,
                     format("%s.worldMatrix[0]", callMethod(self, s.fullName)),
                     format("%s.inMatrix", dummyName), Py_True);
        py::object attribute =
            callMethod(getAttr(dummy, s.fnDependencyNode), s.attribute, text("inMatrix"));
        py::object plug = call(s.global(s.MPlug), getAttr(dummy, s.nodeMObject), attribute);
        py::object data = call(s.global(s.MFnMatrixData), callMethod(plug, s.asMObject, context));
        matrix = callMethod(data, s.matrix);
    } catch (py::error_already_set &e) {
        whileHandling(e, deleteDummy);
        throw;
    }
    deleteDummy();
    return matrix;
}

py::object worldMatrixAtFrame(const State &s, py::handle self, py::handle frame,
                              py::handle stepper) {
    py::object now = callMethod(callMethod(s.global(s.AnimControl), s.currentTime), s.value);
    if (equal(now, frame)) return callMethod(self, s.worldMatrix);
    if (!stepper.is_none()) {
        callMethod(stepper, s.registerNode, self);
        if (truthy(callMethod(stepper, s.step, frame))) return callMethod(self, s.worldMatrix);
    }
    py::object context = call(s.global(s.MDGContext), call(s.global(s.FrameTime), frame));
    py::object matrix = matrixThroughDummy(s, self, context);
    // The pivot is read at the same frame: an animated pivot moves with it.
    return atRotatePivot(s, matrix, vectorAt(s, plugOf(s, self, "rotatePivot"), context));
}

// The joint orient of a joint, or of an effector that stores one as three
// doubles; the identity for any other node.
py::object jointOrientMatrix(const State &s, py::handle self) {
    py::object result = call(s.global(s.MTransformationMatrix));
    py::object node = getAttr(self, s.nodeMObject);
    py::object transformSpace = space(s, s.kTransform);
    if (hasFn(s, node, s.kJoint)) {
        py::object q = call(s.global(s.MQuaternion));
        callMethod(call(s.global(s.MFnIkJoint), getAttr(self, s.dagPath)), s.getOrientation, q);
        callMethod(result, s.rotateBy, q, transformSpace);
    } else if (hasFn(s, node, s.kHikIKEffector)) {
        py::object attribute =
            callMethod(getAttr(self, s.fnDependencyNode), s.attribute, text("jointOrient"));
        py::object plug = call(s.global(s.MPlug), node, attribute);
        py::object data = call(s.global(s.MFnNumericData), callMethod(plug, s.asMObject));
        // Each pointer is memory its util owns: the utils live in this scope.
        py::object utilClass = s.global(s.MScriptUtil);
        py::object utils[3], pointers[3];
        for (int i = 0; i < 3; ++i) {
            utils[i] = call(utilClass);
            callMethod(utils[i], s.createFromDouble, steal(PyFloat_FromDouble(0.0)));
            pointers[i] = callMethod(utils[i], s.asDoublePtr);
        }
        callMethod(data, s.getData3Double, pointers[0], pointers[1], pointers[2]);
        py::object values[3];
        for (int i = 0; i < 3; ++i) values[i] = callMethod(utilClass, s.getDouble, pointers[i]);
        py::object euler = call(s.global(s.MEulerRotation),
                                call(s.global(s.MVector), values[0], values[1], values[2]));
        callMethod(result, s.rotateBy, euler, transformSpace);
    }
    return result;
}

// A joint that compensates its parent's segment scale has [IS], the inverse
// of the parent's scale (its inverseScale), after its rotation and joint
// orient: `matrix` times the parent's scale, so that what is left of its
// rotation and scale belongs to the joint's own channels. Other nodes, and a
// joint without compensation or under a flattened parent, keep `matrix`.
py::object withoutParentScale(const State &s, py::handle self, py::handle matrix) {
    py::object same = py::reinterpret_borrow<py::object>(matrix);
    if (!hasFn(s, getAttr(self, s.nodeMObject), s.kJoint)) return same;
    if (!truthy(callMethod(plugOf(s, self, "segmentScaleCompensate"), s.asBool))) return same;
    py::object plug = plugOf(s, self, "inverseScale");
    py::object scales = newList();
    for (long i = 0; i < 3; ++i) {
        py::object value = callMethod(callMethod(plug, s.child, steal(PyLong_FromLong(i))),
                                      s.asDouble);
        if (!truthy(value)) return same;
        append(scales, value);
    }
    // The pointer is memory the util owns: the util lives in this scope.
    py::object util = call(s.global(s.MScriptUtil));
    callMethod(util, s.createFromList, scales, steal(PyLong_FromLong(3)));
    py::object parentScale = call(s.global(s.MTransformationMatrix));
    callMethod(parentScale, s.setScale, callMethod(util, s.asDoublePtr), space(s, s.kTransform));
    return steal(PyNumber_Multiply(matrix.ptr(), callMethod(parentScale, s.asMatrix).ptr()));
}

// The three children of a double3 plug of the node, as C numbers.
std::array<double, 3> channelsOf(const State &s, py::handle self, const char *name) {
    py::object plug = plugOf(s, self, name);
    std::array<double, 3> result{};
    for (long i = 0; i < 3; ++i)
        result[i] = toDouble(callMethod(callMethod(plug, s.child, steal(PyLong_FromLong(i))),
                                        s.asDouble));
    return result;
}

// A decomposition may give the same matrix's scale with other signs (-1, 1, 1
// as 1, 1, -1 with the rotation turned half a turn). Where the node's own
// scale signs can describe the matrix (as many negative axes, mod 2), they
// are kept, so a mirrored control keeps its channels.
std::array<double, 3> scaleWithSignsOf(const std::array<double, 3> &decomposed,
                                       const std::array<double, 3> &current) {
    int negativeDecomposed = 0, negativeCurrent = 0;
    for (int i = 0; i < 3; ++i) {
        negativeDecomposed += decomposed[i] < 0;
        negativeCurrent += current[i] < 0;
    }
    if (negativeDecomposed % 2 != negativeCurrent % 2) return decomposed;
    std::array<double, 3> result{};
    for (int i = 0; i < 3; ++i)
        result[i] = current[i] < 0 ? -std::fabs(decomposed[i]) : std::fabs(decomposed[i]);
    return result;
}

// `own` with the given scale and the node's shear taken off: what is left is
// the rotate axis, rotation and joint orient. None when that scale cannot be
// taken off (a zero or not finite axis).
py::object withoutScaleAndShear(const State &s, py::handle self, py::handle own,
                                const std::array<double, 3> &scale) {
    for (double axis : scale)
        if (axis == 0.0 || !std::isfinite(axis)) return none();
    const std::array<double, 3> shear = channelsOf(s, self, "shear");
    py::object transformSpace = space(s, s.kTransform);
    py::object scaleShear = call(s.global(s.MTransformationMatrix));
    // Each pointer is memory its util owns: the utils live in this scope.
    py::object utilClass = s.global(s.MScriptUtil);
    py::object scaleUtil = call(utilClass), shearUtil = call(utilClass);
    py::object three = steal(PyLong_FromLong(3));
    py::object scaleList = newList(), shearList = newList();
    for (int i = 0; i < 3; ++i) {
        append(scaleList, steal(PyFloat_FromDouble(scale[i])));
        append(shearList, steal(PyFloat_FromDouble(shear[i])));
    }
    callMethod(scaleUtil, s.createFromList, scaleList, three);
    callMethod(shearUtil, s.createFromList, shearList, three);
    callMethod(scaleShear, s.setScale, callMethod(scaleUtil, s.asDoublePtr), transformSpace);
    callMethod(scaleShear, s.setShear, callMethod(shearUtil, s.asDoublePtr), transformSpace);
    py::object inverse = callMethod(callMethod(scaleShear, s.asMatrix), s.inverse);
    return steal(PyNumber_Multiply(inverse.ptr(), own.ptr()));
}

py::object decomposeLocalMatrix(const State &s, py::handle self, py::handle localMatrix,
                                py::handle withTranslation, py::handle withRotation,
                                py::handle withScale) {
    py::object decompositionClass = s.global(s.MatrixDecomposition);
    py::object decomposition = call(decompositionClass, localMatrix);
    py::object vectorClass = s.global(s.MVector);
    py::object zero = steal(PyLong_FromLong(0));
    py::object translation = call(vectorClass, zero, zero, zero);
    py::object rotation = call(vectorClass, zero, zero, zero);
    py::object scale = call(vectorClass, zero, zero, zero);
    const bool rotationWanted = truthy(withRotation), scaleWanted = truthy(withScale);
    if (truthy(withTranslation)) translation = getAttr(decomposition, s.translation);
    // Rotation and scale come from the node's own part of the matrix. The
    // rotation is solved against the scale the node will have: its own when
    // scale is not written, else the decomposed one with the node's signs.
    py::object own, ownDecomposition;
    std::array<double, 3> willHave{};
    if (rotationWanted || scaleWanted) {
        own = withoutParentScale(s, self, localMatrix);
        ownDecomposition = own.is(localMatrix) ? decomposition : call(decompositionClass, own);
        willHave = channelsOf(s, self, "scale");
        if (scaleWanted) {
            py::object decomposed = getAttr(ownDecomposition, s.scale);
            willHave = scaleWithSignsOf({toDouble(getAttr(decomposed, s.x)),
                                         toDouble(getAttr(decomposed, s.y)),
                                         toDouble(getAttr(decomposed, s.z))},
                                        willHave);
            scale = call(vectorClass, steal(PyFloat_FromDouble(willHave[0])),
                         steal(PyFloat_FromDouble(willHave[1])),
                         steal(PyFloat_FromDouble(willHave[2])));
        }
    }
    if (rotationWanted) {
        py::object transformSpace = space(s, s.kTransform);
        py::object rotateAxis = call(s.global(s.MTransformationMatrix));
        callMethod(rotateAxis, s.rotateBy,
                   callMethod(getAttr(self, s.fnTransform), s.rotateOrientation, transformSpace),
                   transformSpace);
        py::object orient = jointOrientMatrix(s, self);
        // rotateAxis⁻¹ · rotation · jointOrient⁻¹: the channels' own rotation.
        // The rotation is taken out of the local matrix first: a non-uniform
        // scale or a shear does not commute with the rotate axis, and left in,
        // it would leak into the rotation.
        py::object unscaled = withoutScaleAndShear(s, self, own, willHave);
        py::object rotationOnly = callMethod(
            call(s.global(s.MTransformationMatrix), unscaled.is_none() ? own : unscaled),
            s.asRotateMatrix);
        py::object axisInverse = callMethod(callMethod(rotateAxis, s.asMatrix), s.inverse);
        py::object orientInverse = callMethod(callMethod(orient, s.asMatrix), s.inverse);
        py::object channels = steal(PyNumber_Multiply(
            steal(PyNumber_Multiply(axisInverse.ptr(), rotationOnly.ptr())).ptr(),
            orientInverse.ptr()));
        py::object rotationOrder = callMethod(plugOf(s, self, "rotateOrder"), s.asInt);
        rotation = callMethod(call(decompositionClass, channels), s.eulerRotation, rotationOrder);
    }
    return callKw(s.global(s.ValueRecord), s.kwTranslationRotationScale, translation, rotation,
                  scale);
}

// [f(v.x), f(v.y), f(v.z)]
template <class Convert>
py::object threeOf(const State &s, py::handle vector, Convert &&convert) {
    // Filled by appending: `convert` calls back into Python, which must never
    // see a list with empty slots.
    py::object result = newList();
    for (PyObject *name : {s.x, s.y, s.z}) append(result, convert(getAttr(vector, name)));
    return result;
}

// Whether all sixteen entries of an MMatrix are finite numbers.
bool isFiniteMatrix(py::handle matrix) {
    for (long row = 0; row < 4; ++row)
        for (long column = 0; column < 4; ++column)
            if (!std::isfinite(toDouble(
                    call(matrix, steal(PyLong_FromLong(row)), steal(PyLong_FromLong(column))))))
                return false;
    return true;
}

// Whether x, y and z of a vector are finite numbers.
bool isFiniteVector(const State &s, py::handle vector) {
    for (PyObject *name : {s.x, s.y, s.z})
        if (!std::isfinite(toDouble(getAttr(vector, name)))) return false;
    return true;
}

void reportChannelsNotFinite(const State &s, py::handle self) {
    reportError(s, format("Zentrik - Could not set the world matrix of %s: the channels it "
                          "needs are not finite",
                          getAttr(self, s.nodeName)));
}

// The translation row of a matrix, as C numbers.
std::array<double, 3> translationOf(py::handle matrix) {
    std::array<double, 3> result{};
    py::object row = steal(PyLong_FromLong(3));
    for (int i = 0; i < 3; ++i) result[i] = toDouble(call(matrix, row, steal(PyLong_FromLong(i))));
    return result;
}

// Rotation and scale are solved from the target and written first; the
// translation is then read off the node as it stands. The translate channels
// enter a transform's and a joint's matrix last, so moving them by d moves
// the rotate pivot by exactly d, and the pivot lands on the target whatever
// the pivots, their translations, shear, rotate axis, joint orient and
// parent-scale compensation in between. A channel group not written keeps
// its values, and the translation then puts the pivot in place with them.
py::object setWorldMatrix(const State &s, py::handle self, py::handle worldMatrix,
                          py::handle withTranslation, py::handle withRotation,
                          py::handle withScale) {
    // A nan or an infinity anywhere would reach the translate channels and
    // every child's world position: refused before anything is written.
    if (!isFiniteMatrix(worldMatrix)) {
        reportError(s, format("Zentrik - Could not set the world matrix of %s: it holds a "
                              "number that is not finite",
                              getAttr(self, s.nodeName)));
        return none();
    }
    py::object parentInverse = callMethod(getAttr(self, s.dagPath), s.exclusiveMatrixInverse);
    // The local matrix the node must have, moved to its rotate pivot.
    py::object target = steal(PyNumber_Multiply(worldMatrix.ptr(), parentInverse.ptr()));
    py::object values = callMethod(self, s.decomposeLocalMatrix, target, withTranslation,
                                   withRotation, withScale);
    // A finite target can still need channels that are not: a node's own huge
    // shear or scale overflows the solve. Refused as the target is.
    if ((truthy(withRotation) && !isFiniteVector(s, getAttr(values, s.rotation))) ||
        (truthy(withScale) && !isFiniteVector(s, getAttr(values, s.scale)))) {
        reportChannelsNotFinite(s, self);
        return none();
    }

    py::object cmds = s.global(s.cmds);
    py::object name = callMethod(self, s.fullName);
    auto writeRotation = [&](py::handle radians) {
        // xform takes angles in the working unit: degrees by default, but an
        // animator may work in radians, so convert rather than assume.
        py::object angle = s.global(s.MAngle);
        py::object uiUnit = callMethod(angle, s.uiUnit);
        py::object xyz = threeOf(s, radians, [&](py::handle v) {
            return callMethod(call(angle, v), s.asUnits, uiUnit);
        });
        callMethodKw(cmds, s.xform, s.kwRotation, name, xyz);
    };
    // `scale`: a vector, or the list of three numbers xform takes.
    auto writeScale = [&](py::handle scale) {
        auto same = [](py::handle v) { return py::reinterpret_borrow<py::object>(v); };
        py::object xyz = PyList_Check(scale.ptr()) ? same(scale) : threeOf(s, scale, same);
        callMethodKw(cmds, s.xform, s.kwScale, name, xyz);
    };
    // The translation is solved from the node as rotated and scaled, so it
    // can only be checked after those writes: what they replace is kept to be
    // put back should it not be finite.
    const bool translationAfter = truthy(withTranslation);
    py::object rotationBefore, scaleBefore;
    if (truthy(withRotation)) {
        if (translationAfter) {
            // The rotate channels in two calls, where the plugs take eight.
            rotationBefore = call(s.global(s.MEulerRotation));
            callMethod(getAttr(self, s.fnTransform), s.getRotation, rotationBefore);
        }
        writeRotation(getAttr(values, s.rotation));
    }
    if (truthy(withScale)) {
        if (translationAfter) {
            const std::array<double, 3> v = channelsOf(s, self, "scale");
            scaleBefore = newList();
            for (double value : v) append(scaleBefore, steal(PyFloat_FromDouble(value)));
        }
        writeScale(getAttr(values, s.scale));
    }
    if (truthy(withTranslation)) {
        py::object fn = getAttr(self, s.fnTransform);
        py::object pivot = callMethod(fn, s.rotatePivot, space(s, s.kObject));
        py::object now =
            atRotatePivot(s, callMethod(getAttr(self, s.fnDagNode), s.transformationMatrix), pivot);
        const std::array<double, 3> wanted = translationOf(target), reached = translationOf(now);
        py::object channels = callMethod(fn, s.translation, space(s, s.kTransform));
        py::object linearValue = s.global(s.LinearValue);
        py::object xyz = newList();
        PyObject *axes[] = {s.x, s.y, s.z};
        double moved[3];
        for (int i = 0; i < 3; ++i) {
            moved[i] = toDouble(getAttr(channels, axes[i])) + wanted[i] - reached[i];
            if (!std::isfinite(moved[i])) {
                if (rotationBefore) writeRotation(rotationBefore);
                if (scaleBefore) writeScale(scaleBefore);
                reportChannelsNotFinite(s, self);
                return none();
            }
        }
        for (int i = 0; i < 3; ++i) {
            py::object internal = steal(PyFloat_FromDouble(moved[i]));
            append(xyz, getAttr(callKw(linearValue, s.kwInternalValue, internal), s.uiValue));
        }
        callMethodKw(cmds, s.xform, s.kwTranslation, name, xyz);
    }
    return none();
}

}  // namespace

void addNodeTransformMembers(ClassBuilder &node) {
    node.method<worldMatrix>("worldMatrix",
        "The world matrix, moved to the rotate pivot.", {"self"});
    node.method<localMatrix>("localMatrix", "The transformation matrix of the node.", {"self"});
    node.method<parentMatrix>("parentMatrix", "The world matrix of the node's parent.", {"self"});
    node.method<matrixWithWorldRotation>("matrixWithWorldRotation",
        "The node's transformation with its rotation replaced by the world rotation.",
        {"self"});
    node.decorated<worldMatrixAtFrame>("worldMatrixAtFrame",
        "The world matrix (at the rotate pivot) at `frame`, without moving the\n"
        "scene: read now, through `stepper` when it steps there, else evaluated\n"
        "through a temporary node that is always deleted.",
        {"self", "frame", "stepper"}, {Py_None});
    node.method<decomposeLocalMatrix>("decomposeLocalMatrix",
        "Split `localMatrix` into a ValueRecord of translation, rotation (radians,\n"
        "rotate axis and joint orient removed, in the node's rotate order) and\n"
        "scale; a part not asked for is a zero vector. The rotation is solved\n"
        "against the scale and shear the node will have: its own scale when scale\n"
        "is not asked for, else the decomposed scale with the node's own signs\n"
        "wherever they can describe the matrix.",
        {"self", "localMatrix", "withTranslation", "withRotation", "withScale"},
        {Py_True, Py_True, Py_True});
    node.method<setWorldMatrix>("setWorldMatrix",
        "Set the translate, rotate and scale channels asked for so that the node\n"
        "reaches `worldMatrix`; channels not asked for keep their values, and the\n"
        "translation puts the rotate pivot at the matrix's position. A matrix\n"
        "holding a number that is not finite, or needing channels that are not\n"
        "(a huge shear of the node's own), is reported and nothing is written.",
        {"self", "worldMatrix", "withTranslation", "withRotation", "withScale"},
        {Py_True, Py_True, Py_True});
}

}  // namespace rigkit
