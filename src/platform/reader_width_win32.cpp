#include "platform/reader_width.h"

#include <thread>

namespace kestro {

// The walk of Windows reads its facts through its enumeration: nothing to
// read beside it.
ReaderPlan factReaders(const std::string& folder) {
    (void)folder;
    return {};
}

unsigned usableProcessors() {
    const unsigned online = std::thread::hardware_concurrency();
    return online > 0 ? online : 1;
}

} // namespace kestro
