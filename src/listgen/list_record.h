#pragma once

// One line of a list as cells, before a writer gives it its text: the header
// (the titles of the chosen columns), a folder line (one cell, the folder) or
// a file line (one cell per chosen column, in the columns' order). The cells
// lie one after another in one buffer, so that a record reused from file to
// file allocates nothing once it has grown.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

class ListRecord {
public:
    void clear() {
        text_.clear();
        ends_.clear();
    }

    // The cell being made: append its text here, then call endCell().
    std::string& openCell() { return text_; }
    void endCell() { ends_.push_back(text_.size()); }
    void addCell(std::string_view cell) {
        text_ += cell;
        endCell();
    }

    // Removes the first cell, which must be empty.
    void dropFirstCell() { ends_.erase(ends_.begin()); }

    std::size_t cellCount() const { return ends_.size(); }
    std::string_view cell(std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

} // namespace kestro
