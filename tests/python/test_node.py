"""Node against korvo-sim: process data, mailbox, diagnosis, errors, timeouts, closed nodes."""

from __future__ import annotations

import re
import threading
import time

import pytest

from quorrin import Message, MessageTooLongError, Node, QuorrinError, Result, set_client_options

READ_CONFIGURATION = bytes.fromhex("030B 0001 0003")
RESTART = bytes.fromhex("0956 0001 0000")
NO_MESSAGE = 0x0015  # korvo-sim's error for a receive with an empty mailbox
ADDRESS_RANGE = 0x0014  # korvo-sim's error for bytes beyond its 512-byte image
PLUG_AND_PLAY = 0x00A9  # korvo-sim's refusal of output writes in Plug & Play mode


def one_bit_set(word: bytes) -> bool:
    value = int.from_bytes(word, "big")
    return value != 0 and value & (value - 1) == 0


def module_count(coupler) -> int:
    return int(re.search(r"with (\d+) module", coupler.wait_for_line("simulates station")).group(1))


class TestProcessData:
    def test_read_delivers_the_inputs_of_the_image(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            inputs = data.read(0, 4)
        assert len(inputs) == 4
        # DI 16 and DI 8 behind the coupler each show their walking bit.
        assert one_bit_set(inputs[0:2]) and one_bit_set(inputs[2:4]), inputs.hex(" ")
        coupler.wait_for_line(r" read 0104h .* length 18 -> 8104h status 0")

    def test_write_reaches_the_output_module(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            # The simulated station logs its outputs once per tick, so each write waits for its line.
            for written, logged in ((b"\x12\x34", "12 34"), (bytearray(b"\x56\x78"), "56 78"),
                                    (memoryview(b"\x9a\xbc"), "9A BC")):
                data.write(0, written)
                coupler.wait_for_line(f"outputs of bus module 3 KORVO DO 16: {logged}$")

    def test_read_write_writes_then_reads_in_one_exchange(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            inputs = data.read_write(0, b"\x00\x05", 0, 2)
        assert one_bit_set(inputs), inputs.hex(" ")
        coupler.wait_for_line("outputs of bus module 3 KORVO DO 16: 00 05$")
        coupler.wait_for_line(r" 010Ah .* -> 810Ah status 0")

    def test_refused_write_raises_the_controller_code_and_read_write_still_reads(self, start_coupler, library):
        coupler = start_coupler("--refuse-writes", "pnp")
        with Node(coupler.node("N1_D")) as data:
            with pytest.raises(QuorrinError) as refused:
                data.write(0, b"\x01\x00")
            assert refused.value.code == Result.ERR_DEVICE_BASE + PLUG_AND_PLAY
            assert refused.value.controller_error == PLUG_AND_PLAY
            assert refused.value.name == "ERR_DEVICE_BASE + 0x00A9"
            assert not refused.value.dropped and not data.closed
            # The library delivers the inputs of a long negative confirmation as success.
            assert data.read_write(0, b"\x01\x00", 0, 2) == b"\x00\x00"

    def test_bytes_beyond_the_image_are_refused_by_the_controller(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            with pytest.raises(QuorrinError) as refused:
                data.read(500, 20)
            assert refused.value.controller_error == ADDRESS_RANGE
            assert not data.closed
            assert len(data.read(510, 2)) == 2

    @pytest.mark.parametrize(
        "call",
        [
            lambda node: node.read(0, 2029),
            lambda node: node.write(0, bytes(1037)),
            lambda node: node.read_write(0, bytes(1031), 0, 2),
            lambda node: node.read_write(0, b"\x00", 0, 2029),
        ],
        ids=["read 2029", "write 1037", "read-write 1031", "read-write read 2029"],
    )
    def test_request_over_the_library_limit_raises_and_keeps_the_node(self, coupler, call):
        with Node(coupler.node("N1_D")) as data:
            with pytest.raises(QuorrinError) as refused:
                call(data)
            assert refused.value.code == Result.ERR_REQUEST_LENGTH
            assert not data.closed
            assert len(data.read(0, 2)) == 2
        # The library refused before sending: the one read is all the simulator saw.
        assert coupler.count_after_closes(r" read 0104h | write 0103h | 010Ah ") == 1

    def test_requests_at_the_library_limit_go_out(self, coupler):
        # The simulated image has 512 bytes, so the controller is the one that refuses them.
        with Node(coupler.node("N1_D")) as data:
            for call in (lambda: data.read(0, 2028), lambda: data.write(0, bytes(1036)),
                         lambda: data.read_write(0, bytes(1030), 0, 2028)):
                with pytest.raises(QuorrinError) as refused:
                    call()
                assert refused.value.controller_error == ADDRESS_RANGE
            assert len(data.read(0, 512)) == 512

    @pytest.mark.parametrize("address, length", [(65536, 2), (-1, 2), (0, 65536), (0, -2), (0.5, 2), ("0", 2)])
    def test_numbers_ctypes_would_cut_are_refused_before_the_call(self, coupler, address, length):
        with Node(coupler.node("N1_D")) as data:
            with pytest.raises((ValueError, TypeError)):
                data.read(address, length)
            assert not data.closed
        assert coupler.count_after_closes(r" read 0104h ") == 0


    @pytest.mark.parametrize("data", [2, "ab", [1, 2]], ids=["int", "text", "list"])
    def test_data_that_is_not_bytes_is_refused_before_the_call(self, coupler, data):
        with Node(coupler.node("N1_D")) as data_node, Node(coupler.node("N1_M")) as mailbox:
            for call in (lambda: data_node.write(0, data), lambda: data_node.read_write(0, data, 0, 2),
                         lambda: mailbox.send_message(data)):
                with pytest.raises(TypeError):
                    call()
        assert coupler.count_after_closes(r" write 0103h | 010Ah | send-message ", closes=2) == 0


class TestMailbox:
    def test_configuration_list_is_answered(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            mailbox.send_message(READ_CONFIGURATION)
            answer = mailbox.receive_message(timeout=5)
        assert isinstance(answer, Message)
        words = [int.from_bytes(answer.data[i:i + 2], "big") for i in range(0, len(answer.data), 2)]
        assert words[0] == 0x830B
        assert words[7] == module_count(coupler)
        assert len(answer.data) == 2 * (8 + 2 * words[7])
        assert (answer.tag1, answer.tag2) == (0, 0)
        coupler.wait_for_line(r" send-message 0105h .* length 24 -> 8105h status 0")

    def test_receive_without_a_message_is_refused_at_once(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            with pytest.raises(QuorrinError) as refused:
                mailbox.receive_message()
            assert refused.value.controller_error == NO_MESSAGE
            assert not mailbox.closed
        assert coupler.count_after_closes("set-notification") == 0

    def test_receive_with_timeout_waits_that_long_for_a_message(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            started = time.monotonic()
            with pytest.raises(QuorrinError) as refused:
                mailbox.receive_message(timeout=0.5)
            waited = time.monotonic() - started
            assert refused.value.controller_error == NO_MESSAGE
            assert 0.45 <= waited < 3, waited
            # A message that is there is taken at once, however long the timeout.
            mailbox.send_message(READ_CONFIGURATION)
            started = time.monotonic()
            assert mailbox.receive_message(timeout=30).data[:2] == b"\x83\x0b"
            assert time.monotonic() - started < 10

    def test_notification_is_asked_once_per_timeout_and_ended_for_an_immediate_receive(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            for _ in range(2):
                mailbox.send_message(READ_CONFIGURATION)
                mailbox.receive_message(timeout=10)
            started = time.monotonic()
            with pytest.raises(QuorrinError):
                mailbox.receive_message()
            # Still on, the notification would have held this receive for 10 s.
            assert time.monotonic() - started < 5
        assert coupler.count_after_closes("set-notification") == 1
        coupler.wait_for_line(r" 0108h .* -> 8108h status 0")

    def test_message_longer_than_the_buffer_raises_with_its_start(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            mailbox.send_message(READ_CONFIGURATION)
            with pytest.raises(MessageTooLongError) as cut:
                mailbox.receive_message(timeout=5, buffer_size=8)
            assert isinstance(cut.value, QuorrinError)
            assert cut.value.code == Result.ERR_BUFFER_SIZE
            assert cut.value.start.data[:2] == b"\x83\x0b" and len(cut.value.start.data) == 8
            assert cut.value.length == 2 * (8 + 2 * module_count(coupler))
            assert not mailbox.closed

    def test_message_over_the_library_limit_is_not_sent(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            with pytest.raises(QuorrinError) as refused:
                mailbox.send_message(bytes(1037))
            assert refused.value.code == Result.ERR_REQUEST_LENGTH
            mailbox.send_message(bytes(1036))
        assert coupler.count_after_closes("send-message") == 1

    def test_timeout_and_tags_out_of_range_are_refused(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            with pytest.raises(ValueError):
                mailbox.receive_message(timeout=-1)
            with pytest.raises(ValueError):
                mailbox.send_message(b"\x00\x00", tag1=0x10000)


class TestDiagnostic:
    def test_diagnostic_follows_the_coupler_through_a_restart(self, coupler):
        with Node(coupler.node("N1_M")) as mailbox:
            running = mailbox.diagnostic()
            assert set(running) == {"statusRegister", "parameterRegister"}
            assert running["statusRegister"] & 0x80
            mailbox.send_message(RESTART)
            assert mailbox.receive_message(timeout=5).data[:2] == b"\x89\x56"
            assert mailbox.diagnostic()["statusRegister"] == 0


class TestClosedNode:
    def test_calls_on_a_closed_node_raise_node_state(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            pass
        assert data.closed
        data.close()
        for call in (lambda: data.read(0, 2), lambda: data.write(0, b"\x00"), lambda: data.diagnostic(),
                     lambda: data.receive_message(), lambda: data.handle):
            with pytest.raises(QuorrinError) as refused:
                call()
            assert refused.value.code == Result.ERR_NODE_STATE
            assert "closed" in str(refused.value)

    def test_closed_node_never_reaches_the_node_that_took_its_handle(self, coupler):
        first = Node(coupler.node("N1_D"))
        handle = first.handle
        first.close()
        with Node(coupler.node("N1_D")) as second:
            assert second.handle == handle
            with pytest.raises(QuorrinError):
                first.read(0, 2)
            assert len(second.read(0, 2)) == 2
        assert coupler.count_after_closes(r" read 0104h ", closes=2) == 1

    def test_failed_open_leaves_no_node(self, library, free_address):
        with pytest.raises(QuorrinError) as refused:
            Node(f"KNETHIP[{free_address}]N1_D")
        assert refused.value.code == Result.ERR_NETWORK
        assert refused.value.network_error == 10061
        assert "connection refused" in str(refused.value) and free_address in str(refused.value)

    def test_malformed_name_raises_node_name(self, library):
        with pytest.raises(QuorrinError) as refused:
            Node("KNETHIP127.0.0.1]N1_D")
        assert refused.value.code == Result.ERR_NODE_NAME
        with pytest.raises(ValueError):
            Node("KNETHIP[127.0.0.1]N1_D\0")


class TestTimeouts:
    def test_silent_controller_times_out_and_drops_the_node(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            # After the open: a name without timeouts sets them to 8 s.
            set_client_options(receive_timeout=1)
            coupler.pause()
            started = time.monotonic()
            try:
                with pytest.raises(QuorrinError) as silent:
                    data.read(0, 2)
            finally:
                coupler.resume()
            waited = time.monotonic() - started
            assert silent.value.code == Result.ERR_TIMEOUT
            assert silent.value.dropped and data.closed
            assert 0.9 <= waited < 6, waited
            with pytest.raises(QuorrinError) as after:
                data.read(0, 2)
            assert after.value.code == Result.ERR_NODE_STATE
            assert "dropped the node after ERR_TIMEOUT" in str(after.value)

    def test_answer_later_than_usual_but_within_the_timeout_is_taken(self, coupler):
        with Node(coupler.node("N1_D")) as data:
            set_client_options(receive_timeout=3)
            coupler.pause()
            resume = threading.Timer(0.3, coupler.resume)
            resume.start()
            try:
                assert len(data.read(0, 2)) == 2
            finally:
                resume.join()
            assert not data.closed
