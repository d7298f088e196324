#pragma once
#include <cstdint>

// Removes the PEL client in all its branded editions.
void RemovePelClient(int32_t optionWord);
