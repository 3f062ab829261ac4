// Attribute kinds: how reading and writing classify a Maya attribute. One
// table (kinds.cpp) holds, per kind, the constants that make it a member for
// reading and for writing; the lists differ on purpose (a generic compound
// reads but cannot be written, point arrays write but do not read).
#pragma once

#include "module/runtime.h"

namespace rigkit {

enum class Use { Read, Write };

// By the attribute's MFn type (plug.attribute().apiType()).
enum class Kind { Compound, Linear, Angle, Time, Typed, Matrix, Numeric, Enum, None };
// Of a typed attribute, by MFnTypedAttribute.attrType() (an MFnData type).
enum class DataKind { Matrix, String, PointArray, DoubleArray, IntArray, None };
// Of a numeric attribute, by MFnNumericAttribute.unitType() (an MFnNumericData type).
enum class UnitKind { Boolean, Integer, Real, Invalid, None };

Kind attributeKind(const State &s, py::handle apiType, Use use);
DataKind dataKind(const State &s, py::handle dataType, Use use);
UnitKind unitKind(const State &s, py::handle unitType, Use use);

}  // namespace rigkit
