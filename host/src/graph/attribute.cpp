#include "graph/attribute.h"

#include <algorithm>

namespace zt::host {

AttributeImpl::AttributeImpl(AttrKind k, std::string longN, std::string shortN)
    : kind(k), longName(std::move(longN)), shortName(std::move(shortN)) {}

MFn::Type AttributeImpl::apiType() const {
    switch (kind) {
        case AttrKind::kNumeric:
            return MFn::kNumericAttribute;
        case AttrKind::kCompound:
            return isNumericCompound() ? MFn::kNumericAttribute : MFn::kCompoundAttribute;
        case AttrKind::kTyped:
            return MFn::kTypedAttribute;
        case AttrKind::kMatrix:
            return MFn::kMatrixAttribute;
        case AttrKind::kUnit:
            return MFn::kUnitAttribute;
        case AttrKind::kEnum:
            return MFn::kEnumAttribute;
        case AttrKind::kMessage:
            return MFn::kMessageAttribute;
    }
    return MFn::kAttribute;
}

bool AttributeImpl::hasFn(MFn::Type type) const {
    if (type == MFn::kAttribute || ObjectImpl::hasFn(type)) return true;
    // A numeric compound is both a numeric attribute and a compound.
    if (isNumericCompound()) return type == MFn::kCompoundAttribute;
    return false;
}

int AttributeImpl::childIndex(const AttributeImpl* child) const {
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].get() == child) return static_cast<int>(i);
    }
    return -1;
}

std::vector<const AttributeImpl*> AttributeImpl::chain() const {
    std::vector<const AttributeImpl*> result;
    for (const AttributeImpl* a = this; a; a = a->parent) result.push_back(a);
    std::reverse(result.begin(), result.end());
    return result;
}

const AttributeImpl* AttributeImpl::root() const {
    const AttributeImpl* a = this;
    while (a->parent) a = a->parent;
    return a;
}

unsigned int AttributeImpl::arrayDepth() const {
    unsigned int depth = 0;
    for (const AttributeImpl* a = this; a; a = a->parent) depth += a->array ? 1 : 0;
    return depth;
}

bool AttributeImpl::isAncestorOf(const AttributeImpl* other) const {
    for (const AttributeImpl* a = other ? other->parent : nullptr; a; a = a->parent) {
        if (a == this) return true;
    }
    return false;
}

double AttributeImpl::clamp(double value) const {
    if (hasMin && value < minValue) value = minValue;
    if (hasMax && value > maxValue) value = maxValue;
    return value;
}

}  // namespace zt::host
