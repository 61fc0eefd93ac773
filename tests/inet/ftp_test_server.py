#!/usr/bin/python3
"""An FTP server on the loopback interface for the Internet layer's tests.

It serves --root to the anonymous user and to user "device" (password
"secret"), writes its port to --port-file once it listens, and writes every
command it receives, one a line, to --log. Options make it refuse logins or
uploads, drop or stall an upload part way, or leave QUIT unanswered. It exits when its parent does,
or after --lifetime seconds.
"""

import argparse
import logging
import os
import time

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--refuse-login", action="store_true")
    parser.add_argument("--refuse-store", action="store_true")
    parser.add_argument("--drop-upload-after", type=int, default=0, help="bytes; 0: never")
    parser.add_argument("--stall-upload-after", type=int, default=0, help="bytes; 0: never")
    parser.add_argument("--ignore-quit", action="store_true")
    parser.add_argument("--lifetime", type=float, default=120.0)
    return parser.parse_args()


def make_handler(args):
    class RefusingAuthorizer(DummyAuthorizer):
        def validate_authentication(self, username, password, handler):
            raise AuthenticationFailed("Login incorrect.")

    class TestDTPHandler(DTPHandler):
        def handle_read(self):
            super().handle_read()
            received = self.tot_bytes_received
            if args.drop_upload_after and received >= args.drop_upload_after:
                self.cmd_channel.close()
            elif args.stall_upload_after and received >= args.stall_upload_after:
                self.ioloop.unregister(self._fileno)

        handle_read_event = handle_read

    class TestHandler(FTPHandler):
        dtp_handler = TestDTPHandler

        def pre_process_command(self, line, cmd, arg):
            with open(args.log, "a", encoding="utf-8") as log:
                log.write(line + "\n")
            super().pre_process_command(line, cmd, arg)

        def ftp_QUIT(self, line):
            if args.ignore_quit:
                return None
            return super().ftp_QUIT(line)

        def ftp_STOR(self, file, mode="w"):
            if args.refuse_store:
                self.respond("552 Requested file action aborted. Exceeded storage allocation.")
                return None
            return super().ftp_STOR(file, mode)

    authorizer = RefusingAuthorizer() if args.refuse_login else DummyAuthorizer()
    authorizer.add_anonymous(args.root, perm="elradfmw")
    authorizer.add_user("device", "secret", args.root, perm="elradfmw")
    TestHandler.authorizer = authorizer
    TestHandler.banner = "test server ready."
    TestHandler.auth_failed_timeout = 0.1
    return TestHandler


def main():
    args = parse_arguments()
    logging.basicConfig(level=logging.ERROR)
    server = FTPServer(("127.0.0.1", 0), make_handler(args))
    port_file = args.port_file + ".new"
    with open(port_file, "w", encoding="utf-8") as out:
        out.write("%d\n" % server.address[1])
    os.rename(port_file, args.port_file)

    parent = os.getppid()
    end = time.monotonic() + args.lifetime
    while time.monotonic() < end and os.getppid() == parent:
        server.serve_forever(timeout=0.1, blocking=False)
    server.close_all()


if __name__ == "__main__":
    main()
