// MArrayDataHandle and MArrayDataBuilder: element access to array values.

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>

#include "graph/dataBlock.h"

using zt::host::AttributeImpl;
using zt::host::Cell;
using zt::host::DataHandleAccess;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

}  // namespace

// ---- MArrayDataHandle ------------------------------------------------------

MArrayDataHandle::MArrayDataHandle()
    : cell_(nullptr), attr_(nullptr), writable_(false), atEnd_(true), current_(0) {}

MArrayDataHandle::MArrayDataHandle(const MDataHandle& in, MStatus* ReturnStatus)
    : MArrayDataHandle() {
    if (!DataHandleAccess::cell(in) || !DataHandleAccess::isWholeArray(in)) {
        report(ReturnStatus, MS::kInvalidParameter);
        return;
    }
    cell_ = DataHandleAccess::cell(in);
    attr_ = DataHandleAccess::attribute(in);
    writable_ = DataHandleAccess::isWritable(in);
    atEnd_ = cell_->elements.empty();
    current_ = atEnd_ ? 0 : cell_->elements.begin()->first;
    report(ReturnStatus, MS::kSuccess);
}

MArrayDataHandle::MArrayDataHandle(const MArrayDataHandle& other) = default;
MArrayDataHandle& MArrayDataHandle::operator=(const MArrayDataHandle& other) = default;

MDataHandle MArrayDataHandle::elementHandle(bool writable, MStatus* ReturnStatus) {
    if (!cell_ || atEnd_) {
        report(ReturnStatus, MS::kFailure);
        return MDataHandle();
    }
    auto it = cell_->elements.find(current_);
    if (it == cell_->elements.end()) {
        report(ReturnStatus, MS::kFailure);
        return MDataHandle();
    }
    report(ReturnStatus, MS::kSuccess);
    return DataHandleAccess::make(it->second.get(), attr_, writable, false);
}

MDataHandle MArrayDataHandle::inputValue(MStatus* ReturnStatus) {
    return elementHandle(false, ReturnStatus);
}

MDataHandle MArrayDataHandle::outputValue(MStatus* ReturnStatus) {
    return elementHandle(writable_, ReturnStatus);
}

MArrayDataHandle MArrayDataHandle::inputArrayValue(MStatus* ReturnStatus) {
    // Elements of this host's arrays are never arrays themselves (arrays
    // inside arrays sit under a compound: use child()).
    report(ReturnStatus, MS::kNotImplemented);
    return MArrayDataHandle();
}

MArrayDataHandle MArrayDataHandle::outputArrayValue(MStatus* ReturnStatus) {
    report(ReturnStatus, MS::kNotImplemented);
    return MArrayDataHandle();
}

MStatus MArrayDataHandle::next() {
    if (!cell_ || atEnd_) return MS::kFailure;
    auto it = cell_->elements.upper_bound(current_);
    if (it == cell_->elements.end()) {
        atEnd_ = true;
        return MS::kFailure;
    }
    current_ = it->first;
    return MS::kSuccess;
}

unsigned int MArrayDataHandle::elementCount(MStatus* ReturnStatus) {
    report(ReturnStatus, cell_ ? MS::kSuccess : MS::kFailure);
    return cell_ ? static_cast<unsigned int>(cell_->elements.size()) : 0u;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* ReturnStatus) {
    if (!cell_ || atEnd_) {
        report(ReturnStatus, MS::kFailure);
        return static_cast<unsigned int>(-1);
    }
    report(ReturnStatus, MS::kSuccess);
    return current_;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int index) {
    if (!cell_ || !cell_->elements.count(index)) return MS::kInvalidParameter;
    current_ = index;
    atEnd_ = false;
    return MS::kSuccess;
}

MStatus MArrayDataHandle::jumpToArrayElement(unsigned int position) {
    if (!cell_ || position >= cell_->elements.size()) return MS::kInvalidParameter;
    auto it = cell_->elements.begin();
    std::advance(it, position);
    current_ = it->first;
    atEnd_ = false;
    return MS::kSuccess;
}

MStatus MArrayDataHandle::setClean() {
    if (!cell_) return MS::kFailure;
    cell_->dirty = false;
    return MS::kSuccess;
}

