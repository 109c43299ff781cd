#pragma once
// Array of MPoint with value semantics: copies and assignments are deep.

#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MPointArray {
public:
    MPointArray();
    MPointArray(const MPointArray& other);
    MPointArray(MPointArray&& other) noexcept;
    MPointArray(const MPoint src[], unsigned int count);
    MPointArray(unsigned int initialSize, const MPoint& initialValue = MPoint::origin);
    ~MPointArray();

    MPointArray& operator=(const MPointArray& other);
    MPointArray& operator=(MPointArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    const MPoint& operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MPoint& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(const MPoint& element, unsigned int index);
    MStatus append(const MPoint& element);
    MStatus insert(const MPoint& element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MPointArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MPointArray(const double src[][4], unsigned int count);
    MPointArray(const float src[][4], unsigned int count);
    MStatus set(unsigned int index, double x, double y, double z = 0, double w = 1);
    MStatus append(double x, double y, double z = 0, double w = 1);
    MStatus get(double[][4]) const;
    MStatus get(float[][4]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MPointArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<MPoint>> data_;
};
