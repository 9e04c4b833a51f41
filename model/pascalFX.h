// The configuration record's lifecycle: size, creation, copies, release, defaults.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"

// The record's size; every allocation, comparison and copy of a record uses it.
void pGetConfigSize(uint32_t* theSize);

// A new zero-filled record from the platform allocator; stops the process if there is none.
void pNewConfig(pluginDataPtr* theData);

// Byte copy of `source` into `dest` (blocks of the same recorded size, else the process
// stops). `theRendered` is duplicated into an image of its own; `theOriginalImage` of
// `dest` is cleared. Nil pointers: nothing happens.
void pCopyConfig(pluginDataPtr source, pluginDataPtr dest);

// Releases the image a copy owns (`theRendered`); the field keeps its value.
void pUncopyConfig(pluginDataPtr theData);

// Frees the block; images are not released.
void pDestroyConfig(pluginDataPtr aConfig);

// The record's video format; 1 (NTSC) for nil.
int16_t GetMediaFormat(pluginDataPtr theData);

// Writes the defaults. A partial reset keeps the video format and the image references.
void ResetConfig(pluginDataPtr theConfig, bool fullInit);

// The rectangle the dialog edits (always `startRel`), in the workspace's record.
relRect GetCurrentRel();
void PutCurrentRel(const relRect& theRel);
