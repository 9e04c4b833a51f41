#include "model/Globals.h"

bool gPascalInited = false;
pluginDataPtr gPascalData = nullptr;
int32_t gMostRecentStartFrame = 0;
int32_t gMostRecentFrameCount = 0;
pluginWorkSpace gConfigWorkSpace{};
