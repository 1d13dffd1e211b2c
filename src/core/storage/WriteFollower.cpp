#include "WriteFollower.h"

#include <atomic>

namespace {

std::atomic<WriteFollower*> g_follower{nullptr};

} // namespace

void WriteFollower::set(WriteFollower* follower)
{
    g_follower.store(follower);
}

WriteFollower* WriteFollower::get()
{
    return g_follower.load();
}
