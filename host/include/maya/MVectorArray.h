#pragma once
// Array of MVector with value semantics: copies and assignments are deep.

#include <maya/MStatus.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MVectorArray {
public:
    MVectorArray();
    MVectorArray(const MVectorArray& other);
    MVectorArray(MVectorArray&& other) noexcept;
    MVectorArray(const MVector src[], unsigned int count);
    MVectorArray(unsigned int initialSize, const MVector& initialValue = MVector::zero);
    ~MVectorArray();

    MVectorArray& operator=(const MVectorArray& other);
    MVectorArray& operator=(MVectorArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    const MVector& operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MVector& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(const MVector& element, unsigned int index);
    MStatus append(const MVector& element);
    MStatus insert(const MVector& element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MVectorArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MVectorArray(const double vectors[][3], unsigned int count);
    MVectorArray(const float vectors[][3], unsigned int count);
    MStatus set(double element[3], unsigned int index);
    MStatus set(float element[3], unsigned int index);
    MStatus get(double[][3]) const;
    MStatus get(float[][3]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MVectorArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<MVector>> data_;
};
