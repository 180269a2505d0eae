#pragma once

// Small text helpers of the list: a name's extension, shortening a path for
// display, and a file's type name.
// Characters are code points; the separators "." and "/" are found by byte.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

// The text after the last "." (empty when there is none). Does not stop at a
// folder separator: callers pass bare names.
std::string extensionOf(std::string_view name);

// The upper-case extension of the last element of `path`: empty when a "/"
// comes before any "." scanning backwards, or when there is no ".".
std::string upperExtensionOf(std::string_view path);

// `path` shortened to at most `limitBytes` bytes of the Shift-JIS code page
// (shiftJisWidth: half-width characters 1, others 2) by
// replacing its folder names, one at a time from the left, with "...". The
// last element is never replaced, so the result may stay longer than the
// limit. Paths of at most three characters come back unchanged.
std::string shortenPath(std::string_view path, std::size_t limitBytes);

// The registered type name of the file `path` (through the registry class and
// HKEY_CLASSES_ROOT), or the upper-case extension followed by " ﾌｧｲﾙ" when
// none is registered (" ﾌｧｲﾙ" alone for a name without extension).
std::string fileTypeName(std::string_view path);

// Names may hold control characters (a tab, a line feed ...), which would
// break a list's lines and columns or act on a terminal. Wherever a name or
// path is shown, each C0 control character (U+0000-U+001F) and DEL appear as
// their control pictures (U+2400-U+241F, U+2421: a tab as "␉", a line feed
// as "␊"). A control picture (or "␥", U+2425) that the name itself holds
// gets "␥" before it, so that no two names show the same ("a␉" is a tab,
// "a␥␉" the picture); every other byte stays as it is.
// hasControlCharacters: whether showingControls changes `text`.
bool hasControlCharacters(std::string_view text);
void appendShowingControls(std::string& out, std::string_view text);
std::string showingControls(std::string_view text);

} // namespace kestro
