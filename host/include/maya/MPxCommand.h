#pragma once
// Base class of plug-in commands. The host creates one instance per call,
// runs doIt with the call's arguments and deletes it (commands of this host
// are not undoable).

#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

class OPENMAYA_EXPORT MPxCommand {
public:
    MPxCommand();
    virtual ~MPxCommand();
    virtual MStatus doIt(const MArgList& args);
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    static void displayInfo(const MString& theInfo);
    static void displayWarning(const MString& theWarning, bool showLineNumber = false);
    static void displayError(const MString& theError, bool showLineNumber = false);
    static void setResult(int val);
    static void setResult(double val);
    static void setResult(bool val);
    static void setResult(const MString& val);
    static void clearResult();

private:
    MPxCommand(const MPxCommand&);
    MPxCommand& operator=(const MPxCommand&);
};
