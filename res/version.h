#pragma once
// The program's version, in the fixed part and as the texts of the version resource.
#define PURGON_VERSION_BINARY 1, 0, 0, 1
#define PURGON_VERSION_TEXT "1.0.0.1"
