#!/usr/bin/python3
"""The benchmark's baseline client: Python's smtplib sending the same message N times, one session per
letter (connect, EHLO, STARTTLS, EHLO, AUTH, MAIL, RCPT for each recipient, DATA, QUIT), verifying the
server's certificate against --cafile. Prints the seconds the N sessions took, as JSON."""

import argparse
import json
import smtplib
import ssl
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--cafile", required=True)
    parser.add_argument("--message", required=True)
    parser.add_argument("--sender", required=True)
    parser.add_argument("--recipient", action="append", required=True)
    parser.add_argument("--letters", type=int, default=200)
    args = parser.parse_args()

    with open(args.message, "rb") as f:
        message = f.read()
    # One context for the run, as a client that sends many letters would keep it.
    context = ssl.create_default_context(cafile=args.cafile)

    def send_one():
        with smtplib.SMTP(args.host, args.port, timeout=60) as smtp:
            smtp.starttls(context=context)
            smtp.login(args.user, args.password)
            refused = smtp.sendmail(args.sender, args.recipient, message)
            if refused:
                raise SystemExit("refused: %r" % refused)

    send_one()  # warm-up, not counted
    start = time.perf_counter()
    for _ in range(args.letters):
        send_one()
    print(json.dumps({"seconds": time.perf_counter() - start}))


if __name__ == "__main__":
    main()
