# SPDX-License-Identifier: MIT
"""Command line of ndxu-devsim: parses the options, starts the web server,
announces the ports and runs until the lifetime ends or a signal arrives."""

import argparse
import contextlib
import ipaddress
import json
import logging
import os
import shlex
import signal
import sys
import threading
import time

from . import assembly, ftp_faults, replies

PARENT_POLL_INTERVAL = 0.5


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


def _delay(text):
    seconds = float(text)
    if not 0 <= seconds <= 3600:
        raise argparse.ArgumentTypeError("a delay must lie between 0 and 3600 seconds")
    return seconds


def _positive_count(text):
    count = int(text)
    if count <= 0:
        raise argparse.ArgumentTypeError(f"{text} must be positive")
    return count


def _count(text):
    count = int(text)
    if count < 0:
        raise argparse.ArgumentTypeError(f"{text} must not be negative")
    return count


def _ftp_user(text):
    name, sep, password = text.partition(":")
    if not sep or not name or name == "anonymous":
        raise argparse.ArgumentTypeError(f"expected NAME:PASSWORD with a NAME other than anonymous, got {text!r}")
    return name, password


# Options that say where the devices are, or concern the whole simulator:
# not to be given for one device alone.
WHOLE_SIMULATOR_OPTIONS = ("--host", "--http-port", "--ftp-port", "--port-file", "--pidfile", "--lifetime",
                           "--transcript", "--ftp-root", "--devices", "--consecutive-hosts", "--for-device",
                           "--version", "--help", "-h")


def _for_device(text):
    """(index, [option, ...]) for I:OPTIONS, OPTIONS split as a shell would."""
    index, sep, options = text.partition(":")
    if not sep or not index.isdigit():
        raise argparse.ArgumentTypeError(f"expected I:OPTIONS with I a device number, got {text!r}")
    try:
        tokens = shlex.split(options)
    except ValueError as err:
        raise argparse.ArgumentTypeError(f"cannot split {options!r}: {err}") from None
    for token in tokens:
        if token.partition("=")[0] in WHOLE_SIMULATOR_OPTIONS:
            raise argparse.ArgumentTypeError(f"{token.partition('=')[0]} applies to the whole simulator, "
                                             "not to one device")
    return int(index), tokens


def _option_parser(parse, **fixed):
    """argparse type from a parser that raises ValueError with a readable message."""
    def convert(text):
        try:
            return parse(text, **fixed)
        except ValueError as err:
            raise argparse.ArgumentTypeError(str(err)) from None
    return convert


class _HelpFormatter(argparse.HelpFormatter):
    """--help with a one-line usage headed "Usage:", the form help2man reads
    to make the manual page's synopsis."""

    def add_usage(self, usage, actions, groups, prefix=None):
        super().add_usage("%(prog)s [OPTION]...", actions, groups, prefix or "Usage: ")


