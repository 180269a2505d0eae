#include "fileinfo/version_line.h"

#include "kestro_version.h"

#include <cstdlib>
#include <string>

namespace kestro {

namespace {

// A number padded with zeros to `digits` digits, as a pattern of that many
// "0"s writes it.
std::string padded(int number, std::size_t digits) {
    std::string text = std::to_string(std::abs(static_cast<long long>(number)));
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return number < 0 ? "-" + text : text;
}

} // namespace

std::string versionLine(int major, int minor, int revision) {
    return "Ver." + std::to_string(major) + "." + padded(minor, 2) + "." + padded(revision, 4);
}

std::string versionLine() {
    return versionLine(build::versionMajor, build::versionMinor, build::versionRevision);
}

} // namespace kestro
