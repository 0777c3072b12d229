// joy_rules.cpp - joystick scaling and threshold arithmetic.
#include "joy_rules.h"

int ScaleJoyPosition(const JoyRange *range, uint32_t scale, uint32_t position, uint32_t *scaled)
{
    uint32_t x = position & 0xFFFF, y = position >> 16;

    if (range->xMax == range->xMin || range->yMax == range->yMin)
        return 0;
    x = ((x - range->xMin) * scale) / (range->xMax - range->xMin);
    y = ((y - range->yMin) * scale) / (range->yMax - range->yMin);
    *scaled = (x & 0xFFFF) | (y & 0xFFFF) << 16;
    return 1;
}

uint32_t DerivedJoyThreshold(const JoyRange *range)
{
    uint32_t dx = range->xMax - range->xMin, dy = range->yMax - range->yMin;
    return (dx < dy ? dx : dy) / 512 + 1;
}
