#include "serial/reply_wait_hook.h"

#include <atomic>

namespace {
std::atomic<ReplyWaitHook> g_hook{nullptr};
}  // namespace

ReplyWaitHook SetReplyWaitHook(ReplyWaitHook hook)
{
    return g_hook.exchange(hook);
}

void RunReplyWaitHook()
{
    if (const ReplyWaitHook hook = g_hook.load())
        hook();
}
