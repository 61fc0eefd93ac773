# SPDX-License-Identifier: MIT
"""Tests of ndxu-devsim, run against the real program."""
