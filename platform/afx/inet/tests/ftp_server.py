# A loopback FTP server for the tests: serves the folder given as the first
# argument to the user "scan" (password "secret") and to anonymous users,
# prints its port, and ends by itself after the given number of seconds.
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, lifetime = sys.argv[1], float(sys.argv[2])
logging.basicConfig(level=logging.ERROR)
FTPHandler.auth_failed_timeout = 0.1
authorizer = DummyAuthorizer()
authorizer.add_user("scan", "secret", root, perm="elradfmwMT")
authorizer.add_anonymous(root, perm="elradfmw")
FTPHandler.authorizer = authorizer
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.address[1], flush=True)
threading.Timer(lifetime, lambda: os._exit(0)).start()
server.serve_forever(handle_exit=False)
