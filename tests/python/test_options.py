"""The library-wide client options."""

from __future__ import annotations

import pytest

from quorrin import QuorrinError, Result, get_client_options, set_client_options


def test_initial_options_are_the_library_s(library):
    assert library == {"receive_timeout": 3, "connect_timeout": 3, "exchange_timeout": 0, "client_name": "quorrina"}


def test_options_set_are_read_back(library):
    set_client_options(receive_timeout=5, connect_timeout=4, exchange_timeout=7, client_name="Halle 3 Abnahme ü")
    assert get_client_options() == {"receive_timeout": 5, "connect_timeout": 4, "exchange_timeout": 7,
                                    "client_name": "Halle 3 Abnahme ü"}
    set_client_options(exchange_timeout=0)
    assert get_client_options()["exchange_timeout"] == 0
    assert get_client_options()["receive_timeout"] == 5


def test_client_name_longer_than_the_library_keeps_is_refused_by_it(library):
    set_client_options(client_name="x" * 127)
    assert get_client_options()["client_name"] == "x" * 127
    with pytest.raises(QuorrinError) as refused:
        set_client_options(client_name="y" * 128)
    assert refused.value.code == Result.ERR_OPTION_SIZE
    assert "ETH_SetClientOptions(client_name)" in str(refused.value)
    assert get_client_options()["client_name"] == "x" * 127


@pytest.mark.parametrize("value", [-1, 2**31, 1.5, "3"])
def test_a_bad_value_sets_no_option_at_all(library, value):
    with pytest.raises(ValueError):
        set_client_options(receive_timeout=9, connect_timeout=value)
    assert get_client_options() == library
