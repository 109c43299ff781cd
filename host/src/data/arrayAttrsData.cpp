#include <maya/MFnArrayAttrsData.h>

#include "base/arrayStorage.h"
#include "data/dataTypes.h"
#include "graph/object.h"

namespace zt::host {

ArrayAttrsDataImpl::ArrayAttrsDataImpl(const ArrayAttrsDataImpl& other) : DataImpl(other) {
    channels.reserve(other.channels.size());
    for (const Channel& c : other.channels) {
        Channel copy;
        copy.name = c.name;
        copy.type = c.type;
        if (c.vectors) copy.vectors = std::make_shared<std::vector<MVector>>(*c.vectors);
        if (c.doubles) copy.doubles = std::make_shared<std::vector<double>>(*c.doubles);
        if (c.ints) copy.ints = std::make_shared<std::vector<int>>(*c.ints);
        if (c.strings) copy.strings = std::make_shared<std::vector<MString>>(*c.strings);
        channels.push_back(std::move(copy));
    }
}

ArrayAttrsDataImpl::Channel* ArrayAttrsDataImpl::find(const std::string& name) {
    for (Channel& c : channels) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

ArrayAttrsDataImpl::Channel& ArrayAttrsDataImpl::require(const std::string& name,
                                                         MFnArrayAttrsData::Type type) {
    Channel* channel = find(name);
    if (channel && channel->type == type) return *channel;
    if (!channel) {
        channels.push_back(Channel{});
        channel = &channels.back();
        channel->name = name;
    }
    // A channel of another type is replaced where it stands, so the order of
    // the other channels does not change.
    *channel = Channel{};
    channel->name = name;
    channel->type = type;
    switch (type) {
        case MFnArrayAttrsData::kVectorArray:
            channel->vectors = std::make_shared<std::vector<MVector>>();
            break;
        case MFnArrayAttrsData::kDoubleArray:
            channel->doubles = std::make_shared<std::vector<double>>();
            break;
        case MFnArrayAttrsData::kIntArray:
            channel->ints = std::make_shared<std::vector<int>>();
            break;
        case MFnArrayAttrsData::kStringArray:
            channel->strings = std::make_shared<std::vector<MString>>();
            break;
        default:
            break;
    }
    return *channel;
}

namespace {

ArrayAttrsDataImpl* attached(const MObject& object) {
    return dynamic_cast<ArrayAttrsDataImpl*>(ObjectAccess::get(object).get());
}

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

// Shared lookup of the get*Data accessors: the channel when it exists with
// the wanted type, otherwise null with the failure status set.
ArrayAttrsDataImpl::Channel* existing(const MObject& object, const MString& name,
                                      MFnArrayAttrsData::Type type, MStatus* status) {
    ArrayAttrsDataImpl* data = attached(object);
    if (!data) {
        report(status, MStatus::kInvalidParameter);
        return nullptr;
    }
    ArrayAttrsDataImpl::Channel* channel = data->find(name.asChar());
    if (!channel) {
        report(status, MStatus::kInvalidParameter);
        return nullptr;
    }
    if (channel->type != type) {
        report(status, MStatus::kFailure);
        return nullptr;
    }
    report(status, MStatus::kSuccess);
    return channel;
}

ArrayAttrsDataImpl::Channel* required(const MObject& object, const MString& name,
                                      MFnArrayAttrsData::Type type, MStatus* status) {
    ArrayAttrsDataImpl* data = attached(object);
    if (!data) {
        report(status, MStatus::kInvalidParameter);
        return nullptr;
    }
    report(status, MStatus::kSuccess);
    return &data->require(name.asChar(), type);
}

}  // namespace
}  // namespace zt::host

using zt::host::ArrayAttrsDataImpl;
using zt::host::ArrayStorage;
using zt::host::ObjectAccess;

MFnArrayAttrsData::MFnArrayAttrsData() = default;
MFnArrayAttrsData::MFnArrayAttrsData(MObject& object, MStatus* ReturnStatus) {
    MStatus s = attach(object);
    if (ReturnStatus) *ReturnStatus = s;
}
MFnArrayAttrsData::MFnArrayAttrsData(const MObject& object, MStatus* ReturnStatus) {
    MStatus s = attach(object);
    if (ReturnStatus) *ReturnStatus = s;
}
MFnArrayAttrsData::~MFnArrayAttrsData() = default;
MFn::Type MFnArrayAttrsData::type() const {
    return MFn::kDynArrayAttrsData;
}
const char* MFnArrayAttrsData::className() {
    return "MFnArrayAttrsData";
}

MStatus MFnArrayAttrsData::clear() {
    ArrayAttrsDataImpl* data = zt::host::attached(fObject);
    if (!data) return MS::kInvalidParameter;
    data->channels.clear();
    return MS::kSuccess;
}

unsigned int MFnArrayAttrsData::count() const {
    ArrayAttrsDataImpl* data = zt::host::attached(fObject);
    return data ? static_cast<unsigned int>(data->channels.size()) : 0u;
}

MStringArray MFnArrayAttrsData::list(MStatus* ReturnStatus) const {
    MStringArray names;
    ArrayAttrsDataImpl* data = zt::host::attached(fObject);
    if (!data) {
        zt::host::report(ReturnStatus, MStatus::kInvalidParameter);
        return names;
    }
    for (const auto& channel : data->channels) names.append(MString(channel.name.c_str()));
    zt::host::report(ReturnStatus, MStatus::kSuccess);
    return names;
}

bool MFnArrayAttrsData::checkArrayExist(const MString attrName, MFnArrayAttrsData::Type& arrayType,
                                        MStatus* ReturnStatus) {
    ArrayAttrsDataImpl* data = zt::host::attached(fObject);
    if (!data) {
        zt::host::report(ReturnStatus, MStatus::kInvalidParameter);
        arrayType = kInvalid;
        return false;
    }
    zt::host::report(ReturnStatus, MStatus::kSuccess);
    ArrayAttrsDataImpl::Channel* channel = data->find(attrName.asChar());
    arrayType = channel ? channel->type : kInvalid;
    return channel != nullptr;
}

MVectorArray MFnArrayAttrsData::vectorArray(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::required(fObject, attrName, kVectorArray, ReturnStatus);
    return c ? ArrayStorage::alias<MVectorArray>(c->vectors) : MVectorArray();
}
MDoubleArray MFnArrayAttrsData::doubleArray(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::required(fObject, attrName, kDoubleArray, ReturnStatus);
    return c ? ArrayStorage::alias<MDoubleArray>(c->doubles) : MDoubleArray();
}
MIntArray MFnArrayAttrsData::intArray(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::required(fObject, attrName, kIntArray, ReturnStatus);
    return c ? ArrayStorage::alias<MIntArray>(c->ints) : MIntArray();
}
MStringArray MFnArrayAttrsData::stringArray(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::required(fObject, attrName, kStringArray, ReturnStatus);
    return c ? ArrayStorage::alias<MStringArray>(c->strings) : MStringArray();
}

MObject MFnArrayAttrsData::create(MStatus* ReturnStatus) {
    MObject object = ObjectAccess::wrap(std::make_shared<ArrayAttrsDataImpl>());
    MStatus s = attach(object);
    if (ReturnStatus) *ReturnStatus = s;
    return object;
}

MVectorArray MFnArrayAttrsData::getVectorData(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::existing(fObject, attrName, kVectorArray, ReturnStatus);
    return c ? ArrayStorage::alias<MVectorArray>(c->vectors) : MVectorArray();
}
MDoubleArray MFnArrayAttrsData::getDoubleData(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::existing(fObject, attrName, kDoubleArray, ReturnStatus);
    return c ? ArrayStorage::alias<MDoubleArray>(c->doubles) : MDoubleArray();
}
MIntArray MFnArrayAttrsData::getIntData(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::existing(fObject, attrName, kIntArray, ReturnStatus);
    return c ? ArrayStorage::alias<MIntArray>(c->ints) : MIntArray();
}
MStringArray MFnArrayAttrsData::getStringData(const MString attrName, MStatus* ReturnStatus) {
    auto* c = zt::host::existing(fObject, attrName, kStringArray, ReturnStatus);
    return c ? ArrayStorage::alias<MStringArray>(c->strings) : MStringArray();
}
