#pragma once
#include "platform/TBitmap.h"

// The desktop's pixels in a rectangle of global screen coordinates, as a 24-bit bitmap: the part of
// it on the screen that holds its middle. A desktop that refuses to be read (Wayland sessions, no
// screen at that place) raises EvekError with kScreenCaptureRefused.
TBitmap CaptureScreen(int left, int top, int width, int height);

extern const char* const kScreenCaptureRefused;
