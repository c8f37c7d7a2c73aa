// Work on many independent items spread over threads, with the results taken in item order: what lets the tool
// pack, check and unpack the entries of a package on every core and still write one and the same package and
// name the same failing entry as a single thread would.
#pragma once
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace qs::pak {

// Threads for "as many as the machine has".
inline unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

// Threads that are told to stop and are joined when the crew goes, however its owner's scope ends.
struct Crew {
    std::vector<std::thread> t;
    std::mutex& m;
    std::condition_variable& startable;
    bool& stop;
    ~Crew() {
        {
            std::lock_guard<std::mutex> lock(m);
            stop = true;
        }
        startable.notify_all();
        for (std::thread& x : t) x.join();
    }
};

// Calls make(i) for every i in [0, count) on up to jobs threads, and take(i, result) on the calling thread in
// order of i, each as soon as its result and all before it are there. Memory stays bounded: a thread starts a
// new item only while the results made but not yet taken weigh (by weigh(result), in bytes) less than 1 MB a
// thread, and are fewer than 64 a thread; the next item to be taken is always started. So each thread holds
// about one input and one result, however large, and a large item early on does not stall the threads behind
// it while the results waiting are small. The first exception in order of i (from make or take) ends the run:
// no item after it is started or taken, every thread is joined, and the exception propagates. With jobs 1
// everything runs on the calling thread, one item after the other.
template <class Result, class Make, class Take, class Weigh>
void RunInOrder(size_t count, unsigned jobs, Make make, Take take, Weigh weigh) {
    if (jobs <= 1 || count <= 1) {
        for (size_t i = 0; i < count; ++i) take(i, make(i));
        return;
    }
    const size_t threads = std::min<size_t>(jobs, count);
    const size_t window = std::min<size_t>(count, 64 * threads);
    const size_t budget = threads << 20;
    struct Slot {
        bool done = false;
        size_t weight = 0;
        std::optional<Result> result;
        std::exception_ptr error;
    };
    std::vector<Slot> slots(window);
    std::mutex m;
    std::condition_variable startable, finished;
    size_t nextStart = 0, nextTake = 0, end = count;
    size_t waiting = 0;  // weight of the results made but not yet taken
    bool stop = false;

    auto work = [&] {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            startable.wait(lock, [&] {
                return stop || nextStart >= end ||
                       (nextStart < nextTake + window && (waiting < budget || nextStart == nextTake));
            });
            if (stop || nextStart >= end) return;
            const size_t i = nextStart++;
            lock.unlock();
            std::optional<Result> result;
            std::exception_ptr error;
            size_t weight = 0;
            try {
                result.emplace(make(i));
                weight = weigh(*result);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            Slot& s = slots[i % window];
            s.result = std::move(result);
            s.error = error;
            s.weight = weight;
            s.done = true;
            waiting += weight;
            if (error) end = std::min(end, i + 1);  // items after a failure are not needed
            finished.notify_all();
        }
    };

    // Joins the threads however the loop below ends.
    Crew crew{{}, m, startable, stop};
    crew.t.reserve(threads);
    for (size_t k = 0; k < threads; ++k) crew.t.emplace_back(work);

    for (size_t i = 0; i < count; ++i) {
        std::optional<Result> result;
        {
            std::unique_lock<std::mutex> lock(m);
            Slot& s = slots[i % window];
            finished.wait(lock, [&] { return s.done; });
            if (s.error) std::rethrow_exception(s.error);
            result = std::move(s.result);
            waiting -= s.weight;
            s = Slot{};
            nextTake = i + 1;
        }
        startable.notify_all();
        take(i, std::move(*result));
    }
}

}  // namespace qs::pak
