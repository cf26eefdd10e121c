# A loopback SMTP server for the tests: each message received becomes a folder
# (0, 1, ...) in the folder given as the first argument, holding "envelope"
# (sender, recipients, subject as the reader shows it, one a line, UTF-8) and
# every attachment decoded under
# its file name. Prints its port; ends by itself after the given seconds.
import email
import email.header
import os
import socket
import sys
import time

from aiosmtpd.controller import Controller

out, lifetime = sys.argv[1], float(sys.argv[2])


class Keep:
    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.content)
        folder = os.path.join(out, str(len([n for n in os.listdir(out) if not n.endswith(".tmp")])))
        os.mkdir(folder + ".tmp")
        subject = str(email.header.make_header(email.header.decode_header(message["Subject"] or "")))
        with open(os.path.join(folder + ".tmp", "envelope"), "w", encoding="utf-8") as f:
            f.write("\n".join([envelope.mail_from, *envelope.rcpt_tos, subject]) + "\n")
        for part in message.walk():
            name = part.get_filename()
            if name:
                with open(os.path.join(folder + ".tmp", os.path.basename(name)), "wb") as f:
                    f.write(part.get_payload(decode=True))
        os.rename(folder + ".tmp", folder)
        return "250 OK"


probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
controller = Controller(Keep(), hostname="127.0.0.1", port=port)
controller.start()
print(port, flush=True)
time.sleep(lifetime)
controller.stop()
