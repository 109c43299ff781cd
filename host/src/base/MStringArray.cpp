#include <maya/MStringArray.h>

#include "base/arrayOps.h"

using namespace zt::host;

MStringArray::MStringArray() = default;
MStringArray::MStringArray(const MStringArray& other) : data_(arrays::deepCopy(other.data_)) {}
MStringArray::MStringArray(MStringArray&& other) noexcept : data_(std::move(other.data_)) {}
MStringArray::MStringArray(const MString strings[], unsigned int count)
    : data_(arrays::fromElements<MString>(strings, count)) {}
MStringArray::MStringArray(const char* strings[], unsigned int count)
    : data_(arrays::fromElements<MString>(strings, count)) {}
MStringArray::MStringArray(unsigned int initialSize, const MString& initialValue)
    : data_(arrays::filled(initialSize, initialValue)) {}
MStringArray::~MStringArray() = default;

MStringArray& MStringArray::operator=(const MStringArray& other) {
    arrays::assign(data_, other.data_);
    return *this;
}
MStringArray& MStringArray::operator=(MStringArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}

MStatus MStringArray::set(const MString& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MStringArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MStringArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MStringArray::insert(const MString& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MStringArray::append(const MString& element) {
    return arrays::append(data_, element);
}
MStatus MStringArray::clear() {
    return arrays::clear(data_);
}

std::ostream& operator<<(std::ostream& os, const MStringArray& array) {
    return arrays::write(os, array.data_);
}
