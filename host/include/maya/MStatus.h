#pragma once
// Result of an API call: a status code with a readable description.

#include <maya/MIOStream.h>
#include <maya/MTypes.h>

class MString;

class OPENMAYA_EXPORT MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure,
        kInsufficientMemory,
        kInvalidParameter,
        kLicenseFailure,
        kUnknownParameter,
        kNotImplemented,
        kNotFound,
        kEndOfFile
    };

    MStatus();
    MStatus(MStatusCode);
    MStatus(const MStatus&);
    MStatus& operator=(const MStatus& rhs);
    bool operator==(const MStatus& rhs) const;
    bool operator==(const MStatusCode rhs) const;
    bool operator!=(const MStatus& rhs) const;
    bool operator!=(const MStatusCode rhs) const;
    bool error() const;
    void clear();
    MStatusCode statusCode() const;
    MString errorString() const;
    void perror(const char*) const;
    void perror(const MString&) const;
    void set(bool status, unsigned char statusCode, unsigned char internalStatusCode);
    void setSuccess();
    operator bool() const;

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream&, MStatus&);
    friend OPENMAYA_EXPORT bool operator==(const MStatus::MStatusCode code, const MStatus& status);
    friend OPENMAYA_EXPORT bool operator!=(const MStatus::MStatusCode code, const MStatus& status);

private:
    MStatusCode code_;
    unsigned char internalCode_;
};

#ifndef MNoMSTypedef
typedef MStatus MS;
#endif

// clang-format off
#define CHECK_MSTATUS(_status) \
  { MStatus _maya_status = (_status); \
    if ( MStatus::kSuccess != _maya_status ) { \
      cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << endl; \
      _maya_status.perror ( "" ); } }

#define CHECK_MSTATUS_AND_RETURN(_status, _retVal) \
  { MStatus _maya_status = (_status); \
    if ( MStatus::kSuccess != _maya_status ) { \
      cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << endl; \
      _maya_status.perror ( "" ); \
      return (_retVal); } }

#define CHECK_MSTATUS_AND_RETURN_IT(_status) CHECK_MSTATUS_AND_RETURN((_status), (_status))

#define MFAIL(_status) ( MStatus::kSuccess != (_status) )
// clang-format on
