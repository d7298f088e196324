#pragma once

// Takes the program's own folder (a downloads folder, typically) and the current directory
// out of the DLL search path, so that a DLL planted there is never loaded on demand. Called
// first thing at start. True when the system folder alone is searched from then on; false
// when Windows only allows dropping the current directory, or neither (Windows 9x).
bool RestrictDllSearch();
