-- Wireshark dissector for the quorrin controller protocol of KORVO NC ETH bus
-- couplers: node requests, confirmations and indications and the management
-- family on TCP port 1962, and the indication datagrams that the coupler sends
-- to the UDP ports the client library listens on (1024-2023).
--
-- Install: copy this file into the personal Lua plugins folder
-- (~/.local/lib/wireshark/plugins/ on Linux) or load it for one run with
-- "wireshark -X lua_script:quorrin.lua" or "tshark -X lua_script:quorrin.lua".

local quorrin = Proto("quorrin", "KORVO quorrin controller protocol")

local TCP_PORT = 1962
local REQUEST_HEADER = 12
local MANAGEMENT_REQUEST = 0x0401
local MANAGEMENT_CONFIRMATION = 0x0901

local node_services = {
    [0x0101] = "Open node",
    [0x0102] = "Close node",
    [0x0103] = "Write data",
    [0x0104] = "Read data",
    [0x0105] = "Send message",
    [0x0106] = "Receive message",
    [0x0107] = "Set message notification",
    [0x0108] = "Clear message notification",
    [0x0109] = "Device control",
    [0x010A] = "Read/write data",
    [0x0201] = "Read diagnostic register",
    [0x0202] = "Read DIP switch",
    [0x0203] = "Read system-fail register",
}

local control_commands = {
    [0x0801] = "Read MPM",
    [0x0802] = "Write MPM",
    [0x0803] = "Set host checking",
    [0x0804] = "Clear host checking",
    [0x0805] = "Set DTI timeout control",
    [0x0806] = "Clear DTI timeout control",
    [0x0807] = "Activate PD-in monitoring",
    [0x0808] = "Deactivate PD-in monitoring",
    [0x0809] = "Get watchdog status",
    [0x080A] = "Clear watchdog status",
    [0x080B] = "Get net-fail status",
    [0x080C] = "Clear net-fail status",
    [0x080D] = "Set net fail",
    [0x080E] = "Set net-fail mode",
    [0x080F] = "Get net-fail mode",
    [0x0810] = "Security login",
    [0x0812] = "Set security",
    [0x0813] = "Get security",
    [0x0820] = "Activate data indication",
    [0x0821] = "Deactivate data indication",
    [0x0822] = "Set data watch area",
    [0x0823] = "Clear data watch area",
    [0x0824] = "Clear all data watch areas",
}

local management_services = {
    [0x041B] = "Initiate management",
    [0x041C] = "Abort management",
    [0x0410] = "Set internet address",
    [0x0411] = "Set Ethernet address",
    [0x0412] = "Set port numbers",
    [0x0414] = "Get net configuration",
    [0x0415] = "Identify",
    [0x0416] = "Status",
    [0x0418] = "Hardware reset",
    [0x0421] = "Hardware reset mode",
    [0x0423] = "Set TCP mode",
    [0x0424] = "Get TCP mode",
}

-- Command words of the coupler firmware carried in mailbox messages.
local mailbox_commands = {
    [0x030B] = "Read configuration list",
    [0x0750] = "Set coupler variable",
    [0x1303] = "Reset 1303h",
    [0x0710] = "Reset 0710h",
    [0x0701] = "Reset 0701h",
    [0x0956] = "Restart",
}

local kinds = { [0] = "request", [1] = "confirmation", [2] = "indication" }

local f = quorrin.fields
f.code = ProtoField.uint16("quorrin.code", "Code", base.HEX)
f.length = ProtoField.uint16("quorrin.length", "Length", base.DEC)
f.seq = ProtoField.uint16("quorrin.seq", "Sequence number", base.DEC)
f.reserved = ProtoField.uint32("quorrin.reserved", "Reserved", base.HEX)
f.node_id = ProtoField.uint16("quorrin.node_id", "Node id", base.DEC)
f.access_mode = ProtoField.uint16("quorrin.access_mode", "Access mode", base.DEC)
f.exception = ProtoField.uint16("quorrin.exception", "Exception word", base.HEX)
f.exception_code = ProtoField.uint8("quorrin.exception_code", "Exception code", base.DEC)
f.word8 = ProtoField.uint16("quorrin.word8", "Word at 8", base.HEX)
f.status = ProtoField.uint16("quorrin.status", "Status", base.HEX)
f.word12 = ProtoField.uint16("quorrin.word12", "Word at 12", base.HEX)
f.error = ProtoField.uint16("quorrin.error", "Controller error code", base.HEX)
f.service = ProtoField.string("quorrin.service", "Service")
f.kind = ProtoField.string("quorrin.kind", "Message kind")
-- Frame types mark the links in the packet list; Wireshark before 3.6 lacks them.
f.request_in = ProtoField.framenum("quorrin.request_in", "Request in frame", base.NONE,
    frametype and frametype.REQUEST)
