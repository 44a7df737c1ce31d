// The NSIS directory as NSIS's installer recorded it in the registry.
#pragma once

#include "common/common.h"

// Puts the NSIS directory that NSIS's installer recorded into buffer
// (kPathSize bytes), or leaves it empty when there is no usable string.
void ReadNsisDirFromRegistry(char* buffer);
