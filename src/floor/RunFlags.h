#pragma once

namespace qb {

// The control flags of long operations. Each changes only through a named step, so a reader
// can find every place that stops the run, asks a loop to end or holds the abort.
class RunFlags {
public:
    // The store cannot be used safely for the rest of the run.
    void requestStop() { stop_ = true; }
    // A new store, or one message that must get through while stopped.
    void clearStop() { stop_ = false; }
    bool stopped() const { return stop_; }

    // Esc pressed on the desktop, or a failure inside a bulk operation: the running loop ends.
    void requestEscape() { escape_ = true; }
    void clearEscape() { escape_ = false; }
    bool escapeRequested() const { return escape_; }
    // Whether Esc was asked for; the request is gone afterwards.
    bool takeEscape()
    {
        const bool was = escape_;
        escape_ = false;
        return was;
    }

    // The abort of a running populate, held until a key or mouse release lets it go.
    void holdAbort() { abortHeld_ = true; }
    void releaseAbort() { abortHeld_ = false; }
    bool abortHeld() const { return abortHeld_; }

    // The main window is shutting down; collections no longer run.
    void beginClosing() { closing_ = true; }
    bool closing() const { return closing_; }

    // Every flag down (a new run, tests).
    void reset() { *this = RunFlags(); }

private:
    bool stop_ = false;
    bool escape_ = false;
    bool abortHeld_ = false;
    bool closing_ = false;
};

}  // namespace qb
