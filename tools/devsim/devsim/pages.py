# SPDX-License-Identifier: MIT
"""The HTML the device serves.

The client looks for a few marks in these pages: "wrong password",
"Kennwort ist falsch" and "Operation failed" mean a refusal, and "5." on the
status page means a firmware that the upgrade accepts.  Apart from the marks a
reply kind asks for, the firmware version itself and the distracting status
page, no page here contains any of them.
"""

_FILLER = b"abcdefghijklmnopqrstuvwxyz\n"

_WELCOME = {
    "en": ("Welcome", "<p>Welcome to the device administration.</p>"
                      '<p><a href="stat1.htm">Status</a> | <a href="maintena.htm">Maintenance</a></p>'),
    "de": ("Willkommen", "<p>Willkommen in der Ger&auml;teverwaltung.</p>"
                         '<p><a href="stat1.htm">Status</a> | <a href="maintena.htm">Wartung</a></p>'),
}

_MARKED = {
    "wrong-password": ("Login", "<p>You entered the wrong password. Please try again.</p>"),
    "kennwort": ("Anmeldung", "<p>Das Kennwort ist falsch. Bitte erneut versuchen.</p>"),
    "operation-failed": ("Error", "<p>Operation failed.</p>"),
    "both-marks": ("Error", "<p>Operation failed: wrong password.</p>"),
    "capital-refusal": ("LOGIN", "<p>WRONG PASSWORD</p>"),
}

_REFUSAL_KIND = {"en": "wrong-password", "de": "kennwort"}


def _html(title, body):
    text = f"<html><head><title>{title}</title></head><body><h1>{title}</h1>{body}</body></html>\r\n"
    return text.encode("ascii")


def welcome(language):
    return _html(*_WELCOME[language])


def refusal(language):
    return marked(_REFUSAL_KIND[language])


def marked(kind):
    """Page carrying the marks of a MARKED reply kind."""
    return _html(*_MARKED[kind])


# Numbers that look like versions but are not the firmware's, for a status
# page that tempts the client to read the wrong one.
DISTRACTIONS = ("<p>Bootloader 4.5.1</p>", "<p>Uptime 15.0 days</p>", "<p>Built 2015.3.7</p>")


def status(version, distracting=False):
    """Status page; version None leaves the firmware line out.  A distracting
    page carries DISTRACTIONS before the firmware line."""
    lines = ["<p>Line state: connected</p>", "<p>Hardware: LAN modem</p>"]
    if distracting:
        lines.extend(DISTRACTIONS)
    if version is not None:
        lines.append(f"<p>Firmware Version: {version}</p>")
    return _html("Device status", "".join(lines))


def with_password_input(page, password):
    """The page with a password input that carries password, bytes as they are."""
    field = b'<input type="password" name="Password" value="' + password + b'">'
    return page.replace(b"</body>", field + b"</body>")


def maintenance(download_mode):
    if download_mode:
        return _html("Maintenance", "<p>The device is now in firmware download mode. "
                                    "Send the firmware by FTP.</p>")
    return _html("Maintenance", '<form method="post" action="maintena.htm">'
                                '<input type="submit" name="B3" value="Enter Firmware Download Mode">'
                                "</form>")


def not_found():
    return _html("Not Found", "<p>The device has no such page.</p>")


def server_error():
    return _html("Internal Server Error", "<p>The device could not build this page.</p>")


def filler(size):
    """size bytes of plain ASCII text free of every mark."""
    repeats = size // len(_FILLER) + 1
    return (_FILLER * repeats)[:size]
