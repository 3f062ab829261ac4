#include "attributes/kinds.h"

#include <array>
#include <vector>

namespace rigkit {
namespace {

using Constant = PyObject *State::*;  // the interned name of a constant

template <class K>
struct Row {
    K kind;
    std::vector<Constant> read;
    std::vector<Constant> write;
};

// MFn types.
const std::vector<Row<Kind>> &kindTable() {
    static const std::vector<Row<Kind>> table = {
        {Kind::Compound,
         {&State::kAttribute3Double, &State::kAttribute3Float, &State::kCompoundAttribute},
         {&State::kAttribute3Double, &State::kAttribute3Float}},
        {Kind::Linear,
         {&State::kDoubleLinearAttribute, &State::kFloatLinearAttribute},
         {&State::kDoubleLinearAttribute, &State::kFloatLinearAttribute}},
        {Kind::Angle,
         {&State::kDoubleAngleAttribute, &State::kFloatAngleAttribute},
         {&State::kDoubleAngleAttribute, &State::kFloatAngleAttribute}},
        {Kind::Time, {&State::kTimeAttribute}, {&State::kTimeAttribute}},
        {Kind::Typed, {&State::kTypedAttribute}, {&State::kTypedAttribute}},
        {Kind::Matrix, {&State::kMatrixAttribute}, {&State::kMatrixAttribute}},
        {Kind::Numeric, {&State::kNumericAttribute}, {&State::kNumericAttribute}},
        {Kind::Enum, {&State::kEnumAttribute}, {&State::kEnumAttribute}},
    };
    return table;
}

// The order in which each use tests the kinds.
using Order = std::array<Kind, 8>;
const Order kReadOrder = {Kind::Compound, Kind::Linear, Kind::Angle,   Kind::Time,
                          Kind::Typed,    Kind::Matrix, Kind::Numeric, Kind::Enum};
const Order kWriteOrder = {Kind::Linear, Kind::Compound, Kind::Angle,   Kind::Time,
                           Kind::Typed,  Kind::Matrix,   Kind::Numeric, Kind::Enum};

// MFnData types of typed attributes.
const std::vector<Row<DataKind>> &dataTable() {
    static const std::vector<Row<DataKind>> table = {
        {DataKind::Matrix, {&State::kMatrix}, {&State::kMatrix}},
        {DataKind::String, {&State::kString}, {&State::kString}},
        {DataKind::PointArray, {}, {&State::kPointArray}},
        {DataKind::DoubleArray, {}, {&State::kDoubleArray}},
        {DataKind::IntArray, {}, {&State::kIntArray}},
    };
    return table;
}

// MFnNumericData unit types of numeric attributes.
const std::vector<Row<UnitKind>> &unitTable() {
    static const std::vector<Row<UnitKind>> table = {
        {UnitKind::Boolean, {&State::kBoolean}, {&State::kBoolean}},
        {UnitKind::Integer,
         {&State::kShort, &State::kInt, &State::kLong, &State::kByte, &State::k2Short,
          &State::k3Short, &State::k2Int, &State::k3Int, &State::k2Long, &State::k3Long},
         {&State::kShort, &State::kInt, &State::kLong, &State::kByte}},
        {UnitKind::Real,
         {&State::kFloat, &State::kDouble, &State::kAddr, &State::kChar, &State::k2Float,
          &State::k3Float, &State::k2Double, &State::k3Double, &State::k4Double},
         {&State::kFloat, &State::kDouble, &State::kAddr}},
        {UnitKind::Invalid, {&State::kInvalid}, {}},
    };
    return table;
}

// Whether `value` equals one of the row's constants for the use, read from
// `holder` (a class of the shared namespace, looked up at call time).
template <class K>
bool isMemberOf(const State &s, py::handle holder, const Row<K> &row, py::handle value, Use use) {
    for (Constant constant : use == Use::Read ? row.read : row.write)
        if (equal(value, getAttr(holder, s.*constant))) return true;
    return false;
}

template <class K>
K firstMatch(const State &s, const GlobalName &holderName, const std::vector<Row<K>> &table,
             py::handle value, Use use, K none) {
    py::object holder = s.global(holderName);
    for (const Row<K> &row : table)
        if (isMemberOf(s, holder, row, value, use)) return row.kind;
    return none;
}

}  // namespace

Kind attributeKind(const State &s, py::handle apiType, Use use) {
    py::object mfn = s.global(s.MFn);
    for (Kind kind : use == Use::Read ? kReadOrder : kWriteOrder)
        for (const Row<Kind> &row : kindTable())
            if (row.kind == kind && isMemberOf(s, mfn, row, apiType, use)) return kind;
    return Kind::None;
}

DataKind dataKind(const State &s, py::handle dataType, Use use) {
    return firstMatch(s, s.MFnData, dataTable(), dataType, use, DataKind::None);
}

UnitKind unitKind(const State &s, py::handle unitType, Use use) {
    return firstMatch(s, s.MFnNumericData, unitTable(), unitType, use, UnitKind::None);
}

}  // namespace rigkit
