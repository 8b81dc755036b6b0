"""Finds and loads libquorrin once, and declares the prototypes of the calls this module makes."""

from __future__ import annotations

import ctypes
import os
import threading
from pathlib import Path
from typing import Mapping, Optional

from .records import DiagRecord, MsgRecord, NotifyRecord, PdRecord

SONAME = "libquorrin.so.0"
ENVIRONMENT = "QUORRIN_LIBRARY"


class LibraryNotFoundError(OSError):
    """libquorrin could not be loaded from any of the places this module looks."""


_u16 = ctypes.c_uint16
_u32 = ctypes.c_uint32
_i32 = ctypes.c_int32

# Every call is declared, so ctypes passes each argument as the header's C type and
# never guesses an int where the library takes a pointer. ctypes cuts integers that
# do not fit without a word, so the callers check ranges first.
_PROTOTYPES: dict[str, tuple[type, list[type]]] = {
    "ETH_SetClientOptions": (_u32, [_i32, ctypes.c_void_p, _u32]),
    "ETH_GetClientOptions": (_u32, [_i32, ctypes.c_void_p, ctypes.POINTER(_i32)]),
    "ETH_GetNetworkError": (_i32, [_i32]),
    "DDI_DevOpenNode": (_u32, [ctypes.c_char_p, _u16, ctypes.POINTER(_u32)]),
    "DDI_DevCloseNode": (_u32, [_u32]),
    "DDI_DTI_WriteData": (_u32, [_u32, ctypes.POINTER(PdRecord)]),
    "DDI_DTI_ReadData": (_u32, [_u32, ctypes.POINTER(PdRecord)]),
    "DDI_DTI_ReadWriteData": (_u32, [_u32, ctypes.POINTER(PdRecord), ctypes.POINTER(PdRecord)]),
    "DDI_MXI_SndMessage": (_u32, [_u32, ctypes.POINTER(MsgRecord)]),
    "DDI_MXI_RcvMessage": (_u32, [_u32, ctypes.POINTER(MsgRecord)]),
    "DDI_SetMsgNotification": (_u32, [_u32, ctypes.POINTER(NotifyRecord)]),
    "DDI_ClrMsgNotification": (_u32, [_u32, ctypes.POINTER(NotifyRecord)]),
    "GetKNSDiagnostic": (_u32, [_u32, ctypes.POINTER(DiagRecord)]),
}

_loaded: Optional[ctypes.CDLL] = None
_lock = threading.Lock()


def _declare(library: ctypes.CDLL, where: str) -> ctypes.CDLL:
    for name, (result, arguments) in _PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise LibraryNotFoundError(f"{where} is no libquorrin: it lacks {name}") from None
        function.restype = result
        function.argtypes = arguments
    return library


def load(environ: Mapping[str, str] = os.environ, here: Optional[Path] = None) -> ctypes.CDLL:
    """Loads libquorrin: from $QUORRIN_LIBRARY when set, else beside this package, else
    by the dynamic loader's search (LD_LIBRARY_PATH, the ld.so cache, /lib, /usr/lib).

    Raises LibraryNotFoundError naming every place it looked and why each failed.
    """
    here = Path(__file__).resolve().parent if here is None else here
    override = environ.get(ENVIRONMENT)
    if override:
        # A path set by hand is meant: falling back elsewhere would hide its mistake.
        candidates = [(f"{ENVIRONMENT}={override}", override)]
    else:
        beside = str(here / SONAME)
        candidates = [(beside, beside), (f"the loader's search for {SONAME}", SONAME)]
    failures = []
    for where, name in candidates:
        try:
            library = ctypes.CDLL(name)
        except OSError as error:
            failures.append(f"{where}: {error}")
        else:
            return _declare(library, where)
    raise LibraryNotFoundError(
        "libquorrin not found; looked at " + "; ".join(failures)
        + f". Install the package libquorrin0 or set {ENVIRONMENT} to the library's path."
    )


def library() -> ctypes.CDLL:
    """The loaded library, loaded on first use so that importing quorrin needs no library."""
    global _loaded
    if _loaded is None:
        with _lock:
            if _loaded is None:
                _loaded = load()
    return _loaded
