"""Command line of ndxu-devsim: parses the options, starts the web server,
announces the ports and runs until the lifetime ends or a signal arrives."""

import argparse
import contextlib
import ipaddress
import json
import logging
import os
import shutil
import signal
import socket
import sys
import tempfile
import threading

from . import ftp, replies
from .device import Device, Settings
from .transcript import Transcript
from .web import WebServer

WEB_POLL_INTERVAL = 0.2


def _loopback_host(text):
    try:
        address = ipaddress.ip_address(text)
    except ValueError:
        raise argparse.ArgumentTypeError(
            f"{text!r} is not an IP address; give a loopback address (127.0.0.0/8 or ::1)") from None
    if not address.is_loopback:
        raise argparse.ArgumentTypeError(
            f"{text} is not a loopback address; the simulator listens on 127.0.0.0/8 or ::1 only")
    return str(address)


def _port(text):
    port = int(text)
    if not 0 <= port <= 65535:
        raise argparse.ArgumentTypeError(f"{text} is not a port number (0 picks a free port)")
    return port


def _lifetime(text):
    seconds = float(text)
    if seconds <= 0:
        raise argparse.ArgumentTypeError("the lifetime must be positive")
    return seconds


def _option_parser(parse, **fixed):
    """argparse type from a parser that raises ValueError with a readable message."""
    def convert(text):
        try:
            return parse(text, **fixed)
        except ValueError as err:
            raise argparse.ArgumentTypeError(str(err)) from None
    return convert


def build_parser():
    parser = argparse.ArgumentParser(
        prog="ndxu-devsim",
        description="Simulates the LAN modem's web server and its FTP download mode on loopback.")
    parser.add_argument("--host", type=_loopback_host, default="127.0.0.1",
                        help="loopback address to listen on (default 127.0.0.1)")
    parser.add_argument("--http-port", type=_port, default=8080, help="web port, 0 picks one (default 8080)")
    parser.add_argument("--ftp-port", type=_port, default=2121,
                        help="FTP port, 0 picks one; it only accepts connections in download mode (default 2121)")
    parser.add_argument("--port-file", help="write {http_port, ftp_port, pid} as JSON here once ready")
    parser.add_argument("--pidfile", help="write the process id here; removed at exit")
    parser.add_argument("--lifetime", type=_lifetime, default=900.0,
                        help="exit by itself after this many seconds (default 900)")
    parser.add_argument("--password", default="", help="the administration password (default empty)")
    parser.add_argument("--firmware-version", default="5.0.3", help="version on the status page (default 5.0.3)")
    parser.add_argument("--language", choices=("en", "de"), default="en", help="language of the login pages")
    parser.add_argument("--transcript", help="JSON-lines record of every request and FTP event")
    parser.add_argument("--ftp-root", help="the device's FTP directory (default: a temporary one)")
    parser.add_argument("--profile", action=argparse.BooleanOptionalAction, default=True,
                        help="whether the device has a profile to serve as prof.bin (default yes)")
    parser.add_argument("--reply", action="append", default=[], metavar="PAGE=KIND",
                        type=_option_parser(replies.parse_option),
                        help="scripted reply of a page; PAGE is one of " + ", ".join(replies.PAGES))
    parser.add_argument("--ftp", choices=("on", "off", "refuse-login"), default="on",
                        help="off: download mode starts no FTP server; refuse-login: every login gets 530")
    parser.add_argument("--stor-fault", action="append", default=[], metavar="KIND[:FILENAME]",
                        type=_option_parser(ftp.parse_fault, kinds=ftp.STOR_FAULTS),
                        help="upload fault: " + ", ".join(ftp.STOR_FAULTS))
    parser.add_argument("--retr-fault", action="append", default=[], metavar="KIND[:FILENAME]",
                        type=_option_parser(ftp.parse_fault, kinds=ftp.RETR_FAULTS),
                        help="download fault: " + ", ".join(ftp.RETR_FAULTS))
    return parser


def _reserve_port(host, port):
    """A socket bound to the FTP port but not listening yet: the port is taken,
    and connections to it are refused until download mode."""
    sock = socket.socket(socket.AF_INET6 if ":" in host else socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        sock.bind((host, port))
    except OSError as err:
        sock.close()
        raise OSError(err.errno, f"cannot take FTP port {host} {port}: {err.strerror}") from None
    return sock


def _ftp_root(path, stack):
    if path is None:
        path = tempfile.mkdtemp(prefix="ndxu-devsim-ftp-")
        stack.callback(shutil.rmtree, path, ignore_errors=True)
    os.makedirs(path, exist_ok=True)
    return os.path.abspath(path)


def _write_atomically(path, text):
    temporary = f"{path}.{os.getpid()}.tmp"
    with open(temporary, "w", encoding="ascii") as file:
        file.write(text)
    os.replace(temporary, path)


def _stop_on_signals():
    stop = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.set())
    return stop


def _settings(args, ftp_root):
    return Settings(password=os.fsencode(args.password), firmware_version=args.firmware_version,
                    language=args.language, ftp_root=ftp_root, has_profile=args.profile)


def _ftp_service(args, sock, ftp_root, transcript, stack):
    if args.ftp == "off":
        return None
    faults = ftp.FtpFaults(refuse_login=args.ftp == "refuse-login", stor=args.stor_fault, retr=args.retr_fault)
    service = ftp.FtpService(sock, ftp_root, faults, transcript)
    stack.callback(service.stop)
    return service


def _start_web(args, device, stack):
    try:
        server = WebServer((args.host, args.http_port), device.serve_connection)
    except OSError as err:
        raise OSError(err.errno, f"cannot listen on web port {args.host} {args.http_port}: {err.strerror}") from None
    stack.callback(server.server_close)
    threading.Thread(target=server.serve_forever, args=(WEB_POLL_INTERVAL,), name="web", daemon=True).start()
    stack.callback(server.shutdown)
    return server


def _announce(args, http_port, ftp_port, stack):
    if args.pidfile:
        _write_atomically(args.pidfile, f"{os.getpid()}\n")
        stack.callback(os.remove, args.pidfile)
    if args.port_file:
        _write_atomically(args.port_file, json.dumps({"http_port": http_port, "ftp_port": ftp_port,
                                                      "pid": os.getpid()}))
    print(f"ndxu-devsim ready http={http_port} ftp={ftp_port}", flush=True)


def run(args):
    stop = _stop_on_signals()
    with contextlib.ExitStack() as stack:
        ftp_root = _ftp_root(args.ftp_root, stack)
        transcript = stack.enter_context(Transcript(args.transcript))
        ftp_sock = stack.enter_context(_reserve_port(args.host, args.ftp_port))
        service = _ftp_service(args, ftp_sock, ftp_root, transcript, stack)
        device = Device(_settings(args, ftp_root), replies.ReplyTable(args.reply), transcript, service)
        web = _start_web(args, device, stack)
        _announce(args, web.server_address[1], ftp_sock.getsockname()[1], stack)
        stop.wait(args.lifetime)


def main(argv=None):
    args = build_parser().parse_args(argv)
    logging.basicConfig(level=logging.WARNING, format="ndxu-devsim: %(name)s: %(message)s")
    try:
        run(args)
    except OSError as err:
        sys.exit(f"ndxu-devsim: {err.strerror}")
    return 0
