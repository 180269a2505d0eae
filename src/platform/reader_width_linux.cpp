#include "platform/reader_width.h"

#include <cstdlib>
#include <sched.h>
#include <sys/vfs.h>
#include <thread>

namespace kestro {

namespace {

// The f_type values of statfs for file systems reached over a network.
constexpr long NfsMagic = 0x6969;
constexpr long SmbMagic = 0x517b;
constexpr long Smb2Magic = 0xfe534d42;
constexpr long CifsMagic = 0xff534d42;
constexpr long V9fsMagic = 0x01021997;
constexpr long FuseMagic = 0x65735546;
constexpr long CephMagic = 0x00c36400;
constexpr long AfsMagic = 0x5346414f;

bool isNetworkFileSystem(const std::string& folder) {
    struct statfs facts {};
    if (::statfs(folder.c_str(), &facts) != 0)
        return false;
    switch (static_cast<long>(facts.f_type)) {
    case NfsMagic:
    case SmbMagic:
    case Smb2Magic:
    case CifsMagic:
    case V9fsMagic:
    case FuseMagic:
    case CephMagic:
    case AfsMagic:
        return true;
    default:
        return false;
    }
}

} // namespace

ReaderPlan factReaders(const std::string& folder) {
    const bool remote = isNetworkFileSystem(folder);
    if (const char* forced = std::getenv("KESTRO_READERS"); forced && *forced) {
        char* end = nullptr;
        const unsigned long count = std::strtoul(forced, &end, 10);
        if (end && *end == '\0')
            return {count < MaxFactReaders ? count : MaxFactReaders, remote};
    }
    if (remote)
        return {NetworkFactReaders, true};
    return {usableProcessors() > 1 ? LocalFactReaders : 0, false};
}

unsigned usableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    const unsigned online = std::thread::hardware_concurrency();
    return online > 0 ? online : 1;
}

} // namespace kestro
