// joy_rules.h - joystick scaling and threshold arithmetic (no platform calls):
// unsigned 32-bit, wrapping, truncating, as the device ranges come.
#ifndef KORVEX_JOY_RULES_H
#define KORVEX_JOY_RULES_H

#include <stdint.h>

struct JoyRange {
    uint32_t xMin, xMax, yMin, yMax;
};

// Scales a packed device position (x low, y high) to 0..scale.  Returns 0 and
// leaves *scaled alone when a range has zero width: nothing is relayed then.
int ScaleJoyPosition(const JoyRange *range, uint32_t scale, uint32_t position, uint32_t *scaled);

// The threshold derived from the smaller range: range / 512 + 1.
uint32_t DerivedJoyThreshold(const JoyRange *range);

#endif
