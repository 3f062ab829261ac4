// Node's transforms and matrices: world, local and parent matrices, the world
// matrix at another frame without moving the scene, a local matrix split into
// channel values, and channels set so that a node reaches a world matrix.
#include "module/classes.h"
#include "scene/node.h"

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

// The world matrix at `frame`, evaluated through a temporary passMatrix node
// whose input is read in a context at that frame. The temporary node is
// deleted whatever happens: an animator's scene never keeps it.
py::object matrixThroughDummy(const State &s, py::handle self, py::handle frame) {
    py::object graphKit = getAttr(s.global(s.CORE), s.graphKit);
    py::object dummy = callMethodKw(graphKit, s.createNode, s.kwCreateNode,
                                    text("Zentrik_Dummy_Matrix"), text("passMatrix"), Py_False,
                                    Py_False);
    auto deleteDummy = [&] {
        callMethodKw(graphKit, s.deleteNode, s.kwNodeName, callMethod(dummy, s.fullName));
    };
    py::object matrix;
    try {
        callMethodKw(s.global(s.cmds), s.connectAttr, s.kwForce,
                     format("%s.worldMatrix[0]", callMethod(self, s.fullName)),
                     format("%s.inMatrix", callMethod(dummy, s.fullName)), Py_True);
        py::object attribute =
            callMethod(getAttr(dummy, s.fnDependencyNode), s.attribute, text("inMatrix"));
        py::object plug = call(s.global(s.MPlug), getAttr(dummy, s.nodeMObject), attribute);
        py::object context = call(s.global(s.MDGContext), call(s.global(s.FrameTime), frame));
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
    py::object matrix = matrixThroughDummy(s, self, frame);
    py::object fn = call(s.global(s.MFnTransform), getAttr(self, s.dagPath));
    return atRotatePivot(s, matrix, callMethod(fn, s.rotatePivot, space(s, s.kObject)));
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
    if (truthy(withTranslation)) translation = getAttr(decomposition, s.translation);
    if (truthy(withRotation)) {
        py::object transformSpace = space(s, s.kTransform);
        py::object rotateAxis = call(s.global(s.MTransformationMatrix));
        callMethod(rotateAxis, s.rotateBy,
                   callMethod(getAttr(self, s.fnTransform), s.rotateOrientation, transformSpace),
                   transformSpace);
        py::object orient = jointOrientMatrix(s, self);
        // rotateAxis⁻¹ · rotation · jointOrient⁻¹: the channels' own rotation.
        // The rotation is taken out of the local matrix first: a non-uniform
        // scale does not commute with the rotate axis, and left in, it would
        // leak into the rotation.
        py::object rotationOnly = callMethod(call(s.global(s.MTransformationMatrix), localMatrix),
                                             s.asRotateMatrix);
        py::object axisInverse = callMethod(callMethod(rotateAxis, s.asMatrix), s.inverse);
        py::object orientInverse = callMethod(callMethod(orient, s.asMatrix), s.inverse);
        py::object channels = steal(PyNumber_Multiply(
            steal(PyNumber_Multiply(axisInverse.ptr(), rotationOnly.ptr())).ptr(),
            orientInverse.ptr()));
        py::object node = getAttr(self, s.nodeMObject);
        py::object orderAttribute =
            callMethod(getAttr(self, s.fnDependencyNode), s.attribute, text("rotateOrder"));
        py::object rotationOrder =
            callMethod(call(s.global(s.MPlug), node, orderAttribute), s.asInt);
        rotation = callMethod(call(decompositionClass, channels), s.eulerRotation, rotationOrder);
    }
    if (truthy(withScale)) scale = getAttr(decomposition, s.scale);
    return callKw(s.global(s.ValueRecord), s.kwTranslationRotationScale, translation, rotation,
                  scale);
}

// [f(v.x), f(v.y), f(v.z)]
template <class Convert>
py::object threeOf(const State &s, py::handle vector, Convert &&convert) {
    py::object result = steal(PyList_New(3));
    PyObject *names[] = {s.x, s.y, s.z};
    for (int i = 0; i < 3; ++i)
        PyList_SET_ITEM(result.ptr(), i, convert(getAttr(vector, names[i])).release().ptr());
    return result;
}

py::object setWorldMatrix(const State &s, py::handle self, py::handle worldMatrix,
                          py::handle withTranslation, py::handle withRotation,
                          py::handle withScale) {
    py::object parentInverse = callMethod(getAttr(self, s.dagPath), s.exclusiveMatrixInverse);
    py::object t = call(s.global(s.MTransformationMatrix));
    callMethod(t, s.assign, steal(PyNumber_Multiply(worldMatrix.ptr(), parentInverse.ptr())));
    py::object fn = getAttr(self, s.fnTransform);
    py::object transformSpace = space(s, s.kTransform);
    py::object vectorClass = s.global(s.MVector);
    py::object rotatePivot = call(vectorClass, callMethod(fn, s.rotatePivot, transformSpace));
    py::object pivotTranslation = callMethod(fn, s.rotatePivotTranslation, transformSpace);
    callMethod(t, s.addTranslation, steal(PyNumber_Negative(call(vectorClass, rotatePivot).ptr())),
               transformSpace);
    callMethod(t, s.addTranslation,
               steal(PyNumber_Negative(call(vectorClass, pivotTranslation).ptr())), transformSpace);
    py::object values = callMethod(self, s.decomposeLocalMatrix, callMethod(t, s.asMatrix),
                                   withTranslation, withRotation, withScale);

    py::object cmds = s.global(s.cmds);
    py::object name = callMethod(self, s.fullName);
    if (truthy(withTranslation)) {
        py::object linearValue = s.global(s.LinearValue);
        py::object xyz = threeOf(s, getAttr(values, s.translation), [&](py::handle v) {
            return getAttr(callKw(linearValue, s.kwInternalValue, v), s.uiValue);
        });
        callMethodKw(cmds, s.xform, s.kwTranslation, name, xyz);
    }
    if (truthy(withRotation)) {
        // xform takes angles in the working unit: degrees by default, but an
        // animator may work in radians, so convert rather than assume.
        py::object angle = s.global(s.MAngle);
        py::object uiUnit = callMethod(angle, s.uiUnit);
        py::object xyz = threeOf(s, getAttr(values, s.rotation), [&](py::handle v) {
            return callMethod(call(angle, v), s.asUnits, uiUnit);
        });
        callMethodKw(cmds, s.xform, s.kwRotation, name, xyz);
    }
    if (truthy(withScale)) {
        py::object xyz = threeOf(s, getAttr(values, s.scale),
                                 [](py::handle v) { return py::reinterpret_borrow<py::object>(v); });
        callMethodKw(cmds, s.xform, s.kwScale, name, xyz);
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
        "scale; a part not asked for is a zero vector.",
        {"self", "localMatrix", "withTranslation", "withRotation", "withScale"},
        {Py_True, Py_True, Py_True});
    node.method<setWorldMatrix>("setWorldMatrix",
        "Set the translate, rotate and scale channels asked for so that the node\n"
        "reaches `worldMatrix`.",
        {"self", "worldMatrix", "withTranslation", "withRotation", "withScale"},
        {Py_True, Py_True, Py_True});
}

}  // namespace rigkit
