#pragma once
// The members every function set built on MFnBase defines the same way: the
// default constructor, attaching to an object (mutable or const), the
// destructor, the function-set type and the class name.
//
//   ZT_DEFINE_MFN_CONSTRUCTORS(MFnMeshData, MFn::kMeshData)

#define ZT_DEFINE_MFN_CONSTRUCTORS(MFnClass, fnType)                   \
    MFnClass::MFnClass() = default;                                    \
    MFnClass::MFnClass(MObject& object, MStatus* ReturnStatus) {       \
        const MStatus s = attach(object);                              \
        if (ReturnStatus) *ReturnStatus = s;                           \
    }                                                                  \
    MFnClass::MFnClass(const MObject& object, MStatus* ReturnStatus) { \
        const MStatus s = attach(object);                              \
        if (ReturnStatus) *ReturnStatus = s;                           \
    }                                                                  \
    MFnClass::~MFnClass() = default;                                   \
    MFn::Type MFnClass::type() const {                                 \
        return fnType;                                                 \
    }                                                                  \
    const char* MFnClass::className() {                                \
        return #MFnClass;                                              \
    }
