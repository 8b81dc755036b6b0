// Node requests built byte by byte for the simulator tests that talk to it
// without the library.
#pragma once

#include "korvo_sim/controller.h"
#include "korvo_sim/message.h"

#include <cstdint>
#include <string>

namespace korvo::sim {

inline Bytes nodeRequest(uint16_t code, uint16_t node, const Bytes& fields = {})
{
    Bytes bytes(12, 0);
    writeBe16(bytes, 0, code);
    writeBe16(bytes, 10, node);
    bytes.insert(bytes.end(), fields.begin(), fields.end());
    writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

inline Bytes openNodeRequest(const std::string& name)
{
    Bytes fields(2);
    writeBe16(fields, 0, static_cast<uint16_t>(name.size() + 1));
    fields.insert(fields.end(), name.begin(), name.end());
    fields.push_back(0);
    return nodeRequest(0x0101, kAccessMode, fields);
}

inline Bytes closeNodeRequest(uint16_t node) { return nodeRequest(0x0102, node); }

inline Bytes readDataRequest(uint16_t node, uint16_t address, uint16_t length)
{
    Bytes fields;
    writeBe16(fields, 0, address);
    writeBe16(fields, 2, length);
    writeBe16(fields, 4, 2);
    return nodeRequest(0x0104, node, fields);
}

// Set notification with the given wait time in milliseconds (-1: no limit).
inline Bytes notificationRequest(uint16_t node, int32_t waitTime)
{
    Bytes fields;
    writeBe16(fields, 0, 1);
    writeBe32(fields, 2, 0);
    writeBe32(fields, 6, 0);
    writeBe32(fields, 10, static_cast<uint32_t>(waitTime));
    return nodeRequest(0x0107, node, fields);
}

inline Bytes receiveMessageRequest(uint16_t node, uint16_t bufferSize)
{
    Bytes fields;
    writeBe16(fields, 0, bufferSize);
    return nodeRequest(0x0106, node, fields);
}

} // namespace korvo::sim
