#pragma once
// Array of MFloatVector with value semantics: copies and assignments are deep.

#include <maya/MFloatVector.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MFloatVectorArray {
public:
    MFloatVectorArray();
    MFloatVectorArray(const MFloatVectorArray& other);
    MFloatVectorArray(MFloatVectorArray&& other) noexcept;
    MFloatVectorArray(const MFloatVector src[], unsigned int count);
    MFloatVectorArray(unsigned int initialSize,
                      const MFloatVector& initialValue = MFloatVector::zero);
    ~MFloatVectorArray();

    MFloatVectorArray& operator=(const MFloatVectorArray& other);
    MFloatVectorArray& operator=(MFloatVectorArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    const MFloatVector& operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MFloatVector& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(const MFloatVector& element, unsigned int index);
    MStatus append(const MFloatVector& element);
    MStatus insert(const MFloatVector& element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MFloatVectorArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MStatus get(float[][3]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os,
                                                    const MFloatVectorArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<MFloatVector>> data_;
};
