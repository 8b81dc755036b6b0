"""A node of a coupler's controller: process data, mailbox and diagnosis through libquorrin."""

from __future__ import annotations

import ctypes
import threading
from types import TracebackType
from typing import NoReturn, Optional, Union

from .errors import MessageTooLongError, QuorrinError, Result
from .library import library
from .records import (
    MAX_READ_DATA,
    MAX_RECEIVE_MESSAGE,
    MAX_SEND_MESSAGE,
    MAX_WRITE_DATA,
    DiagRecord,
    Message,
    MsgRecord,
    NotifyRecord,
    PdRecord,
)

ACCESS_MODE = 3
"""The access mode the coupler's nodes are opened with."""
ATTRIBUTE = 2
"""The process-data attribute the configurator gives every read and write."""

Data = Union[bytes, bytearray, memoryview]


def _word(name: str, value: int) -> int:
    # ctypes would cut a larger number to 16 bits and address other bytes than asked.
    if not isinstance(value, int) or not 0 <= value <= 0xFFFF:
        raise ValueError(f"{name} {value!r} is not a whole number in 0..65535")
    return value


def _bytes_of(data: Data) -> memoryview:
    # Only what holds bytes: bytes(5) would be five zero bytes, and a text has no bytes of its own.
    view = memoryview(data)
    return view if view.format == "B" and view.ndim == 1 else view.cast("B")


