#pragma once
// Process-wide services: messages to the user, the current frame and
// running commands of the command language.

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTime.h>

class MCommandResult;
class MSelectionList;
class MObject;

class OPENMAYA_EXPORT MGlobal {
public:
    enum MMayaState { kInteractive, kBatch, kLibraryApp, kBaseUIMode };
    static MMayaState mayaState(MStatus* ReturnStatus = NULL);
    static MString mayaVersion();
    static int apiVersion();

    // displayInfo writes the text to standard output; displayWarning and
    // displayError write "// Warning: text" and "// Error: text" to standard
    // error. One line each.
    static void displayInfo(const MString& theMessage);
    static void displayWarning(const MString& theWarning);
    static void displayError(const MString& theError);

    // Moves the scene to a time (a number is in the current time unit) and
    // marks everything that depends on time dirty.
    static MStatus viewFrame(const MTime& time);
    static MStatus viewFrame(double time);

    static MStatus getSelectionListByName(const MString& name, MSelectionList& list);

    static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MCommandResult& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, double& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MIntArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MDoubleArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MStringArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MString& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MString executeCommandStringResult(const MString& command, bool displayEnabled = false,
                                              bool undoEnabled = false,
                                              MStatus* ResultStatus = NULL);
};
