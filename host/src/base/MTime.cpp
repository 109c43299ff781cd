#include <maya/MTime.h>

#include <atomic>
#include <ostream>

#include "base/numberFormat.h"
#include "base/timeUnits.h"

namespace zt::host {
namespace {

struct UnitInfo {
    MTime::Unit unit;
    double ticks;  // 1/6000 s, so every unit below is a whole number of ticks
    const char* name;
};

// clang-format off
constexpr UnitInfo kUnits[] = {
    {MTime::kHours, 21600000, "hour"},   {MTime::kMinutes, 360000, "min"},
    {MTime::kSeconds, 6000, "sec"},      {MTime::kMilliseconds, 6, "millisec"},
    {MTime::kGames, 400, "game"},        {MTime::kFilm, 250, "film"},
    {MTime::kPALFrame, 240, "pal"},      {MTime::kNTSCFrame, 200, "ntsc"},
    {MTime::kShowScan, 125, "show"},     {MTime::kPALField, 120, "palf"},
    {MTime::kNTSCField, 100, "ntscf"},
    {MTime::k2FPS, 3000, "2fps"},        {MTime::k3FPS, 2000, "3fps"},
    {MTime::k4FPS, 1500, "4fps"},        {MTime::k5FPS, 1200, "5fps"},
    {MTime::k6FPS, 1000, "6fps"},        {MTime::k8FPS, 750, "8fps"},
    {MTime::k10FPS, 600, "10fps"},       {MTime::k12FPS, 500, "12fps"},
    {MTime::k16FPS, 375, "16fps"},       {MTime::k20FPS, 300, "20fps"},
    {MTime::k40FPS, 150, "40fps"},       {MTime::k75FPS, 80, "75fps"},
    {MTime::k80FPS, 75, "80fps"},        {MTime::k100FPS, 60, "100fps"},
    {MTime::k120FPS, 50, "120fps"},      {MTime::k125FPS, 48, "125fps"},
    {MTime::k150FPS, 40, "150fps"},      {MTime::k200FPS, 30, "200fps"},
    {MTime::k240FPS, 25, "240fps"},      {MTime::k250FPS, 24, "250fps"},
    {MTime::k300FPS, 20, "300fps"},      {MTime::k375FPS, 16, "375fps"},
    {MTime::k400FPS, 15, "400fps"},      {MTime::k500FPS, 12, "500fps"},
    {MTime::k600FPS, 10, "600fps"},      {MTime::k750FPS, 8, "750fps"},
    {MTime::k1200FPS, 5, "1200fps"},     {MTime::k1500FPS, 4, "1500fps"},
    {MTime::k2000FPS, 3, "2000fps"},     {MTime::k3000FPS, 2, "3000fps"},
    {MTime::k6000FPS, 1, "6000fps"},
};
// clang-format on

const UnitInfo* find(MTime::Unit unit) {
    for (const UnitInfo& info : kUnits) {
        if (info.unit == unit) return &info;
    }
    return nullptr;
}

// The scene's current time unit.
std::atomic<MTime::Unit> uiTimeUnit{MTime::kFilm};

}  // namespace

double ticksPerUnit(MTime::Unit unit) {
    const UnitInfo* info = find(unit);
    return info ? info->ticks : 0.0;
}

const char* timeUnitName(MTime::Unit unit) {
    const UnitInfo* info = find(unit);
    return info ? info->name : "";
}

MTime::Unit timeUnitFromName(const std::string& name) {
    for (const UnitInfo& info : kUnits) {
        if (name == info.name) return info.unit;
    }
    // The named frame rates are also reachable by their rate.
    if (name == "15fps") return MTime::kGames;
    if (name == "24fps") return MTime::kFilm;
    if (name == "25fps") return MTime::kPALFrame;
    if (name == "30fps") return MTime::kNTSCFrame;
    if (name == "48fps") return MTime::kShowScan;
    if (name == "50fps") return MTime::kPALField;
    if (name == "60fps") return MTime::kNTSCField;
    return MTime::kInvalid;
}

}  // namespace zt::host

using zt::host::ticksPerUnit;

namespace {

// The time in ticks; 0 for a time with an invalid unit.
double ticks(const MTime& t) {
    return t.value() * ticksPerUnit(t.unit());
}

}  // namespace

MTime::MTime() : value_(0.0), unit_(uiUnit()) {}

MTime::MTime(double time_val, Unit unit) : value_(time_val), unit_(unit) {
    if (ticksPerUnit(unit) == 0.0) unit_ = kInvalid;
}

MTime::Unit MTime::unit() const {
    return unit_;
}
double MTime::value() const {
    return value_;
}

MStatus MTime::setUnit(Unit new_unit) {
    if (ticksPerUnit(new_unit) == 0.0) return MS::kInvalidParameter;
    unit_ = new_unit;
    return MS::kSuccess;
}

MStatus MTime::setValue(double new_value) {
    value_ = new_value;
    return MS::kSuccess;
}

double MTime::as(Unit other_unit) const {
    const double target = ticksPerUnit(other_unit);
    if (target == 0.0 || unit_ == kInvalid) return 0.0;
    if (other_unit == unit_) return value_;
    // value * ticks is exact for whole frames, so one rounding at the division.
    return value_ * ticksPerUnit(unit_) / target;
}

double MTime::asUnits(Unit other_unit) const {
    return as(other_unit);
}

MTime::Unit MTime::uiUnit() {
    return zt::host::uiTimeUnit.load();
}

MStatus MTime::setUIUnit(Unit new_unit) {
    if (ticksPerUnit(new_unit) == 0.0) return MS::kInvalidParameter;
    zt::host::uiTimeUnit.store(new_unit);
    return MS::kSuccess;
}

bool MTime::operator==(const MTime& rhs) const {
    return ticks(*this) == ticks(rhs);
}
bool MTime::operator!=(const MTime& rhs) const {
    return ticks(*this) != ticks(rhs);
}
bool MTime::operator<=(const MTime& rhs) const {
    return ticks(*this) <= ticks(rhs);
}
bool MTime::operator>=(const MTime& rhs) const {
    return ticks(*this) >= ticks(rhs);
}
bool MTime::operator<(const MTime& rhs) const {
    return ticks(*this) < ticks(rhs);
}
bool MTime::operator>(const MTime& rhs) const {
    return ticks(*this) > ticks(rhs);
}

MTime MTime::operator+(const MTime& rhs) const {
    return MTime(value_ + rhs.as(unit_), unit_);
}
MTime MTime::operator+(double rhs) const {
    return MTime(value_ + rhs, unit_);
}
MTime MTime::operator-(const MTime& rhs) const {
    return MTime(value_ - rhs.as(unit_), unit_);
}
MTime MTime::operator-(double rhs) const {
    return MTime(value_ - rhs, unit_);
}
MTime MTime::operator*(double rhs) const {
    return MTime(value_ * rhs, unit_);
}
MTime MTime::operator/(double rhs) const {
    return MTime(value_ / rhs, unit_);
}

std::ostream& operator<<(std::ostream& os, const MTime& t) {
    const char* name = zt::host::timeUnitName(t.unit_);
    return os << zt::host::formatNumber(t.value_) << ' ' << (name[0] ? name : "invalid");
}
