#!/usr/bin/python3
"""Parses a saved message with Python's email package, an independent reader of what was sent, and
prints what the tests check as JSON: the headers as raw and as decoded, the addresses of the address
headers, the date, the MIME structure and each leaf part's decoded bytes (base64), and the defects the
parser found.

Encoded words are decoded as RFC 2047 says (email.header): the package's newer header classes keep the
blank between two adjacent encoded words of a display name, which the RFC says to drop, and refuse a
decoded name that holds a line break instead of showing it."""

import base64
import email
import email.header
import email.policy
import email.utils
import json
import re
import sys


def decoded(value):
    return str(email.header.make_header(email.header.decode_header(value)))


def unfolded(value):
    return re.sub(r"\r?\n(?=[ \t])", "", value)


def addresses(message, name):
    values = message.get_all(name)
    if values is None:
        return None
    return [[decoded(display_name), address] for display_name, address in email.utils.getaddresses(values)]


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    message = email.message_from_bytes(raw, policy=email.policy.compat32)

    parts = []
    for part in message.walk():
        if part.is_multipart():
            continue
        parts.append({
            "content_type": part.get_content_type(),
            "charset": part.get_content_charset(),
            "disposition": part.get_content_disposition(),
            "transfer_encoding": part.get("Content-Transfer-Encoding"),
            "payload": base64.b64encode(part.get_payload(decode=True) or b"").decode("ascii"),
        })
    date = message.get("Date")
    parsed_date = email.utils.parsedate_to_datetime(date) if date is not None else None
    result = {
        "headers": [[name, decoded(value)] for name, value in message.items()],
        "raw_headers": [[name, unfolded(value)] for name, value in message.items()],
        "from": addresses(message, "From"),
        "to": addresses(message, "To"),
        "disposition_notification_to": addresses(message, "Disposition-Notification-To"),
        "date": parsed_date.isoformat() if parsed_date is not None else None,
        "content_type": message.get_content_type(),
        "is_multipart": message.is_multipart(),
        "parts": parts,
        "defects": [type(d).__name__ for part in message.walk() for d in part.defects],
    }
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