f.response_in = ProtoField.framenum("quorrin.response_in", "Confirmation in frame", base.NONE,
    frametype and frametype.RESPONSE)

f.name_length = ProtoField.uint16("quorrin.name_length", "Node name length", base.DEC)
f.node_name = ProtoField.string("quorrin.node_name", "Node name")
f.open_word = ProtoField.uint16("quorrin.open_word", "Open word", base.HEX)

f.address = ProtoField.uint16("quorrin.address", "Address", base.DEC)
f.data_length = ProtoField.uint16("quorrin.data_length", "Data length", base.DEC)
f.attribute = ProtoField.uint16("quorrin.attribute", "Attribute", base.HEX)
f.data = ProtoField.bytes("quorrin.data", "Data")
f.write_address = ProtoField.uint16("quorrin.write_address", "Write address", base.DEC)
f.write_length = ProtoField.uint16("quorrin.write_length", "Write length", base.DEC)
f.write_attribute = ProtoField.uint16("quorrin.write_attribute", "Write attribute", base.HEX)

f.tag1 = ProtoField.uint16("quorrin.tag1", "Tag 1", base.HEX)
f.tag2 = ProtoField.uint16("quorrin.tag2", "Tag 2", base.HEX)
f.message_length = ProtoField.uint16("quorrin.message_length", "Message length", base.DEC)
f.buffer_size = ProtoField.uint16("quorrin.buffer_size", "Buffer size", base.DEC)
f.message = ProtoField.bytes("quorrin.message", "Message")
f.mailbox_command = ProtoField.uint16("quorrin.mailbox.command", "Command word", base.HEX)
f.mailbox_name = ProtoField.string("quorrin.mailbox.name", "Command")
f.mailbox_count = ProtoField.uint16("quorrin.mailbox.count", "Parameter count", base.DEC)
f.mailbox_word = ProtoField.uint16("quorrin.mailbox.word", "Word", base.HEX)

f.notify_mode = ProtoField.uint16("quorrin.notify.mode", "Notification mode", base.DEC)
f.notify2 = ProtoField.uint32("quorrin.notify.notify2", "notify2", base.HEX)
f.notify1 = ProtoField.uint32("quorrin.notify.notify1", "notify1", base.HEX)
f.wait_time = ProtoField.int32("quorrin.notify.wait_time", "Wait time (ms)", base.DEC)

f.register = ProtoField.uint16("quorrin.register", "Register", base.HEX)
f.parameter_register = ProtoField.uint16("quorrin.parameter_register", "Parameter register", base.HEX)

f.control_command = ProtoField.uint16("quorrin.control.command", "Control command", base.HEX)
f.payload_length = ProtoField.uint16("quorrin.control.payload_length", "Payload length", base.DEC)
f.payload = ProtoField.bytes("quorrin.control.payload", "Payload")
f.results = ProtoField.bytes("quorrin.control.results", "Results")

f.mgmt_subcode = ProtoField.uint16("quorrin.mgmt.subcode", "Management sub-code", base.HEX)
f.mgmt_connection = ProtoField.uint16("quorrin.mgmt.connection", "Connection id", base.DEC)
f.mgmt_parameter_length = ProtoField.uint16("quorrin.mgmt.parameter_length", "Parameter length", base.DEC)
f.mgmt_parameters = ProtoField.bytes("quorrin.mgmt.parameters", "Parameters")
f.mgmt_status = ProtoField.uint16("quorrin.mgmt.status", "Status", base.HEX)
f.mgmt_error = ProtoField.uint16("quorrin.mgmt.error", "Controller error code", base.HEX)
f.mgmt_results = ProtoField.bytes("quorrin.mgmt.results", "Results")

f.datagram = ProtoField.string("quorrin.datagram", "Datagram")
f.first_error = ProtoField.uint16("quorrin.first_error", "First error word", base.HEX)
f.second_error = ProtoField.uint16("quorrin.second_error", "Second error word", base.HEX)
f.indication_value = ProtoField.uint32("quorrin.indication_value", "Indication value", base.HEX)
f.indication_word = ProtoField.uint16("quorrin.indication_word", "Indication word", base.HEX)

