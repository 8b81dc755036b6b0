// The Wireshark dissector tools/wireshark/quorrin.lua decoding captures that
// korvo-sim writes: every service the library uses, taken in-process, and a
// session of the korvo program against the korvo-sim program. Each message
// the simulator received must appear with its service name, code, sequence
// number and length, each confirmation beside it.
#include "korvo_sim/pcap_writer.h"
#include "korvo_sim/simulator.h"
#include "quorrin.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace korvo::sim;

struct Output {
    int status = -1;
    std::string text;
};

Output Shell(const std::string& command)
{
    Output output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return output;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.text.append(buffer.data(), n);
    int status = ::pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

bool TsharkAvailable()
{
    return Shell("command -v tshark").status == 0;
}

// An address of this process's own, so parallel tests never share port 1962.
std::string RandomLoopback()
{
    std::mt19937 random(static_cast<unsigned>(::getpid()) ^ std::random_device{}());
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "."
           + std::to_string(part(random));
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// One message as the dissector shows it.
struct Message {
    int frame = 0;
    std::string kind;
    std::string service;
    unsigned code = 0;
    unsigned length = 0;
    unsigned seq = 0;
};

struct Frame {
    int number = 0;
    unsigned tcpLength = 0;
    std::vector<Message> messages;
    std::string experts;
    std::string datagram;
    std::string mailboxCommands;
    std::string nodeNames;
};

unsigned Number(const std::string& text)
{
    return text.empty() ? 0u : static_cast<unsigned>(std::stoul(text, nullptr, 0));
}

std::vector<Frame> Decode(const std::filesystem::path& capture)
{
    const char* fields[] = {"frame.number", "tcp.len", "quorrin.kind", "quorrin.service", "quorrin.code",
                            "quorrin.length", "quorrin.seq", "_ws.expert.message", "quorrin.datagram",
                            "quorrin.mailbox.command", "quorrin.node_name"};
    std::string command = "tshark -X lua_script:" KORVO_DISSECTOR " -r " + capture.string()
                          + " -Y quorrin -T fields -E separator=/t -E occurrence=a -E 'aggregator=;'";
    for (const char* field : fields)
        command += std::string(" -e ") + field;
    Output output = Shell(command);
    EXPECT_EQ(output.status, 0) << output.text;
    std::vector<Frame> frames;
    for (const std::string& line : Split(output.text, '\n')) {
        auto columns = Split(line, '\t');
        if (columns.size() != std::size(fields))
            continue;
        Frame frame;
        frame.number = std::stoi(columns[0]);
        frame.tcpLength = Number(columns[1]);
        frame.experts = columns[7];
        frame.datagram = columns[8];
        frame.mailboxCommands = columns[9];
        frame.nodeNames = columns[10];
        auto kinds = Split(columns[2], ';');
        auto services = Split(columns[3], ';');
        auto codes = Split(columns[4], ';');
        auto lengths = Split(columns[5], ';');
        auto seqs = Split(columns[6], ';');
        for (std::size_t i = 0; i < kinds.size() && !kinds[i].empty(); ++i) {
            Message message{frame.number, kinds[i], i < services.size() ? services[i] : "",
                            i < codes.size() ? Number(codes[i]) : 0, i < lengths.size() ? Number(lengths[i]) : 0,
                            i < seqs.size() ? Number(seqs[i]) : 0};
            frame.messages.push_back(message);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<Message> Messages(const std::vector<Frame>& frames)
{
    std::vector<Message> messages;
    for (const auto& frame : frames)
        messages.insert(messages.end(), frame.messages.begin(), frame.messages.end());
    return messages;
}

std::string Hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

const std::map<unsigned, std::string> kNodeServices = {
    {0x0101, "Open node"}, {0x0102, "Close node"}, {0x0103, "Write data"}, {0x0104, "Read data"},
    {0x0105, "Send message"}, {0x0106, "Receive message"}, {0x0107, "Set message notification"},
    {0x0108, "Clear message notification"}, {0x010A, "Read/write data"}, {0x0201, "Read diagnostic register"},
    {0x0202, "Read DIP switch"}, {0x0203, "Read system-fail register"},
};
const std::map<unsigned, std::string> kControlCommands = {
    {0x0801, "Read MPM"}, {0x0802, "Write MPM"}, {0x0803, "Set host checking"}, {0x0804, "Clear host checking"},
    {0x0807, "Activate PD-in monitoring"}, {0x0809, "Get watchdog status"}, {0x080B, "Get net-fail status"},
    {0x0820, "Activate data indication"}, {0x0824, "Clear all data watch areas"},
};
const std::map<unsigned, std::string> kManagementServices = {
    {0x041B, "Initiate management"}, {0x041C, "Abort management"}, {0x0415, "Identify"}, {0x0416, "Status"},
    {0x0424, "Get TCP mode"},
};

// The name the dissector must give the request the simulator received.
std::string ExpectedService(const Request& request)
{
    if (request.code() == 0x0109)
        return "Device control: " + kControlCommands.at(request.word(12));
    if (request.code() == 0x0401)
        return kManagementServices.at(request.word(10));
    return kNodeServices.at(request.code());
}

// Every received request appears once as a request with its code, sequence
// number and length, and its confirmation after it with the same sequence number.
void ExpectEveryExchange(const std::vector<Message>& messages, const std::vector<Request>& requests)
{
    ASSERT_FALSE(requests.empty());
    for (const Request& request : requests) {
        const std::string what = "request " + Hex(request.code()) + " seq " + std::to_string(request.sequence());
        auto found = std::find_if(messages.begin(), messages.end(), [&](const Message& m) {
            return m.kind == "request" && m.code == request.code() && m.seq == request.sequence();
        });
        ASSERT_NE(found, messages.end()) << what;
        EXPECT_EQ(found->length, request.bytes.size()) << what;
        EXPECT_EQ(found->service, ExpectedService(request)) << what;
        unsigned confirmationCode = request.code() == 0x0401 ? 0x0901 : request.code() + 0x8000;
        auto confirmation = std::find_if(found, messages.end(), [&](const Message& m) {
            return m.kind == "confirmation" && m.code == confirmationCode
                   && (request.code() == 0x0401 || m.seq == request.sequence());
        });
        ASSERT_NE(confirmation, messages.end()) << what;
        EXPECT_EQ(confirmation->service, found->service) << what;
    }
}

class DissectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TsharkAvailable())
            GTEST_SKIP() << "tshark is not installed (scripts/install-deps.sh installs it with KORVO_WITH_TSHARK=1)";
        capture_ = std::filesystem::temp_directory_path()
                   / ("korvo-dissector-" + std::to_string(::getpid()) + "-"
                      + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".pcap");
    }
    void TearDown() override { std::filesystem::remove(capture_); }

    std::filesystem::path capture_;
};

TEST_F(DissectorTest, EveryLibraryServiceIsNamedWithItsCodeSequenceAndLength)
{
    const std::string address = RandomLoopback();
    auto writer = std::make_shared<PcapWriter>(capture_.string());
    Simulator simulator({address, kDefaultPort});
    simulator.setCapture(writer);
    std::mutex mutex;
    std::vector<Request> requests;
    simulator.setRequestTap([&](const Request& request) {
        std::lock_guard lock(mutex);
        requests.push_back(request);
    });
    simulator.start();
    int32_t second = 1;
    ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &second, 4);

    uint32_t data = 0;
    uint32_t mailbox = 0;
    ASSERT_EQ(DDI_DevOpenNode(("KNETHIP[" + address + "|1,1]N1_D").c_str(), 3, &data), DDI_OK);
    ASSERT_EQ(DDI_DevOpenNode(("KNETHIP[" + address + "|1,1]N1_M").c_str(), 3, &mailbox), DDI_OK);

    std::array<uint8_t, 8> bytes = {1, 2, 3, 4};
    DDI_PD_RECORD write{4, 0, 2, bytes.data()};
    EXPECT_EQ(DDI_DTI_WriteData(data, &write), DDI_OK);
    DDI_PD_RECORD read{2, 0, 2, bytes.data()};
    EXPECT_EQ(DDI_DTI_ReadData(data, &read), DDI_OK);
    EXPECT_EQ(DDI_DTI_ReadWriteData(data, &write, &read), DDI_OK);

    std::array<uint8_t, 6> command = {0x03, 0x0B, 0x00, 0x01, 0x00, 0x03};
    DDI_MSG_RECORD message{0, 6, 0, command.data()};
    EXPECT_EQ(DDI_MXI_SndMessage(mailbox, &message), DDI_OK);
    std::array<uint8_t, 256> received{};
    DDI_MSG_RECORD receive{0, static_cast<uint16_t>(received.size()), 0, received.data()};
    DDI_MXI_RcvMessage(mailbox, &receive);
    DDI_MSG_RECORD two[2] = {message, message};
    EXPECT_EQ(DDI_MXI_SndMultipleMessages(mailbox, two, 2), DDI_OK);
    DDI_NOTIFY_RECORD notify{1, 2, 100};
    EXPECT_EQ(DDI_SetMsgNotification(mailbox, &notify), DDI_OK);
    EXPECT_EQ(DDI_ClrMsgNotification(mailbox, &notify), DDI_OK);

    DDI_DIAG_RECORD diagnosis{};
    EXPECT_EQ(GetKNSDiagnostic(mailbox, &diagnosis), DDI_OK);
    uint16_t word = 0;
    EXPECT_EQ(GetDIPSwitch(mailbox, &word), DDI_OK);
    EXPECT_EQ(GetSysFailRegister(mailbox, &word), DDI_OK);

    EXPECT_EQ(ETH_WriteMPM(data, 100, 4, bytes.data()), DDI_OK);
    EXPECT_EQ(ETH_ReadMPM(data, 100, 4, bytes.data()), DDI_OK);
    word = 5;
    EXPECT_EQ(ETH_SetHostChecking(data, &word), DDI_OK);
    EXPECT_EQ(ETH_ClearHostChecking(data), DDI_OK);
    EXPECT_EQ(ETH_GetWatchdogStatus(data, &word), DDI_OK);
    uint16_t netFail[2] = {};
    EXPECT_EQ(ETH_GetNetFailStatus(data, netFail), DDI_OK);
    ETH_INDICATION_RECORD indication{ETH_MODE_OFF, 1, 2, 3};
    EXPECT_EQ(ETH_ActivateDataIndication(data, &indication), DDI_OK);
    EXPECT_EQ(ETH_ClearAllDataWatchAreas(data), DDI_OK);

    // Monitoring by callback: a change of the inputs arrives as a C101h
    // indication before the next confirmation on the node.
    ETH_MONITOR_RECORD monitor{ETH_MODE_CALLBACK, 0, 4, bytes.data(), [](uint32_t, DDI_PD_RECORD*) {}, -1};
    EXPECT_EQ(ETH_ActivatePDInMonitoring(data, &monitor), DDI_OK);
    simulator.controller().setInputs(0, Bytes{0x5A});
    EXPECT_EQ(DDI_DTI_ReadData(data, &read), DDI_OK);

    // A refusal, an exception word and a confirmation in three TCP segments.
    simulator.inject(Fault::negative(0x0104, 0x0091));
    EXPECT_EQ(DDI_DTI_ReadData(data, &read), ERR_DEVICE_BASE + 0x0091);
    simulator.inject(Fault::exceptionWord(0x0202, 0x3000));
    EXPECT_EQ(GetDIPSwitch(mailbox, &word), DDI_OK);
    simulator.inject(Fault::split(0x0104, 3, std::chrono::milliseconds(5)));
    read.length = 6;
    EXPECT_EQ(DDI_DTI_ReadData(data, &read), DDI_OK);

    uint32_t management = 0;
    ASSERT_EQ(ETH_InitiateManagement(address.c_str(), &management), DDI_OK);
    std::array<uint8_t, 96> identity{};
    EXPECT_EQ(ETH_Identify(management, identity.data()), DDI_OK);
    ETH_STATUS_RECORD status{};
    EXPECT_EQ(ETH_Status(management, &status), DDI_OK);
    uint16_t first = 0;
    EXPECT_EQ(ETH_GetTCPMode(management, &first, &word), DDI_OK);
    EXPECT_EQ(ETH_AbortManagement(management), DDI_OK);

    EXPECT_EQ(DDI_DevCloseNode(mailbox), DDI_OK);
    EXPECT_EQ(DDI_DevCloseNode(data), DDI_OK);
    simulator.stop();

    const Endpoint coupler{ntohl(inet_addr(address.c_str())), 40000};
    const Endpoint client{0x7F000001, QUORRIN_FIRST_DATAGRAM_PORT};
    writer->datagram(coupler, client, monitoringDatagram(0, 0, 0, 10, 2, Bytes{7, 8}));
    writer->datagram(coupler, client, indicationDatagram(0, 0, 0, 0x11223344, 20, 2, kAreaChanged, Bytes{9}));
    writer->datagram(coupler, client, monitoringDatagram(1, 0x0001, 0x0091, 0, 0, {}));
    writer.reset();

    auto frames = Decode(capture_);
    auto messages = Messages(frames);
    ExpectEveryExchange(messages, requests);

    std::string experts;
    std::string datagrams;
    bool splitReassembled = false;
    bool indicationSeen = false;
    for (const Frame& frame : frames) {
        experts += frame.experts + "\n";
        datagrams += frame.datagram + "\n";
        // Frames of one message each: the announced length is the segment's.
        if (frame.messages.size() == 1 && frame.tcpLength != 0 && frame.messages[0].code == 0x8104
            && frame.messages[0].length == 26) {
            splitReassembled = frame.tcpLength < 26;
        } else if (frame.messages.size() == 1 && frame.tcpLength != 0) {
            EXPECT_EQ(frame.messages[0].length, frame.tcpLength) << "frame " << frame.number;
        }
        for (const Message& message : frame.messages)
            indicationSeen |= message.kind == "indication" && message.service == "Process-data indication";
    }
    EXPECT_TRUE(splitReassembled) << "the 26-byte confirmation sent in three segments is one message";
    EXPECT_TRUE(indicationSeen);
    EXPECT_NE(experts.find("Negative confirmation, controller error 0091h"), std::string::npos) << experts;
    EXPECT_NE(experts.find("Controller signals exception 3"), std::string::npos) << experts;
    EXPECT_EQ(experts.find("shorter than its fields"), std::string::npos) << experts;
    EXPECT_NE(datagrams.find("PD-in monitoring datagram"), std::string::npos) << datagrams;
    EXPECT_NE(datagrams.find("Data indication datagram"), std::string::npos) << datagrams;
    EXPECT_NE(experts.find("Datagram reports error 00010091h"), std::string::npos) << experts;

    auto sent = std::find_if(frames.begin(), frames.end(), [](const Frame& f) { return f.messages.size() == 2; });
    ASSERT_NE(sent, frames.end()) << "the two messages of one send share a segment";
    EXPECT_EQ(sent->messages[0].service, "Send message");
    EXPECT_EQ(sent->messages[1].seq, sent->messages[0].seq + 1);
    EXPECT_NE(sent->mailboxCommands.find("0x030b"), std::string::npos) << sent->mailboxCommands;
}

Bytes RawMessage(uint16_t code, uint16_t announced, std::size_t size)
{
    Bytes bytes(size, 0);
    writeBe16(bytes, 0, code);
    writeBe16(bytes, 2, announced);
    return bytes;
}

TEST_F(DissectorTest, CutAndAbsurdMessagesAreFlaggedWithoutScriptErrors)
{
    {
        PcapWriter writer(capture_.string());
        const Endpoint client{0x7F000001, 40001};
        const Endpoint coupler{0x7F0000A3, 1962};
        uint32_t stream = writer.opened(client, coupler);
        // A write request without its fields, then one whose data runs past its end.
        writer.data(stream, Direction::ToServer, RawMessage(0x0103, 12, 12));
        Bytes write = RawMessage(0x0103, 20, 20);
        writeBe16(write, 14, 300);
        writer.data(stream, Direction::ToServer, write);
        // A receive confirmation cut after the header, a control request
        // announcing more payload than it holds, a length below the header.
        writer.data(stream, Direction::ToClient, RawMessage(0x8106, 16, 16));
        Bytes control = RawMessage(0x0109, 20, 20);
        writeBe16(control, 12, 0x0801);
        writeBe16(control, 14, 1000);
        writer.data(stream, Direction::ToServer, control);
        writer.data(stream, Direction::ToServer, RawMessage(0x0104, 3, 6));
        writer.closed(stream);
        writer.datagram(coupler, {0x7F000001, 1500}, Bytes(30, 0xFF));
        writer.datagram(coupler, {0x7F000001, 1500}, Bytes(5, 0xFF));
    }
    Output verbose = Shell("tshark -X lua_script:" KORVO_DISSECTOR " -r " + capture_.string() + " -V");
    EXPECT_EQ(verbose.status, 0) << verbose.text;
    EXPECT_EQ(verbose.text.find("Lua Error"), std::string::npos) << verbose.text;
    EXPECT_NE(verbose.text.find("Message shorter than its fields"), std::string::npos) << verbose.text;
    EXPECT_NE(verbose.text.find("Indication datagram"), std::string::npos) << verbose.text;

    auto messages = Messages(Decode(capture_));
    ASSERT_GE(messages.size(), 4u);
    EXPECT_EQ(messages[0].service, "Write data");
    EXPECT_EQ(messages[1].length, 20u) << "framed by the announced length, not by the data length inside";
    EXPECT_EQ(messages[3].service, "Device control: Read MPM");
}

// The committed captures of tests/wireshark/malformed, each a stream holding one
// message that is shorter than one of its lengths says (or a message cut by the TCP
// segments), and the mark the dissector must give it. Without reassembly the
// dissector sees segments as they are, as Wireshark shows them with
// "tcp.desegment_tcp_streams" off.
struct MalformedCapture {
    const char* file;
    const char* service;    // the service shown, empty: no message is shown
    const char* mark;       // an expert message that must appear, empty: none may
    bool reassembled;
};

const MalformedCapture kMalformedCaptures[] = {
    {"send-message-longer-than-present", "Send message", "Message shorter than its fields", true},
    {"send-message-longer-than-present", "Send message", "Message shorter than its fields", false},
    {"send-message-cut-inside-a-word", "Send message", "Message shorter than its fields", true},
    {"two-byte-message", "", "", true},
    {"two-byte-message", "Send message", "Message shorter than its fields", false},
    {"length-below-header", "Send message", "Message shorter than its fields", true},
    {"open-name-without-nul", "Open node", "Node name without its terminating NUL", true},
    {"receive-confirmation-longer-than-present", "Receive message", "Message shorter than its fields", true},
    {"read-write-data-longer-than-present", "Read/write data", "Message shorter than its fields", true},
    {"management-parameters-longer-than-present", "Identify", "Message shorter than its fields", true},
    {"indication-data-longer-than-present", "Process-data indication", "Message shorter than its fields", true},
    {"confirmation-in-two-segments", "Read data", "", true},
    {"confirmation-in-two-segments", "Read data", "Message of 10 bytes announces 30", false},
};

TEST_F(DissectorTest, CommittedMalformedCapturesAreMarkedWithoutScriptErrors)
{
    std::set<std::string> listed;
    for (const MalformedCapture& capture : kMalformedCaptures) {
        listed.insert(std::string(capture.file) + ".pcap");
        const std::string what = std::string(capture.file) + (capture.reassembled ? "" : " without reassembly");
        const std::string tshark = "tshark -X lua_script:" KORVO_DISSECTOR " -o tcp.desegment_tcp_streams:"
                                   + std::string(capture.reassembled ? "TRUE" : "FALSE") + " -r "
                                   KORVO_MALFORMED_CAPTURES "/" + capture.file + ".pcap";
        Output verbose = Shell(tshark + " -V");
        EXPECT_EQ(verbose.status, 0) << what << "\n" << verbose.text;
        EXPECT_EQ(verbose.text.find("Lua Error"), std::string::npos) << what << "\n" << verbose.text;
        EXPECT_EQ(verbose.text.find("Exception occurred"), std::string::npos) << what << "\n" << verbose.text;

        Output fields = Shell(tshark + " -Y quorrin -T fields -E occurrence=a -e quorrin.service -e _ws.expert.message");
        std::string services;
        std::string marks;
        for (const std::string& line : Split(fields.text, '\n')) {
            const auto columns = Split(line, '\t');
            if (columns.size() != 2)
                continue;
            services += columns[0];
            marks += columns[1];
        }
        if (*capture.service == '\0')
            EXPECT_EQ(services, "") << what << ": no message is complete";
        else
            EXPECT_NE(services.find(capture.service), std::string::npos) << what << ": " << services;
        if (*capture.mark == '\0')
            EXPECT_EQ(marks, "") << what;
        else
            EXPECT_NE(marks.find(capture.mark), std::string::npos) << what << ": " << marks;
    }
    for (const auto& entry : std::filesystem::directory_iterator(KORVO_MALFORMED_CAPTURES))
        EXPECT_EQ(listed.count(entry.path().filename().string()), 1u) << entry.path() << " has no expected mark";
}

bool Connectable(const std::string& address)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(1962);
    ::inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    ::close(fd);
    return ok;
}