MStatus MArrayDataHandle::setAllClean() {
    if (!cell_) return MS::kFailure;
    cell_->dirty = false;
    for (auto& entry : cell_->elements) {
        MDataHandle element = DataHandleAccess::make(entry.second.get(), attr_, writable_, false);
        element.setClean();
    }
    return MS::kSuccess;
}

MArrayDataBuilder MArrayDataHandle::builder(MStatus* ReturnStatus) {
    MArrayDataBuilder result;
    if (!cell_ || !writable_) {
        report(ReturnStatus, MS::kFailure);
        return result;
    }
    result.cell_ = cell_;
    result.attr_ = std::const_pointer_cast<AttributeImpl>(
        std::static_pointer_cast<const AttributeImpl>(attr_->shared_from_this()));
    report(ReturnStatus, MS::kSuccess);
    return result;
}

MStatus MArrayDataHandle::set(MArrayDataBuilder& builder) {
    if (!cell_ || !writable_ || !builder.cell_) return MS::kFailure;
    if (builder.attr_.get() != attr_) return MS::kInvalidParameter;
    if (builder.cell_ != cell_) {
        // The builder worked on a value of its own: take its elements.
        cell_->elements.clear();
        for (const auto& [index, element] : builder.cell_->elements)
            cell_->elements.emplace(index, std::make_unique<Cell>(*element));
    }
    atEnd_ = cell_->elements.empty();
    current_ = atEnd_ ? 0 : cell_->elements.begin()->first;
    return MS::kSuccess;
}

// ---- MArrayDataBuilder -----------------------------------------------------

MArrayDataBuilder::MArrayDataBuilder() : cell_(nullptr) {}

MArrayDataBuilder::MArrayDataBuilder(const MObject& attribute, unsigned int, MStatus* ReturnStatus)
    : MArrayDataBuilder() {
    attr_ = zt::host::attributePtrOf(attribute);
    if (!attr_ || !attr_->array) {
        attr_.reset();
        report(ReturnStatus, MS::kInvalidParameter);
        return;
    }
    owned_ = std::make_shared<Cell>();
    cell_ = owned_.get();
    report(ReturnStatus, MS::kSuccess);
}

MArrayDataBuilder::MArrayDataBuilder(MDataBlock*, const MObject& attribute,
                                     unsigned int numElements, MStatus* ReturnStatus)
    : MArrayDataBuilder(attribute, numElements, ReturnStatus) {}

MArrayDataBuilder::MArrayDataBuilder(const MArrayDataBuilder& other) = default;
MArrayDataBuilder& MArrayDataBuilder::operator=(const MArrayDataBuilder& other) = default;
MArrayDataBuilder::~MArrayDataBuilder() = default;

MDataHandle MArrayDataBuilder::addElement(unsigned int index, MStatus* ReturnStatus) {
    if (!cell_) {
        report(ReturnStatus, MS::kFailure);
        return MDataHandle();
    }
    auto& slot = cell_->elements[index];
    if (!slot) slot = std::make_unique<Cell>(zt::host::makeCell(*attr_, false));
    report(ReturnStatus, MS::kSuccess);
    return DataHandleAccess::make(slot.get(), attr_.get(), true, false);
}

MDataHandle MArrayDataBuilder::addLast(MStatus* ReturnStatus) {
    if (!cell_) {
        report(ReturnStatus, MS::kFailure);
        return MDataHandle();
    }
    const unsigned int index = cell_->elements.empty() ? 0u : cell_->elements.rbegin()->first + 1;
    return addElement(index, ReturnStatus);
}

MStatus MArrayDataBuilder::removeElement(unsigned int index) {
    if (!cell_ || cell_->elements.erase(index) == 0) return MS::kInvalidParameter;
    return MS::kSuccess;
}

unsigned int MArrayDataBuilder::elementCount(MStatus* ReturnStatus) const {
    report(ReturnStatus, cell_ ? MS::kSuccess : MS::kFailure);
    return cell_ ? static_cast<unsigned int>(cell_->elements.size()) : 0u;
}

MStatus MArrayDataBuilder::growArray(unsigned int) {
    return cell_ ? MS::kSuccess : MS::kFailure;
}
