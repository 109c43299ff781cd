// MSelectionList: nodes, DAG paths and plugs looked up by name.

#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include <fnmatch.h>

#include "graph/node.h"
#include "graph/scene.h"
#include "graph/sceneImpl.h"

MSelectionList::MSelectionList() = default;
MSelectionList::MSelectionList(const MSelectionList& src) = default;
MSelectionList& MSelectionList::operator=(const MSelectionList& src) = default;
MSelectionList::~MSelectionList() = default;

MStatus MSelectionList::clear() {
    items_.clear();
    return MS::kSuccess;
}

bool MSelectionList::isEmpty(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return items_.empty();
}

unsigned int MSelectionList::length(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return static_cast<unsigned int>(items_.size());
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& depNode) const {
    if (index >= items_.size()) return MS::kInvalidParameter;
    const Item& item = items_[index];
    depNode = item.isPlug ? item.plug.node() : item.node;
    return zt::host::liveNodeOf(depNode) ? MS::kSuccess : MS::kFailure;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& dagPath, MObject&) const {
    MObject node;
    MStatus status = getDependNode(index, node);
    if (!status) return status;
    return MDagPath::getAPathTo(node, dagPath);
}

MStatus MSelectionList::getPlug(unsigned int index, MPlug& plug) const {
    if (index >= items_.size() || !items_[index].isPlug) return MS::kInvalidParameter;
    plug = items_[index].plug;
    return MS::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(MStringArray& array) const {
    array.clear();
    for (const Item& item : items_) {
        if (item.isPlug) {
            array.append(item.plug.name());
        } else if (zt::host::NodeImpl* node = zt::host::liveNodeOf(item.node)) {
            array.append(MString(node->name.c_str()));
        }
    }
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MObject& object, const bool) {
    if (!zt::host::liveNodeOf(object)) return MS::kInvalidParameter;
    for (const Item& item : items_) {
        if (!item.isPlug && item.node == object) return MS::kSuccess;
    }
    items_.push_back(Item{object, MPlug(), false});
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MPlug& plug, const bool) {
    if (plug.isNull()) return MS::kInvalidParameter;
    for (const Item& item : items_) {
        if (item.isPlug && item.plug == plug) return MS::kSuccess;
    }
    items_.push_back(Item{MObject(), plug, true});
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& object, const MObject&, bool) {
    return add(object.node());
}

MStatus MSelectionList::add(const MString& matchString, const bool) {
    const std::string text = matchString.asChar();
    if (text.empty()) return MS::kInvalidParameter;
    if (text.find('.') != std::string::npos) {
        MPlug plug;
        if (!zt::host::plugFromString(text, plug)) return MS::kInvalidParameter;
        return add(plug);
    }
    if (text.find_first_of("*?[") != std::string::npos) {
        // A pattern selects every node whose name matches it.
        bool any = false;
        for (const MObject& node : zt::host::listNodes()) {
            if (fnmatch(text.c_str(), zt::host::nodeOf(node)->name.c_str(), 0) == 0) {
                add(node);
                any = true;
            }
        }
        return any ? MS::kSuccess : MS::kInvalidParameter;
    }
    MObject node = zt::host::findNode(text);
    if (node.isNull()) return MS::kInvalidParameter;
    return add(node);
}

MStatus MSelectionList::remove(unsigned int index) {
    if (index >= items_.size()) return MS::kInvalidParameter;
    items_.erase(items_.begin() + index);
    return MS::kSuccess;
}
