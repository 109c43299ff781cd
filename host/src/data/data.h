#pragma once
// Data values: what typed attributes carry through the graph. Plugs share a
// data object by pointer (a destination holds the very object its source
// holds), so nodes treat input data as read-only; writers clone() first.

#include <maya/MFnData.h>

#include <memory>

#include "graph/object.h"

namespace zt::host {

class DataImpl : public ObjectImpl {
public:
    // The data type a typed attribute declares for this kind of value.
    virtual MFnData::Type dataType() const = 0;
    // A deep copy: changing the copy never changes this object. Derived
    // classes usually return std::make_shared<Derived>(*this).
    virtual std::shared_ptr<DataImpl> clone() const = 0;
    bool hasFn(MFn::Type type) const override {
        return type == MFn::kData || ObjectImpl::hasFn(type);
    }
};

}  // namespace zt::host
