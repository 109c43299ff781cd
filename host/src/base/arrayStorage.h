#pragma once
// Host-side access to the storage of the API's array classes.
//
// Every array keeps its elements in a std::vector behind a shared_ptr. Copies
// of an array are deep, but host code can hand out an array that ALIASES a
// vector held elsewhere (a data object's channel): appending to, resizing or
// copy()-ing into that array changes the data object, as plug-ins expect of
// the arrays that data function sets return.
//
// An alias survives being returned by value and move construction, so
// `MVectorArray a = fn.vectorArray("position");` aliases. Assignment, copy or
// move, only ever replaces contents: `a = other;` writes through an alias and
// never turns `a` into one.

#include <memory>
#include <utility>
#include <vector>

namespace zt::host {

struct ArrayStorage {
    template <class A>
    using Vector = typename decltype(A::data_)::element_type;

    // An array whose contents are `storage` itself (a new empty vector when null).
    template <class A>
    static A alias(std::shared_ptr<Vector<A>> storage) {
        A array;
        array.data_ = storage ? std::move(storage) : std::make_shared<Vector<A>>();
        return array;
    }

    // The vector behind `array`, created if the array has none yet. Holding it
    // keeps the elements alive and shared with the array.
    template <class A>
    static const std::shared_ptr<Vector<A>>& storage(A& array) {
        if (!array.data_) array.data_ = std::make_shared<Vector<A>>();
        return array.data_;
    }

    // Read-only view of the elements, without creating storage.
    template <class A>
    static const Vector<A>& items(const A& array) {
        static const Vector<A> empty;
        return array.data_ ? *array.data_ : empty;
    }

    template <class A>
    static Vector<A>& items(A& array) {
        return *storage(array);
    }
};

}  // namespace zt::host
