#pragma once

// The Inbox maintenance steps done the plain way: every pass rescans the
// folder from its first record, record by record through the cursor, one
// step after another. Slow (quadratic) and obviously right; the product's
// versions must leave the very same folder behind.

#include "store/folder.h"
#include "store/inbox_maintenance.h"

namespace mivex::testing {

int RescanningJoinParts(store::Folder& inbox);
int RescanningRemoveDuplicates(store::Folder& inbox);
void RescanningFillSenderNames(store::Folder& inbox, const store::ContactNameLookup& lookup);

}  // namespace mivex::testing
