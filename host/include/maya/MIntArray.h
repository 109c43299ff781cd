#pragma once
// Array of int with value semantics: copies and assignments are deep.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MIntArray {
public:
    MIntArray();
    MIntArray(const MIntArray& other);
    MIntArray(MIntArray&& other) noexcept;
    MIntArray(const int src[], unsigned int count);
    MIntArray(unsigned int initialSize, int initialValue = 0);
    ~MIntArray();

    MIntArray& operator=(const MIntArray& other);
    MIntArray& operator=(MIntArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    int operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    int& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(int element, unsigned int index);
    MStatus append(int element);
    MStatus insert(int element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MIntArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MStatus get(int[]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MIntArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<int>> data_;
};
