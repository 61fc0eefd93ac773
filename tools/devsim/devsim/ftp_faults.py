# SPDX-License-Identifier: MIT
"""What the device's FTP server does wrong, as chosen on the command line."""

from dataclasses import dataclass, field

STOR_FAULTS = ("refuse", "drop", "stall")
RETR_FAULTS = ("stall", "late-425")
SESSION_FAULTS = ("quit-unanswered", "no-data-connection")
FAULT_LIMIT = 120.0        # a connection held open by a fault is closed after this many seconds
RETR_STALL_AFTER = 1024    # bytes of a download sent before it stalls, unless fault_after says otherwise


@dataclass(frozen=True)
class TransferFault:
    kind: str
    filename: str = None   # None: every file

    def applies_to(self, name):
        return self.filename is None or self.filename == name


def parse_fault(text, kinds):
    """TransferFault for KIND[:FILENAME]; ValueError if KIND is not in kinds."""
    kind, _, filename = text.partition(":")
    if kind not in kinds:
        raise ValueError(f"unknown fault {kind!r} (known: {', '.join(kinds)})")
    return TransferFault(kind, filename or None)


def parse_session_fault(text):
    if text not in SESSION_FAULTS:
        raise ValueError(f"unknown FTP fault {text!r} (known: {', '.join(SESSION_FAULTS)})")
    return text


def fault_for(faults, name):
    """Kind of the first fault that applies to the remote file name, or None."""
    return next((fault.kind for fault in faults if fault.applies_to(name)), None)


@dataclass
class FtpFaults:
    refuse_login: bool = False
    greeting_421: bool = False
    stor: list = field(default_factory=list)
    retr: list = field(default_factory=list)
    session: list = field(default_factory=list)   # SESSION_FAULTS kinds
    fault_after: int = None      # bytes before drop and stall strike; None: the defaults
    late_reply_delay: float = 3.0
    crash_after: int = None      # bytes of an upload after which the simulator kills itself

    def stor_fault(self, name):
        return fault_for(self.stor, name)

    def retr_fault(self, name):
        return fault_for(self.retr, name)

    def retr_stall_after(self):
        return RETR_STALL_AFTER if self.fault_after is None else self.fault_after
