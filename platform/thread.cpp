#include "platform/thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace plat {

class Event {
public:
    bool signalled = false;
    bool closed = false;
};

struct Thread {
    std::thread thread;
    bool finished = false;
    // While the thread sits in WaitForEvents: what it waits on.
    const EventRef* waitSet = nullptr;
    int waitCount = 0;
};

namespace {
// Event traffic is a few signals a second: one lock and one condition for every event and thread.
std::mutex g_sync;
std::condition_variable g_changed;
thread_local Thread* t_self = nullptr;

// True when a waiter on these events has something to wake up for.
bool AnyPending(const EventRef* events, int count) {
    for (int i = 0; i < count; ++i)
        if (!events[i] || events[i]->signalled || events[i]->closed) return true;
    return false;
}
}  // namespace

EventRef CreateAutoEvent() { return std::make_shared<Event>(); }

void SignalEvent(const EventRef& event) {
    if (!event) return;
    std::lock_guard lock(g_sync);
    if (event->closed) return;
    event->signalled = true;
    g_changed.notify_all();
}

void CloseEvent(const EventRef& event) {
    if (!event) return;
    std::lock_guard lock(g_sync);
    event->closed = true;
    event->signalled = false;
    g_changed.notify_all();
}

bool IsEventSignalled(const EventRef& event) {
    if (!event) return false;
    std::lock_guard lock(g_sync);
    return event->signalled;
}

int WaitForEvents(const EventRef* events, int count) {
    if (!events || count <= 0) return -1;
    std::unique_lock lock(g_sync);
    for (;;) {
        for (int i = 0; i < count; ++i)
            if (!events[i] || events[i]->closed) return -1;
        for (int i = 0; i < count; ++i) {
            if (events[i]->signalled) {
                events[i]->signalled = false;
                return i;
            }
        }
        if (t_self) {
            t_self->waitSet = events;
            t_self->waitCount = count;
            g_changed.notify_all();
        }
        g_changed.wait(lock);
        if (t_self) {
            t_self->waitSet = nullptr;
            t_self->waitCount = 0;
        }
    }
}

Thread* StartThread(std::function<void()> body) {
    auto* t = new Thread;
    try {
        t->thread = std::thread([t, body = std::move(body)] {
            t_self = t;
            body();
            std::lock_guard lock(g_sync);
            t->finished = true;
            g_changed.notify_all();
        });
    } catch (const std::system_error&) {
        delete t;
        return nullptr;
    }
    return t;
}

void JoinThread(Thread* thread) {
    if (!thread) return;
    if (thread->thread.joinable()) thread->thread.join();
    delete thread;
}

bool IsCurrentThread(const Thread* thread) { return thread && t_self == thread; }

bool IsThreadFinished(Thread* thread) {
    if (!thread) return true;
    std::lock_guard lock(g_sync);
    return thread->finished;
}

bool WaitThreadIdle(Thread* thread, u32 timeoutMs) {
    if (!thread) return true;
    std::unique_lock lock(g_sync);
    return g_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [thread] {
        return thread->finished || (thread->waitSet && !AnyPending(thread->waitSet, thread->waitCount));
    });
}

}  // namespace plat
