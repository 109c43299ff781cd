#include <maya/MDoubleArray.h>
#include <maya/MFloatArray.h>
#include <maya/MIntArray.h>
#include <maya/MUintArray.h>

#include "base/arrayOps.h"

using namespace zt::host;

// MIntArray

MIntArray::MIntArray() = default;
MIntArray::MIntArray(const MIntArray& other) : data_(arrays::deepCopy(other.data_)) {}
MIntArray::MIntArray(MIntArray&& other) noexcept : data_(std::move(other.data_)) {}
MIntArray::MIntArray(const int src[], unsigned int count)
    : data_(arrays::fromElements<int>(src, count)) {}
MIntArray::MIntArray(unsigned int initialSize, int initialValue)
    : data_(arrays::filled<int>(initialSize, initialValue)) {}
MIntArray::~MIntArray() = default;

MIntArray& MIntArray::operator=(const MIntArray& other) {
    copy(other);
    return *this;
}
MIntArray& MIntArray::operator=(MIntArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MIntArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MIntArray::set(int element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MIntArray::append(int element) {
    return arrays::append(data_, element);
}
MStatus MIntArray::insert(int element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MIntArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MIntArray::copy(const MIntArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MIntArray::clear() {
    return arrays::clear(data_);
}
void MIntArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MIntArray& array) {
    return arrays::write(os, array.data_);
}

MStatus MIntArray::get(int dest[]) const {
    return arrays::copyOut(data_, dest, [](int v, int& out) { out = v; });
}

// MUintArray

MUintArray::MUintArray() = default;
MUintArray::MUintArray(const MUintArray& other) : data_(arrays::deepCopy(other.data_)) {}
MUintArray::MUintArray(MUintArray&& other) noexcept : data_(std::move(other.data_)) {}
MUintArray::MUintArray(const unsigned int src[], unsigned int count)
    : data_(arrays::fromElements<unsigned int>(src, count)) {}
MUintArray::MUintArray(unsigned int initialSize, unsigned int initialValue)
    : data_(arrays::filled<unsigned int>(initialSize, initialValue)) {}
MUintArray::~MUintArray() = default;

MUintArray& MUintArray::operator=(const MUintArray& other) {
    copy(other);
    return *this;
}
MUintArray& MUintArray::operator=(MUintArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MUintArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MUintArray::set(unsigned int element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MUintArray::append(unsigned int element) {
    return arrays::append(data_, element);
}
MStatus MUintArray::insert(unsigned int element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MUintArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MUintArray::copy(const MUintArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MUintArray::clear() {
    return arrays::clear(data_);
}
void MUintArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MUintArray& array) {
    return arrays::write(os, array.data_);
}

MStatus MUintArray::get(unsigned int dest[]) const {
    return arrays::copyOut(data_, dest, [](unsigned int v, unsigned int& out) { out = v; });
}

// MDoubleArray

MDoubleArray::MDoubleArray() = default;
MDoubleArray::MDoubleArray(const MDoubleArray& other) : data_(arrays::deepCopy(other.data_)) {}
MDoubleArray::MDoubleArray(MDoubleArray&& other) noexcept : data_(std::move(other.data_)) {}
MDoubleArray::MDoubleArray(const double src[], unsigned int count)
    : data_(arrays::fromElements<double>(src, count)) {}
MDoubleArray::MDoubleArray(unsigned int initialSize, double initialValue)
    : data_(arrays::filled<double>(initialSize, initialValue)) {}
MDoubleArray::~MDoubleArray() = default;

MDoubleArray& MDoubleArray::operator=(const MDoubleArray& other) {
    copy(other);
    return *this;
}
MDoubleArray& MDoubleArray::operator=(MDoubleArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MDoubleArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MDoubleArray::set(double element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MDoubleArray::append(double element) {
    return arrays::append(data_, element);
}
MStatus MDoubleArray::insert(double element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MDoubleArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MDoubleArray::copy(const MDoubleArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MDoubleArray::clear() {
    return arrays::clear(data_);
}
void MDoubleArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MDoubleArray& array) {
    return arrays::write(os, array.data_);
}

MDoubleArray::MDoubleArray(const float src[], unsigned int count)
    : data_(arrays::fromElements<double>(src, count)) {}
MStatus MDoubleArray::set(float element, unsigned int index) {
    return arrays::set(data_, static_cast<double>(element), index);
}
MStatus MDoubleArray::get(double dest[]) const {
    return arrays::copyOut(data_, dest, [](double v, double& out) { out = v; });
}
MStatus MDoubleArray::get(float dest[]) const {
    return arrays::copyOut(data_, dest, [](double v, float& out) { out = static_cast<float>(v); });
}

// MFloatArray

MFloatArray::MFloatArray() = default;
MFloatArray::MFloatArray(const MFloatArray& other) : data_(arrays::deepCopy(other.data_)) {}
MFloatArray::MFloatArray(MFloatArray&& other) noexcept : data_(std::move(other.data_)) {}
MFloatArray::MFloatArray(const float src[], unsigned int count)
    : data_(arrays::fromElements<float>(src, count)) {}
MFloatArray::MFloatArray(unsigned int initialSize, float initialValue)
    : data_(arrays::filled<float>(initialSize, initialValue)) {}
MFloatArray::~MFloatArray() = default;

MFloatArray& MFloatArray::operator=(const MFloatArray& other) {
    copy(other);
    return *this;
}
MFloatArray& MFloatArray::operator=(MFloatArray&& other) noexcept {
    arrays::moveAssign(data_, other.data_);
    return *this;
}
MStatus MFloatArray::setLength(unsigned int length) {
    return arrays::setLength(data_, length);
}
MStatus MFloatArray::set(float element, unsigned int index) {
    return arrays::set(data_, element, index);
}
MStatus MFloatArray::append(float element) {
    return arrays::append(data_, element);
}
MStatus MFloatArray::insert(float element, unsigned int index) {
    return arrays::insert(data_, element, index);
}
MStatus MFloatArray::remove(unsigned int index) {
    return arrays::remove(data_, index);
}
MStatus MFloatArray::copy(const MFloatArray& source) {
    return arrays::assign(data_, source.data_);
}
MStatus MFloatArray::clear() {
    return arrays::clear(data_);
}
void MFloatArray::setSizeIncrement(unsigned int newIncrement) {
    arrays::reserveIncrement(data_, newIncrement);
}
std::ostream& operator<<(std::ostream& os, const MFloatArray& array) {
    return arrays::write(os, array.data_);
}

MFloatArray::MFloatArray(const double src[], unsigned int count)
    : data_(arrays::fromElements<float>(src, count)) {}
MStatus MFloatArray::set(double element, unsigned int index) {
    return arrays::set(data_, static_cast<float>(element), index);
}
MStatus MFloatArray::get(float dest[]) const {
    return arrays::copyOut(data_, dest, [](float v, float& out) { out = v; });
}
MStatus MFloatArray::get(double dest[]) const {
    return arrays::copyOut(data_, dest, [](float v, double& out) { out = v; });
}
