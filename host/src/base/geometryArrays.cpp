#include <maya/MColorArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>

#include "base/arrayOps.h"

using namespace zt::host;

namespace {

template <class Row, class Out>
void copyRow(const Row& from, Out* to, int count) {
    for (int i = 0; i < count; ++i) to[i] = static_cast<Out>(from[static_cast<unsigned int>(i)]);
}

// Builds elements from rows of a C array (double[][3], float[][4]...).
template <class T, class Row>
arrays::Storage<T> fromRows(const Row* rows, unsigned int count) {
    if (rows == nullptr || count == 0) return nullptr;
    auto storage = std::make_shared<std::vector<T>>();
    storage->reserve(count);
    for (unsigned int i = 0; i < count; ++i) storage->push_back(T(rows[i]));
    return storage;
}

}  // namespace

// MVectorArray

MVectorArray::MVectorArray() = default;
MVectorArray::MVectorArray(const MVectorArray& other) : data_(arrays::deepCopy(other.data_)) {}
MVectorArray::MVectorArray(MVectorArray&& other) noexcept : data_(std::move(other.data_)) {}
MVectorArray::MVectorArray(const MVector src[], unsigned int count)
    : data_(arrays::fromElements<MVector>(src, count)) {}
MVectorArray::MVectorArray(unsigned int initialSize, const MVector& initialValue)
    : data_(arrays::filled<MVector>(initialSize, initialValue)) {}
MVectorArray::~MVectorArray() = default;

