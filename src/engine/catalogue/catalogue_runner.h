#pragma once
// Runs a client's registry catalogue, every row in its order, through the registry
// primitives; in another account's scope only the rows of the current user's roots.
#include "engine/catalogue/catalogue.h"
#include "engine/accounts/account_scope.h"

void RunCatalogue(const Catalogue& catalogue, const AccountScope& scope = AccountScope());