local e_negative = ProtoExpert.new("quorrin.negative", "Negative confirmation",
    expert.group.RESPONSE_CODE, expert.severity.WARN)
local e_exception = ProtoExpert.new("quorrin.exception.set", "Controller signals an exception",
    expert.group.RESPONSE_CODE, expert.severity.WARN)
local e_malformed = ProtoExpert.new("quorrin.malformed", "Message shorter than its fields",
    expert.group.MALFORMED, expert.severity.ERROR)
local e_datagram_error = ProtoExpert.new("quorrin.datagram_error", "Indication datagram reports an error",
    expert.group.RESPONSE_CODE, expert.severity.WARN)
quorrin.experts = { e_negative, e_exception, e_malformed, e_datagram_error }

quorrin.prefs.udp_ports = Pref.range("Indication UDP ports", "1024-2023",
    "UDP ports the client library listens on for indication datagrams", 65535)

-- Request frame numbers by connection and sequence number, for the links
-- between a request and its confirmation.
local requests = {}
local confirmations = {}

local function exchange_key(pinfo, seq, to_server)
    local client_port = to_server and pinfo.src_port or pinfo.dst_port
    local client = tostring(to_server and pinfo.src or pinfo.dst)
    return client .. ":" .. client_port .. "/" .. seq
end

-- Adds a field when its bytes are there; flags the message as cut otherwise.
local function add(tree, field, tvb, offset, size, message_tree)
    if offset + size > tvb:len() then
        message_tree:add_proto_expert_info(e_malformed)
        return nil
    end
    return tree:add(field, tvb(offset, size))
end

local function word(tvb, offset)
    if offset + 2 > tvb:len() then return nil end
    return tvb(offset, 2):uint()
end

-- The part of an announced count of bytes that is there; flags the message as cut
-- when the count claims more.
local function present(tvb, offset, count, message_tree)
    local available = math.max(tvb:len() - offset, 0)
    if available < count then
        message_tree:add_proto_expert_info(e_malformed)
        return available
    end
    return count
end

local function add_data(tree, field, tvb, offset, count, message_tree)
    if count == 0 then return end
    count = present(tvb, offset, count, message_tree)
    if count > 0 then tree:add(field, tvb(offset, count)) end
end

-- Decodes the words of a mailbox message as far as its bytes are there.
local function add_mailbox(tree, tvb, offset, count, message_tree)
    count = present(tvb, offset, count, message_tree)
    if count > 0 then tree:add(f.message, tvb(offset, count)) end
    if count < 2 then return nil end
    local command = word(tvb, offset)
    local item = tree:add(f.mailbox_command, tvb(offset, 2))
    local base_command = bit.band(command, 0x7FFF)
    local name = mailbox_commands[base_command]
    if name then
        if command ~= base_command then name = name .. " confirmation" end
        tree:add(f.mailbox_name, tvb(offset, 2), name):set_generated()
        item:append_text(" (" .. name .. ")")
    end
    if count >= 4 then tree:add(f.mailbox_count, tvb(offset + 2, 2)) end
    for i = offset + 4, offset + count - 2, 2 do
        tree:add(f.mailbox_word, tvb(i, 2))
    end
    return string.format("command %04Xh", command)
end

