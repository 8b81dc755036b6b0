"""Result codes, their names and meanings, and what a QuorrinError tells."""

from __future__ import annotations

import quorrin_header

from quorrin import QuorrinError, Result
from quorrin.errors import MEANINGS, describe


def test_result_table_is_the_header_s():
    header = quorrin_header.results()
    assert {result.name: (result.value, MEANINGS[result]) for result in Result} == header


def test_controller_codes_are_named_by_their_base():
    assert describe(0xE0070015) == ("ERR_DEVICE_BASE + 0x0015", MEANINGS[Result.ERR_DEVICE_BASE], 0x0015)
    assert describe(0xE007FFFF)[2] == 0xFFFF
    # The header's own codes lie in the device range too; their names win.
    assert describe(Result.ERR_NODE_NAME)[:2] == ("ERR_NODE_NAME", MEANINGS[Result.ERR_NODE_NAME])
    # Register reads return the controller's code without the base.
    name, _, controller = describe(0x0091)
    assert (name, controller) == ("controller error 0x0091", 0x0091)
    assert describe(0xDEADBEEF) == ("unknown result", "not a result code of quorrin.h", None)


def test_error_text_names_call_node_code_meaning_and_network_error():
    error = QuorrinError(Result.ERR_NETWORK, "DDI_DTI_ReadData", "KNETHIP[127.0.0.1]N1_D", network_error=10054,
                         dropped=True)
    assert str(error) == (
        "DDI_DTI_ReadData on KNETHIP[127.0.0.1]N1_D failed: 0xE0071000 ERR_NETWORK (socket error, connection"
        " closed, malformed message or datagram; see ETH_GetNetworkError), network error 10054 (connection reset"
        " by peer); the library dropped the node"
    )
    assert (error.code, error.name, error.controller_error) == (Result.ERR_NETWORK, "ERR_NETWORK", None)
    # After a timeout the last network error is the library's own wait code, no socket error.
    timeout = QuorrinError(Result.ERR_TIMEOUT, "GetKNSDiagnostic", network_error=Result.ERR_TIMEOUT)
    assert str(timeout) == "GetKNSDiagnostic failed: 0xE0071001 ERR_TIMEOUT (a wait for a connection or for reply data timed out)"
