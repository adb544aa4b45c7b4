#!/usr/bin/python3
"""A mail sink for the tests: an SMTP server (aiosmtpd) on the given addresses and port that
stores each message as it was received into a Maildir and appends its envelope to a log.

  smtp_sink.py PORT MAILDIR ENVELOPE_LOG HOST [HOST...]
               [--tls CERT KEY SUBMISSION SMTPS AUTH_LOG] [--probe PORT CERT KEY]...

With --tls it also listens on 127.0.0.1 at SUBMISSION (STARTTLS required, then AUTH of the
user taro with the password secret) and at SMTPS (TLS from the first byte, AUTH likewise);
every AUTH command appends its port and "tls" or "plain" (the connection's state) to AUTH_LOG.
Each --probe is a TLS server with its own certificate that greets as POP3 and answers "+OK".
A --forgetful probe is the same with new session keys for every connection: it issues session
tickets but can never resume one.
"""
import asyncio
import json
import os
import signal
import sys
import socket
import ssl
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class LoggingSMTP(SMTP):
    """Notes, before answering, whether an AUTH command came over TLS."""

    def __init__(self, handler, auth_log, port, **kwargs):
        super().__init__(handler, **kwargs)
        self.auth_log, self.port = auth_log, port

    async def smtp_AUTH(self, arg):
        secured = self._tls_protocol is not None or (
            self.transport is not None and self.transport.get_extra_info("ssl_object") is not None)
        with open(self.auth_log, "a") as f:
            f.write("%d %s\n" % (self.port, "tls" if secured else "plain"))
        await super().smtp_AUTH(arg)


class LoggingController(Controller):
    def __init__(self, handler, auth_log, **kwargs):
        super().__init__(handler, **kwargs)
        self.auth_log = auth_log

    def factory(self):
        return LoggingSMTP(self.handler, self.auth_log, self.port, **self.SMTP_kwargs)


class Sink:
    def __init__(self, maildir, log):
        self.maildir = maildir
        self.log = log
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%d.%d_%d.norvtest" % (time.time(), os.getpid(), self.count)
        tmp = os.path.join(self.maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(envelope.original_content)
        os.chmod(tmp, 0o644)
        os.rename(tmp, os.path.join(self.maildir, "new", name))
        with open(self.log, "a") as f:
            f.write(json.dumps({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                                "file": name}) + "\n")
        return "250 OK stored"


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = isinstance(auth_data, LoginPassword) and auth_data.login == b"taro" and auth_data.password == b"secret"
    return AuthResult(success=ok, handled=False)


def probe(port, cert, key, forgetful=False):
    def context():
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(cert, key)
        return ctx
    ctx = context()
    listener = socket.create_server(("127.0.0.1", port))
    while True:
        conn, _ = listener.accept()
        if forgetful:
            ctx = context()
        def serve(c, ctx=ctx):
            try:
                with ctx.wrap_socket(c, server_side=True) as t:
                    t.sendall(b"+OK ready\r\n")
                    while t.recv(4096):
                        t.sendall(b"+OK\r\n")
            except (OSError, ssl.SSLError):
                pass
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


def main():
    port, maildir, log = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    args = sys.argv[4:]
    hosts, tls, probes = [], None, []
    while args:
        if args[0] == "--tls":
            tls, args = args[1:6], args[6:]
        elif args[0] in ("--probe", "--forgetful"):
            probes.append(args[1:4] + [args[0] == "--forgetful"])
            args = args[4:]
        else:
            hosts.append(args[0])
            args = args[1:]
    sink = Sink(maildir, log)
    controllers = [Controller(sink, hostname=h, port=port) for h in hosts]
    if tls:
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(tls[0], tls[1])
        controllers.append(LoggingController(sink, tls[4], hostname="127.0.0.1", port=int(tls[2]),
                                             tls_context=ctx, require_starttls=True,
                                             auth_require_tls=True, authenticator=authenticator))
        controllers.append(LoggingController(sink, tls[4], hostname="127.0.0.1", port=int(tls[3]),
                                             ssl_context=ctx, authenticator=authenticator,
                                             auth_require_tls=False))
    for p in probes:
        threading.Thread(target=probe, args=(int(p[0]), p[1], p[2], p[3]), daemon=True).start()
    for c in controllers:
        c.start()
    print("ready", flush=True)
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    for c in controllers:
        c.stop()


if __name__ == "__main__":
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
    main()
