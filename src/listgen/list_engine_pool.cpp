#include "listgen/list_engine_pool.h"

#include <algorithm>

namespace kestro {

ReaderPool::Batch::Batch(std::size_t count, Work work)
    : states_(std::make_unique<std::atomic<std::uint8_t>[]>(count)), count_(count),
      work_(std::move(work)) {
    for (std::size_t item = 0; item < count; ++item)
        states_[item].store(Waiting, std::memory_order_relaxed);
}

ReaderPool::ReaderPool(std::size_t readers, bool briefItems) : briefItems_(briefItems) {
    threads_.reserve(readers);
    for (std::size_t reader = 0; reader < readers; ++reader)
        threads_.emplace_back([this, reader] { serve(reader); });
}

ReaderPool::~ReaderPool() {
    stop();
}

void ReaderPool::submit(const std::shared_ptr<Batch>& batch, std::size_t chunk, bool first) {
    if (threads_.empty() || stopping_.load() || batch->count_ == 0)
        return;
    chunk = std::max<std::size_t>(chunk, 1);
    {
        const std::lock_guard lock(mutex_);
        std::vector<Task> tasks;
        for (std::size_t begin = 0; begin < batch->count_; begin += chunk)
            tasks.push_back({batch, begin, std::min(batch->count_, begin + chunk)});
        tasks_.insert(first ? tasks_.begin() : tasks_.end(), tasks.begin(), tasks.end());
    }
    workArrived_.notify_all();
}

ReaderPool::Turn ReaderPool::claim(Batch& batch, std::size_t item,
                                   const std::function<bool()>& waiting) {
    std::uint8_t expected = Batch::Waiting;
    if (batch.states_[item].compare_exchange_strong(expected, Batch::Started))
        return Turn::Take;
    const auto finished = [&] {
        return batch.states_[item].load(std::memory_order_acquire) == Batch::Finished;
    };
    // A file's facts from a warm cache take a microsecond or two: waiting
    // for them with a sleep would cost more than the read.
    for (int spin = 0; briefItems_ && spin < SpinTurns && !finished(); ++spin)
        std::this_thread::yield();
    while (!finished()) {
        std::unique_lock lock(mutex_);
        if (itemFinished_.wait_for(lock, WaitTurn, finished))
            break;
        lock.unlock();
        if (!waiting())
            return Turn::Stopped;
    }
    return Turn::Finished;
}

void ReaderPool::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_.store(true);
        tasks_.clear();
    }
    workArrived_.notify_all();
    for (std::thread& thread : threads_) {
        if (thread.joinable())
            thread.join();
    }
}

void ReaderPool::serve(std::size_t reader) {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            workArrived_.wait(lock, [&] { return stopping_.load() || !tasks_.empty(); });
            if (stopping_.load())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        Batch& batch = *task.batch;
        for (std::size_t item = task.begin; item < task.end && !stopping_.load(); ++item) {
            std::uint8_t expected = Batch::Waiting;
            if (!batch.states_[item].compare_exchange_strong(expected, Batch::Started))
                continue;
            batch.work_(item, reader);
            batch.states_[item].store(Batch::Finished, std::memory_order_release);
        }
        // Taken under the lock, so that a waiter between its check and its
        // wait cannot miss the news.
        { const std::lock_guard lock(mutex_); }
        itemFinished_.notify_all();
        task.batch.reset();
    }
}

} // namespace kestro
