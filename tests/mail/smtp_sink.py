#!/usr/bin/python3
"""A mail sink for the tests: an SMTP server (aiosmtpd) on the given addresses and port that
stores each message as it was received into a Maildir and appends its envelope to a log.

  smtp_sink.py PORT MAILDIR ENVELOPE_LOG HOST [HOST...]
"""
import asyncio
import json
import os
import signal
import sys
import time

from aiosmtpd.controller import Controller


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


def main():
    port, maildir, log = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    sink = Sink(maildir, log)
    controllers = [Controller(sink, hostname=h, port=port) for h in sys.argv[4:]]
    for c in controllers:
        c.start()
    print("ready", flush=True)
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    for c in controllers:
        c.stop()


if __name__ == "__main__":
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
    main()