local function dissect_request_fields(code, tvb, tree, root)
    local info
    if code == 0x0101 then
        add(tree, f.name_length, tvb, 12, 2, root)
        -- The name length counts the terminating NUL.
        local count = present(tvb, 14, word(tvb, 12) or 0, root)
        if count > 0 then
            local length = count
            for i = 14, 14 + count - 1 do
                if tvb(i, 1):uint() == 0 then
                    length = i - 14
                    break
                end
            end
            if length == count then
                root:add_proto_expert_info(e_malformed, "Node name without its terminating NUL")
            end
            if length > 0 then
                tree:add(f.node_name, tvb(14, length))
                info = tvb(14, length):string()
            end
        end
    elseif code == 0x0103 then
        add(tree, f.address, tvb, 12, 2, root)
        add(tree, f.data_length, tvb, 14, 2, root)
        add(tree, f.attribute, tvb, 16, 2, root)
        local length = word(tvb, 14) or 0
        add_data(tree, f.data, tvb, 18, length, root)
        info = string.format("address %d, length %d", word(tvb, 12) or 0, length)
    elseif code == 0x0104 then
        add(tree, f.address, tvb, 12, 2, root)
        add(tree, f.data_length, tvb, 14, 2, root)
        add(tree, f.attribute, tvb, 16, 2, root)
        info = string.format("address %d, length %d", word(tvb, 12) or 0, word(tvb, 14) or 0)
    elseif code == 0x010A then
        add(tree, f.address, tvb, 12, 2, root)
        add(tree, f.data_length, tvb, 14, 2, root)
        add(tree, f.attribute, tvb, 16, 2, root)
        add(tree, f.write_address, tvb, 18, 2, root)
        add(tree, f.write_length, tvb, 20, 2, root)
        add(tree, f.write_attribute, tvb, 22, 2, root)
        add_data(tree, f.data, tvb, 24, word(tvb, 20) or 0, root)
        info = string.format("read %d at %d, write %d at %d", word(tvb, 14) or 0, word(tvb, 12) or 0,
            word(tvb, 20) or 0, word(tvb, 18) or 0)
    elseif code == 0x0105 then
        add(tree, f.tag1, tvb, 12, 2, root)
        add(tree, f.tag2, tvb, 14, 2, root)
        add(tree, f.message_length, tvb, 16, 2, root)
        info = add_mailbox(tree, tvb, 18, word(tvb, 16) or 0, root)
    elseif code == 0x0106 then
        add(tree, f.buffer_size, tvb, 12, 2, root)
    elseif code == 0x0107 or code == 0x0108 then
        add(tree, f.notify_mode, tvb, 12, 2, root)
        add(tree, f.notify2, tvb, 14, 4, root)
        add(tree, f.notify1, tvb, 18, 4, root)
        add(tree, f.wait_time, tvb, 22, 4, root)
    elseif code == 0x0109 then
        add(tree, f.control_command, tvb, 12, 2, root)
        add(tree, f.payload_length, tvb, 14, 2, root)
        add_data(tree, f.payload, tvb, 16, word(tvb, 14) or 0, root)
    end
    return info
end

local function dissect_confirmation_fields(code, tvb, tree, root)
    local info
    if code == 0x0101 then
        add(tree, f.node_id, tvb, 16, 2, root)
        add(tree, f.open_word, tvb, 18, 2, root)
        info = word(tvb, 16) and string.format("node id %d", word(tvb, 16))
    elseif code == 0x0104 or code == 0x010A then
        -- The confirmation does not repeat the length; what follows offset 20 is the data.
        if tvb:len() > 20 then
            add_data(tree, f.data, tvb, 20, tvb:len() - 20, root)
            info = string.format("%d data bytes", tvb:len() - 20)
        end
    elseif code == 0x0106 then
        add(tree, f.tag1, tvb, 18, 2, root)
        add(tree, f.tag2, tvb, 20, 2, root)
        add(tree, f.message_length, tvb, 22, 2, root)
        info = add_mailbox(tree, tvb, 24, word(tvb, 22) or 0, root)
    elseif code == 0x0109 then
        add(tree, f.control_command, tvb, 18, 2, root)
        if tvb:len() > 22 then add_data(tree, f.results, tvb, 22, tvb:len() - 22, root) end
    elseif code == 0x0201 then
        add(tree, f.register, tvb, 18, 2, root)
        add(tree, f.parameter_register, tvb, 20, 2, root)
    elseif code == 0x0202 or code == 0x0203 then
        add(tree, f.register, tvb, 18, 2, root)
    end
    return info
end

local function service_name(base_code, tvb, command_offset)
    local name = node_services[base_code] or string.format("Service %04Xh", base_code)
    if base_code == 0x0109 then
        local command = word(tvb, command_offset)
        if command then
            name = name .. ": " .. (control_commands[command] or string.format("command %04Xh", command))
        end
    end
    return name
end

local function link_exchange(tvb, pinfo, tree, seq, is_request)
    local key = exchange_key(pinfo, seq, is_request)
    if not pinfo.visited then
        if is_request then
            requests[key] = pinfo.number
        elseif requests[key] then
            confirmations[key] = pinfo.number
        end
    end
    if is_request and confirmations[key] then
        tree:add(f.response_in, confirmations[key]):set_generated()
    elseif not is_request and requests[key] then
        tree:add(f.request_in, requests[key]):set_generated()
    end
end

