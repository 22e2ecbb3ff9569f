#pragma once
// What long-running work needs from the window it runs in: a way to let the window process its
// pending events (so it keeps painting and can be closed), a pause that keeps doing so, and
// whether the running job must stop (the stop button, the window closing).

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Dispatches every queued event and returns.
    virtual void processPendingMessages() = 0;
    // Waits at least ms milliseconds while dispatching events; no wait when ms <= 0. Returns
    // early only when stopRequested() becomes true.
    virtual void delayProcessingMessages(int ms) = 0;
    // True once the running job must end as soon as it can.
    virtual bool stopRequested() const = 0;
};
