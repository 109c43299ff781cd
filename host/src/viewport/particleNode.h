#pragma once
// The host's particle shape: a shape that collects the particles its
// emitters give off, step by step, and moves them by their velocity.
//
//   string $p[] = `particle -n spray`;            // spray, sprayShape
//   connectDynamic -em emitter1 sprayShape;
//   currentTime 1; currentTime 2; ...             // frame by frame
//   getAttr sprayShape.count;
//   exportPoints sprayShape "spray.json";
//
// Attributes: currentTime (ct, fed by time1.outTime), startFrame (stf, the
// frame where the particles are reset, 1 by default), newParticles (npt,
// point-set multi fed by the emitters' output elements), maxCount (mxc, -1
// for no limit), inheritFactor (inh), and the outputs the emitters read
// back: isFull (ifl), startTime (stt), timeStepSize (tss). The particles
// themselves come out on outPoints (opt, a point set with "position",
// "velocity", "rgbPP", "opacityPP", "age", "particleId") and their number
// on count (cnt).
//
// Stepping: moving forward one frame moves every particle by velocity x
// step, ages it, then appends the new ones (their age is the part of the
// step they have lived: (1 - timeInStep) x step). At or before the start
// frame the particles are cleared. Going back to a frame after the start
// keeps the particles as they are, with a warning; a jump forward of more
// than one frame is taken as one long step, with a warning. The host
// evaluates every particle shape each time the current time changes, so a
// scene stepped frame by frame is stepped in order.

#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MTime.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

#include <vector>

#include "viewport/cameraMath.h"

namespace zt::host {

// The particles of one shape, a column per attribute.
struct ParticleState {
    std::vector<MVector> position;
    std::vector<MVector> velocity;
    std::vector<MVector> rgb;
    std::vector<double> opacity;
    std::vector<double> age;
    std::vector<int> id;
    int nextId = 0;

    std::size_t size() const { return position.size(); }
    void clear() { *this = ParticleState(); }
    // Moves every particle by velocity x seconds and ages it.
    void advance(double seconds);
    // Appends the particles of one emitter output (a point set with
    // "position", "velocity" and optionally "timeInStep", "rgbPP",
    // "opacityPP"), at most `room` of them. Returns how many were added.
    std::size_t append(const MObject& emitted, double stepSeconds, std::size_t room);
    // The particles as a point set.
    MObject toPointSet() const;
};

class ParticleNode : public MPxNode {
public:
    static constexpr const char* kTypeName = "particle";
    static const MTypeId id;
    static MObject currentTime;
    static MObject startFrame;
    static MObject newParticles;
    static MObject maxCount;
    static MObject inheritFactor;
    static MObject isFull;
    static MObject startTime;
    static MObject timeStepSize;
    static MObject outPoints;
    static MObject count;

    static void* creator();
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    Type type() const override { return kSurfaceShape; }

    const ParticleState& particles() const { return state_; }

private:
    MStatus step(const MPlug& plug, MDataBlock& data);

    ParticleState state_;
    bool started_ = false;
    MTime last_;
    // The emitter outputs consumed by the last step, by element: an output
    // that did not change (its compute failed) is not added twice.
    std::vector<MObject> consumed_;
};

MStatus registerParticleNodeType();
void registerParticleCommands();

// Evaluates every particle shape of the scene at the current time.
void stepParticleShapes();

// Draws the visible particle shapes as points, coloured by "rgbPP".
void drawParticleShapes(const Matrix4& worldToCamera);

// Draws the visible emitters of plug-in types through their draw().
void drawEmitters(const Matrix4& worldToCamera);

}  // namespace zt::host
