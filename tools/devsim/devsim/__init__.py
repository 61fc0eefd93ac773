# SPDX-License-Identifier: MIT
"""A loopback stand-in for the modem: its web pages and its FTP download mode."""
