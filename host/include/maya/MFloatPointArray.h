#pragma once
// Array of MFloatPoint with value semantics: copies and assignments are deep.

#include <maya/MFloatPoint.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MFloatPointArray {
public:
    MFloatPointArray();
    MFloatPointArray(const MFloatPointArray& other);
    MFloatPointArray(MFloatPointArray&& other) noexcept;
    MFloatPointArray(const MFloatPoint src[], unsigned int count);
    MFloatPointArray(unsigned int initialSize,
                     const MFloatPoint& initialValue = MFloatPoint::origin);
    ~MFloatPointArray();

    MFloatPointArray& operator=(const MFloatPointArray& other);
    MFloatPointArray& operator=(MFloatPointArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    const MFloatPoint& operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MFloatPoint& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(const MFloatPoint& element, unsigned int index);
    MStatus append(const MFloatPoint& element);
    MStatus insert(const MFloatPoint& element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MFloatPointArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MStatus set(unsigned int index, float x, float y, float z = 0, float w = 1);
    MStatus append(float x, float y, float z = 0, float w = 1);
    MStatus get(float[][4]) const;
    MStatus get(double[][4]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os,
                                                    const MFloatPointArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<MFloatPoint>> data_;
};
