"""Scripted replies: which page answers how, chosen per case on the command line."""

from dataclasses import dataclass

PAGES = ("enter", "enter1", "enter2", "stat1", "maintena")

# Kinds whose page text carries a refusal or failure mark.
MARKED = ("wrong-password", "kennwort", "operation-failed", "both-marks", "capital-refusal")
PLAIN = ("normal", "no-version", "empty", "silent", "close", "error-page") + MARKED


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
VALUED = {"version": str, "size": _byte_count, "huge": _byte_count, "slow": _seconds}


@dataclass(frozen=True)
class Reply:
    kind: str
    value: object = None

    def __str__(self):
        return self.kind if self.value is None else f"{self.kind}={self.value}"


NORMAL = Reply("normal")


def parse_kind(text):
    """Reply for KIND text such as 'empty' or 'size=100'; ValueError if unknown."""
    if text in PLAIN:
        return Reply(text)
    kind, sep, value = text.partition("=")
    if not sep or kind not in VALUED:
        known = ", ".join(PLAIN + tuple(f"{k}=..." for k in VALUED))
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
