#pragma once
// The per-point half of the selection condition language: the operator and
// operand codes the parser (filters/selectionConditions.h) writes, the
// comparison a kernel makes for one of them, and the membership test of the
// forced point ids. Plain functions without host or library types, so the
// kernels of both backends and the parser's tests share them.

#include "kernels/hostDevice.h"

namespace zt {
namespace selection {

// Operator codes, in the order the operator alternatives appear in the
// condition patterns.
enum OperatorCode : unsigned short {
    kEqual = 0,
    kLess = 1,
    kLessEqual = 2,
    kGreater = 3,
    kGreaterEqual = 4,
    kNotEqual = 5,
};

// What the second operand of a comparison is.
enum OperandType : unsigned short {
    kIntConstant = 0,    // secondOperandInt holds the constant
    kFloatConstant = 1,  // secondOperandFloat holds the constant
    kColumn = 2,         // secondOperandInt holds a column index
};

// a <op> b as ordered IEEE comparisons: with a NaN on either side only
// "!=" holds. An unknown code never holds.
ZT_HD inline bool compareValues(unsigned short op, float a, float b) {
    switch (op) {
        case kEqual:
            return a == b;
        case kLess:
            return a < b;
        case kLessEqual:
            return a <= b;
        case kGreater:
            return a > b;
        case kGreaterEqual:
            return a >= b;
        case kNotEqual:
            return a != b;
        default:
            return false;
    }
}

// True when `id` is one of the `count` ids, which are sorted ascending
// (duplicates allowed). Binary search that narrows [start, end) around mid
// and stops when the window cannot shrink any more.
ZT_HD inline bool findId(const unsigned int* ids, unsigned int count, unsigned int id) {
    if (count == 0) return false;
    if (count == 1) return ids[0] == id;
    unsigned int start = 0;
    unsigned int end = count;
    unsigned int mid = count / 2;
    for (;;) {
        if (ids[mid] == id) return true;
        if (start + 1 == count) return false;
        if (id < ids[mid]) {
            if (mid == 0) return false;
            end = mid;
            mid = (mid + start) / 2;
        } else {
            if (mid == start) return false;
            start = mid;
            mid = (mid + end) / 2;
        }
    }
}

}  // namespace selection
}  // namespace zt
