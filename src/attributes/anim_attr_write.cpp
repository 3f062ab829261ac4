#include "attributes/anim_attr.h"
#include "attributes/kinds.h"

namespace rigkit {
namespace {

// Writes `converted` through the modifier's operation when there is a
// modifier (queued until its owner runs it), else through the plug's setter.
void write(py::handle plug, py::handle modifier, PyObject *modifierOperation,
           PyObject *plugSetter, py::handle converted) {
    if (modifier.is_none())
        callMethod(plug, plugSetter, converted);
    else
        callMethod(modifier, modifierOperation, plug, converted);
}

// The data object of an array built item by item: `create` of a new function
// set of class `dataClass` on an array of class `arrayClass`.
py::object arrayData(const State &s, const GlobalName &arrayClass, const GlobalName &dataClass,
                     py::handle value, bool points) {
    py::object array = call(s.global(arrayClass));
    py::object pointClass = points ? s.global(s.MPoint) : none();
    py::object iterator = steal(PyObject_GetIter(value.ptr()));
    while (PyObject *raw = PyIter_Next(iterator.ptr())) {
        py::object item = py::reinterpret_steal<py::object>(raw);
        if (points) {  // MPoint(*p)
            py::object coordinates = steal(PySequence_Tuple(item.ptr()));
            item = steal(PyObject_Call(pointClass.ptr(), coordinates.ptr(), nullptr));
        }
        callMethod(array, s.append, item);
    }
    if (PyErr_Occurred()) throwPythonError();
    return callMethod(call(s.global(dataClass)), s.create, array);
}

void writeCompound(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    const Py_ssize_t count = asIndex(callMethod(plug, s.numChildren));
    for (Py_ssize_t n = 0; n < count; ++n) {
        py::object index = steal(PyLong_FromSsize_t(n));
        py::object child = callMethod(plug, s.child, index);
        py::object item = steal(PyObject_GetItem(value.ptr(), index.ptr()));  // value[n]
        callMethod(newAnimAttr(s, child), s.setValue, item, modifier);
    }
}

void writeTyped(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    py::object typed = call(s.global(s.MFnTypedAttribute), callMethod(plug, s.attribute));
    switch (dataKind(s, callMethod(typed, s.attrType), Use::Write)) {
        case DataKind::PointArray:
            return write(plug, modifier, s.newPlugValue, s.setMObject,
                         arrayData(s, s.MPointArray, s.MFnPointArrayData, value, true));
        case DataKind::String:
            return write(plug, modifier, s.newPlugValueString, s.setString, value);
        case DataKind::DoubleArray:
            return write(plug, modifier, s.newPlugValue, s.setMObject,
                         arrayData(s, s.MDoubleArray, s.MFnDoubleArrayData, value, false));
        case DataKind::IntArray:
            return write(plug, modifier, s.newPlugValue, s.setMObject,
                         arrayData(s, s.MIntArray, s.MFnIntArrayData, value, false));
        default:
            return;  // other data: nothing to write
    }
}

void writeNumeric(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    py::object numeric = call(s.global(s.MFnNumericAttribute), callMethod(plug, s.attribute));
    switch (unitKind(s, callMethod(numeric, s.unitType), Use::Write)) {
        case UnitKind::Boolean:
            return write(plug, modifier, s.newPlugValueBool, s.setBool, value);
        case UnitKind::Integer:
            return write(plug, modifier, s.newPlugValueInt, s.setInt,
                         steal(PyNumber_Long(value.ptr())));
        case UnitKind::Real:
            return write(plug, modifier, s.newPlugValueDouble, s.setDouble, value);
        default:
            return;  // other unit types: nothing to write
    }
}

// False when no kind matched.
bool writeByKind(const State &s, py::handle self, py::handle value, py::handle modifier) {
    py::object plug = getAttr(self, s.plug);
    switch (attributeKind(s, getAttr(self, s.apiType), Use::Write)) {
        case Kind::Linear:  // centimetres, the constructor's default unit
            write(plug, modifier, s.newPlugValueMDistance, s.setMDistance,
                  call(s.global(s.MDistance), value));
            return true;
        case Kind::Compound: writeCompound(s, plug, value, modifier); return true;
        case Kind::Angle:  // radians, the constructor's default unit
            write(plug, modifier, s.newPlugValueMAngle, s.setMAngle, call(s.global(s.MAngle), value));
            return true;
        case Kind::Time:  // a frame in the current time unit
            write(plug, modifier, s.newPlugValueMTime, s.setMTime,
                  call(s.global(s.FrameTime), value));
            return true;
        case Kind::Typed: writeTyped(s, plug, value, modifier); return true;
        case Kind::Matrix:
            write(plug, modifier, s.newPlugValue, s.setMObject,
                  callMethod(call(s.global(s.MFnMatrixData)), s.create,
                             call(s.global(s.MMatrix), value)));
            return true;
        case Kind::Numeric: writeNumeric(s, plug, value, modifier); return true;
        case Kind::Enum:
            write(plug, modifier, s.newPlugValueInt, s.setInt, steal(PyNumber_Long(value.ptr())));
            return true;
        case Kind::None: break;
    }
    return false;
}

// Returns True when the dispatch ran to its end, None when the write was
// skipped (not free to change, with a modifier) or failed and was reported;
// never raises but for an interrupt.
py::object setValue(const State &s, py::handle self, py::handle value, py::handle modifier) {
    try {
        // A test that fails (a wrapper without a plug) is a failed write, so
        // the undoable path reports and answers None like the direct one.
        if (!modifier.is_none() && !truthy(getAttr(self, s.isFreeToChange))) return none();
        if (!writeByKind(s, self, value, modifier))
            reportError(s, format("Zentrik - Could not set attribute, not implemented attr type "
                                  "%s %s %s %s",
                                  getAttr(self, s.plugName), value, getAttr(self, s.apiType),
                                  apiTypeStr(s, self)));
        return boolObject(true);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt goes on
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Could not set attribute %s %s %s %s %s",
                                  orNone([&] { return getAttr(self, s.plugName); }), value,
                                  steal(PyObject_Str(e.value().ptr())),
                                  orNone([&] { return getAttr(self, s.apiType); }),
                                  orNone([&] { return apiTypeStr(s, self); })));
        });
        return none();
    }
}

py::object setValueUndoable(const State &s, py::handle self, py::handle value) {
    withModifier(s, [&](py::handle modifier) { callMethod(self, s.setValue, value, modifier); });
    return none();
}

}  // namespace

void addAnimAttrWriteMembers(ClassBuilder &cls) {
    cls.method<setValue>("setValue",
        "Write `value`, queued on `modifier` when one is given (then only when the\n"
        "plug is free to change). True when written, None when skipped or failed\n"
        "(failures are reported, never raised).",
        {"self", "value", "modifier"}, {Py_None});
    cls.method<setValueUndoable>("setValueUndoable",
        "Write `value` as one undo step.",
        {"self", "value"});
}

}  // namespace rigkit
