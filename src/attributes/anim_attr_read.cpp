#include "attributes/anim_attr.h"
#include "attributes/kinds.h"

namespace rigkit {
namespace {

py::object attributeObject(const State &s, py::handle plug) {
    return callMethod(plug, s.attribute);
}

// MFnMatrixData(plug.asMObject(context)).matrix()
py::object matrixValue(const State &s, py::handle plug, py::handle context) {
    return callMethod(call(s.global(s.MFnMatrixData), callMethod(plug, s.asMObject, context)),
                      s.matrix);
}

// A list in child order, each child read by its own wrapper in the same context.
py::object readCompound(const State &s, py::handle plug, py::handle context) {
    if (!truthy(callMethod(plug, s.isCompound))) return none();
    py::object result = steal(PyList_New(0));
    const Py_ssize_t count = asIndex(callMethod(plug, s.numChildren));
    for (Py_ssize_t n = 0; n < count; ++n) {
        py::object child = callMethod(plug, s.child, steal(PyLong_FromSsize_t(n)));
        py::object value = callMethod(newAnimAttr(s, child), s.getValue, context);
        if (PyList_Append(result.ptr(), value.ptr()) < 0) throwPythonError();
    }
    return result;
}

py::object readTyped(const State &s, py::handle plug, py::handle context) {
    py::object typed = call(s.global(s.MFnTypedAttribute), attributeObject(s, plug));
    switch (dataKind(s, callMethod(typed, s.attrType), Use::Read)) {
        case DataKind::Matrix: return matrixValue(s, plug, context);
        case DataKind::String: return callMethod(plug, s.asString, context);
        default: return none();
    }
}

// Numeric attributes never raise from reading: a failing unit-type query or
// accessor falls back to asDouble, then to a report and 0.
py::object readNumeric(const State &s, py::handle self, py::handle plug, py::handle context) {
    try {
        py::object numeric = call(s.global(s.MFnNumericAttribute), attributeObject(s, plug));
        switch (unitKind(s, callMethod(numeric, s.unitType), Use::Read)) {
            case UnitKind::Boolean: return callMethod(plug, s.asBool, context);
            case UnitKind::Integer: return callMethod(plug, s.asInt, context);
            case UnitKind::Real: return callMethod(plug, s.asDouble, context);
            case UnitKind::Invalid: return steal(PyLong_FromLong(0));
            case UnitKind::None: return none();
        }
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
    }
    try {
        return callMethod(plug, s.asDouble, context);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt goes on
        whileHandling(e, [&] {
            reportError(s, format("Zentrik - Could not get attribute %s, %s, %s, %s",
                                  steal(PyObject_Str(e.value().ptr())), getAttr(self, s.plugName),
                                  getAttr(self, s.apiType), apiTypeStr(s, self)));
        });
        return steal(PyLong_FromLong(0));
    }
}

py::object readByKind(const State &s, py::handle self, py::handle context) {
    py::object plug = getAttr(self, s.plug);
    switch (attributeKind(s, getAttr(self, s.apiType), Use::Read)) {
        case Kind::Compound: return readCompound(s, plug, context);
        case Kind::Linear:
            return callMethod(callMethod(plug, s.asMDistance, context), s.asCentimeters);
        case Kind::Angle: return callMethod(callMethod(plug, s.asMAngle, context), s.asRadians);
        case Kind::Time: return callMethod(callMethod(plug, s.asMTime, context), s.value);
        case Kind::Typed: return readTyped(s, plug, context);
        case Kind::Matrix: return matrixValue(s, plug, context);
        case Kind::Numeric: return readNumeric(s, self, plug, context);
        case Kind::Enum: return callMethod(plug, s.asInt, context);
        case Kind::None: break;
    }
    py::object report = steal(PyTuple_Pack(5, text("Zentrik - Could not get attribute").ptr(),
                                           getAttr(self, s.plugName).ptr(),
                                           getAttr(self, s.apiType).ptr(),
                                           apiTypeStr(s, self).ptr(), context.ptr()));
    call(s.global(s.print), report);
    return none();
}

py::object getValue(const State &s, py::handle self, py::handle context) {
    py::object evaluation = py::reinterpret_borrow<py::object>(context);
    try {
        if (!truthy(evaluation)) evaluation = call(s.global(s.MDGContext));
        return readByKind(s, self, evaluation);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_Exception)) throw;  // an interrupt or exit goes on as it is
        raiseEnriched(s, e, [&] {
            return format(" (Line: %s) Attribute info: %s, %s, %s, %s", failureLine(s, e),
                          getAttr(self, s.plugName), getAttr(self, s.apiType),
                          apiTypeStr(s, self), evaluation);
        });
    }
}

py::object value(const State &s, py::handle self) { return callMethod(self, s.getValue); }

}  // namespace

void addAnimAttrReadMembers(ClassBuilder &cls) {
    cls.method<getValue>("getValue",
        "The value in `context` (an MDGContext; the normal one when false).\n"
        "\n"
        "Failures re-raise with the attribute's names appended to the message.",
        {"self", "context"}, {Py_None});
    cls.property<value>("value", "The value at the current time.");
}

}  // namespace rigkit
