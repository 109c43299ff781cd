#pragma once
// Array of float with value semantics: copies and assignments are deep.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MFloatArray {
public:
    MFloatArray();
    MFloatArray(const MFloatArray& other);
    MFloatArray(MFloatArray&& other) noexcept;
    MFloatArray(const float src[], unsigned int count);
    MFloatArray(unsigned int initialSize, float initialValue = 0);
    ~MFloatArray();

    MFloatArray& operator=(const MFloatArray& other);
    MFloatArray& operator=(MFloatArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    float operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    float& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(float element, unsigned int index);
    MStatus append(float element);
    MStatus insert(float element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MFloatArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MFloatArray(const double src[], unsigned int count);
    MStatus set(double element, unsigned int index);
    MStatus get(float[]) const;
    MStatus get(double[]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MFloatArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<float>> data_;
};
