#pragma once
// The condition language of ztPointsSelection, read on the host into flat
// comparison lists that a kernel evaluates per point.
//
// A conditions text is a comma-separated list of pieces; spaces and tabs
// inside a piece are ignored. A piece is one of:
//
//   7                  a point id: the point whose "pointID" is 7 is selected
//                      whatever the comparisons say
//   position.y>0.5     a channel (a scalar channel, or one component x, y, z
//   age<=10            of a vector channel) compared with a number
//   h.y<position.y     two operands compared: channels, or one channel and a
//   age!=weight        component of a user variable
//
// Operators: == < <= > >= !=. Names are letters followed by letters or
// digits. Every comparison must hold for a point to stay selected; the ids
// only add points back.
//
// No host types here: the caller describes the point set through a lookup of
// channel kinds, and gets messages back as text.

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "filters/selectionCompare.h"

namespace zt {
namespace selection {

// What the point set holds under a name.
enum class ChannelKind { kMissing, kVector, kDouble, kInt, kOther };
using ChannelLookup = std::function<ChannelKind(const std::string& name)>;

// The user's vector variables, in the order they were added.
class Variables {
public:
    // Adds `name` with `value`. Returns an empty string, or the refusal
    // message when the name is empty, not a valid name, "pointID", already
    // defined, or the name of a channel of the point set (`plugName`
    // prefixes that last message).
    std::string add(const std::string& name, const std::array<double, 3>& value,
                    const ChannelLookup& channels, const std::string& plugName);

    // The variable's value, or null when no variable has that name.
    const std::array<double, 3>* find(const std::string& name) const;

    std::size_t size() const { return values_.size(); }

private:
    std::map<std::string, unsigned int> index_;
    std::vector<std::array<double, 3>> values_;
};

// One float column of n values read from the point set: the channel, or one
// component of a vector channel. Its key is "name" or "name.x|y|z".
struct Column {
    std::string key;
    std::string channel;
    int component = -1;  // 0, 1, 2 for x, y, z; -1 for a scalar channel
};

// The comparison lists (all of one length, one entry per comparison), the
// columns they index in the order their keys were first met, and the forced
// ids in the order written.
struct ParsedConditions {
    std::vector<Column> columns;
    std::vector<unsigned int> firstOperand;
    std::vector<unsigned short> operation;
    std::vector<unsigned short> secondOperandType;
    std::vector<int> secondOperandInt;
    std::vector<float> secondOperandFloat;
    std::vector<unsigned int> ids;

    std::size_t comparisonCount() const { return firstOperand.size(); }
    // Index of the "pointID" column, or -1 when there is none.
    int pointIdColumn() const;
};

// Reads `text`. On success fills `parsed` and returns true; otherwise leaves
// `parsed` empty, sets `message` to what the user sees and returns false.
// Messages about the point set start with `plugName` (the inPoints plug).
bool parseConditions(const std::string& text, const ChannelLookup& channels,
                     const Variables& variables, const std::string& plugName,
                     ParsedConditions& parsed, std::string& message);

// Operator code of "==", "<", "<=", ">", ">=", "!="; any other text writes
// "recognizeOperation: wrong 'op' string" to the error stream and gives 0.
unsigned short recognizeOperation(const std::string& op);

// 0, 1, 2 for "x", "y", "z"; any other text writes
// "recognizeElement: wrong 'elem' string" to the error stream and gives 0.
int recognizeElement(const std::string& element);

// "<" and ">" exchanged, "<=" and ">=" exchanged: the code that keeps the
// meaning of a comparison whose operands swap sides.
unsigned short mirrorOperation(unsigned short op);

// Longest piece (after removing spaces) the parser reads; longer pieces are
// refused, which keeps the regular-expression matcher's recursion shallow.
constexpr std::size_t kMaxPieceLength = 512;

}  // namespace selection
}  // namespace zt
