#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Runs contrib/ansible/upgrade-modems.yml with Debian's ansible-playbook
(connection local) against four simulated modems on loopback, in batches of
two. The password comes from an Ansible Vault; modem-1 has a password of its
own in its host_vars, which its device refuses. Everything Ansible keeps lies
in the test's temporary directory. Exits 77 (skipped) where ansible-playbook
is missing.

Usage: playbook_test.py NDXU_UPGRADE"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
PLAYBOOK = ROOT / "contrib/ansible/upgrade-modems.yml"
DEVSIM = ROOT / "tools/devsim/ndxu-devsim"
MODEMS = [f"modem-{index}" for index in range(4)]
REFUSED = "modem-1"
VAULT_PASSWORD = "fleet secret"
OWN_PASSWORD = "modem-1 secret"
VERSION_AFTER = "5.1.2"

# A host's result as the default callback prints it with result_format json:
#   changed: [modem-0] => {...}     ok: [modem-0 -> localhost] => {...}     fatal: [modem-1]: FAILED! => {...}
RESULT_LINE = re.compile(r"^(ok|changed|fatal|skipping): \[([^\]\s]+)(?: -> [^\]]+)?\](?:: FAILED!)? => (\{.*\})$")
RECAP_LINE = re.compile(r"^(\S+)\s+: ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)\s")


class Play:
    """What one ansible-playbook run printed: the hosts that ran
    ndxu-upgrade in each batch, each host's recorded result and failure
    message, and the recap."""

    def __init__(self, returncode, output):
        self.returncode = returncode
        self.output = output
        self.batches = []
        self.results = {}
        self.failures = {}
        self.recap = {}
        task = ""
        for line in output.splitlines():
            if line.startswith("PLAY ["):
                self.batches.append(set())
            elif line.startswith("TASK ["):
                task = line
            elif match := RESULT_LINE.match(line):
                self._add_result(task, *match.groups())
            elif match := RECAP_LINE.match(line):
                host, *counts = match.groups()
                self.recap[host] = dict(zip(("ok", "changed", "unreachable", "failed"), map(int, counts)))

    def _add_result(self, task, status, host, payload):
        result = json.loads(payload)
        if "Run ndxu-upgrade" in task:
            self.batches[-1].add(host)
        if "ndxu_result" in result.get("ansible_facts", {}):
            self.results[host] = result["ansible_facts"]["ndxu_result"]
        if status == "fatal":
            self.failures[host] = result["msg"]