// Parses the simulator's request log: "peer service CODEh node N seq S length L -> ...".
std::vector<Request> LoggedRequests(const std::string& log)
{
    std::vector<Request> requests;
    for (const std::string& line : Split(log, '\n')) {
        auto words = Split(line, ' ');
        if (words.size() < 9 || words[3] != "node" || words[5] != "seq" || words[7] != "length")
            continue;
        Request request;
        request.bytes.resize(Number(words[8]));
        writeBe16(request.bytes, 0, static_cast<uint16_t>(std::stoul(words[2], nullptr, 16)));
        writeBe16(request.bytes, 4, static_cast<uint16_t>(Number(words[6])));
        requests.push_back(std::move(request));
    }
    return requests;
}

TEST_F(DissectorTest, CheckAndIoSessionOfTheKorvoProgramDecodes)
{
    if (Shell(std::string(KORVO_CLI_BINARY) + " ping 127.0.0.1").status == 2)
        GTEST_SKIP() << "ICMP echo is not allowed for this user, and korvo check pings first";
    const std::string address = RandomLoopback();
    const std::string demo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";
    const std::filesystem::path log = capture_.string() + ".log";

    pid_t simulator = ::fork();
    if (simulator == 0) {
        std::freopen(log.c_str(), "w", stdout);
        ::execl(KORVO_SIM_BINARY, KORVO_SIM_BINARY, "--listen", address.c_str(), "--project", demo.c_str(), "--pcap",
                capture_.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 500 && !Connectable(address); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string korvo = std::string(KORVO_CLI_BINARY) + " ";
    Output check = Shell(korvo + "check " + address + " " + demo);
    Output io = Shell(korvo + "io " + address + " " + demo + " --cycles 2 --interval 50");
    ::kill(simulator, SIGTERM);
    int status = 0;
    ::waitpid(simulator, &status, 0);
    EXPECT_EQ(check.status, 0) << check.text;
    EXPECT_EQ(io.status, 0) << io.text;

    Output logged = Shell("cat " + log.string());
    std::filesystem::remove(log);
    auto requests = LoggedRequests(logged.text);
    auto frames = Decode(capture_);
    auto messages = Messages(frames);
    // The probe connections of the readiness wait carry no request; every request does.
    ExpectEveryExchange(messages, requests);
    EXPECT_EQ(messages.size(), 2 * requests.size()) << logged.text;

    std::string names;
    std::string commands;
    for (const Frame& frame : frames) {
        names += frame.nodeNames + " ";
        commands += frame.mailboxCommands + " ";
    }
    EXPECT_NE(names.find("KNETH01N1_M"), std::string::npos) << names;
    EXPECT_NE(names.find("KNETH01N1_D"), std::string::npos) << names;
    EXPECT_NE(commands.find("0x030b"), std::string::npos) << "read configuration list sent";
    EXPECT_NE(commands.find("0x830b"), std::string::npos) << "and its confirmation received";
    for (unsigned code : {0x0103u, 0x0104u, 0x0201u}) {
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const Message& m) { return m.code == code; }))
            << Hex(code);
    }
}

} // namespace
