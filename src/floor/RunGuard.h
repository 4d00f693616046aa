#pragma once

namespace qb {

// Marks an operation that others must wait for or must not enter twice (the commit, a populate
// run). Guards count how deep the runs are nested; the mark is raised by every entry and lowered
// when the outermost one leaves. A key press or Clear All may lower it by force while the runs go
// on; that leaves the count alone.
class RunMark {
public:
    bool raised() const { return raised_; }
    // Whether a guard is inside now.
    bool entered() const { return depth_ > 0; }
    void raise() { raised_ = true; }
    void lower() { raised_ = false; }
    void reset()
    {
        raised_ = false;
        depth_ = 0;
    }

private:
    friend class RunGuard;
    bool raised_ = false;
    int depth_ = 0;
};

// One run inside a mark, for the guard's scope (or until leave()).
class RunGuard {
public:
    explicit RunGuard(RunMark& mark) : mark_(&mark), outermost_(mark.depth_++ <= 0)
    {
        if (outermost_) mark.depth_ = 1;
        mark.raised_ = true;
    }
    ~RunGuard() { leave(); }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    // False when another run was inside already: a re-entry.
    bool outermost() const { return outermost_; }

    // Leaves before the scope ends. True when this was the last run inside, which lowers the mark.
    bool leave()
    {
        if (!mark_) return false;
        RunMark& m = *mark_;
        mark_ = nullptr;
        if (--m.depth_ > 0) return false;
        m.depth_ = 0;
        m.raised_ = false;
        return true;
    }

private:
    RunMark* mark_;
    bool outermost_;
};

}  // namespace qb