def build_parser(version=None):
    parser = argparse.ArgumentParser(
        prog="ndxu-devsim", formatter_class=_HelpFormatter,
        description="Simulates the LAN modem's web server and its FTP download mode on loopback.")
    if version:
        parser.add_argument("--version", action="version", version=f"ndxu-devsim {version}")
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
    parser.add_argument("--download-mode", action="store_true",
                        help="start in download mode, with the FTP server accepting at once")
    parser.add_argument("--download-mode-web", choices=("on", "off"), default="on",
                        help="off: in download mode the web port refuses connections (its listening socket is "
                             "closed once the reply that began download mode has been sent); default on")
    parser.add_argument("--unreachable-first", type=_count, default=0, metavar="K",
                        help="the web server resets its first K connections at once, without a reply")
    parser.add_argument("--ftp", choices=("on", "off", "refuse-login", "greeting-421"), default="on",
                        help="off: download mode starts no FTP server; refuse-login: every login gets 530; "
                             "greeting-421: every connection is greeted with 421 and closed")
    parser.add_argument("--ftp-user", type=_ftp_user, metavar="NAME:PASSWORD",
                        help="an FTP account besides anonymous, with the same directory and rights")
    parser.add_argument("--stor-fault", action="append", default=[], metavar="KIND[:FILENAME]",
                        type=_option_parser(ftp_faults.parse_fault, kinds=ftp_faults.STOR_FAULTS),
                        help="upload fault: " + ", ".join(ftp_faults.STOR_FAULTS))
    parser.add_argument("--retr-fault", action="append", default=[], metavar="KIND[:FILENAME]",
                        type=_option_parser(ftp_faults.parse_fault, kinds=ftp_faults.RETR_FAULTS),
                        help="download fault: " + ", ".join(ftp_faults.RETR_FAULTS))
    parser.add_argument("--ftp-fault", action="append", default=[], metavar="KIND",
                        type=_option_parser(ftp_faults.parse_session_fault),
                        help="FTP session fault: " + ", ".join(ftp_faults.SESSION_FAULTS))
    parser.add_argument("--fault-after", type=_positive_count, metavar="BYTES",
                        help="bytes after which the drop and stall faults strike "
                             "(default: the first bytes of an upload, 1024 of a download)")
    parser.add_argument("--late-reply-delay", type=_delay, default=3.0, metavar="SECONDS",
                        help="delay of the 425 of the late-425 fault (default 3)")
    parser.add_argument("--throttle", type=_positive_count, metavar="BYTES_PER_SECOND",
                        help="FTP data transfers, either way, go no faster than this")
    parser.add_argument("--allow-passive", action="store_true",
                        help="accept PASV and EPSV (by default they get 502: the device expects active FTP)")
    parser.add_argument("--restart-after-upload", type=_delay, metavar="SECONDS",
                        help="restart once a session that stored fw512000.bin has closed; "
                             "the web port refuses connections for SECONDS")
    parser.add_argument("--version-after", metavar="TEXT",
                        help="firmware version shown after the restart (default: the version before)")
    parser.add_argument("--status-page", choices=("plain", "distracting"), default="plain",
                        help="distracting: the status page also shows numbers that look like versions")
    parser.add_argument("--devices", type=_positive_count, default=1, metavar="N",
                        help="simulate N devices on consecutive ports, each with its own FTP root and transcript")
    parser.add_argument("--consecutive-hosts", action="store_true",
                        help="with --devices: device i listens on the --host address + i (127.0.0.1, 127.0.0.2, ...)")
    parser.add_argument("--for-device", action="append", default=[], type=_for_device, metavar="I:OPTIONS",
                        help="options for device I alone (counting from 0), after those of the command line; "
                             "repeatable")
    parser.add_argument("--crash-during-upload", type=_positive_count, metavar="BYTES",
                        help="the simulator kills itself with SIGKILL once an upload has received BYTES bytes")
    return parser


def device_options(parser, argv, args):
    """The options of each device: the command line's, followed by those its
    --for-device entries give."""
    extra = [[] for _ in range(args.devices)]
    for index, tokens in args.for_device:
        if index >= args.devices:
            parser.error(f"--for-device {index}: there is no device {index} (--devices {args.devices})")
        extra[index] += tokens
    return [parser.parse_args(argv + tokens) if tokens else args for tokens in extra]


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


def _port_file_text(ports):
    """One device: {"http_port", "ftp_port", "pid"}; several:
    {"devices": [{"host", "http_port", "ftp_port"}, ...], "pid"}."""
    if len(ports) == 1:
        [(_, http_port, ftp_port)] = ports
        return json.dumps({"http_port": http_port, "ftp_port": ftp_port, "pid": os.getpid()})
    return json.dumps({"devices": [{"host": host, "http_port": http, "ftp_port": ftp} for host, http, ftp in ports],
                       "pid": os.getpid()})


def _announce(args, ports, stack):
    if args.pidfile:
        _write_atomically(args.pidfile, f"{os.getpid()}\n")
        stack.callback(os.remove, args.pidfile)
    if args.port_file:
        _write_atomically(args.port_file, _port_file_text(ports))
    http_ports = ",".join(str(http) for _, http, _ in ports)
    ftp_ports = ",".join(str(ftp) for _, _, ftp in ports)
    hosts = " hosts=" + ",".join(host for host, _, _ in ports) if args.consecutive_hosts else ""
    print(f"ndxu-devsim ready http={http_ports} ftp={ftp_ports}{hosts}", flush=True)


def _wait_for_the_end(stop, lifetime, parent):
    """Returns when stop is set, the lifetime has passed or the parent process
    has died, so that a crashed test never leaves a simulator behind."""
    deadline = time.monotonic() + lifetime
    while (remaining := deadline - time.monotonic()) > 0 and os.getppid() == parent:
        if stop.wait(min(remaining, PARENT_POLL_INTERVAL)):
            return


def run(args, each_device, parent):
    stop = _stop_on_signals()
    with contextlib.ExitStack() as stack:
        ports = [assembly.start_device(options, place, stack)
                 for options, place in zip(each_device, assembly.places(args))]
        _announce(args, ports, stack)
        _wait_for_the_end(stop, args.lifetime, parent)


def main(argv=None, version=None):
    parent = os.getppid()
    argv = sys.argv[1:] if argv is None else list(argv)
    parser = build_parser(version)
    args = parser.parse_args(argv)
    each_device = device_options(parser, argv, args)
    logging.basicConfig(level=logging.WARNING, format="ndxu-devsim: %(name)s: %(message)s")
    try:
        run(args, each_device, parent)
    except OSError as err:
        sys.exit(f"ndxu-devsim: {err.strerror}")
    return 0
