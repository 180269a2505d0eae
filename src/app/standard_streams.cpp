#include "app/standard_streams.h"

#include "listgen/error_report.h"
#include "listgen/name_helpers.h"

#include <iostream>
#include <string>

namespace kestro {

void reportOnStandardError(const Failure& failure) {
    // A name's control characters never reach the terminal raw: an escape
    // sequence in a folder's name must not change the terminal.
    Failure shown = failure;
    shown.description = showingControls(failure.description);
    std::string text = reportText(shown);
    if (text.empty())
        return;
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    std::cerr << "kestro: " << text << std::endl;
}

} // namespace kestro
