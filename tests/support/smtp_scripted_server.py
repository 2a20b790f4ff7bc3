#!/usr/bin/python3
"""A small SMTP server of the tests' own, for the conversations a real server will not hold.

It speaks just enough SMTP for a client to deliver a message, and a JSON script (the file named by
--script) changes any reply: refuse EHLO, leave STARTTLS out, send plain text after the 220 to
STARTTLS, never answer, close the connection, answer with many lines or with control characters.

Script keys (all optional):
  tls         "none" (default) or "implicit": TLS from the first byte
  cert, key   the server's certificate and key (PEM) for STARTTLS and implicit TLS
  greeting    the greeting; default "220 scripted.test ESMTP"
  ehlo        the capability lines after the first line of the EHLO reply, before TLS
  ehlo_tls    the same once TLS is up; default: ehlo without STARTTLS
  replies     {"GREETING"|"EHLO"|"HELO"|"STARTTLS"|"MAIL"|"RCPT"|"DATA"|"MESSAGE"|"QUIT"|"RSET"|"AUTH":
              reply};
              a reply is a text (CR LF between the lines of a multi-line reply), "<stall>" (read on,
              never answer), "<close>" (close the connection) or a list of these, one per use (the
              last one repeats; uses are counted over every connection). MESSAGE is the reply to the
              message's final dot.
  starttls_inject  bytes (as text) sent in the same write as the 220 to STARTTLS
  user, password   credentials checked by AUTH PLAIN, LOGIN, CRAM-MD5 and XOAUTH2 (the password is
              the bearer token); a mechanism is accepted only when the EHLO lines list it
  auth_refusal  the reply to failed credentials; default "535 5.7.8 Authentication credentials invalid"
  refuse_mechanisms  mechanisms whose every attempt gets auth_refusal, credentials or not
  auth_required    MAIL gets "530 5.7.0 Authentication required" until AUTH succeeded

Every line the client sends is appended to --transcript as a JSON line
{"connection": n, "tls": bool, "line": text}; every message as {"connection": n, "message": base64};
the start and the end of each connection as {"connection": n, "event": "opened" or "closed"}.
Prints "READY <port>" once it listens; ends on SIGTERM or when stdin closes.
"""

import argparse
import base64
import hashlib
import hmac
import json
import os
import signal
import socket
import ssl
import sys
import threading

DEFAULT_EHLO = ["PIPELINING", "8BITMIME"]


class Closed(Exception):
    pass


