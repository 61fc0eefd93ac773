# SPDX-License-Identifier: MIT
"""Scripted replies: which page answers how, chosen per case on the command line."""

import base64
import binascii
from dataclasses import dataclass

PAGES = ("enter", "enter1", "enter2", "stat1", "maintena")

# Kinds whose page text carries a refusal or failure mark.
MARKED = ("wrong-password", "kennwort", "operation-failed", "both-marks", "capital-refusal")
PLAIN = ("normal", "no-version", "empty", "silent", "close", "error-page", "cut-headers", "echo-password",
         "drip") + MARKED
RAW_ENDINGS = ("close", "reset", "stall")


def _byte_count(text):
    count = int(text)
    if count < 0:
        raise ValueError("a byte count cannot be negative")
    return count


def _seconds(text):
    seconds = float(text)
    if not 0 <= seconds <= 3600:
        raise ValueError("seconds must lie between 0 and 3600")
    return seconds


# Kinds written KIND=VALUE, with the parser of their value.
VALUED = {"version": str, "size": _byte_count, "huge": _byte_count, "slow": _seconds, "drip": _seconds}


@dataclass(frozen=True)
class Raw:
    """Bytes to send as they are, then filler, then how the connection ends."""
    then: str
    filler: int
    data: bytes

    def __str__(self):
        return f"{self.then}:{self.filler}:{base64.b64encode(self.data).decode('ascii')}"


def _raw(text):
    """Raw for THEN:FILLER:BASE64."""
    parts = text.split(":")
    if len(parts) != 3:
        raise ValueError("expected raw:THEN:FILLER:BASE64")
    then, filler, encoded = parts
    if then not in RAW_ENDINGS:
        raise ValueError(f"THEN must be one of {', '.join(RAW_ENDINGS)}")
    try:
        data = base64.b64decode(encoded, validate=True)
    except binascii.Error as err:
        raise ValueError(f"bad base64: {err}") from None
    return Raw(then, _byte_count(filler), data)


@dataclass(frozen=True)
class Reply:
    kind: str
    value: object = None

    def __str__(self):
        if self.value is None:
            return self.kind
        return f"{self.kind}{':' if self.kind == 'raw' else '='}{self.value}"


NORMAL = Reply("normal")


def parse_kind(text):
    """Reply for KIND text such as 'empty' or 'size=100'; ValueError if unknown."""
    if text in PLAIN:
        return Reply(text)
    if text.startswith("raw:"):
        try:
            return Reply("raw", _raw(text[len("raw:"):]))
        except ValueError as err:
            raise ValueError(f"bad value in {text!r}: {err}") from None
    kind, sep, value = text.partition("=")
    if not sep or kind not in VALUED:
        known = ", ".join(PLAIN + tuple(f"{k}=..." for k in VALUED) + ("raw:THEN:FILLER:BASE64",))
        raise ValueError(f"unknown reply kind {text!r} (known: {known})")
    try:
        return Reply(kind, VALUED[kind](value))
    except ValueError as err:
        raise ValueError(f"bad value in {text!r}: {err}") from None


def parse_option(text):
    """(page, Reply) for a PAGE=KIND option; ValueError if malformed."""
    page, sep, kind = text.partition("=")
    if not sep or page not in PAGES:
        raise ValueError(f"expected PAGE=KIND with PAGE one of {', '.join(PAGES)}, got {text!r}")
    return page, parse_kind(kind)


class ReplyTable:
    """The reply each page gives; a later option for a page overrides an earlier one."""

    def __init__(self, options):
        self._by_page = dict(options)

    def for_page(self, page):
        return self._by_page.get(page, NORMAL)

    def for_login(self, number):
        """Reply to the number-th login request (counting from 1): enter1 and
        enter2 override enter for the first and second request."""
        specific = {1: "enter1", 2: "enter2"}.get(number)
        return self._by_page.get(specific) or self.for_page("enter")
