#include "listgen/list_options.h"

namespace kestro {

std::string resolveSeparator(std::string_view boxText) {
    if (boxText == SeparatorTabChoice)
        return "\t";
    if (boxText == SeparatorSemicolonChoice)
        return ";";
    if (isCsvChoice(boxText))
        return ",";
    return std::string(boxText);
}

bool isCsvChoice(std::string_view boxText) {
    return boxText == SeparatorCsvChoice;
}

bool isTicked(int checkBoxValue) {
    return checkBoxValue == 1;
}

bool subFoldersFromCheckBox(int checkBoxValue) {
    return checkBoxValue != 0;
}

} // namespace kestro