MVectorArray& MVectorArray::operator=(const MVectorArray& other) {
    copy(other);
    return *this;
}
MVectorArray& MVectorArray::operator=(MVectorArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MVectorArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MVectorArray::set(const MVector& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MVectorArray::append(const MVector& element) {
    return arrays::append(data_, element);
}
MStatus MVectorArray::insert(const MVector& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MVectorArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MVectorArray::copy(const MVectorArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MVectorArray::clear() {
    return arrays::clear(data_);
}
void MVectorArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MVectorArray& array) {
    return arrays::write(os, array.data_);
}

MVectorArray::MVectorArray(const double vectors[][3], unsigned int count)
    : data_(fromRows<MVector>(vectors, count)) {}
MVectorArray::MVectorArray(const float vectors[][3], unsigned int count)
    : data_(fromRows<MVector>(vectors, count)) {}
MStatus MVectorArray::set(double element[3], unsigned int index) {
    if (element == nullptr) return MS::kInvalidParameter;
    return arrays::set(data_, MVector(element), index);
}
MStatus MVectorArray::set(float element[3], unsigned int index) {
    if (element == nullptr) return MS::kInvalidParameter;
    return arrays::set(data_, MVector(element), index);
}
MStatus MVectorArray::get(double dest[][3]) const {
    return arrays::copyOut(data_, dest,
                           [](const MVector& v, double(&out)[3]) { copyRow(v, out, 3); });
}
MStatus MVectorArray::get(float dest[][3]) const {
    return arrays::copyOut(data_, dest,
                           [](const MVector& v, float(&out)[3]) { copyRow(v, out, 3); });
}

// MPointArray

MPointArray::MPointArray() = default;
MPointArray::MPointArray(const MPointArray& other) : data_(arrays::deepCopy(other.data_)) {}
MPointArray::MPointArray(MPointArray&& other) noexcept : data_(std::move(other.data_)) {}
MPointArray::MPointArray(const MPoint src[], unsigned int count)
    : data_(arrays::fromElements<MPoint>(src, count)) {}
MPointArray::MPointArray(unsigned int initialSize, const MPoint& initialValue)
    : data_(arrays::filled<MPoint>(initialSize, initialValue)) {}
MPointArray::~MPointArray() = default;

MPointArray& MPointArray::operator=(const MPointArray& other) {
    copy(other);
    return *this;
}
MPointArray& MPointArray::operator=(MPointArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MPointArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MPointArray::set(const MPoint& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MPointArray::append(const MPoint& element) {
    return arrays::append(data_, element);
}
MStatus MPointArray::insert(const MPoint& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MPointArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MPointArray::copy(const MPointArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MPointArray::clear() {
    return arrays::clear(data_);
}
void MPointArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MPointArray& array) {
    return arrays::write(os, array.data_);
}

MPointArray::MPointArray(const double src[][4], unsigned int count)
    : data_(fromRows<MPoint>(src, count)) {}
MPointArray::MPointArray(const float src[][4], unsigned int count)
    : data_(fromRows<MPoint>(src, count)) {}
MStatus MPointArray::set(unsigned int index, double x, double y, double z, double w) {
    return arrays::set(data_, MPoint(x, y, z, w), index);
}
MStatus MPointArray::append(double x, double y, double z, double w) {
    return arrays::append(data_, MPoint(x, y, z, w));
}
MStatus MPointArray::get(double dest[][4]) const {
    return arrays::copyOut(data_, dest,
                           [](const MPoint& p, double(&out)[4]) { copyRow(p, out, 4); });
}
MStatus MPointArray::get(float dest[][4]) const {
    return arrays::copyOut(data_, dest,
                           [](const MPoint& p, float(&out)[4]) { copyRow(p, out, 4); });
}

// MFloatPointArray

MFloatPointArray::MFloatPointArray() = default;
MFloatPointArray::MFloatPointArray(const MFloatPointArray& other)
    : data_(arrays::deepCopy(other.data_)) {}
MFloatPointArray::MFloatPointArray(MFloatPointArray&& other) noexcept
    : data_(std::move(other.data_)) {}
MFloatPointArray::MFloatPointArray(const MFloatPoint src[], unsigned int count)
    : data_(arrays::fromElements<MFloatPoint>(src, count)) {}
MFloatPointArray::MFloatPointArray(unsigned int initialSize, const MFloatPoint& initialValue)
    : data_(arrays::filled<MFloatPoint>(initialSize, initialValue)) {}
MFloatPointArray::~MFloatPointArray() = default;

MFloatPointArray& MFloatPointArray::operator=(const MFloatPointArray& other) {
    copy(other);
    return *this;
}
MFloatPointArray& MFloatPointArray::operator=(MFloatPointArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MFloatPointArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MFloatPointArray::set(const MFloatPoint& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MFloatPointArray::append(const MFloatPoint& element) {
    return arrays::append(data_, element);
}
MStatus MFloatPointArray::insert(const MFloatPoint& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MFloatPointArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MFloatPointArray::copy(const MFloatPointArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MFloatPointArray::clear() {
    return arrays::clear(data_);
}
void MFloatPointArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MFloatPointArray& array) {
    return arrays::write(os, array.data_);
}

MStatus MFloatPointArray::set(unsigned int index, float x, float y, float z, float w) {
    return arrays::set(data_, MFloatPoint(x, y, z, w), index);
}
MStatus MFloatPointArray::append(float x, float y, float z, float w) {
    return arrays::append(data_, MFloatPoint(x, y, z, w));
}
MStatus MFloatPointArray::get(float dest[][4]) const {
    return arrays::copyOut(data_, dest,
                           [](const MFloatPoint& p, float(&out)[4]) { copyRow(p, out, 4); });
}
MStatus MFloatPointArray::get(double dest[][4]) const {
    return arrays::copyOut(data_, dest,
                           [](const MFloatPoint& p, double(&out)[4]) { copyRow(p, out, 4); });
}

// MColorArray

MColorArray::MColorArray() = default;
MColorArray::MColorArray(const MColorArray& other) : data_(arrays::deepCopy(other.data_)) {}
MColorArray::MColorArray(MColorArray&& other) noexcept : data_(std::move(other.data_)) {}
MColorArray::MColorArray(const MColor src[], unsigned int count)
    : data_(arrays::fromElements<MColor>(src, count)) {}
MColorArray::MColorArray(unsigned int initialSize, const MColor& initialValue)
    : data_(arrays::filled<MColor>(initialSize, initialValue)) {}
MColorArray::~MColorArray() = default;

MColorArray& MColorArray::operator=(const MColorArray& other) {
    copy(other);
    return *this;
}
MColorArray& MColorArray::operator=(MColorArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MColorArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MColorArray::set(const MColor& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MColorArray::append(const MColor& element) {
    return arrays::append(data_, element);
}
MStatus MColorArray::insert(const MColor& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MColorArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MColorArray::copy(const MColorArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MColorArray::clear() {
    return arrays::clear(data_);
}
void MColorArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MColorArray& array) {
    return arrays::write(os, array.data_);
}

MStatus MColorArray::set(unsigned int index, float r, float g, float b, float a) {
    return arrays::set(data_, MColor(r, g, b, a), index);
}
MStatus MColorArray::append(float r, float g, float b, float a) {
    return arrays::append(data_, MColor(r, g, b, a));
}
MStatus MColorArray::get(float dest[][4]) const {
    return arrays::copyOut(data_, dest,
                           [](const MColor& c, float(&out)[4]) { copyRow(c, out, 4); });
}

// MFloatVectorArray

MFloatVectorArray::MFloatVectorArray() = default;
MFloatVectorArray::MFloatVectorArray(const MFloatVectorArray& other)
    : data_(arrays::deepCopy(other.data_)) {}
MFloatVectorArray::MFloatVectorArray(MFloatVectorArray&& other) noexcept
    : data_(std::move(other.data_)) {}
MFloatVectorArray::MFloatVectorArray(const MFloatVector src[], unsigned int count)
    : data_(arrays::fromElements<MFloatVector>(src, count)) {}
MFloatVectorArray::MFloatVectorArray(unsigned int initialSize, const MFloatVector& initialValue)
    : data_(arrays::filled<MFloatVector>(initialSize, initialValue)) {}
MFloatVectorArray::~MFloatVectorArray() = default;

MFloatVectorArray& MFloatVectorArray::operator=(const MFloatVectorArray& other) {
    copy(other);
    return *this;
}
MFloatVectorArray& MFloatVectorArray::operator=(MFloatVectorArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MFloatVectorArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MFloatVectorArray::set(const MFloatVector& element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MFloatVectorArray::append(const MFloatVector& element) {
    return arrays::append(data_, element);
}
MStatus MFloatVectorArray::insert(const MFloatVector& element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MFloatVectorArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MFloatVectorArray::copy(const MFloatVectorArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MFloatVectorArray::clear() {
    return arrays::clear(data_);
}
void MFloatVectorArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MFloatVectorArray& array) {
    return arrays::write(os, array.data_);
}

MStatus MFloatVectorArray::get(float dest[][3]) const {
    return arrays::copyOut(data_, dest,
                           [](const MFloatVector& v, float(&out)[3]) { copyRow(v, out, 3); });
}
