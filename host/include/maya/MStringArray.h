#pragma once
// Array of MString with value semantics.

#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>
#include <memory>
#include <vector>

class OPENMAYA_EXPORT MStringArray {
public:
    MStringArray();
    MStringArray(const MStringArray& other);
    MStringArray(MStringArray&& other) noexcept;
    MStringArray(const MString strings[], unsigned int count);
    MStringArray(const char* strings[], unsigned int count);
    MStringArray(unsigned int initialSize, const MString& initialValue);
    ~MStringArray();

    MString operator[](unsigned int index) const {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MString& operator[](unsigned int index) {
        assert(data_ && index < data_->size());
        return (*data_)[index];
    }
    MStringArray& operator=(const MStringArray& other);
    MStringArray& operator=(MStringArray&& other) noexcept;
    MStatus set(const MString& element, unsigned int index);
    MStatus setLength(unsigned int length);
    unsigned int length() const { return data_ ? static_cast<unsigned int>(data_->size()) : 0u; }
    MStatus remove(unsigned int index);
    MStatus insert(const MString& element, unsigned int index);
    MStatus append(const MString& element);
    MStatus clear();

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MStringArray& array);

private:
    friend struct zt::host::ArrayStorage;
    // Shared only when host code hands out an alias of a data object's channel;
    // otherwise each array owns its vector. Null after a move (an empty array).
    std::shared_ptr<std::vector<MString>> data_;
};
