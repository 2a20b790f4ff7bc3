#!/usr/bin/python3
"""A private aiosmtpd server for the tests and the benchmark.

Listens on a free port of 127.0.0.1, prints "READY <port>" on stdout once it accepts connections and
saves every message it accepts into --out as <n>.eml (the bytes as received) and <n>.json (the
envelope and how the session was held). It ends on SIGTERM, SIGINT or when its stdin closes, so it
never outlives the process that started it.

Modes:
  starttls  STARTTLS required before anything else; AUTH required and offered over TLS only
  tls       TLS from the first byte; AUTH required
  plain     no TLS; AUTH offered (and required) only with --user
"""

import argparse
import asyncio
import json
import logging
import os
import signal
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

BUILTIN_MECHANISMS = ("LOGIN", "PLAIN")


class Handler:
    def __init__(self, args):
        self.args = args
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.args.refuse_rcpt:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        envelope.rcpt_tos.append(address)
        return "250 2.1.5 Ok"

    async def handle_DATA(self, server, session, envelope):
        if self.args.refuse_data:
            return "554 5.6.0 Message content rejected"
        self.count += 1
        base = os.path.join(self.args.out, "%06d" % self.count)
        ssl_object = server.transport.get_extra_info("ssl_object")
        auth = session.auth_data if session.authenticated else None
        meta = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "tls": ssl_object is not None,
            "tls_version": ssl_object.version() if ssl_object is not None else None,
            "auth_mechanism": auth[0] if auth else None,
            "auth_login": auth[1] if auth else None,
            "helo": session.host_name,
        }
        # The message first, its envelope last: a reader that sees the .json sees the whole message.
        with open(base + ".eml.tmp", "wb") as f:
            f.write(envelope.original_content)
        os.replace(base + ".eml.tmp", base + ".eml")
        with open(base + ".json.tmp", "w", encoding="utf-8") as f:
            json.dump(meta, f)
        os.replace(base + ".json.tmp", base + ".json")
        return "250 2.0.0 Ok: queued as %06d" % self.count


def authenticator(args):
    def check(server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        login = auth_data.login.decode("utf-8", "replace")
        password = auth_data.password.decode("utf-8", "replace")
        if login == args.user and password == args.password:
            return AuthResult(success=True, auth_data=(mechanism, login))
        return AuthResult(success=False, handled=False)

    return check


def tls_context(args):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=("starttls", "tls", "plain"), required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--mechanisms", default=",".join(BUILTIN_MECHANISMS),
                        help="the AUTH mechanisms offered, of " + ", ".join(BUILTIN_MECHANISMS))
    parser.add_argument("--refuse-rcpt", action="append", default=[])
    parser.add_argument("--refuse-data", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(level=logging.ERROR, stream=sys.stderr)
    # aiosmtpd warns for every connection of a mode without TLS that requires AUTH.
    warnings.simplefilter("ignore")
    offered = {m.strip().upper() for m in args.mechanisms.split(",") if m.strip()}
    excluded = [m for m in BUILTIN_MECHANISMS if m not in offered]
    handler = Handler(args)

    context = tls_context(args) if args.mode in ("starttls", "tls") else None
    common = dict(
        hostname="smtp.test",  # socket.getfqdn() for every connection would cost a DNS lookup
        authenticator=authenticator(args),
        auth_exclude_mechanism=excluded,
    )
    if args.mode == "starttls":
        def factory():
            return SMTP(handler, tls_context=context, require_starttls=True, auth_required=True,
                        auth_require_tls=True, **common)
        server_ssl = None
    elif args.mode == "tls":
        # Over implicit TLS aiosmtpd does not know the session is encrypted: AUTH is offered only
        # when it does not insist on TLS.
        def factory():
            return SMTP(handler, auth_required=True, auth_require_tls=False, **common)
        server_ssl = context
    else:
        required = args.user is not None

        def factory():
            return SMTP(handler, auth_required=required, auth_require_tls=False, **common)
        server_ssl = None

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(factory, host="127.0.0.1", port=0, ssl=server_ssl))
    port = server.sockets[0].getsockname()[1]

    for signum in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signum, loop.stop)

    def on_stdin():
        if not os.read(sys.stdin.fileno(), 4096):
            loop.stop()

    loop.add_reader(sys.stdin.fileno(), on_stdin)

    print("READY %d" % port, flush=True)
    loop.run_forever()
    server.close()
    os._exit(0)  # connections still open are dropped, not awaited


if __name__ == "__main__":
    main()
