#pragma once

// Internal: the pose records behind the opaque handles.

#include <vector>

#include "platform/granny/granny_types.h"

struct granny_local_pose {
    std::vector<granny_transform> transforms;
    granny_transform spare;  // handed out for an index outside the pose
};

struct granny_world_pose {
    std::vector<granny_real32> world;      // 16 per bone
    std::vector<granny_real32> composite;  // 16 per bone
};
