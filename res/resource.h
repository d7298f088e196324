#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDD_OPTIONS 101
#define IDR_REGISTRY 100
