#pragma once
// Runs an event handler so that a failure inside ends it quietly: nothing is
// shown or logged, the event's handling just ends.

namespace vtl::ui {

template <class Handler>
void Quietly(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        // The handler is over; the window keeps what it shows.
    }
}

}  // namespace vtl::ui
