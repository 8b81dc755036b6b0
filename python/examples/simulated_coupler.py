import sys, time
from quorrin import Node

host = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.10"    # where korvo-sim listens
with Node(f"KNETHIP[{host}]N1_D") as data, Node(f"KNETHIP[{host}]N1_M") as mailbox:
    print("inputs:", data.read(0, 4).hex(" "))                # DI 16 and DI 8: a walking bit each
    for outputs in (b"\x00\x01", b"\x00\x00"):                # output 1 of the DO 16 on, a second later off
        data.write(0, outputs)
        time.sleep(1)
    mailbox.send_message(bytes.fromhex("030B 0001 0003"))     # ask for the configuration list
    answer = mailbox.receive_message(timeout=2)
    print("answer", answer.data[:2].hex(), "lists", int.from_bytes(answer.data[14:16], "big"), "modules")
