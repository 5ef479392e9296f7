// Worker threads and auto-reset events in place of the kernel's threads and event objects.
// Events are shared objects: the sound mixer keeps a reference to every event it may signal, so
// closing an event only marks it closed (waits on it fail from then on) and the last reference frees it.
#pragma once
#include <functional>
#include <memory>

#include "platform/types.h"

namespace plat {

class Event;
using EventRef = std::shared_ptr<Event>;

// A new auto-reset event, not signalled.
EventRef CreateAutoEvent();
// Signals the event; signals given before a wait collapse into one. Nothing happens on a closed event.
void SignalEvent(const EventRef& event);
// Marks the event closed and wakes its waiters, whose waits fail.
void CloseEvent(const EventRef& event);
bool IsEventSignalled(const EventRef& event);

// Waits without a time limit until one of the events is signalled and returns its index; when several
// are signalled the lowest index wins and only that event is reset. -1 when any event is null or closed.
int WaitForEvents(const EventRef* events, int count);

struct Thread;

// Starts body on a new thread; null when the thread cannot be started.
Thread* StartThread(std::function<void()> body);
// Waits for the thread's end and frees it. Never called by the thread on itself.
void JoinThread(Thread* thread);
bool IsCurrentThread(const Thread* thread);
bool IsThreadFinished(Thread* thread);

// For deterministic tests: waits until the thread has ended, or sits in WaitForEvents with none of
// its events signalled. False when the time runs out first.
bool WaitThreadIdle(Thread* thread, u32 timeoutMs);

}  // namespace plat
