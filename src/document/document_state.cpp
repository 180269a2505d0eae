#include "document/document_state.h"

#include "listgen/name_helpers.h"

#include <utility>

namespace kestro {

namespace {

constexpr std::string_view NewName = "新規";

std::string titleWith(std::string_view marker, std::string_view name) {
    std::string title(ProgramName);
    title += " - ";
    title += marker;
    title += '[';
    title += name;
    title += ']';
    return title;
}

} // namespace

std::string startTitle() {
    return titleWith("", NewName);
}

std::string changedTitle(std::string_view name) {
    return titleWith("(更新)", name.empty() ? NewName : name);
}

std::string storedTitle(std::string_view name) {
    return titleWith("", shortenPath(name, TitleNameLimit));
}

void DocumentState::changed() {
    title_ = changedTitle(name_);
    form_ = Form::Changed;
    saveEnabled_ = true;
}

void DocumentState::nameConfirmed(std::string name) {
    name_ = std::move(name);
}

void DocumentState::stored() {
    title_ = storedTitle(name_);
    form_ = Form::Stored;
    saveEnabled_ = false;
}

void DocumentState::cleared() {
    title_ = std::string(ProgramName);
    form_ = Form::Cleared;
}

} // namespace kestro
