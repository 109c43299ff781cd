#pragma once
// Base of every function set. A function set is attached to one object and
// operates on it; function sets cannot be copied.

#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

class OPENMAYA_EXPORT MFnBase {
public:
    virtual ~MFnBase();
    virtual MFn::Type type() const;
    bool hasObj(MFn::Type) const;
    bool hasObj(const MObject&) const;
    MObject object(MStatus* ReturnStatus = NULL) const;
    virtual MStatus setObject(MObject& object);
    virtual MStatus setObject(const MObject& object);

protected:
    MFnBase();
    // Attaches to `object` when it supports this function set's type;
    // otherwise detaches and returns kInvalidParameter.
    MStatus attach(const MObject& object);
    MObject fObject;

private:
    MFnBase(const MFnBase& rhs);
    MFnBase& operator=(const MFnBase&);
};

// Constructors and type() every function set declares. Used as
// "declareMFn(MFnX, MFnParent);" at the top of the class body; members
// after it are public.
#define declareMFn(MFnClass, MFnParentClass)                       \
private:                                                           \
    MFnClass(const MFnClass&);                                     \
    MFnClass& operator=(const MFnClass&);                          \
                                                                   \
public:                                                            \
    MFnClass();                                                    \
    MFnClass(MObject& object, MStatus* ReturnStatus = NULL);       \
    MFnClass(const MObject& object, MStatus* ReturnStatus = NULL); \
    virtual ~MFnClass();                                           \
    virtual MFn::Type type() const;                                \
    static const char* className()
