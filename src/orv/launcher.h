#pragma once

// Unregisters the QLaunch launcher and deletes its executable and icon file.
void RemoveLauncher();
