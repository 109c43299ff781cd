#pragma once
// Array of double with value semantics: copies and assignments are deep.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MDoubleArray {
public:
    MDoubleArray();
    MDoubleArray(const MDoubleArray& other);
    MDoubleArray(MDoubleArray&& other) noexcept;
    MDoubleArray(const double src[], unsigned int count);
    MDoubleArray(unsigned int initialSize, double initialValue = 0);
    ~MDoubleArray();

    MDoubleArray& operator=(const MDoubleArray& other);
    MDoubleArray& operator=(MDoubleArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    double operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    double& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(double element, unsigned int index);
    MStatus append(double element);
    MStatus insert(double element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MDoubleArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MDoubleArray(const float src[], unsigned int count);
    MStatus set(float element, unsigned int index);
    MStatus get(double[]) const;
    MStatus get(float[]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MDoubleArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<double>> data_;
};
