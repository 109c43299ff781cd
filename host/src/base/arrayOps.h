#pragma once
// The operations every array class shares, written once over the shared
// vector that holds an array's elements (see arrayStorage.h). A null storage
// is an empty array: default-constructed and moved-from arrays own nothing.

#include <maya/MStatus.h>

#include <memory>
#include <new>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "base/numberFormat.h"

namespace zt::host::arrays {

template <class T>
using Storage = std::shared_ptr<std::vector<T>>;

template <class T>
std::vector<T>& ensure(Storage<T>& storage) {
    if (!storage) storage = std::make_shared<std::vector<T>>();
    return *storage;
}

// Growth that cannot be satisfied is reported, never thrown through the API.
template <class Grow>
MStatus grow(Grow&& growth) {
    try {
        growth();
        return MS::kSuccess;
    } catch (const std::bad_alloc&) {
        return MS::kInsufficientMemory;
    } catch (const std::length_error&) {
        return MS::kInsufficientMemory;
    }
}

// A private copy for a new array (nothing for an empty one).
template <class T>
Storage<T> deepCopy(const Storage<T>& source) {
    if (!source || source->empty()) return nullptr;
    return std::make_shared<std::vector<T>>(*source);
}

template <class T, class Source>
Storage<T> fromElements(const Source* elements, unsigned int count) {
    if (elements == nullptr || count == 0) return nullptr;
    auto storage = std::make_shared<std::vector<T>>();
    storage->reserve(count);
    for (unsigned int i = 0; i < count; ++i) storage->push_back(T(elements[i]));
    return storage;
}

template <class T>
Storage<T> filled(unsigned int count, const T& value) {
    if (count == 0) return nullptr;
    return std::make_shared<std::vector<T>>(count, value);
}

// Replaces the contents in place, so an alias writes through to its owner.
template <class T>
MStatus assign(Storage<T>& target, const Storage<T>& source) {
    if (target == source) return MS::kSuccess;
    if (!source || source->empty()) {
        if (target) target->clear();
        return MS::kSuccess;
    }
    return grow([&] { ensure(target) = *source; });
}

// Assignment from a temporary behaves as a copy wherever that can be seen:
// an alias target keeps writing through to its owner, and an alias source
// does not turn the target into an alias. Only when neither vector is shared
// is the storage simply handed over.
template <class T>
void moveAssign(Storage<T>& target, Storage<T>& source) noexcept {
    if (&target == &source) return;
    const bool targetShared = target && target.use_count() > 1;
    const bool sourceShared = source && source.use_count() > 1;
    if (targetShared || sourceShared) {
        assign(target, source);
        return;
    }
    target = std::move(source);
    source.reset();
}

template <class T>
MStatus setLength(Storage<T>& storage, unsigned int length) {
    if (!storage && length == 0) return MS::kSuccess;
    return grow([&] { ensure(storage).resize(length); });
}

template <class T>
MStatus set(Storage<T>& storage, const T& element, unsigned int index) {
    if (!storage || index >= storage->size()) return MS::kFailure;
    (*storage)[index] = element;
    return MS::kSuccess;
}

template <class T>
MStatus append(Storage<T>& storage, const T& element) {
    return grow([&] { ensure(storage).push_back(element); });
}

// index == length appends.
template <class T>
MStatus insert(Storage<T>& storage, const T& element, unsigned int index) {
    const std::size_t size = storage ? storage->size() : 0;
    if (index > size) return MS::kFailure;
    return grow([&] {
        auto& items = ensure(storage);
        items.insert(items.begin() + index, element);
    });
}

template <class T>
MStatus remove(Storage<T>& storage, unsigned int index) {
    if (!storage || index >= storage->size()) return MS::kFailure;
    storage->erase(storage->begin() + index);
    return MS::kSuccess;
}

template <class T>
MStatus clear(Storage<T>& storage) {
    if (storage) storage->clear();
    return MS::kSuccess;
}

// std::vector already grows geometrically, so the hint only reserves the
// next block of elements ahead of time.
template <class T>
void reserveIncrement(Storage<T>& storage, unsigned int increment) {
    if (increment == 0) return;
    grow([&] {
        auto& items = ensure(storage);
        items.reserve(items.size() + increment);
    });
}

// Copies every element out through convert(element, destination, index).
template <class T, class Destination, class Convert>
MStatus copyOut(const Storage<T>& storage, Destination* destination, Convert convert) {
    if (!storage || storage->empty()) return MS::kSuccess;
    if (destination == nullptr) return MS::kInvalidParameter;
    for (std::size_t i = 0; i < storage->size(); ++i) convert((*storage)[i], destination[i]);
    return MS::kSuccess;
}

inline void writeElement(std::ostream& os, double value) {
    os << formatNumber(value);
}
inline void writeElement(std::ostream& os, float value) {
    os << formatNumber(value);
}
inline void writeElement(std::ostream& os, int value) {
    os << value;
}
inline void writeElement(std::ostream& os, unsigned int value) {
    os << value;
}
template <class T>
void writeElement(std::ostream& os, const T& value) {
    os << value;
}

template <class T>
std::ostream& write(std::ostream& os, const Storage<T>& storage) {
    os << '[';
    if (storage) {
        for (std::size_t i = 0; i < storage->size(); ++i) {
            if (i > 0) os << ", ";
            writeElement(os, (*storage)[i]);
        }
    }
    return os << ']';
}

}  // namespace zt::host::arrays
