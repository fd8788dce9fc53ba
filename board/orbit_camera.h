// The orbit camera: how far from the board's centre, how high and from which
// side the player looks. Stored at the end of every level file.
#pragma once

struct OrbitCamera {
    float cameraDistance = 20.0f;  // world units
    float cameraPitch = 1.0f;      // radians above the horizon
    float cameraYaw = 0.0f;        // radians around the vertical axis
};
