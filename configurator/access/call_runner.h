#pragma once
// Where the access layer's library calls run and how their caller waits. A command
// line runs them in place; the window hands them to the online worker and keeps its
// event loop turning until the answer is there, so a silent coupler never freezes it.

#include <cstdint>
#include <functional>
#include <string_view>

namespace korvo {

// The result of a call the user cancelled while it waited, or that was refused
// because its command had been cancelled. Lies outside the library's codes.
inline constexpr std::uint32_t kCallCancelled = 0xE0080001u;
inline constexpr std::string_view kCancelledReason = "cancelled by the user";

class CallRunner {
public:
    virtual ~CallRunner() = default;
    // Runs one call and returns its result, or kCallCancelled. A call marked
    // `always` (closing nodes) is never refused, even after a cancel.
    virtual std::uint32_t Run(std::function<std::uint32_t()> call, bool always = false) = 0;
};

// Runs every call in place, on the calling thread.
CallRunner& DirectCalls();

// How the thread that hands work to a worker waits for it.
class CallWaiter {
public:
    virtual ~CallWaiter() = default;
    // True once done() holds; false when the wait was cancelled first. done() is
    // looked at on the waiting thread after every Wake().
    virtual bool WaitUntil(const std::function<bool()>& done) = 0;
    // Called from the worker whenever done() may have become true.
    virtual void Wake() = 0;
    // A pause of `ms`; false when it was cancelled.
    virtual bool Pause(std::uint32_t ms) = 0;
    // The current command was cancelled: its further calls are refused.
    virtual bool Cancelled() const = 0;
};

// Blocks the calling thread; nothing cancels it.
CallWaiter& BlockingWaiter();

}  // namespace korvo
