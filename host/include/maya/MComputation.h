#pragma once
// A long computation that the user may interrupt (Ctrl-C in the batch
// program). beginComputation forgets earlier interrupt requests unless it
// begins inside another computation (a node computing for a command).

#include <maya/MTypes.h>

class OPENMAYA_EXPORT MComputation {
public:
    MComputation();
    virtual ~MComputation();
    void beginComputation(bool showProgressBar = false, bool isInterruptable = true,
                          bool useWaitCursor = true);
    bool isInterruptRequested();
    void endComputation();

private:
    MComputation(const MComputation&);
    MComputation& operator=(const MComputation&);
    bool active_;
};
