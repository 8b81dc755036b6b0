#pragma once
// Echo requests and host-name lookups on a thread of their own, so that a name that
// does not resolve or a coupler that does not answer never holds the window. The
// caller waits through its CallWaiter; a cancelled wait counts as no answer.

#include "access/online_worker.h"
#include "tools/pinger.h"

namespace korvo {

class WorkerPinger final : public Pinger {
public:
    WorkerPinger(Pinger& echo, CallWaiter& waiter) : echo_(echo), worker_(waiter) {}
    EchoResult Ping(const std::string& host) override;

private:
    Pinger& echo_;
    OnlineWorker worker_;
};

}  // namespace korvo
