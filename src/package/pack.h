// Packing: the setup writes itself and the package beside it into one file
// that carries the package.
#pragma once

#include "common/common.h"

// Writes output (the text after /PACK=, to the line's end): this program's
// image, without a signature, followed by a stored ZIP archive of its
// description, as setup.ini, and the files it names. Whole or not at all: a
// temporary file beside output is moved over it last. Writes a line per file
// and one naming output and its size, or one naming the reason; returns the
// exit code.
UINT PackSetup(const WCHAR* output);
