// The plug-in's version, as numbers and as text, for its version block.
#pragma once

#define LMR_VERSION_NUMBERS 1, 1, 0, 2
#define LMR_VERSION_TEXT "1, 1, 0, 2\0"
