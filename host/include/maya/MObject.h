#pragma once
// Handle to any object the host owns: a node, an attribute, a data value or
// a plug-in. Copies refer to the same object; a default handle is null.

#include <maya/MFn.h>
#include <maya/MTypes.h>

#include <memory>

namespace zt {
namespace host {
class ObjectImpl;
struct ObjectAccess;
}  // namespace host
}  // namespace zt

class FND_EXPORT MObject {
public:
    MObject();
    MObject(const MObject& other);
    MObject(MObject&& other) noexcept;
    ~MObject();
    bool hasFn(MFn::Type fs) const;
    bool isNull() const;
    MFn::Type apiType() const;
    const char* apiTypeStr() const;
    bool operator==(const MObject&) const;
    bool operator!=(const MObject&) const;
    MObject& operator=(const MObject&);
    MObject& operator=(MObject&&) noexcept;
    static MObject kNullObj;

private:
    friend struct zt::host::ObjectAccess;
    std::shared_ptr<zt::host::ObjectImpl> impl_;
};
