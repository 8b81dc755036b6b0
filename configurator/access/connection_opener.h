#pragma once
// What the diagnosis, the restart and the BOOTP server need of the online logic: the
// echo check and the opening of the node pair with its status texts, and the output
// image their test write sends. The online logic implements it.

#include <string>

namespace korvo {

// Opening a connection as the diagnosis and restart windows need it, and the output
// image their test write sends.
class ConnectionOpener {
public:
    virtual ~ConnectionOpener() = default;
    virtual bool PingCoupler() = 0;
    virtual bool OpenConnection() = 0;
    // Outside the running I/O test, an exchange that writes outputs must send the
    // current station's outputs off, never what an earlier test left in the image.
    virtual void PrepareOutputImage() {}
    // Why the last echo or opening failed, the line below a fixed error text.
    virtual std::string FailureReason() const { return {}; }
};

}  // namespace korvo
