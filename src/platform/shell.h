#pragma once

// Shell actions: open or print a document with its associated program, the
// freedesktop trash, and copy, move and rename of single files. Copy and move
// never replace an existing destination: they fail and leave both files. A
// copy keeps a sparse file sparse; a move to another file system keeps a
// symbolic link a link.

#include "platform/failure.h"

#include <string>

namespace kestro {

// Starts `xdg-open TARGET` detached; the result is not examined.
void shellOpen(const std::string& target);
// Starts `lp FILE` detached where lp exists; the result is not examined.
void shellPrint(const std::string& file);

// Moves `file` to the user's trash so that it can be restored.
Status moveToTrash(const std::string& file);

Status copyFileTo(const std::string& source, const std::string& destination);
Status moveFileTo(const std::string& source, const std::string& destination);
Status renameFileTo(const std::string& source, const std::string& destination);

} // namespace kestro
