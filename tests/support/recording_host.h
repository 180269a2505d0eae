#pragma once

// A host for the create command that records what the command does and lets
// a test act at chosen yields (press abort, remove a file, ...).

#include "listgen/list_host.h"

#include <functional>
#include <string>
#include <vector>

namespace kestro::test {

class RecordingHost : public ListHost {
public:
    explicit RecordingHost(ListOptions options) : options_(std::move(options)) {}

    // Called at every yield with the number of the yield (from 1) and the
    // phase shown in panel 1 at that moment.
    std::function<void(int yieldNumber, const std::string& phase)> onYield;

    ListOptions options_;
    std::string list; // what acceptList received
    int acceptCount = 0;
    std::vector<std::string>
        events; // "enable:0", "status1:...", "failure:76", "skipped:1", "abort", "beep"
    std::vector<std::string> yieldPhases;
    std::vector<Failure> failures;
    std::vector<Failure> skipped;   // what noteSkippedFolders received
    std::vector<std::string> notes; // what noteAfterList received
    bool abort = false;
    bool quit = false;
    bool idle = true;
    std::string status[2];
    int readOptionsCalls = 0;

    void enableControls(bool on) override {
        idle = on;
        events.push_back(on ? "enable:1" : "enable:0");
    }
    RootChoice readRoot() override { return {options_.rootFolder, options_.subFolders}; }
    ListOptions readOptions() override {
        ++readOptionsCalls;
        return options_;
    }
    void yield() override {
        yieldPhases.push_back(status[0]);
        if (onYield)
            onYield(static_cast<int>(yieldPhases.size()), status[0]);
    }
    bool abortRequested() const override { return abort; }
    void clearAbortRequest() override { abort = false; }
    bool quitRequested() const override { return quit; }
    void setStatus(int panel, const std::string& text) override {
        status[panel == 1 ? 0 : 1] = text;
    }
    void reportFailure(const Failure& failure) override {
        failures.push_back(failure);
        events.push_back("failure:" + std::to_string(failure.number));
    }
    void reportAbort(const std::string& text, const std::string& title) override {
        events.push_back("abort:" + text + "|" + title);
    }
    void noteSkippedFolders(const std::vector<Failure>& folders) override {
        skipped = folders;
        events.push_back("skipped:" + std::to_string(folders.size()));
    }
    void noteAfterList(const std::string& text) override { notes.push_back(text); }
    Status acceptList(ListText& text) override {
        ++acceptCount;
        for (;;) {
            auto block = text.nextBlock(7); // small blocks exercise the reader
            if (!block)
                return block.failure();
            if (block.value().empty())
                return Ok{};
            list += block.value();
        }
    }
    void beep() override { events.push_back("beep"); }
};

} // namespace kestro::test
