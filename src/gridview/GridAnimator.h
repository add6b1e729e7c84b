#pragma once

// The grid's property animations (fades and moves of its item views). Each start runs one parallel group
// the animator keeps track of, so that every running one can be ended at once, jumped to its end values,
// before views change hands. GUI thread only.

#include <QPointer>
#include <QVariant>

#include <functional>
#include <vector>

class QAnimationGroup;
class QObject;

class GridAnimator {
  public:
    struct Target {
        QObject *object;
        const char *property;
        QVariant end;
    };

    // Groups are children of owner; finished callbacks run only while owner exists.
    explicit GridAnimator(QObject &owner);
    // Stops what still runs: its views may be being deleted along with the owner.
    ~GridAnimator();
    GridAnimator(const GridAnimator &) = delete;
    GridAnimator &operator=(const GridAnimator &) = delete;

    void start(const std::vector<Target> &targets, int durationMs, std::function<void()> finished = {});
    // Jumps every running animation to its end (their finished callbacks run) and stops it.
    void finishAll();

  private:
    QObject &owner_;
    std::vector<QPointer<QAnimationGroup>> running_;
};
