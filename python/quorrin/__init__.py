"""quorrin for Python: the client library of KORVO NC ETH bus couplers, through ctypes.

Every call goes to libquorrin, which carries it to the coupler's controller:

    from quorrin import Node

    with Node("KNETHIP[127.0.0.10]N1_D") as data:
        print(data.read(0, 2).hex(" "))
"""

from .errors import MessageTooLongError, QuorrinError, Result
from .library import LibraryNotFoundError
from .node import Node
from .options import ClientOptions, get_client_options, set_client_options
from .records import Message

__version__ = "0.1.0"

__all__ = [
    "ClientOptions",
    "LibraryNotFoundError",
    "Message",
    "MessageTooLongError",
    "Node",
    "QuorrinError",
    "Result",
    "get_client_options",
    "set_client_options",
]
