#pragma once

// Helpers of the Windows platform files; not part of the platform's
// interface. Texts are UTF-8 inside the program and UTF-16 only at the
// system's calls; paths handed to the system carry the "\\?\" prefix, so
// their length is not limited to MAX_PATH.

#include "platform/file_facts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::win32 {

// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD; an
// unpaired surrogate becomes U+FFFD too.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

// `path` as the system's wide path: absolute (made so against the current
// folder), "/" turned into "\", "." and ".." resolved, with the "\\?\"
// prefix ("\\?\UNC\" for a network path).
std::wstring longPath(std::string_view path);
// `name` joined to the long path of a folder.
std::wstring childPath(const std::wstring& folder, std::string_view name);
// A path as the user writes it: without the "\\?\" prefix.
std::string userPath(std::wstring_view path);

// The errno value for a Windows error code (ERROR_FILE_NOT_FOUND ENOENT,
// ERROR_ACCESS_DENIED EACCES ...), so that the platform's common mapping
// to the program's failure numbers applies.
int errnoOf(std::uint32_t windowsError);
// The same for GetLastError().
int lastErrno();

// A handle of the system as a descriptor of the C runtime (binary mode),
// which owns it from then on; -1 (and the handle closed) when none can be
// made. And the handle behind a descriptor (nullptr for none).
int descriptorOf(void* handle);
void* handleOf(int fd);

// The long path of the folder a descriptor was opened on (folder.h's
// OpenFolder keeps one per open folder); empty for another descriptor.
void rememberFolder(int fd, std::wstring path);
std::wstring folderPathOf(int fd);
void forgetFolder(int fd);

// The program's attribute bits (platform/folder.h) of the system's
// FILE_ATTRIBUTE_ bits: read-only, hidden, system, folder, archive.
std::uint32_t attributesOf(std::uint32_t fileAttributes);
// Facts from what an enumeration or an attribute query gives: the
// attributes, the three times as FILETIME ticks and the size.
FileFacts factsOf(std::uint32_t fileAttributes, std::uint64_t creation, std::uint64_t lastAccess,
                  std::uint64_t lastWrite, std::uint64_t size);

// The facts that the last enumeration of the folder `fd` on this thread
// gave for its entry `name`, so that a list with facts makes no call per
// file; false when the folder's facts are not held or do not name it.
bool enumeratedFacts(int fd, const char* name, FileFacts& facts);

// A FILETIME's 100-nanosecond ticks since 1601 as seconds and nanoseconds
// since 1970.
void fromFileTime(std::uint64_t ticks, std::int64_t& seconds, std::uint32_t& nanoseconds);
std::uint64_t toFileTime(std::int64_t seconds, std::uint32_t nanoseconds);

} // namespace kestro::win32
