# SPDX-License-Identifier: MIT
"""Puts the simulated devices together: where each one listens and keeps its
files, and the services it runs."""

import ipaddress
import os
import shutil
import tempfile
from dataclasses import dataclass

from . import ftp, ftp_faults, replies
from .device import Device, Settings
from .restart import Restarter
from .transcript import Transcript
from .web import WebService


@dataclass(frozen=True)
class Place:
    """Where device number index listens and keeps its files."""
    index: int
    host: str
    http_port: int
    ftp_port: int
    ftp_root: str      # None: a temporary directory
    transcript: str    # None: no transcript
    tagged: bool       # whether the profile names the device (when there are several)


def _numbered(path, index):
    """path with .index inserted before its extension."""
    stem, extension = os.path.splitext(path)
    return f"{stem}.{index}{extension}"


def _port(base, index, what):
    if base == 0:
        return 0
    port = base + index
    if port > 65535:
        raise OSError(0, f"no {what} port {port} for device {index}: ports end at 65535")
    return port


def _host(base, index, consecutive):
    if not consecutive:
        return base
    host = ipaddress.ip_address(base) + index
    if not host.is_loopback:
        raise OSError(0, f"no loopback address for device {index}: {host} lies outside 127.0.0.0/8")
    return str(host)


def places(args):
    """One Place per device: consecutive ports from the given ones (each a
    free one for port 0), with --consecutive-hosts also consecutive addresses
    from --host; with several devices, FTP root <root>/device-<i> and
    transcript <name>.<i><extension>."""
    several = args.devices > 1
    return [Place(index=index,
                  host=_host(args.host, index, args.consecutive_hosts),
                  http_port=_port(args.http_port, index, "web"),
                  ftp_port=_port(args.ftp_port, index, "FTP"),
                  ftp_root=(os.path.join(args.ftp_root, f"device-{index}")
                            if several and args.ftp_root is not None else args.ftp_root),
                  transcript=_numbered(args.transcript, index) if several and args.transcript else args.transcript,
                  tagged=several)
            for index in range(args.devices)]


def _ftp_root(path, stack):
    if path is None:
        path = tempfile.mkdtemp(prefix="ndxu-devsim-ftp-")
        stack.callback(shutil.rmtree, path, ignore_errors=True)
    os.makedirs(path, exist_ok=True)
    return os.path.abspath(path)


def _settings(args, ftp_root):
    return Settings(password=os.fsencode(args.password), firmware_version=args.firmware_version,
                    language=args.language, ftp_root=ftp_root, has_profile=args.profile,
                    distracting_status=args.status_page == "distracting",
                    unreachable_first=args.unreachable_first)


def _ftp_service(args, sock, ftp_root, transcript, stack):
    if args.ftp == "off":
        return None
    faults = ftp_faults.FtpFaults(
        refuse_login=args.ftp == "refuse-login", greeting_421=args.ftp == "greeting-421",
        stor=args.stor_fault, retr=args.retr_fault, session=args.ftp_fault,
        fault_after=args.fault_after, late_reply_delay=args.late_reply_delay,
        crash_after=args.crash_during_upload)
    options = ftp.FtpOptions(user=args.ftp_user, throttle=args.throttle, allow_passive=args.allow_passive)
    service = ftp.FtpService(sock, ftp_root, faults, transcript, options)
    stack.callback(service.close)
    return service


def start_device(args, place, stack):
    """Starts one simulated device with its own options args; returns its
    address, web port and FTP port."""
    ftp_root = _ftp_root(place.ftp_root, stack)
    transcript = stack.enter_context(Transcript(place.transcript))
    ftp_sock = stack.enter_context(ftp.reserve_port(place.host, place.ftp_port))
    service = _ftp_service(args, ftp_sock, ftp_root, transcript, stack)
    device = Device(_settings(args, ftp_root), replies.ReplyTable(args.reply), transcript, service)
    web = WebService(place.host, place.http_port, device.serve_connection)
    stack.callback(web.stop)
    if place.tagged:
        device.settings.profile_tag = f"ndxu-devsim device {place.index} web port {web.port}\n".encode("ascii")
    if args.download_mode_web == "off":
        device.call_when_download_mode_answered(web.stop)
    if args.download_mode:
        device.start_in_download_mode()
    if service is not None and args.restart_after_upload is not None:
        restarter = Restarter(device, web, transcript, args.restart_after_upload, args.version_after)
        service.call_when_firmware_session_ends(restarter.firmware_session_ended)
    return place.host, web.port, ftp_sock.getsockname()[1]
