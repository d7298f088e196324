#pragma once
// Runs a client's registry catalogue, every row in its order, through the remover's registry
// primitives; in another account's scope only the rows of the current user's roots. The rows'
// ANSI texts are widened here, once.
#include "engine/catalogue/catalogue.h"
#include "engine/removal/remover.h"

void RunCatalogue(const Remover& remove, const Catalogue& catalogue);
