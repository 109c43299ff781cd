#include "graph/value.h"

#include <cmath>
#include <limits>

#include "data/dataTypes.h"
#include "graph/attribute.h"

namespace zt::host {

namespace {

template <class T>
T toIntegral(double number) {
    if (std::isnan(number)) return 0;
    const double rounded = std::round(number);
    if (rounded <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(rounded);
}

}  // namespace

double numberOf(const Value& value, unsigned int k) {
    if (value.kind == Value::Kind::kTime) return value.time.as(MTime::uiUnit());
    if (value.kind != Value::Kind::kNumeric) return 0.0;
    const unsigned int count = numericComponentCount(value.rep);
    if (k >= count) return 0.0;
    const Value::Numbers& n = value.num;
    switch (value.rep) {
        case MFnNumericData::kBoolean:
            return n.b ? 1.0 : 0.0;
        case MFnNumericData::kByte:
            return n.uc;
        case MFnNumericData::kChar:
            return n.c;
        case MFnNumericData::kShort:
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short:
            return n.s[k];
        case MFnNumericData::kInt:
        case MFnNumericData::k2Int:
        case MFnNumericData::k3Int:
            return n.i[k];
        case MFnNumericData::kFloat:
        case MFnNumericData::k2Float:
        case MFnNumericData::k3Float:
            return n.f[k];
        default:
            return n.d[k];
    }
}

void setNumber(Value& value, unsigned int k, double number) {
    if (value.kind == Value::Kind::kTime) {
        value.time = MTime(number, MTime::uiUnit());
        return;
    }
    if (value.kind != Value::Kind::kNumeric) return;
    if (k >= numericComponentCount(value.rep)) return;
    Value::Numbers& n = value.num;
    switch (value.rep) {
        case MFnNumericData::kBoolean:
            n.b = number != 0.0;
            break;
        case MFnNumericData::kByte:
            n.uc = toIntegral<unsigned char>(number);
            break;
        case MFnNumericData::kChar:
            n.c = toIntegral<char>(number);
            break;
        case MFnNumericData::kShort:
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short:
            n.s[k] = toIntegral<short>(number);
            break;
        case MFnNumericData::kInt:
        case MFnNumericData::k2Int:
        case MFnNumericData::k3Int:
            n.i[k] = toIntegral<int>(number);
            break;
        case MFnNumericData::kFloat:
        case MFnNumericData::k2Float:
        case MFnNumericData::k3Float:
            n.f[k] = static_cast<float>(number);
            break;
        default:
            n.d[k] = number;
            break;
    }
}

void convertRepresentation(Value& value, MFnNumericData::Type rep) {
    if (value.kind != Value::Kind::kNumeric || value.rep == rep) return;
    double numbers[4] = {0, 0, 0, 0};
    const unsigned int count = numericComponentCount(value.rep);
    for (unsigned int k = 0; k < count && k < 4; ++k) numbers[k] = numberOf(value, k);
    value.rep = rep;
    value.num = Value::Numbers{};
    for (unsigned int k = 0; k < numericComponentCount(rep); ++k) setNumber(value, k, numbers[k]);
}

void ownData(Value& value) {
    if (value.data && !value.dataOwned) value.data = value.data->clone();
    value.dataOwned = true;
}

Cell::Cell(const Cell& other) : value(other.value), children(other.children), dirty(other.dirty) {
    for (const auto& [index, element] : other.elements)
        elements.emplace(index, std::make_unique<Cell>(*element));
}

Cell& Cell::operator=(const Cell& other) {
    if (this != &other) {
        Cell copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value defaultValue(const AttributeImpl& attr) {
    Value v;
    switch (attr.kind) {
        case AttrKind::kNumeric:
            v.kind = Value::Kind::kNumeric;
            v.rep = attr.numericType;
            setNumber(v, 0, attr.defaultValue);
            break;
        case AttrKind::kEnum:
            v.kind = Value::Kind::kNumeric;
            v.rep = MFnNumericData::kShort;
            setNumber(v, 0, attr.defaultValue);
            break;
        case AttrKind::kCompound:
            if (attr.isNumericCompound()) {
                v.kind = Value::Kind::kNumeric;
                v.rep = attr.numericType;
                for (std::size_t k = 0; k < attr.children.size(); ++k)
                    setNumber(v, static_cast<unsigned int>(k), attr.children[k]->defaultValue);
            }
            break;
        case AttrKind::kUnit:
            if (attr.unitType == MFnUnitAttribute::kTime) {
                v.kind = Value::Kind::kTime;
                v.time = attr.defaultTime;
            } else {
                v.kind = Value::Kind::kNumeric;
                v.rep = MFnNumericData::kDouble;
                v.num.d[0] = attr.defaultValue;
            }
            break;
        case AttrKind::kMatrix:
            if (attr.floatMatrix) {
                v.kind = Value::Kind::kFloatMatrix;
                v.floatMatrix = MFloatMatrix(attr.defaultMatrix.matrix);
            } else {
                v.kind = Value::Kind::kMatrix;
                v.matrix = attr.defaultMatrix;
            }
            break;
        case AttrKind::kTyped:
            v.kind = Value::Kind::kData;
            // The default object is shared by every node until one writes.
            v.data = attr.defaultData;
            v.dataOwned = false;
            break;
        case AttrKind::kMessage:
            break;
    }
    return v;
}

Cell makeCell(const AttributeImpl& attr, bool wholeArray) {
    Cell cell;
    if (attr.array && wholeArray) return cell;
    cell.value = defaultValue(attr);
    cell.children.reserve(attr.children.size());
    for (const auto& child : attr.children) cell.children.push_back(makeCell(*child, true));
    return cell;
}

void disownData(Cell& cell) {
    cell.value.dataOwned = false;
    for (Cell& child : cell.children) disownData(child);
    for (auto& entry : cell.elements) disownData(*entry.second);
}

}  // namespace zt::host
