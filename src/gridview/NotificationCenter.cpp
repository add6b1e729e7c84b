#include "gridview/NotificationCenter.h"

#include <algorithm>

NotificationCenter::Registration &NotificationCenter::Registration::operator=(Registration &&other) noexcept {
    if (this != &other) {
        reset();
        center_ = std::exchange(other.center_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void NotificationCenter::Registration::reset() {
    if (center_ != nullptr) center_->removeObserver(id_);
    center_ = nullptr;
    id_ = 0;
}

NotificationCenter &NotificationCenter::defaultCenter() {
    // Leaked on purpose: item views may unsubscribe from static destructors after main returns.
    static auto *center = new NotificationCenter;
    return *center;
}

NotificationCenter::ObserverId NotificationCenter::addObserver(const QString &name, const QObject *object,
                                                               Handler handler) {
    std::lock_guard lock(mutex_);
    ObserverId id = nextId_++;
    observers_.push_back(Observer{id, name, object, std::make_shared<const Handler>(std::move(handler)),
                                  std::make_shared<std::atomic<bool>>(true)});
    return id;
}

NotificationCenter::Registration NotificationCenter::observe(const QString &name, const QObject *object,
                                                             Handler handler) {
    return Registration(this, addObserver(name, object, std::move(handler)));
}

void NotificationCenter::removeObserver(ObserverId id) {
    std::lock_guard lock(mutex_);
    auto found =
        std::find_if(observers_.begin(), observers_.end(), [id](const Observer &o) { return o.id == id; });
    if (found == observers_.end()) return;
    found->active->store(false);
    observers_.erase(found);
}

void NotificationCenter::postNotificationName(const QString &name, QObject *object,
                                              const QVariantMap &userInfo) {
    postNotification(Notification{name, object, userInfo});
}

void NotificationCenter::postNotification(const Notification &notification) {
    // Handlers run outside the lock so that they may post, add and remove observers themselves.
    std::vector<Observer> matching;
    {
        std::lock_guard lock(mutex_);
        for (const Observer &o : observers_) {
            bool nameMatches = o.name.isEmpty() || o.name == notification.name;
            bool objectMatches = o.object == nullptr || o.object == notification.object;
            if (nameMatches && objectMatches) matching.push_back(o);
        }
    }
    for (const Observer &o : matching) {
        if (o.active->load()) (*o.handler)(notification);
    }
}

std::size_t NotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return observers_.size();
}
