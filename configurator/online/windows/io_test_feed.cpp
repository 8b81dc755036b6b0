#include "io_test_feed.h"

namespace korvo {

IoTestFeed::IoTestFeed(TrendSource trends, EventLogSource events, QObject* parent)
    : QObject(parent), trends_(std::move(trends)), events_(std::move(events)) {}

void IoTestFeed::NotifyBegun() {
    begun_ = true;
    running_ = true;
    Q_EMIT begun();
}

void IoTestFeed::NotifyEnded() {
    if (!running_) return;
    running_ = false;
    Q_EMIT ended();
}

}  // namespace korvo
