#pragma once

// A process-wide registry of observers that are called when a named notification is posted. Delivery is
// synchronous, on the posting thread, in the order the observers were added. Observers may add or remove
// observers (themselves included) while a notification is being delivered; one removed during a delivery
// is not called afterwards.

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct Notification {
    QString name;
    QObject *object = nullptr;  // the sender, as the poster gave it
    QVariantMap userInfo;
};

class NotificationCenter {
  public:
    using Handler = std::function<void(const Notification &)>;
    using ObserverId = std::uint64_t;

    // Removes its observer when it goes away: hold one per subscription for as long as it should last.
    class Registration {
      public:
        Registration() = default;
        Registration(NotificationCenter *center, ObserverId id) : center_(center), id_(id) {}
        Registration(Registration &&other) noexcept { *this = std::move(other); }
        Registration &operator=(Registration &&other) noexcept;
        ~Registration() { reset(); }
        void reset();

      private:
        NotificationCenter *center_ = nullptr;
        ObserverId id_ = 0;
    };

    // The process's default centre (made on first use, never destroyed).
    static NotificationCenter &defaultCenter();

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    // Calls handler for every notification named name (an empty name matches every name) whose object is
    // object (nullptr matches every sender).
    ObserverId addObserver(const QString &name, const QObject *object, Handler handler);
    [[nodiscard]] Registration observe(const QString &name, const QObject *object, Handler handler);
    void removeObserver(ObserverId id);

    void postNotificationName(const QString &name, QObject *object, const QVariantMap &userInfo = {});
    void postNotification(const Notification &notification);

    std::size_t observerCount() const;

  private:
    struct Observer {
        ObserverId id;
        QString name;
        const QObject *object;
        std::shared_ptr<const Handler> handler;
        std::shared_ptr<std::atomic<bool>> active;
    };

    // --- any thread, under mutex_
    mutable std::mutex mutex_;
    std::vector<Observer> observers_;
    ObserverId nextId_ = 1;
};
