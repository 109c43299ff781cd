#include "graph/dataBlock.h"

#include <maya/MPlug.h>

#include "graph/evaluation.h"
#include "graph/plugAccess.h"

namespace zt::host {

DataBlockImpl::DataBlockImpl(NodeImpl& node) : node_(node), api_(this) {}

MStatus DataBlockImpl::plugOf(const MObject& attribute, PlugRef& plug) const {
    const AttributeImpl* attr = attributeOf(attribute);
    if (!attr || !node_.type->has(attr)) return MS::kInvalidParameter;
    plug = wholePlug(&node_, attr);
    // An attribute inside an array needs an element: use a plug instead.
    if (!isFullyIndexed(plug)) return MS::kInvalidParameter;
    return MS::kSuccess;
}

MStatus DataBlockImpl::plugOf(const MPlug& mplug, PlugRef& plug) const {
    plug = PlugAccess::ref(mplug);
    if (plug.node != &node_ || !isFullyIndexed(plug)) return MS::kInvalidParameter;
    return MS::kSuccess;
}

Cell& DataBlockImpl::staged(const AttributeImpl* root) {
    auto& slot = staged_[root];
    if (!slot) {
        slot = std::make_unique<Cell>(node_.rootCell(root));
        disownData(*slot);
    }
    return *slot;
}

MDataHandle DataBlockImpl::inputValue(const PlugRef& plug, MStatus* status) {
    MStatus result;
    Cell* cell = nullptr;
    auto it = staged_.find(plug.attr->root());
    if (it != staged_.end()) {
        // Compute reads back what it already wrote.
        cell = valueCellOf(*it->second, plug, true);
    } else {
        result = evaluate(plug);
        cell = valueCellOf(plug, true);
    }
    if (!cell) result = MS::kFailure;
    if (status) *status = result;
    return DataHandleAccess::make(cell, plug.attr, false, plug.isWholeArray());
}

MDataHandle DataBlockImpl::outputValue(const PlugRef& plug, MStatus* status) {
    Cell* cell = valueCellOf(staged(plug.attr->root()), plug, true);
    if (status) *status = cell ? MS::kSuccess : MS::kFailure;
    return DataHandleAccess::make(cell, plug.attr, true, plug.isWholeArray());
}

bool DataBlockImpl::isClean(const PlugRef& plug) const {
    for (const PlugRef& clean : cleaned_) {
        if (covers(clean, plug)) return true;
    }
    return !isDirty(plug);
}

void DataBlockImpl::commit() {
    for (auto& [root, cell] : staged_) node_.rootCell(root) = std::move(*cell);
    staged_.clear();
    for (const PlugRef& plug : cleaned_) markClean(plug);
    cleaned_.clear();
}

}  // namespace zt::host

using zt::host::PlugRef;

MDataBlock::MDataBlock(zt::host::DataBlockImpl* impl) : impl_(impl) {}
MDataBlock::~MDataBlock() = default;

namespace {

template <class Key>
MDataHandle input(zt::host::DataBlockImpl* impl, const Key& key, MStatus* status) {
    PlugRef plug;
    MStatus found = impl->plugOf(key, plug);
    if (!found) {
        if (status) *status = found;
        return MDataHandle();
    }
    return impl->inputValue(plug, status);
}

template <class Key>
MDataHandle output(zt::host::DataBlockImpl* impl, const Key& key, MStatus* status) {
    PlugRef plug;
    MStatus found = impl->plugOf(key, plug);
    if (!found) {
        if (status) *status = found;
        return MDataHandle();
    }
    return impl->outputValue(plug, status);
}

MArrayDataHandle asArray(const MDataHandle& handle, MStatus status, MStatus* ReturnStatus) {
    MStatus converted;
    MArrayDataHandle array(handle, &converted);
    if (ReturnStatus) *ReturnStatus = status ? converted : status;
    return array;
}

}  // namespace

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* ReturnStatus) {
    return input(impl_, plug, ReturnStatus);
}
MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* ReturnStatus) {
    return input(impl_, attribute, ReturnStatus);
}
MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* ReturnStatus) {
    return output(impl_, plug, ReturnStatus);
}
MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* ReturnStatus) {
    return output(impl_, attribute, ReturnStatus);
}

MArrayDataHandle MDataBlock::inputArrayValue(const MPlug& plug, MStatus* ReturnStatus) {
    MStatus status;
    MDataHandle handle = input(impl_, plug, &status);
    return asArray(handle, status, ReturnStatus);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* ReturnStatus) {
    MStatus status;
    MDataHandle handle = input(impl_, attribute, &status);
    return asArray(handle, status, ReturnStatus);
}
MArrayDataHandle MDataBlock::outputArrayValue(const MPlug& plug, MStatus* ReturnStatus) {
    MStatus status;
    MDataHandle handle = output(impl_, plug, &status);
    return asArray(handle, status, ReturnStatus);
}
MArrayDataHandle MDataBlock::outputArrayValue(const MObject& attribute, MStatus* ReturnStatus) {
    MStatus status;
    MDataHandle handle = output(impl_, attribute, &status);
    return asArray(handle, status, ReturnStatus);
}

MStatus MDataBlock::setClean(const MPlug& plug) {
    PlugRef ref;
    MStatus status = impl_->plugOf(plug, ref);
    if (status) impl_->setClean(ref);
    return status;
}

MStatus MDataBlock::setClean(const MObject& attribute) {
    PlugRef ref;
    MStatus status = impl_->plugOf(attribute, ref);
    if (status) impl_->setClean(ref);
    return status;
}

bool MDataBlock::isClean(const MPlug& plug) {
    PlugRef ref;
    return impl_->plugOf(plug, ref) && impl_->isClean(ref);
}

bool MDataBlock::isClean(const MObject& attribute, MStatus* ReturnStatus) {
    PlugRef ref;
    MStatus status = impl_->plugOf(attribute, ref);
    if (ReturnStatus) *ReturnStatus = status;
    return status && impl_->isClean(ref);
}

MDGContext MDataBlock::context(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return MDGContext::fsNormal;
}
