#pragma once

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace Threads {

// Runs task(0) ... task(count - 1) at once, task(0) on the calling thread
// and the others on threads of their own, and returns when all are done.
// A task that cannot get a thread runs on the calling one; the first
// exception a task throws is thrown again here once every task has ended.
template <class Task> void run(int count, const Task& task)
{
    std::exception_ptr failure;
    std::mutex guard;
    auto guarded = [&](int i) noexcept {
        try {
            task(i);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(guard);
            if (!failure)
                failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (int i = 1; i < count; ++i) {
            try {
                helpers.emplace_back(guarded, i);
            } catch (const std::system_error&) {
                guarded(i);
            }
        }
        guarded(0);
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Threads
