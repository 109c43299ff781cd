#pragma once
// Array of unsigned int with value semantics: copies and assignments are deep.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MUintArray {
public:
    MUintArray();
    MUintArray(const MUintArray& other);
    MUintArray(MUintArray&& other) noexcept;
    MUintArray(const unsigned int src[], unsigned int count);
    MUintArray(unsigned int initialSize, unsigned int initialValue = 0);
    ~MUintArray();

    MUintArray& operator=(const MUintArray& other);
    MUintArray& operator=(MUintArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    unsigned int operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(unsigned int element, unsigned int index);
    MStatus append(unsigned int element);
    MStatus insert(unsigned int element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MUintArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MStatus get(unsigned int[]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MUintArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<unsigned int>> data_;
};
