#pragma once
// Every widget test program that includes this header gets one offscreen QApplication.

#include "offscreen_app.h"

inline ::testing::Environment* const TheUiTestApp =
    ::testing::AddGlobalTestEnvironment(new TOffscreenApp);
