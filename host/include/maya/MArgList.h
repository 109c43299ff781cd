#pragma once
// Arguments of a command call, each an int, a double, a bool or a string.

#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>
#include <maya/MTypes.h>

#include <vector>

class OPENMAYA_EXPORT MArgList {
public:
    static const unsigned int kInvalidArgIndex;

    MArgList();
    MArgList(const MArgList& other);
    MArgList& operator=(const MArgList& other);
    ~MArgList();

    unsigned int length(MStatus* ReturnStatus = NULL) const;
    // Each accessor converts where the conversion is exact (an integer
    // string to int, an int to double); otherwise, and for an index past
    // the end, it reports kFailure (kInvalidParameter for a bad conversion)
    // and returns 0 / false / an empty string.
    bool asBool(unsigned int index, MStatus* ret = NULL) const;
    int asInt(unsigned int index, MStatus* ret = NULL) const;
    double asDouble(unsigned int index, MStatus* ret = NULL) const;
    MString asString(unsigned int index, MStatus* ret = NULL) const;
    MTime asTime(unsigned int index, MStatus* ret = NULL) const;
    // Position of a flag ("-n" or "-name") in the list; kInvalidArgIndex
    // when absent.
    unsigned int flagIndex(const char* shortFlag, const char* longFlag = NULL) const;

    MStatus addArg(int arg);
    MStatus addArg(double arg);
    MStatus addArg(bool arg);
    MStatus addArg(const MString& arg);
    MStatus get(unsigned int index, int& ret) const;
    MStatus get(unsigned int index, double& ret) const;
    MStatus get(unsigned int index, bool& ret) const;
    MStatus get(unsigned int index, MString& ret) const;

private:
    struct Arg {
        enum class Kind { kInt, kDouble, kBool, kString };
        Kind kind = Kind::kInt;
        int i = 0;
        double d = 0.0;
        bool b = false;
        MString s;
    };
    std::vector<Arg> args_;
};
