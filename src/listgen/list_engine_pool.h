#pragma once

// The threads that read files' facts (and small files' contents) for the
// create command while the command itself writes the list in its order.
// Work comes in batches of numbered items; each item is run once, either by
// a reader or by the command's own thread, which takes an item itself when
// no reader has started it yet. So a pool of no readers runs everything on
// the command's thread, in the list's order, as if there were no pool.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kestro {

class ReaderPool {
public:
    // `work(item, reader)`: reader is 0 .. readers() - 1.
    using Work = std::function<void(std::size_t item, std::size_t reader)>;

    class Batch {
    public:
        Batch(std::size_t count, Work work);

    private:
        friend class ReaderPool;
        enum State : std::uint8_t { Waiting, Started, Finished };
        std::unique_ptr<std::atomic<std::uint8_t>[]> states_;
        std::size_t count_;
        Work work_;
    };

    enum class Turn {
        Take,     // nobody started the item: the caller runs it
        Finished, // a reader ran it; what it wrote is the caller's to read
        Stopped,  // `waiting` asked to stop while a reader still ran it
    };

    // `briefItems`: an item takes a few microseconds (a local disc's facts),
    // so that a caller waiting for one watches for it a moment before it
    // sleeps; a round trip to another machine is slept through at once.
    ReaderPool(std::size_t readers, bool briefItems);
    ~ReaderPool();
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    std::size_t readers() const { return threads_.size(); }

    // Hands the items of `batch` to the readers, `chunk` items a turn (before
    // the work already handed when `first`). The batch, and what its work
    // writes to, must live until every item was taken or finished, or until
    // stop().
    void submit(const std::shared_ptr<Batch>& batch, std::size_t chunk, bool first = false);

    // Item `item` of `batch` for the caller: taken, or waited for. While it
    // waits, `waiting()` is called every WaitTurn; it answers false to stop.
    Turn claim(Batch& batch, std::size_t item, const std::function<bool()>& waiting);

    // Drops the work not started and waits for the items being run: no
    // reader touches anything after it returns. The pool takes no more work.
    void stop();

    static constexpr std::chrono::milliseconds WaitTurn{100};
    static constexpr int SpinTurns = 200;

private:
    struct Task {
        std::shared_ptr<Batch> batch;
        std::size_t begin;
        std::size_t end;
    };

    void serve(std::size_t reader);

    std::mutex mutex_;
    std::condition_variable workArrived_;
    std::condition_variable itemFinished_;
    std::deque<Task> tasks_;
    std::atomic<bool> stopping_{false};
    bool briefItems_;
    std::vector<std::thread> threads_;
};

} // namespace kestro