local function dissect_management(tvb, pinfo, tree, code)
    local is_request = code == MANAGEMENT_REQUEST
    local subtree = tree:add(quorrin, tvb(), "quorrin management " .. (is_request and "request" or "confirmation"))
    add(subtree, f.code, tvb, 0, 2, subtree)
    add(subtree, f.length, tvb, 2, 2, subtree)
    add(subtree, f.seq, tvb, 4, 2, subtree)
    local subcode = word(tvb, 10)
    add(subtree, f.mgmt_subcode, tvb, 10, 2, subtree)
    add(subtree, f.mgmt_connection, tvb, 12, 2, subtree)
    local base_subcode = subcode and (is_request and subcode or subcode - 0x0500) or 0
    local name = management_services[base_subcode] or string.format("Management %04Xh", subcode or 0)
    subtree:add(f.service, name):set_generated()
    subtree:add(f.kind, is_request and "request" or "confirmation"):set_generated()
    local info = name .. (is_request and " request" or " confirmation")
    if is_request then
        add(subtree, f.mgmt_parameter_length, tvb, 14, 2, subtree)
        add_data(subtree, f.mgmt_parameters, tvb, 16, word(tvb, 14) or 0, subtree)
    else
        add(subtree, f.mgmt_status, tvb, 14, 2, subtree)
        local status = word(tvb, 14)
        if status and status ~= 0 then
            add(subtree, f.mgmt_error, tvb, 18, 2, subtree)
            subtree:add_proto_expert_info(e_negative)
            info = info .. string.format(", negative, error %04Xh", word(tvb, 18) or 0)
        elseif tvb:len() > 22 then
            add_data(subtree, f.mgmt_results, tvb, 22, tvb:len() - 22, subtree)
        end
    end
    return info
end

local function dissect_message(tvb, pinfo, tree)
    pinfo.cols.protocol = "QUORRIN"
    local code = word(tvb, 0) or 0
    local info
    if code == MANAGEMENT_REQUEST or code == MANAGEMENT_CONFIRMATION then
        info = dissect_management(tvb, pinfo, tree, code)
    else
        local is_indication = bit.band(code, 0xC000) == 0xC000
        local is_request = bit.band(code, 0x8000) == 0
        local kind = is_indication and 2 or (is_request and 0 or 1)
        local base_code = bit.band(code, 0x3FFF)
        local name = service_name(base_code, tvb, is_request and 12 or 18)
        if is_indication then
            name = base_code == 0x0101 and "Process-data indication" or string.format("Indication %04Xh", code)
        end
        local subtree = tree:add(quorrin, tvb(), "quorrin " .. kinds[kind] .. ", " .. name)
        add(subtree, f.code, tvb, 0, 2, subtree)
        add(subtree, f.length, tvb, 2, 2, subtree)
        local announced = word(tvb, 2)
        if announced and announced > tvb:len() then
            subtree:add_proto_expert_info(e_malformed,
                string.format("Message of %d bytes announces %d", tvb:len(), announced))
        end
        add(subtree, f.seq, tvb, 4, 2, subtree)
        subtree:add(f.service, name):set_generated()
        subtree:add(f.kind, kinds[kind]):set_generated()
        info = name .. " " .. kinds[kind]
        local extra
        if is_request then
            add(subtree, f.reserved, tvb, 6, 4, subtree)
            add(subtree, base_code == 0x0101 and f.access_mode or f.node_id, tvb, 10, 2, subtree)
            extra = dissect_request_fields(base_code, tvb, subtree, subtree)
        else
            local exception = word(tvb, 6)
            local item = add(subtree, f.exception, tvb, 6, 2, subtree)
            if exception and bit.band(exception, 0xE000) ~= 0 then
                local exception_code = bit.rshift(exception, 12)
                subtree:add(f.exception_code, tvb(6, 1), exception_code):set_generated()
                item:add_proto_expert_info(e_exception, string.format("Controller signals exception %d", exception_code))
                info = info .. string.format(", exception %d", exception_code)
            end
            if is_indication then
                add(subtree, f.address, tvb, 18, 2, subtree)
                add(subtree, f.data_length, tvb, 20, 2, subtree)
                add(subtree, f.attribute, tvb, 22, 2, subtree)
                add_data(subtree, f.data, tvb, 24, word(tvb, 20) or 0, subtree)
                extra = string.format("address %d, length %d", word(tvb, 18) or 0, word(tvb, 20) or 0)
            else
                add(subtree, f.word8, tvb, 8, 2, subtree)
                add(subtree, f.status, tvb, 10, 2, subtree)
                add(subtree, f.word12, tvb, 12, 2, subtree)
                add(subtree, f.error, tvb, 14, 2, subtree)
                local status = word(tvb, 10)
                if status and status ~= 0 then
                    subtree:add_proto_expert_info(e_negative,
                        string.format("Negative confirmation, controller error %04Xh", word(tvb, 14) or 0))
                    info = info .. string.format(", negative, error %04Xh", word(tvb, 14) or 0)
                    -- A negative read-write may still carry the read data.
                    if base_code == 0x010A then
                        extra = dissect_confirmation_fields(base_code, tvb, subtree, subtree)
                    end
                else
                    extra = dissect_confirmation_fields(base_code, tvb, subtree, subtree)
                end
            end
        end
        if not is_indication then
            local seq = word(tvb, 4)
            if seq then link_exchange(tvb, pinfo, subtree, seq, is_request) end
        end
        if extra then info = info .. ", " .. extra end
    end
    pinfo.cols.info:append((tostring(pinfo.cols.info) ~= "" and "; " or "") .. info)
    return tvb:len()
