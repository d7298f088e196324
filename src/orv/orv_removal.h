#pragma once
#include <cstdint>

// Removes the ORV client: shutdown, configurations, catalogue, Windows folder, data folders.
void RemoveOrvClient(int32_t optionWord);
