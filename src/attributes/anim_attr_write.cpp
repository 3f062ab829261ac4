#include "attributes/anim_attr.h"
#include "attributes/kinds.h"

#include <optional>

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

// A number that is not finite is refused before it reaches the scene: a nan
// translate makes every child's world matrix nan.
void requireFinite(py::handle value) {
    if (!isNonFiniteNumber(value)) return;
    PyErr_Format(PyExc_ValueError, "%R is not a finite number", value.ptr());
    throwPythonError();
}

// Each child is written by its own wrapper (a child that fails reports by
// itself). The items are taken first, so that a value holding a number that
// is not finite writes no child at all; when an item is missing (a list too
// short) the children before it are written and that failure goes on.
void writeCompound(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    const Py_ssize_t count = asIndex(callMethod(plug, s.numChildren));
    py::object items = newList();
    std::optional<py::error_already_set> missing;
    for (Py_ssize_t n = 0; n < count; ++n) {
        try {
            append(items, steal(PyObject_GetItem(value.ptr(),
                                                 steal(PyLong_FromSsize_t(n)).ptr())));  // value[n]
        } catch (py::error_already_set &e) {
            missing.emplace(std::move(e));
            break;
        }
    }
    for (py::handle item : items) requireFinite(item);
    Py_ssize_t n = 0;
    for (py::handle item : items) {
        py::object child = callMethod(plug, s.child, steal(PyLong_FromSsize_t(n++)));
        callMethod(newAnimAttr(s, child), s.setValue, item, modifier);
    }
    if (missing) throw std::move(*missing);
}

// MFnMatrixData().create(MMatrix(value)): the data object of a matrix.
py::object matrixData(const State &s, py::handle value) {
    return callMethod(call(s.global(s.MFnMatrixData)), s.create, call(s.global(s.MMatrix), value));
}

// The writers answer whether they wrote (or queued) the value: false for a
// data, unit or attribute type no writer handles, which must not pass for a
// written value.
bool writeTyped(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    py::object typed = call(s.global(s.MFnTypedAttribute), callMethod(plug, s.attribute));
    switch (dataKind(s, callMethod(typed, s.attrType), Use::Write)) {
        case DataKind::Matrix:
            write(plug, modifier, s.newPlugValue, s.setMObject, matrixData(s, value));
            return true;
        case DataKind::PointArray:
            write(plug, modifier, s.newPlugValue, s.setMObject,
                  arrayData(s, s.MPointArray, s.MFnPointArrayData, value, true));
            return true;
        case DataKind::String:
            write(plug, modifier, s.newPlugValueString, s.setString, value);
            return true;
        case DataKind::DoubleArray:
            write(plug, modifier, s.newPlugValue, s.setMObject,
                  arrayData(s, s.MDoubleArray, s.MFnDoubleArrayData, value, false));
            return true;
        case DataKind::IntArray:
            write(plug, modifier, s.newPlugValue, s.setMObject,
                  arrayData(s, s.MIntArray, s.MFnIntArrayData, value, false));
            return true;
        default:
            return false;
    }
}

bool writeNumeric(const State &s, py::handle plug, py::handle value, py::handle modifier) {
    py::object numeric = call(s.global(s.MFnNumericAttribute), callMethod(plug, s.attribute));
    const UnitKind unit = unitKind(s, callMethod(numeric, s.unitType), Use::Write);
    if (unit == UnitKind::None || unit == UnitKind::Invalid) return false;
    requireFinite(value);
    switch (unit) {
        case UnitKind::Boolean:
            write(plug, modifier, s.newPlugValueBool, s.setBool, value);
            break;
        case UnitKind::Integer:
            write(plug, modifier, s.newPlugValueInt, s.setInt, steal(PyNumber_Long(value.ptr())));
            break;
        default:
            write(plug, modifier, s.newPlugValueDouble, s.setDouble, value);
            break;
    }
    return true;
}

bool writeByKind(const State &s, py::handle self, py::handle value, py::handle modifier) {
    py::object plug = getAttr(self, s.plug);
    switch (attributeKind(s, getAttr(self, s.apiType), Use::Write)) {
        case Kind::Linear:  // centimetres, the constructor's default unit
            requireFinite(value);
            write(plug, modifier, s.newPlugValueMDistance, s.setMDistance,
                  call(s.global(s.MDistance), value));
            return true;
        case Kind::Compound: writeCompound(s, plug, value, modifier); return true;
        case Kind::Angle:  // radians, the constructor's default unit
            requireFinite(value);
            write(plug, modifier, s.newPlugValueMAngle, s.setMAngle, call(s.global(s.MAngle), value));
            return true;
        case Kind::Time:  // a frame in the current time unit
            requireFinite(value);
            write(plug, modifier, s.newPlugValueMTime, s.setMTime,
                  call(s.global(s.FrameTime), value));
            return true;
        case Kind::Typed:
            return writeTyped(s, plug, value, modifier);
        case Kind::Matrix:
            write(plug, modifier, s.newPlugValue, s.setMObject, matrixData(s, value));
            return true;
        case Kind::Numeric:
            return writeNumeric(s, plug, value, modifier);
        case Kind::Enum:
            requireFinite(value);
            write(plug, modifier, s.newPlugValueInt, s.setInt, steal(PyNumber_Long(value.ptr())));
            return true;
        case Kind::None: break;
    }
    return false;
}

// Returns True when the value was written (or queued), None when the write was
// skipped (not free to change, with a modifier) or failed and was reported;
// never raises but for an interrupt.
py::object setValue(const State &s, py::handle self, py::handle value, py::handle modifier) {
    try {
        // A test that fails (a wrapper without a plug) is a failed write, so
        // the undoable path reports and answers None like the direct one.
        if (!modifier.is_none() && !truthy(getAttr(self, s.isFreeToChange))) return none();
        if (writeByKind(s, self, value, modifier)) return boolObject(true);
        // Nothing was written (a message attribute, a compound of mixed
        // children, data no writer handles): the old value stays, no success.
        reportError(s, format("Zentrik - Could not set attribute, not implemented attr type "
                              "%s %s %s %s",
                              getAttr(self, s.plugName), value, getAttr(self, s.apiType),
                              apiTypeStr(s, self)));
        return none();
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
        "(failures are reported, never raised): a number that is not finite, or\n"
        "an attribute or data type no writer handles, is refused.",
        {"self", "value", "modifier"}, {Py_None});
    cls.method<setValueUndoable>("setValueUndoable",
        "Write `value` as one undo step.",
        {"self", "value"});
}

}  // namespace rigkit
