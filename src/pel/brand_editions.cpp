#include "pel/brand_editions.h"

const BrandEdition kBrandEditions[kBrandEditionCount] = {
    {"Varenta", "Varenta", "Varenta Delivery Manager", PEL_P1},
    {"Tolvik", "Tolvik", "Tolvik Download Manager", PEL_P2},
    {"brennor", "Brennor", "Brennor Download Manager", PEL_P3},
    {"casimar", "Casimar", "Casimar Download Manager", PEL_P4},
    {"delvaro", "Delvaro News", "Delvaro News", PEL_P5},
    {"gw", "Gantry and Wells", "Gantry and Wells Download Manager", PEL_P6},
    {"hestra", "Hestra Communications", "Hestra Delivery Manager", PEL_P7},
    {"jorvell", "Jorvell", "Jorvell Delivery Manager", PEL_P8},
};
