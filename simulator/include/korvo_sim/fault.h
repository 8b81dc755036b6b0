// Misbehaviour of the controller that a test switches on for the next
// matching requests.
#pragma once

#include "korvo_sim/message.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace korvo::sim {

enum class FaultKind {
    Late,             // answer after `delay`
    Silent,           // never answer
    Split,            // send the confirmation in `pieces` segments, `delay` apart
    CloseMidMessage,  // send half of the confirmation, then close the connection
    WrongCode,        // confirmation code of another service
    Negative,         // refuse with error code `value` instead of serving the request
    ExceptionWord,    // exception word `value` at offset 6
    IndicationFirst,  // send `bytes` (an indication) before the confirmation
    AbsurdLength,     // length field `value`, whatever the real size
    Truncate,         // cut the confirmation to `value` bytes, length field to match
    PatchWord,        // overwrite the 16-bit field at `offset` with `value`
};

struct Fault {
    FaultKind kind = FaultKind::Silent;
    uint16_t requestCode = 0;  // 0 = any request
    int times = 1;
    std::chrono::milliseconds delay{0};
    int pieces = 3;
    uint16_t value = 0;
    std::size_t offset = 0;
    Bytes bytes;

    static Fault of(FaultKind kind, uint16_t code)
    {
        Fault fault;
        fault.kind = kind;
        fault.requestCode = code;
        return fault;
    }
    static Fault late(uint16_t code, std::chrono::milliseconds delay)
    {
        Fault fault = of(FaultKind::Late, code);
        fault.delay = delay;
        return fault;
    }
    static Fault silent(uint16_t code) { return of(FaultKind::Silent, code); }
    static Fault split(uint16_t code, int pieces, std::chrono::milliseconds gap)
    {
        Fault fault = of(FaultKind::Split, code);
        fault.pieces = pieces;
        fault.delay = gap;
        return fault;
    }
    static Fault closeMidMessage(uint16_t code) { return of(FaultKind::CloseMidMessage, code); }
    static Fault wrongCode(uint16_t code) { return of(FaultKind::WrongCode, code); }
    static Fault negative(uint16_t code, uint16_t error) { return withValue(FaultKind::Negative, code, error); }
    static Fault exceptionWord(uint16_t code, uint16_t word) { return withValue(FaultKind::ExceptionWord, code, word); }
    static Fault indicationFirst(uint16_t code, Bytes indication)
    {
        Fault fault = of(FaultKind::IndicationFirst, code);
        fault.bytes = std::move(indication);
        return fault;
    }
    static Fault absurdLength(uint16_t code, uint16_t length) { return withValue(FaultKind::AbsurdLength, code, length); }
    static Fault truncate(uint16_t code, uint16_t size) { return withValue(FaultKind::Truncate, code, size); }
    static Fault patchWord(uint16_t code, std::size_t offset, uint16_t value)
    {
        Fault fault = withValue(FaultKind::PatchWord, code, value);
        fault.offset = offset;
        return fault;
    }

private:
    static Fault withValue(FaultKind kind, uint16_t code, uint16_t value)
    {
        Fault fault = of(kind, code);
        fault.value = value;
        return fault;
    }
};

} // namespace korvo::sim