class Connection:
    def __init__(self, server, sock, number):
        self.server = server
        self.script = server.script
        self.sock = sock
        self.number = number
        self.buffer = b""
        self.tls = False
        self.authenticated = False

    # -- wire ---------------------------------------------------------------------------------------
    def send(self, data):
        if isinstance(data, str):
            data = data.encode("utf-8")
        self.sock.sendall(data)

    def readline(self):
        while b"\n" not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise Closed()
            self.buffer += chunk
        line, _, self.buffer = self.buffer.partition(b"\n")
        return line.rstrip(b"\r")

    def record(self, **entry):
        entry["connection"] = self.number
        self.server.record(entry)

    def read_command(self):
        line = self.readline()
        self.record(tls=self.tls, line=line.decode("latin-1"))
        return line.decode("latin-1")

    def stall(self):
        # Reads on and never answers, until the client gives up.
        while True:
            self.readline()

    # -- replies ------------------------------------------------------------------------------------
    def scripted(self, key, default):
        replies = self.script.get("replies", {})
        if key not in replies:
            return default
        reply = replies[key]
        if isinstance(reply, list):
            reply = reply[min(self.server.use(key), len(reply) - 1)]
        return reply

    def emit(self, text, after=""):
        """Sends a reply (and what is to follow it in the same write), or stalls, or closes."""
        if text == "<stall>":
            self.stall()
        if text == "<close>":
            raise Closed()
        self.send(text + "\r\n" + after)

    def reply(self, key, default):
        """Sends the scripted reply for key, or default."""
        self.emit(self.scripted(key, default))

    def ehlo_reply(self, name):
        lines = self.script.get("ehlo", DEFAULT_EHLO)
        if self.tls:
            lines = self.script.get("ehlo_tls", [l for l in lines if l.upper() != "STARTTLS"])
        all_lines = ["scripted.test greets " + name] + lines
        return "\r\n".join(
            "250%s%s" % ("-" if i + 1 < len(all_lines) else " ", text) for i, text in enumerate(all_lines))

    def capabilities(self):
        lines = self.script.get("ehlo", DEFAULT_EHLO)
        if self.tls:
            lines = self.script.get("ehlo_tls", [l for l in lines if l.upper() != "STARTTLS"])
        return [l.upper() for l in lines]

    def mechanisms(self):
        found = []
        for line in self.capabilities():
            words = line.replace("=", " ").split()
            if words and words[0] == "AUTH":
                found += words[1:]
        return found

    # -- the session --------------------------------------------------------------------------------
    def run(self):
        if self.script.get("tls") == "implicit":
            self.start_tls()
        self.reply("GREETING", self.script.get("greeting", "220 scripted.test ESMTP"))
        while True:
            line = self.read_command()
            verb = line.split(" ", 1)[0].upper()
            argument = line[len(verb) + 1:]
            if verb == "EHLO":
                self.reply("EHLO", self.ehlo_reply(argument))
            elif verb == "HELO":
                self.reply("HELO", "250 scripted.test")
            elif verb == "STARTTLS":
                if "STARTTLS" not in self.capabilities() or self.tls:
                    self.reply("STARTTLS", "502 5.5.1 STARTTLS not available")
                    continue
                text = self.scripted("STARTTLS", "220 2.0.0 Ready to start TLS")
                self.emit(text, self.script.get("starttls_inject", ""))
                if text.startswith("220"):
                    self.start_tls()
            elif verb == "AUTH":
                self.authenticate(argument)
            elif verb == "MAIL":
                if self.script.get("auth_required") and not self.authenticated:
                    self.send("530 5.7.0 Authentication required\r\n")
                    continue
                self.reply("MAIL", "250 2.1.0 Ok")
            elif verb == "RCPT":
                self.reply("RCPT", "250 2.1.5 Ok")
            elif verb == "DATA":
                text = self.scripted("DATA", "354 End data with <CR><LF>.<CR><LF>")
                self.emit(text)
                if text.startswith("354"):
                    self.read_message()
                    self.reply("MESSAGE", "250 2.0.0 Ok: queued")
            elif verb == "RSET":
                self.reply("RSET", "250 2.0.0 Ok")
            elif verb == "NOOP":
                self.send("250 2.0.0 Ok\r\n")
            elif verb == "QUIT":
                self.reply("QUIT", "221 2.0.0 Bye")
                return
            else:
                self.send("502 5.5.2 Error: command not recognized\r\n")

    def start_tls(self):
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(self.script["cert"], self.script["key"])
        # RFC 3207: what came before the handshake is not part of the TLS session.
        self.buffer = b""
        try:
            self.sock = context.wrap_socket(self.sock, server_side=True)
        except (ssl.SSLError, OSError):
            raise Closed()
        self.tls = True

    def read_message(self):
        lines = []
        while True:
            line = self.readline()
            if line == b".":
                break
            lines.append(line[1:] if line.startswith(b".") else line)
        message = b"".join(l + b"\r\n" for l in lines)
        self.record(message=base64.b64encode(message).decode("ascii"))

    # -- AUTH ---------------------------------------------------------------------------------------
    def challenge(self, text):
        self.send(b"334 " + base64.b64encode(text) + b"\r\n")
        answer = self.read_command().strip()
        if answer == "*":
            self.send("501 5.7.0 Authentication aborted\r\n")
            return None
        try:
            return base64.b64decode(answer, validate=True)
        except ValueError:
            self.send("501 5.5.2 Cannot decode response\r\n")
            return None

    def authenticate(self, argument):
        scripted = self.scripted("AUTH", None)
        if scripted is not None:
            self.reply("AUTH", scripted)
            return
        words = argument.split()
        mechanism = words[0].upper() if words else ""
        initial = words[1] if len(words) > 1 else None
        if mechanism not in self.mechanisms():
            self.send("504 5.5.4 Unrecognized authentication type\r\n")
            return
        user = self.script.get("user", "").encode("utf-8")
        password = self.script.get("password", "").encode("utf-8")
        refusal = self.script.get("auth_refusal", "535 5.7.8 Authentication credentials invalid")
        ok = False
        if mechanism == "PLAIN":
            data = base64.b64decode(initial) if initial else self.challenge(b"")
            if data is None:
                return
            ok = data.split(b"\0")[1:] == [user, password]
        elif mechanism == "LOGIN":
            login = self.challenge(b"Username:")
            if login is None:
                return
            secret = self.challenge(b"Password:")
            if secret is None:
                return
            ok = login == user and secret == password
        elif mechanism == "CRAM-MD5":
            nonce = b"<%d.%d@scripted.test>" % (os.getpid(), self.number)
            answer = self.challenge(nonce)
            if answer is None:
                return
            expected = user + b" " + hmac.new(password, nonce, hashlib.md5).hexdigest().encode("ascii")
            ok = answer == expected
        elif mechanism == "XOAUTH2":
            data = base64.b64decode(initial) if initial else b""
            ok = data == b"user=" + user + b"\x01auth=Bearer " + password + b"\x01\x01"
            if not ok:
                # The error comes as a challenge that the client answers with an empty line.
                error = json.dumps({"status": "400", "schemes": "Bearer"}).encode("ascii")
                self.send(b"334 " + base64.b64encode(error) + b"\r\n")
                self.read_command()
        if mechanism in self.script.get("refuse_mechanisms", []):
            ok = False
        self.authenticated = ok
        self.send(("235 2.7.0 Authentication successful" if ok else refusal) + "\r\n")


class Server:
    def __init__(self, script, transcript):
        self.script = script
        self.transcript = transcript
        self.lock = threading.Lock()
        self.connections = 0
        self.uses = {}

    def use(self, key):
        """How many times the reply for key was used before, over every connection."""
        with self.lock:
            count = self.uses.get(key, 0)
            self.uses[key] = count + 1
            return count

    def record(self, entry):
        with self.lock:
            with open(self.transcript, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")

    def serve(self, listener):
        while True:
            sock, _ = listener.accept()
            with self.lock:
                self.connections += 1
                number = self.connections
            threading.Thread(target=self.handle, args=(sock, number), daemon=True).start()

    def handle(self, sock, number):
        connection = Connection(self, sock, number)
        connection.record(event="opened")
        try:
            connection.run()
        except (Closed, OSError, ssl.SSLError):
            pass
        finally:
            try:
                connection.sock.close()
            except OSError:
                pass
            connection.record(event="closed")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--script", required=True)
    parser.add_argument("--transcript", required=True)
    args = parser.parse_args()
    with open(args.script, encoding="utf-8") as f:
        script = json.load(f)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    server = Server(script, args.transcript)
    threading.Thread(target=server.serve, args=(listener,), daemon=True).start()

    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    print("READY %d" % listener.getsockname()[1], flush=True)
    # Ends when the parent closes stdin or dies.
    while os.read(sys.stdin.fileno(), 4096):
        pass
    os._exit(0)


if __name__ == "__main__":
    main()
