#pragma once

// The folders the folder tree shows: unlike the walk, the tree offers
// every folder the user may pick, hidden ones and links to folders too.

#include "platform/failure.h"

#include <string>
#include <vector>

namespace kestro {

// The names of the sub-folders of `folder` (real folders, hidden ones, and
// links that lead to a folder), without "." and "..", as the native bytes
// the system gives (they need not be valid UTF-8), in no particular order.
// A folder that cannot be opened or read fails with the number of its
// errno (76, 70, 68 ...).
Result<std::vector<std::string>> listFolderNames(const std::string& folder);

} // namespace kestro
