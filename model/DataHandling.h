// The saved settings record (`configSaveRec`): the user-visible fields of the
// configuration, serialised field by field in this processor's byte order.
//
//   0 sizeInBytes u32 | 4 version u32 | 8 startRel 4×f64 | 40 endRel 4×f64
//  72 colors 6×RGB    | 108 sliders 6×i16 | 120 frameStartColor | 126 frameEndColor
// 132 mediaType i16   | 134 keepProps u8 | 135 0 | 136 blendMode i16
// 138 miscString (length byte + text, zero-padded to 256) | 394 two zero bytes (not on PowerPC)
#pragma once

#include "model/PluginDefines.h"

// Fills a record of at least cConfigSaveSize bytes; false when either is nil or the
// handle is too small.
bool Config2Save(pluginDataPtr theConfig, Handle theSaveConfig);

// Copies a valid record into the configuration; false (and nothing changed) when either
// is nil or the record is shorter than, or states another size than, this build's, or
// has another version.
bool Save2Config(pluginDataPtr theConfig, Handle theSaveConfig);
