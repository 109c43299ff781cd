#pragma once
// Text held as UTF-8 bytes.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>
#include <string>

class MStringArray;

class OPENMAYA_EXPORT MString {
public:
    MString();
    MString(const char* charString);
    MString(const wchar_t* charString);
    MString(const char* charString, int charLength);
    MString(const wchar_t* charString, int wcharLength);
    MString(const MString& other);
    MString(MString&& other) noexcept;
    ~MString();

    MString& operator+=(const MString& other);
    MString& operator+=(const char* other);
    MString& operator+=(double other);
    MString& operator+=(int other);
    MString& operator+=(unsigned int other);
    MString& operator+=(float other);
    MString& operator=(const MString& other);
    MString& operator=(MString&& other) noexcept;
    MString& operator=(const char* other);
    MString& operator=(double value);
    bool operator==(const MString& other) const;
    bool operator==(const char* other) const;
    bool operator!=(const MString& other) const;
    bool operator!=(const char* other) const;
    MString operator+(const MString& other) const;
    MString operator+(const char* other) const;
    MString operator+(double value) const;

    MStatus set(const char* charString);
    MStatus set(const char* charString, int charLength);
    MStatus set(double value);
    MStatus set(double value, int precision);

    const char* asChar() const;
    const char* asChar(int& charLength) const;
    unsigned int length() const;
    unsigned int numChars() const;
    void clear();

    int index(char) const;
    int rindex(char) const;
    MStatus split(char, MStringArray&) const;
    MString substring(int start, int end) const;

    bool isInt() const;
    int asInt() const;
    bool isShort() const;
    short asShort() const;
    bool isFloat() const;
    float asFloat() const;
    bool isDouble() const;
    double asDouble() const;

    MStatus substitute(const MString& src, const MString& target);

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream&, const MString&);
    friend OPENMAYA_EXPORT MString operator+(const char*, const MString&);

private:
    std::string text_;
};
