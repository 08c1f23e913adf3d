#!/usr/bin/env python3
"""Reads a tessaline-cli trace and prints what the copy wrote into the instrument, as
`HHMMLL COUNT HEX...` runs of consecutive addresses, last write winning.

Parameter changes are `F0 43 1n <model ID> AH AM AL data F7`; the model ID's length is taken
from the mode change (address 0A 00 01) that every copy sends first."""
import sys

MODE_ADDRESS = [0x0A, 0x00, 0x01]


def sent_messages(path):
    with open(path, encoding="ascii", errors="replace") as trace:
        for line in trace:
            if line.startswith(">"):
                yield [int(pair, 16) for pair in line[1:].split()]


def main():
    messages = list(sent_messages(sys.argv[1]))
    header = None
    for message in messages:
        if len(message) >= 9 and message[-5:-2] == MODE_ADDRESS and message[1] == 0x43:
            header = message[:-5]
    if header is None:
        sys.exit("no mode change in the trace")
    written = {}
    after_mode = False
    for message in messages:
        if message[: len(header)] != header or message[-1] != 0xF7:
            continue
        body = message[len(header) : -1]
        if len(body) < 4:
            continue
        high, mid, low = body[:3]
        if [high, mid, low] == MODE_ADDRESS:
            after_mode = True
            continue
        if not after_mode:
            continue
        for offset, value in enumerate(body[3:]):
            written[(high << 16) | (mid << 8) | (low + offset)] = value
    runs = []
    for address in sorted(written):
        if runs and runs[-1][0] + len(runs[-1][1]) == address:
            runs[-1][1].append(written[address])
        else:
            runs.append((address, [written[address]]))
    for start, values in runs:
        print("%06X %d %s" % (start, len(values), " ".join("%02X" % v for v in values)))


if __name__ == "__main__":
    main()
