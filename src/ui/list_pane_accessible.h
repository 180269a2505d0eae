#pragma once

// The list pane's accessible interface: role, state and text for assistive
// technology, with every character offset converted through an index of
// the lines, so that no query and no move of the caret costs time in
// proportion to the length of the text. (The widget's own interface counts
// the characters from the start of the text to the caret after every move
// of the caret, half a second at the end of a list of a million lines.)
//
// The index of the lines in UTF-16 units is made on the first query that
// needs it, that is only where assistive technology asks.

class QsciScintilla;

namespace kestro {

// Marks `pane` as a list pane and makes the interface of every list pane
// this one; the first call installs it.
void installListPaneAccessibility(QsciScintilla* pane);

} // namespace kestro
