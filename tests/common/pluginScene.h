#pragma once
// A scene fixture for the node tests: the host started with the plug-in
// loaded, a new scene per test, and small helpers to run scripts, find
// plugs, read point sets and hand-make them.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <string>
#include <utility>
#include <vector>

#include "host/src/graph/plugins.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"

class PluginScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zt::host::startHost();
        ::testing::internal::CaptureStdout();
        ASSERT_TRUE(zt::host::loadPlugin(ZT_PLUGIN_FILE));
        ::testing::internal::GetCapturedStdout();
    }
    void SetUp() override { zt::host::newScene(); }

    static bool mel(const std::string& text) { return zt::mel::executeText(text); }

    static MPlug plug(const std::string& name) {
        MPlug p;
        EXPECT_TRUE(zt::host::plugFromString(name, p)) << name;
        return p;
    }

    // The vector array on a plug (empty when it holds none).
    static MVectorArray vectors(const std::string& name) {
        MObject data = plug(name).asMObject();
        MFnVectorArrayData fn;
        if (!fn.setObject(data)) return MVectorArray();
        return fn.array();
    }

    // One vector channel of the point set on a plug.
    static MVectorArray vectors(const std::string& plugName, const char* channel) {
        MFnArrayAttrsData points(plug(plugName).asMObject());
        return points.getVectorData(channel);
    }

    // The point set on a plug, read as a script would read it; `status`
    // receives the status of the read.
    static MObject points(const std::string& plugName, MStatus* status = nullptr) {
        MObject data;
        const MStatus got = plug(plugName).getValue(data);
        if (status) *status = got;
        return data;
    }

    // The length of an int, double or vector channel; 0 when it is missing.
    static unsigned int channelLength(const MObject& data, const char* channel) {
        MFnArrayAttrsData fn(data);
        MFnArrayAttrsData::Type type;
        if (!fn.checkArrayExist(channel, type)) return 0;
        if (type == MFnArrayAttrsData::kIntArray) return fn.getIntData(channel).length();
        if (type == MFnArrayAttrsData::kDoubleArray) return fn.getDoubleData(channel).length();
        return fn.getVectorData(channel).length();
    }

    // A point set of triangle ids and parametric (u, v) pairs.
    static MObject pointSet(const std::vector<int>& ids,
                            const std::vector<std::pair<double, double>>& uvs) {
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MIntArray tri = fn.intArray("triID");
        for (int id : ids) tri.append(id);
        MVectorArray uv = fn.vectorArray("uv");
        for (const auto& p : uvs) uv.append(MVector(p.first, p.second, 0.0));
        return data;
    }

    // Runs `read` with standard error captured and returns what was written.
    template <class Read>
    static std::string errorsOf(Read read) {
        ::testing::internal::CaptureStderr();
        read();
        return ::testing::internal::GetCapturedStderr();
    }
};