end

local function message_length(tvb, pinfo, offset)
    -- Without reassembly a segment may end before the length field: the message is
    -- taken as the code and length it should have begun with, and shown cut.
    if tvb:len() - offset < 4 then
        return 4
    end
    -- A length shorter than the fixed header cannot be framed; take the rest as one message.
    local length = tvb(offset + 2, 2):uint()
    if length < REQUEST_HEADER then
        return tvb:len() - offset
    end
    return length
end

function quorrin.dissector(tvb, pinfo, tree)
    pinfo.cols.info:clear()
    dissect_tcp_pdus(tvb, tree, 4, message_length, dissect_message)
    return tvb:len()
end

-- Indication datagrams carry no code: the layout that matches the length wins.
local datagram = Proto("quorrin_udp", "KORVO quorrin indication datagram")

function datagram.dissector(tvb, pinfo, tree)
    if tvb:len() < 24 then return 0 end
    pinfo.cols.protocol = "QUORRIN"
    local is_monitoring = tvb:len() == 24 + tvb(20, 2):uint()
    local is_indication = tvb:len() >= 32 and tvb:len() == 32 + tvb(24, 2):uint()
    local name = is_monitoring and "PD-in monitoring datagram"
        or (is_indication and "Data indication datagram" or "Indication datagram")
    local subtree = tree:add(quorrin, tvb(), "quorrin " .. name)
    subtree:add(f.datagram, name):set_generated()
    subtree:add(f.status, tvb(10, 2))
    subtree:add(f.first_error, tvb(12, 2))
    subtree:add(f.second_error, tvb(14, 2))
    local info = name
    local status = tvb(10, 2):uint()
    if status ~= 0 then
        subtree:add_proto_expert_info(e_datagram_error, string.format("Datagram reports error %04X%04Xh",
            tvb(12, 2):uint(), tvb(14, 2):uint()))
        info = info .. string.format(", error %04X%04Xh", tvb(12, 2):uint(), tvb(14, 2):uint())
    elseif is_monitoring then
        subtree:add(f.address, tvb(18, 2))
        subtree:add(f.data_length, tvb(20, 2))
        subtree:add(f.attribute, tvb(22, 2))
        add_data(subtree, f.data, tvb, 24, tvb(20, 2):uint(), subtree)
        info = info .. string.format(", address %d, length %d", tvb(18, 2):uint(), tvb(20, 2):uint())
    elseif is_indication then
        subtree:add(f.indication_value, tvb(16, 4))
        subtree:add(f.address, tvb(22, 2))
        subtree:add(f.data_length, tvb(24, 2))
        subtree:add(f.attribute, tvb(26, 2))
        subtree:add(f.indication_word, tvb(28, 2))
        add_data(subtree, f.data, tvb, 32, tvb(24, 2):uint(), subtree)
        info = info .. string.format(", address %d, length %d", tvb(22, 2):uint(), tvb(24, 2):uint())
    end
    pinfo.cols.info = info
    return tvb:len()
end

local registered_udp_ports
local function register_udp_ports()
    local table = DissectorTable.get("udp.port")
    if registered_udp_ports then table:remove(registered_udp_ports, datagram) end
    registered_udp_ports = quorrin.prefs.udp_ports
    table:add(registered_udp_ports, datagram)
end

function quorrin.prefs_changed()
    register_udp_ports()
end

function quorrin.init()
    requests = {}
    confirmations = {}
end

DissectorTable.get("tcp.port"):add(TCP_PORT, quorrin)
register_udp_ports()
