#pragma once
// Defines the exported MApiVersion text of a plug-in module: the API level
// it was built against. Included (through MFnPlugin.h) by exactly one source
// file of a plug-in; define MNoVersionString to leave the symbol out.

#include <maya/MTypes.h>

#ifndef MNoVersionString
#define ZT_API_VERSION_TEXT_(v) #v
#define ZT_API_VERSION_TEXT(v) ZT_API_VERSION_TEXT_(v)
extern "C" {
ZT_API_VISIBLE char MApiVersion[] = ZT_API_VERSION_TEXT(MAYA_API_VERSION);
}
#endif