class PlaybookTest(unittest.TestCase):
    upgrade = None

    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="ndxu-ansible-"))
        cls.addClassCleanup(shutil.rmtree, cls.work)
        cls.image = os.urandom(300_000)
        package = cls.work / "package"
        package.mkdir()
        (package / "fw512000.bin").write_bytes(cls.image)
        (package / "ndxuback.txt").write_text("notes\n")
        cls.env = cls.ansible_environment()
        cls.devices = cls.start_simulator()
        cls.inventory = cls.write_inventory(package)

    @classmethod
    def start_simulator(cls):
        port_file = cls.work / "ports.json"
        simulator = subprocess.Popen(
            ["/usr/bin/python3", str(DEVSIM), "--devices", str(len(MODEMS)), "--consecutive-hosts",
             "--http-port", "0", "--ftp-port", "0", "--port-file", str(port_file), "--password", VAULT_PASSWORD,
             "--ftp-root", str(cls.work / "devices"), "--transcript", str(cls.work / "transcript.jsonl"),
             "--restart-after-upload", "1", "--version-after", VERSION_AFTER, "--lifetime", "600"],
            stdout=subprocess.DEVNULL)
        cls.addClassCleanup(simulator.wait, 10)
        cls.addClassCleanup(simulator.terminate)
        deadline = time.monotonic() + 20
        while not port_file.exists():
            if time.monotonic() > deadline or simulator.poll() is not None:
                raise RuntimeError("the device simulator did not start")
            time.sleep(0.05)
        return json.loads(port_file.read_text())["devices"]

    @classmethod
    def write_inventory(cls, package):
        """The modems with their addresses and ports; the group's settings
        take the password from a vault, modem-1 has its own."""
        inventory = cls.work / "inventory"
        group_vars = inventory / "group_vars/modems"
        group_vars.mkdir(parents=True)
        hosts = {name: {"ndxu_address": device["host"], "ndxu_http_port": device["http_port"],
                        "ndxu_ftp_port": device["ftp_port"]} for name, device in zip(MODEMS, cls.devices)}
        hosts[REFUSED]["ndxu_password"] = OWN_PASSWORD
        (inventory / "hosts.yml").write_text(json.dumps({"modems": {"hosts": hosts}}))
        (group_vars / "vars.yml").write_text(json.dumps({
            "ansible_connection": "local", "ndxu_password": "{{ vault_ndxu_password }}",
            "ndxu_package": str(package), "ndxu_confirm": 30, "ndxu_expect_version": VERSION_AFTER}))
        vault = group_vars / "vault.yml"
        vault.write_text(json.dumps({"vault_ndxu_password": VAULT_PASSWORD}))
        (cls.work / "vault-pass").write_text("vault key\n")
        subprocess.run(["ansible-vault", "encrypt", "--vault-password-file", str(cls.work / "vault-pass"),
                        str(vault)], env=cls.env, check=True, capture_output=True)
        return inventory / "hosts.yml"

    @classmethod
    def ansible_environment(cls):
        ansible = cls.work / "ansible"
        (ansible / "ansible.cfg").parent.mkdir(exist_ok=True)
        (ansible / "ansible.cfg").touch()
        (cls.work / "runner-temp").mkdir(exist_ok=True)
        return dict(
            {name: value for name, value in os.environ.items() if not name.startswith("ANSIBLE_")},
            ANSIBLE_CONFIG=str(ansible / "ansible.cfg"), ANSIBLE_HOME=str(ansible),
            ANSIBLE_LOCAL_TEMP=str(ansible / "tmp"), ANSIBLE_REMOTE_TEMP=str(ansible / "remote-tmp"),
            ANSIBLE_PYTHON_INTERPRETER="/usr/bin/python3", ANSIBLE_GATHERING="explicit",
            ANSIBLE_STDOUT_CALLBACK="default", ANSIBLE_CALLBACK_RESULT_FORMAT="json",
            ANSIBLE_CALLBACK_FORMAT_PRETTY="false", ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="false",
            TEMP=str(cls.work / "runner-temp"), NDXU_DRIVE_C=str(cls.work / "drive_c"))

    def run_play(self, verbosity="-v", **extra_vars):
        """Runs the play; from -v on, each host's result is printed."""
        extra_vars = {"ndxu_upgrade_command": self.upgrade, "ndxu_batch": 2, **extra_vars}
        finished = subprocess.run(
            ["ansible-playbook", "-i", str(self.inventory), "--vault-password-file", str(self.work / "vault-pass"),
             "-e", json.dumps(extra_vars), verbosity, str(PLAYBOOK)],
            env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=240)
        return Play(finished.returncode, finished.stdout)

    def transcript_lengths(self):
        return [len((self.work / f"transcript.{index}.jsonl").read_text().splitlines())
                for index in range(len(MODEMS))]

    def assert_refused(self, play):
        refusal = play.results[REFUSED]
        self.assertEqual(refusal["result"], "password_refused", play.output)
        self.assertTrue(refusal["reason"])
        self.assertEqual(play.failures, {REFUSED: refusal["reason"]}, play.output)

    def test_upgrade_in_two_batches_past_a_refused_password(self):
        # At -vvv Ansible shows the most it would ever show of the modules' arguments.
        play = self.run_play("-vvv", ndxu_max_fail_percentage=50)

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(play.batches, [{"modem-0", "modem-1"}, {"modem-2", "modem-3"}], play.output)
        self.assert_refused(play)
        self.assertEqual(play.recap[REFUSED]["failed"], 1)
        for index, (name, device) in enumerate(zip(MODEMS, self.devices)):
            image = self.work / f"devices/device-{index}/fw512000.bin"
            if name == REFUSED:
                self.assertFalse(image.exists())
                continue
            with self.subTest(modem=name):
                self.assertEqual({"failed": 0, "changed": 1}, {k: play.recap[name][k] for k in ("failed", "changed")})
                result = play.results[name]
                self.assertEqual((result["result"], result["exit"], result["device"], result["version_after"]),
                                 ("completed", 0, device["host"], VERSION_AFTER))
                self.assertEqual(Path(result["log"]).name, f"ndxulog-{name}.txt")
                self.assertEqual(image.read_bytes(), self.image)
        for password in (VAULT_PASSWORD, OWN_PASSWORD):
            self.assertFalse(password in play.output, f"Ansible's output shows the password {password!r}")

    def test_check_stops_after_a_batch_over_the_threshold(self):
        before = self.transcript_lengths()
        play = self.run_play(ndxu_check=True, ndxu_max_fail_percentage=0)

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(play.batches, [{"modem-0", "modem-1"}], play.output)
        self.assertEqual(set(play.recap), {"modem-0", REFUSED})
        self.assertEqual(play.results["modem-0"]["result"], "checked")
        self.assert_refused(play)
        self.assertEqual(self.transcript_lengths()[2:], before[2:], "the second batch reached its devices")


def main():
    if shutil.which("ansible-playbook") is None:
        print("skipped: ansible-playbook is missing (Debian's ansible-core; scripts/install-deps installs it)")
        sys.exit(77)
    PlaybookTest.upgrade = sys.argv.pop(1)
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