class Node:
    """An open node, such as ``KNETHIP[192.168.0.20]N1_D`` (process data) or ``...N1_M`` (mailbox).

    Each method makes its library call, one exchange with the controller (a receive
    with a new timeout asks for message notification first), and raises QuorrinError
    when the call does not return DDI_OK. After a network failure or a timeout the
    library drops the node: the node is then closed, as after close(). Calls on one
    Node from several threads take turns.
    """

    def __init__(self, name: str, access_mode: int = ACCESS_MODE) -> None:
        """Opens the node `name` (DDI_DevOpenNode); the library connects to its controller."""
        self._handle: Optional[int] = None
        self.name = name
        self._lib = library()
        encoded = name.encode()
        if b"\0" in encoded:
            raise ValueError(f"node name {name!r} holds a zero byte")
        handle = ctypes.c_uint32()
        result = self._lib.DDI_DevOpenNode(encoded, _word("access mode", access_mode), ctypes.byref(handle))
        if result:
            raise QuorrinError(result, "DDI_DevOpenNode", name, network_error=self._network_error(result))
        self._lock = threading.Lock()
        self._gone = "the node is closed"
        # Milliseconds of the message notification asked for, None while it is off.
        self._notification: Optional[int] = None
        # Buffers and records are kept, so a cyclic read or write allocates nothing on its way.
        self._input = (ctypes.c_ubyte * MAX_READ_DATA)()
        self._input_bytes = memoryview(self._input).cast("B")
        self._output = (ctypes.c_ubyte * max(MAX_WRITE_DATA, MAX_SEND_MESSAGE))()
        self._output_bytes = memoryview(self._output).cast("B")
        self._read = PdRecord(0, 0, ATTRIBUTE, ctypes.addressof(self._input))
        self._write = PdRecord(0, 0, ATTRIBUTE, ctypes.addressof(self._output))
        self._read_ref = ctypes.byref(self._read)
        self._write_ref = ctypes.byref(self._write)
        self._handle = handle.value

    @property
    def closed(self) -> bool:
        """True once the node was closed, or dropped by the library after a failure."""
        return self._handle is None

    @property
    def handle(self) -> int:
        """The library's handle of the node (64..319), for calls this module does not wrap."""
        return self._open("handle")

    def close(self) -> None:
        """Closes the node (DDI_DevCloseNode); closing a closed node does nothing.

        A close the controller refuses raises QuorrinError and leaves the node open.
        """
        with self._lock:
            if self._handle is None:
                return
            result = self._lib.DDI_DevCloseNode(self._handle)
            if result:
                self._fail("DDI_DevCloseNode", result, self._handle)
            self._handle = None
            self._gone = "the node is closed"

    def __enter__(self) -> Node:
        return self

    def __exit__(
        self,
        kind: Optional[type[BaseException]],
        value: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> None:
        self.close()

    def __del__(self) -> None:
        # A node left open would hold one of the library's 256 entries until the process ends.
        if getattr(self, "_handle", None) is not None:
            self._lib.DDI_DevCloseNode(self._handle)

    def __repr__(self) -> str:
        state = "closed" if self._handle is None else f"handle {self._handle}"
        return f"<quorrin.Node {self.name!r} {state}>"

    def read(self, address: int, length: int, *, attribute: int = ATTRIBUTE) -> bytes:
        """Reads `length` bytes (at most 2028) of the input image from byte `address` (DDI_DTI_ReadData)."""
        # The cyclic call of test scripts: checks and calls inline, each costs on every cycle.
        if not (0 <= address <= 0xFFFF and 0 <= length <= MAX_READ_DATA and 0 <= attribute <= 0xFFFF):
            return self._read_checked(address, length, attribute)
        with self._lock:
            handle = self._handle
            if handle is None:
                raise self._closed("DDI_DTI_ReadData")
            record = self._read
            record.address = address
            record.length = length
            record.attribute = attribute
            result = self._lib.DDI_DTI_ReadData(handle, self._read_ref)
            if result:
                self._fail("DDI_DTI_ReadData", result, handle)
            return self._input_bytes[:length].tobytes()

    def _read_checked(self, address: int, length: int, attribute: int) -> bytes:
        # Numbers out of range are refused here; a length over the library's limit goes
        # to the library with a buffer of its size, for the library to refuse.
        _word("address", address)
        _word("attribute", attribute)
        buffer = (ctypes.c_ubyte * _word("length", length))()
        with self._lock:
            handle = self._open("DDI_DTI_ReadData")
            record = PdRecord(length, address, attribute, ctypes.addressof(buffer))
            result = self._lib.DDI_DTI_ReadData(handle, ctypes.byref(record))
            if result:
                self._fail("DDI_DTI_ReadData", result, handle)
            return bytes(buffer)

    def write(self, address: int, data: Data, *, attribute: int = ATTRIBUTE) -> None:
        """Writes `data` (at most 1036 bytes) to the output image from byte `address` (DDI_DTI_WriteData)."""
        with self._lock:
            handle = self._open("DDI_DTI_WriteData")
            buffer = self._put(_word("address", address), data, _word("attribute", attribute))
            result = self._lib.DDI_DTI_WriteData(handle, self._write_ref)
            if buffer is not self._output:
                self._write.data = ctypes.addressof(self._output)
            if result:
                self._fail("DDI_DTI_WriteData", result, handle)

    def read_write(
        self,
        write_address: int,
        data: Data,
        read_address: int,
        read_length: int,
        *,
        attribute: int = ATTRIBUTE,
    ) -> bytes:
        """Writes `data` (at most 1030 bytes) at `write_address`, then reads `read_length` bytes
        at `read_address`, in one exchange (DDI_DTI_ReadWriteData).

        A refused write whose confirmation still carries the inputs returns them, as the library does.
        """
        with self._lock:
            handle = self._open("DDI_DTI_ReadWriteData")
            buffer = self._put(_word("write address", write_address), data, _word("attribute", attribute))
            record = self._read
            record.address = _word("read address", read_address)
            record.length = _word("read length", read_length)
            record.attribute = attribute
            if read_length > MAX_READ_DATA:
                oversized = (ctypes.c_ubyte * read_length)()
                record.data = ctypes.addressof(oversized)
            result = self._lib.DDI_DTI_ReadWriteData(handle, self._write_ref, self._read_ref)
            record.data = ctypes.addressof(self._input)
            if buffer is not self._output:
                self._write.data = ctypes.addressof(self._output)
            if result:
                self._fail("DDI_DTI_ReadWriteData", result, handle)
            return bytes(self._input_bytes[:read_length])

    def send_message(self, data: Data, *, tag1: int = 0, tag2: int = 0) -> None:
        """Sends one mailbox message of at most 1036 bytes (DDI_MXI_SndMessage)."""
        with self._lock:
            handle = self._open("DDI_MXI_SndMessage")
            view = _bytes_of(data)
            buffer = self._buffer_for(view)
            record = MsgRecord(_word("tag1", tag1), _word("length", view.nbytes), _word("tag2", tag2),
                               ctypes.addressof(buffer))
            result = self._lib.DDI_MXI_SndMessage(handle, ctypes.byref(record))
            if result:
                self._fail("DDI_MXI_SndMessage", result, handle)

    def receive_message(self, timeout: Optional[float] = None, *, buffer_size: int = MAX_RECEIVE_MESSAGE) -> Message:
        """Receives one mailbox message (DDI_MXI_RcvMessage) of at most `buffer_size` bytes.

        Without `timeout` the controller answers at once, negatively when no message
        waits. With `timeout` (seconds) message notification lets the controller hold
        the receive until a message arrives or the time is over; the notification
        stays on for the next receive with the same timeout.

        A longer message raises MessageTooLongError, which holds the message's start.
        """
        wait = None
        if timeout is not None:
            wait = round(timeout * 1000)
            if not 0 <= wait <= 0x7FFFFFFF:
                raise ValueError(f"timeout {timeout!r} is not a number of seconds in 0..2147483")
        size = _word("buffer size", buffer_size)
        with self._lock:
            handle = self._open("DDI_MXI_RcvMessage")
            self._notify(handle, wait)
            # A fresh, zeroed buffer: a cut message whose confirmation holds fewer bytes than
            # it announces leaves part of the buffer unwritten, which must not show older data.
            buffer = (ctypes.c_ubyte * size)()
            record = MsgRecord(0, size, 0, ctypes.addressof(buffer))
            result = self._lib.DDI_MXI_RcvMessage(handle, ctypes.byref(record))
            if result == Result.ERR_BUFFER_SIZE:
                start = Message(bytes(memoryview(buffer).cast("B")[:size]), record.tag1, record.tag2)
                raise MessageTooLongError("DDI_MXI_RcvMessage", self.name, start, record.length)
            if result:
                self._fail("DDI_MXI_RcvMessage", result, handle)
            return Message(bytes(memoryview(buffer).cast("B")[: record.length]), record.tag1, record.tag2)

    def diagnostic(self) -> dict[str, int]:
        """The controller's diagnosis registers (GetKNSDiagnostic): ``statusRegister`` and
        ``parameterRegister``, named as in DDI_DIAG_RECORD."""
        with self._lock:
            handle = self._open("GetKNSDiagnostic")
            record = DiagRecord()
            result = self._lib.GetKNSDiagnostic(handle, ctypes.byref(record))
            if result:
                self._fail("GetKNSDiagnostic", result, handle)
            return {name: getattr(record, name) for name, _ in DiagRecord._fields_}

    def _open(self, call: str) -> int:
        # A closed node's handle may already belong to a node opened since, so it is never passed on.
        handle = self._handle
        if handle is None:
            raise self._closed(call)
        return handle

    def _closed(self, call: str) -> QuorrinError:
        return QuorrinError(Result.ERR_NODE_STATE, call, self.name, detail=self._gone)

    def _buffer_for(self, data: memoryview) -> ctypes.Array[ctypes.c_ubyte]:
        # Data longer than the library takes gets a buffer of its own for the library to refuse.
        if data.nbytes > len(self._output):
            return (ctypes.c_ubyte * data.nbytes).from_buffer_copy(data)
        self._output_bytes[: data.nbytes] = data
        return self._output

    def _put(self, address: int, data: Data, attribute: int) -> ctypes.Array[ctypes.c_ubyte]:
        """Fills the write record; the buffer it returns must live until the call is over."""
        view = _bytes_of(data)
        record = self._write
        record.address = address
        record.length = _word("data length", view.nbytes)
        record.attribute = attribute
        buffer = self._buffer_for(view)
        if buffer is not self._output:
            record.data = ctypes.addressof(buffer)
        return buffer

    def _notify(self, handle: int, wait: Optional[int]) -> None:
        if wait == self._notification:
            return
        if wait is None:
            record = NotifyRecord(0, 0, self._notification or 0)
            result = self._lib.DDI_ClrMsgNotification(handle, ctypes.byref(record))
            call = "DDI_ClrMsgNotification"
        else:
            record = NotifyRecord(0, 0, wait)
            result = self._lib.DDI_SetMsgNotification(handle, ctypes.byref(record))
            call = "DDI_SetMsgNotification"
        if result:
            self._fail(call, result, handle)
        self._notification = wait

    def _network_error(self, result: int) -> Optional[int]:
        if result in (Result.ERR_NETWORK, Result.ERR_TIMEOUT):
            return int(self._lib.ETH_GetNetworkError(-1))
        return None

    def _fail(self, call: str, result: int, handle: int) -> NoReturn:
        # The library frees a node's entry after a network failure or timeout; its own
        # answer for the handle tells whether that happened.
        dropped = self._lib.ETH_GetNetworkError(handle) == -1
        error = QuorrinError(result, call, self.name, network_error=self._network_error(result), dropped=dropped)
        if dropped:
            self._handle = None
            self._notification = None
            self._gone = f"the library dropped the node after {error.name} in {call}"
        raise error
