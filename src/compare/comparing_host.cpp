#include "compare/comparing_host.h"

namespace kestro {

namespace {

constexpr const char* ComparingStatus = "一覧と比較中...";

// The difference list, handed to the host as the list.
class TextInMemory : public ListText {
public:
    explicit TextInMemory(std::string_view text) : text_(text) {}
    std::size_t size() const override { return text_.size(); }
    Result<std::string_view> nextBlock(std::size_t maxBytes) override {
        const std::string_view block = text_.substr(read_, maxBytes);
        read_ += block.size();
        return block;
    }
    void rewind() override { read_ = 0; }

private:
    std::string_view text_;
    std::size_t read_ = 0;
};

} // namespace

ListOptions ComparingHost::readOptions() {
    options_ = saved_.comparisonOptions(host_.readOptions());
    return options_;
}

Status ComparingHost::acceptList(ListText& list) {
    host_.setStatus(1, ComparingStatus);
    ListComparison comparison(saved_, options_);
    comparison.setUnknownFolders(skippedFolders_);
    bool aborted = false;
    auto compared = comparison.compare(list, [&] {
        host_.yield();
        aborted = host_.abortRequested() || host_.quitRequested();
        return !aborted;
    });
    if (!compared) {
        if (aborted && !host_.quitRequested())
            host_.reportAbort(AbortText, AbortTitle);
        return compared;
    }
    counts_ = comparison.counts();
    if (saved_.listCount() > 1)
        host_.noteAfterList("保存したﾌｧｲﾙには一覧が " + std::to_string(saved_.listCount()) +
                            " 個あるため、最後の一覧と比較しました。");
    if (saved_.unreadableCharacters())
        host_.noteAfterList(std::string(UnreadableCharactersNote));
    if (!comparison.movedNote().empty())
        host_.noteAfterList(comparison.movedNote());
    if (comparison.matchedByName())
        host_.noteAfterList(std::string(MatchedByNameNote));
    for (const std::string& note : comparison.scopeNotes())
        host_.noteAfterList(note);
    TextInMemory difference(comparison.differenceList());
    return host_.acceptList(difference);
}

void ComparingHost::showListTotals(const std::string&) {
    if (counts_)
        host_.showListTotals(counts_->text());
}

} // namespace kestro
