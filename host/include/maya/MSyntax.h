#pragma once
// Command syntax description. Plug-in commands of this host parse their own
// arguments from MArgList, so a syntax object only records flag names.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <string>
#include <vector>

class OPENMAYA_EXPORT MSyntax {
public:
    enum MArgType {
        kNoArg,
        kBoolean,
        kLong,
        kDouble,
        kString,
        kUnsigned,
        kDistance,
        kAngle,
        kTime,
        kSelectionItem,
        kLastArgType
    };
    MSyntax();
    MSyntax(const MSyntax& other);
    MSyntax& operator=(const MSyntax& other);
    ~MSyntax();
    MStatus addFlag(const char* shortName, const char* longName, MArgType argType1 = kNoArg,
                    MArgType argType2 = kNoArg, MArgType argType3 = kNoArg);

private:
    struct Flag {
        std::string shortName;
        std::string longName;
        std::vector<MArgType> args;
    };
    std::vector<Flag> flags_;
};
