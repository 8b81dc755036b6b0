// Fuzz target for the simulated coupler's request decoding: the input is the
// byte stream of one client connection, cut into requests as the server cuts
// it and answered by every service (nodes, mailbox, registers, control,
// management). Every answer must announce its own length.
#include "korvo_sim/simulator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace korvo::sim;

struct Coupler {
    Coupler()
    {
        // Held receives return at once, so no input can stall the target.
        simulator.controller().shutdown();
    }
    Simulator simulator;
    // A peer without an address, so no datagram ever leaves the process.
    Session session{-1, "fuzz"};
};

void checkAnswer(const Bytes& answer)
{
    if (answer.size() < 4 || answer.size() > 0xFFFF || readBe16(answer, kLengthOffset) != answer.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Coupler* coupler = new Coupler;
    Controller& controller = coupler->simulator.controller();
    std::span<const uint8_t> pending(data, size);
    for (;;) {
        std::optional<std::size_t> length = nextRequestLength(pending);
        if (!length || *length == 0)
            break;
        Request request{Bytes(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(*length))};
        pending = pending.subspan(*length);
        if (std::optional<Bytes> answer = controller.handle(request, coupler->session))
            checkAnswer(*answer);
        checkAnswer(controller.refuse(request, 0x0099));
    }
    // The connection ends with the input: its nodes close.
    controller.endSession(coupler->session);
    return 0;
}
