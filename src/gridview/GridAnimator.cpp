#include "gridview/GridAnimator.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

#include <algorithm>

GridAnimator::GridAnimator(QObject &owner) : owner_(owner) {}

GridAnimator::~GridAnimator() {
    for (const QPointer<QAnimationGroup> &group : running_) {
        if (group) group->stop();
    }
}

void GridAnimator::start(const std::vector<Target> &targets, int durationMs, std::function<void()> finished) {
    auto *group = new QParallelAnimationGroup(&owner_);
    for (const Target &target : targets) {
        auto *animation = new QPropertyAnimation(target.object, target.property);
        animation->setDuration(durationMs);
        animation->setEndValue(target.end);
        group->addAnimation(animation);
    }
    if (finished) QObject::connect(group, &QAbstractAnimation::finished, &owner_, std::move(finished));
    std::erase_if(running_, [](const QPointer<QAnimationGroup> &g) { return g.isNull(); });
    running_.emplace_back(group);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void GridAnimator::finishAll() {
    std::vector<QPointer<QAnimationGroup>> running;
    running.swap(running_);
    for (QPointer<QAnimationGroup> &group : running) {
        if (!group || group->state() == QAbstractAnimation::Stopped) continue;
        group->setCurrentTime(group->totalDuration());  // jumps to the end values and finishes
        if (group) group->stop();
    }
}
