#include "commands/pointSetRead.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include "commands/commandRegistry.h"

namespace zt::commands {

PointTable readPointTable(const MObject& data) {
    MStatus status;
    MFnArrayAttrsData fn(data, &status);
    if (!status) throw CommandError("the value is not a point set");
    PointTable table;
    MStringArray names = fn.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        MFnArrayAttrsData::Type type;
        if (!fn.checkArrayExist(names[i], type)) continue;
        PointChannel channel;
        channel.name = names[i].asChar();
        switch (type) {
            case MFnArrayAttrsData::kVectorArray: {
                channel.kind = PointChannel::Kind::kVector;
                MVectorArray a = fn.getVectorData(names[i]);
                channel.doubles.reserve(3 * a.length());
                for (unsigned int k = 0; k < a.length(); ++k)
                    channel.doubles.insert(channel.doubles.end(), {a[k].x, a[k].y, a[k].z});
                break;
            }
            case MFnArrayAttrsData::kDoubleArray: {
                channel.kind = PointChannel::Kind::kDouble;
                MDoubleArray a = fn.getDoubleData(names[i]);
                for (unsigned int k = 0; k < a.length(); ++k) channel.doubles.push_back(a[k]);
                break;
            }
            case MFnArrayAttrsData::kIntArray: {
                channel.kind = PointChannel::Kind::kInt;
                MIntArray a = fn.getIntData(names[i]);
                for (unsigned int k = 0; k < a.length(); ++k) channel.ints.push_back(a[k]);
                break;
            }
            default:
                table.stringChannels.push_back(channel.name);
                continue;
        }
        table.channels.push_back(std::move(channel));
    }
    return table;
}

std::size_t pointCount(const PointTable& table) {
    return table.channels.empty() ? 0 : table.channels.front().pointCount();
}

std::string pointSetSummary(const PointTable& table) {
    std::string out;
    for (const auto& c : table.channels) {
        const char* type = c.kind == PointChannel::Kind::kVector   ? "vector"
                           : c.kind == PointChannel::Kind::kDouble ? "double"
                                                                   : "int";
        out += (out.empty() ? "" : ", ") + c.name + " " + type + "[" +
               std::to_string(c.pointCount()) + "]";
    }
    for (const auto& name : table.stringChannels)
        out += (out.empty() ? "" : ", ") + name + " string";
    return out.empty() ? "empty point set" : out;
}

}  // namespace zt::commands
