#pragma once
// The edge between the plug-in and its callers. Every operation that the host or the window
// system calls (overrides, window and dialog procedures, callbacks, drag-and-drop managers)
// runs its body through GuardEntry: an exception from inside (an allocation that failed, a host
// call that threw) stops here, and the caller gets the refusal that the operation gives for a
// failure instead of an unwinding through frames that cannot take it.

/// Runs `body` and answers its result, or `failure` when it throws.
template <class Result, class Body>
Result GuardEntry(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

/// The same for operations that answer nothing.
template <class Body>
void GuardEntry(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
