#!/usr/bin/python3
"""Decodes a stored message with Python's email package and prints, one per line and
hex-encoded as UTF-8, its subject, the display name of its sender, its Bcc header and its body
(line ends as LF), for the tests to compare with what was sent.

  read_mail.py FILE
"""
import email
import email.policy
import sys

with open(sys.argv[1], "rb") as f:
    msg = email.message_from_bytes(f.read(), policy=email.policy.default)
sender = msg["From"]
fields = [
    str(msg["Subject"] or ""),
    sender.addresses[0].display_name if sender else "",
    str(msg["Bcc"] or ""),
    msg.get_content().replace("\r\n", "\n"),
]
for field in fields:
    print(field.encode("utf-8").hex())
