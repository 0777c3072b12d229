// joystick.cpp - joystick capture and the relay of its messages (request 29).
#include "bridge.h"
#include "joy_rules.h"

static JoyRange Range(void)
{
    JoyRange range = { BridgeState.joyCaps.wXmin, BridgeState.joyCaps.wXmax,
                       BridgeState.joyCaps.wYmin, BridgeState.joyCaps.wYmax };
    return range;
}

LRESULT RequestJoystick(LPARAM lParam)
{
    WORD argument = HIWORD(lParam);

    switch (LOWORD(lParam)) {
    case KXJ_CAPS:
        BridgeState.joyScale = argument;
        return OdJoyGetDevCaps(JOYSTICKID1, &BridgeState.joyCaps, sizeof(BridgeState.joyCaps));
    case KXJ_CAPTURE: {
        MMRESULT result;
        BridgeState.targetWindow = HostWindow(argument);
        result = OdJoySetCapture(BridgeState.requestWindow, JOYSTICKID1, 55, TRUE);
        if (result == JOYERR_NOERROR)
            BridgeState.joyCaptured = TRUE;
        return result;
    }
    case KXJ_RELEASE:
        BridgeState.joyCaptured = FALSE;
        return OdJoyReleaseCapture(JOYSTICKID1);
    case KXJ_SAVE_THRESHOLD:
        OdJoyGetThreshold(JOYSTICKID1, (UINT *)&BridgeState.joyThreshold);
        return 0;
    case KXJ_SET_THRESHOLD: {
        JoyRange range = Range();
        OdJoySetThreshold(JOYSTICKID1, argument == 1 ? DerivedJoyThreshold(&range)
                                                   : BridgeState.joyThreshold);
        return 0;
    }
    }
    return 0;
}

// Movement and buttons of joystick 1 go on to the target as joystick 2's
// messages, the position scaled to the host's range.
void RelayJoystick(UINT message, WPARAM wParam, LPARAM lParam)
{
    JoyRange range = Range();
    uint32_t scaled;

    if (ScaleJoyPosition(&range, BridgeState.joyScale, (uint32_t)lParam, &scaled)) {
        PostMessageA(BridgeState.targetWindow, message + 1, wParam, (LPARAM)scaled);
        Trace("joystick %u %lu posted to %lu as %u %u,%u", message + 1, (unsigned long)wParam,
              (unsigned long)(UINT_PTR)BridgeState.targetWindow, LOWORD(scaled), HIWORD(scaled));
    }
}

void ReleaseJoystick(void)
{
    if (BridgeState.joyCaptured) {
        BridgeState.joyCaptured = FALSE;
        OdJoyReleaseCapture(JOYSTICKID1);
    }
}
