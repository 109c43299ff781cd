#pragma once
// Array of MColor with value semantics: copies and assignments are deep.

#include <maya/MColor.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MColorArray {
public:
    MColorArray();
    MColorArray(const MColorArray& other);
    MColorArray(MColorArray&& other) noexcept;
    MColorArray(const MColor src[], unsigned int count);
    MColorArray(unsigned int initialSize, const MColor& initialValue = MColor::kOpaqueBlack);
    ~MColorArray();

    MColorArray& operator=(const MColorArray& other);
    MColorArray& operator=(MColorArray&& other) noexcept;
    // Unchecked in release builds, like the host's own arrays.
    const MColor& operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MColor& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus setLength(unsigned int length);
    MStatus set(const MColor& element, unsigned int index);
    MStatus append(const MColor& element);
    MStatus insert(const MColor& element, unsigned int index);
    MStatus remove(unsigned int index);
    // Replaces the contents with the source's, in this array's own storage.
    MStatus copy(const MColorArray& source);
    MStatus clear();
    void setSizeIncrement(unsigned int newIncrement);
    MStatus set(unsigned int index, float r, float g, float b, float a = 1);
    MStatus append(float r, float g, float b, float a = 1);
    MStatus get(float dest[][4]) const;

    // Writes "[a, b, c]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MColorArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's
    // channel; otherwise each array owns its vector. Null means empty.
    std::shared_ptr<std::vector<MColor>> data_;
};
