#pragma once
// A time value with its unit. Conversions between units are exact where the
// value allows it: every unit is a whole number of 1/6000 s ticks.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

class OPENMAYA_EXPORT MTime {
public:
    enum Unit {
        kInvalid,
        kHours,
        kMinutes,
        kSeconds,
        kMilliseconds,
        kGames,      // 15 fps
        kFilm,       // 24 fps
        kPALFrame,   // 25 fps
        kNTSCFrame,  // 30 fps
        kShowScan,   // 48 fps
        kPALField,   // 50 fps
        kNTSCField,  // 60 fps
        k2FPS,
        k3FPS,
        k4FPS,
        k5FPS,
        k6FPS,
        k8FPS,
        k10FPS,
        k12FPS,
        k16FPS,
        k20FPS,
        k40FPS,
        k75FPS,
        k80FPS,
        k100FPS,
        k120FPS,
        k125FPS,
        k150FPS,
        k200FPS,
        k240FPS,
        k250FPS,
        k300FPS,
        k375FPS,
        k400FPS,
        k500FPS,
        k600FPS,
        k750FPS,
        k1200FPS,
        k1500FPS,
        k2000FPS,
        k3000FPS,
        k6000FPS,
        kUserDef,  // no rate of its own here: behaves as an invalid unit
        kLast
    };

    // Zero in the current UI unit.
    MTime();
    MTime(const MTime&) = default;
    // An invalid unit leaves the time invalid: it converts to 0 in every unit.
    MTime(double time_val, Unit = kFilm);
    ~MTime() = default;

    Unit unit() const;
    double value() const;
    // Keeps the value's number and reinterprets it in the new unit.
    MStatus setUnit(Unit new_unit);
    MStatus setValue(double new_value);
    double as(Unit other_unit) const;
    double asUnits(Unit other_unit) const;

    // The scene's current time unit, shared by the whole process (kFilm at start).
    static Unit uiUnit();
    static MStatus setUIUnit(Unit new_unit);

    MTime& operator=(const MTime& rhs) = default;
    bool operator==(const MTime& rhs) const;
    bool operator!=(const MTime& rhs) const;
    bool operator<=(const MTime& rhs) const;
    bool operator>=(const MTime& rhs) const;
    bool operator<(const MTime& rhs) const;
    bool operator>(const MTime& rhs) const;
    // Results keep the left operand's unit; a plain number is in that unit.
    MTime operator+(const MTime& rhs) const;
    MTime operator+(double rhs) const;
    MTime operator-(const MTime& rhs) const;
    MTime operator-(double rhs) const;
    MTime operator*(double rhs) const;
    MTime operator/(double rhs) const;

    // Writes the value and the unit's script name, e.g. "12 film".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MTime& t);

private:
    double value_;
    Unit unit_;
};
