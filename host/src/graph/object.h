#pragma once
// The host's object model behind MObject. Every object a plug-in can hold an
// MObject to (nodes, attributes, data values, the plug-in handle) derives
// from ObjectImpl. Host code wraps and unwraps MObjects through ObjectAccess.

#include <maya/MFn.h>
#include <maya/MObject.h>

#include <memory>

namespace zt::host {

class ObjectImpl : public std::enable_shared_from_this<ObjectImpl> {
public:
    ObjectImpl() = default;
    ObjectImpl& operator=(const ObjectImpl&) = delete;
    virtual ~ObjectImpl() = default;

    // The most derived type, as MObject::apiType reports it.
    virtual MFn::Type apiType() const = 0;
    // Whether a function set of the given type accepts this object. The
    // default accepts kBase and the object's own type; subclasses add the
    // types they derive from.
    virtual bool hasFn(MFn::Type type) const { return type == MFn::kBase || type == apiType(); }

protected:
    // Data values implement clone() with their copy constructor.
    ObjectImpl(const ObjectImpl&) : std::enable_shared_from_this<ObjectImpl>() {}
};

struct ObjectAccess {
    static MObject wrap(std::shared_ptr<ObjectImpl> impl) {
        MObject object;
        object.impl_ = std::move(impl);
        return object;
    }
    static const std::shared_ptr<ObjectImpl>& get(const MObject& object) { return object.impl_; }
    template <class T>
    static std::shared_ptr<T> as(const MObject& object) {
        return std::dynamic_pointer_cast<T>(object.impl_);
    }
};

// Name of an MFn type ("kDependencyNode"), for apiTypeStr and messages.
const char* apiTypeName(MFn::Type type);

}  // namespace zt::host
