// The switch between the drawing code's fast paths and the plain code that
// each of them must match pixel for pixel. Private to the platform layer and
// its tests.
#pragma once

namespace platform {

// When set, drawing, clears and grabs take the plain path everywhere: scalar
// pixel loops, no shortcut for white paint, opaque frames or paint that
// draws nothing, every pixel map drawn through the general mapping over the
// box of its visible pixels found afresh, full clears and full grabs. Tests
// set it to check the fast paths against it; a fresh start clears it. It is
// read per call or per row, never per pixel.
extern bool plain_paths;

}  // namespace platform
