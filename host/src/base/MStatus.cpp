#include <maya/MStatus.h>
#include <maya/MString.h>

#include <ostream>

namespace {

const char* describe(MStatus::MStatusCode code) {
    switch (code) {
        case MStatus::kSuccess:
            return "(kSuccess): No error";
        case MStatus::kFailure:
            return "(kFailure): Unexpected Internal Failure";
        case MStatus::kInsufficientMemory:
            return "(kInsufficientMemory): Insufficient memory";
        case MStatus::kInvalidParameter:
            return "(kInvalidParameter): Invalid parameter passed";
        case MStatus::kLicenseFailure:
            return "(kLicenseFailure): License check failed";
        case MStatus::kUnknownParameter:
            return "(kUnknownParameter): Unknown parameter";
        case MStatus::kNotImplemented:
            return "(kNotImplemented): Not implemented";
        case MStatus::kNotFound:
            return "(kNotFound): Object not found";
        case MStatus::kEndOfFile:
            return "(kEndOfFile): End of file";
    }
    return "(kFailure): Unexpected Internal Failure";
}

}  // namespace

MStatus::MStatus() : code_(kSuccess), internalCode_(0) {}
MStatus::MStatus(MStatusCode code) : code_(code), internalCode_(0) {}
MStatus::MStatus(const MStatus& other) = default;
MStatus& MStatus::operator=(const MStatus& rhs) = default;

bool MStatus::operator==(const MStatus& rhs) const {
    return code_ == rhs.code_;
}
bool MStatus::operator==(const MStatusCode rhs) const {
    return code_ == rhs;
}
bool MStatus::operator!=(const MStatus& rhs) const {
    return code_ != rhs.code_;
}
bool MStatus::operator!=(const MStatusCode rhs) const {
    return code_ != rhs;
}
bool operator==(const MStatus::MStatusCode code, const MStatus& status) {
    return status.code_ == code;
}
bool operator!=(const MStatus::MStatusCode code, const MStatus& status) {
    return status.code_ != code;
}

bool MStatus::error() const {
    return code_ != kSuccess;
}
MStatus::operator bool() const {
    return code_ == kSuccess;
}
MStatus::MStatusCode MStatus::statusCode() const {
    return code_;
}

void MStatus::clear() {
    code_ = kSuccess;
    internalCode_ = 0;
}

void MStatus::setSuccess() {
    clear();
}

void MStatus::set(bool status, unsigned char statusCode, unsigned char internalStatusCode) {
    if (status) {
        clear();
        return;
    }
    // A failure flagged with the success code or an unknown code is still a failure.
    code_ = (statusCode > kSuccess && statusCode <= kEndOfFile)
                ? static_cast<MStatusCode>(statusCode)
                : kFailure;
    internalCode_ = internalStatusCode;
}

MString MStatus::errorString() const {
    return MString(describe(code_));
}

void MStatus::perror(const char* text) const {
    if (text != nullptr && text[0] != '\0') std::cerr << text << ": ";
    std::cerr << describe(code_) << '\n';
}

void MStatus::perror(const MString& text) const {
    perror(text.asChar());
}

std::ostream& operator<<(std::ostream& os, MStatus& status) {
    return os << describe(status.code_);
}
