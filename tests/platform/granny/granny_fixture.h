#pragma once

// Shared helpers for the model run-time tests: files made with the model
// writer and read back, owned for the test's length.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/granny/granny.h"
#include "tools/gr2_writer.h"

namespace vls::test {

struct FileDeleter {
    void operator()(granny_file* file) const { GrannyFreeFile(file); }
};
using FilePtr = std::unique_ptr<granny_file, FileDeleter>;

inline FilePtr ReadBytes(const std::vector<std::uint8_t>& bytes) {
    return FilePtr(GrannyReadEntireFileFromMemory(static_cast<granny_int32>(bytes.size()), bytes.data()));
}

inline FilePtr ReadScene(const tools::Gr2Scene& scene) { return ReadBytes(tools::WriteGr2(scene)); }

inline std::array<float, 4> AxisAngle(float x, float y, float z, float angle) {
    const float s = std::sin(angle / 2);
    return {x * s, y * s, z * s, std::cos(angle / 2)};
}

// A single-model scene from bones alone.
inline tools::Gr2Scene SkeletonScene(std::vector<tools::Gr2Bone> bones) {
    tools::Gr2Scene scene;
    scene.models.push_back({std::move(bones), {}});
    return scene;
}

inline void ExpectPoint(const float* actual, float x, float y, float z, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

}  // namespace vls::test
