#include "online/worker_pinger.h"

#include <memory>

namespace korvo {

EchoResult WorkerPinger::Ping(const std::string& host) {
    auto result = std::make_shared<EchoResult>();
    if (worker_.RunTask([result, host, &echo = echo_] { *result = echo.Ping(host); })) return *result;
    EchoResult cancelled;
    cancelled.sent = true;
    cancelled.error = kCancelledReason;
    return cancelled;
}

}  // namespace korvo
