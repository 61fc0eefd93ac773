#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Runs contrib/ansible/upgrade-modems.yml with Debian's ansible-playbook
(connection local) against five simulated modems on loopback, in batches of
two. The password comes from an Ansible Vault; modem-1 has a password of its
own in its host_vars, which its device refuses. modem-0, modem-1 and modem-2
run an older version than the package's, modem-3 runs the package's version
from the start and modem-4 a newer one. A sixth modem, of a group of its
own, is not reached at its first two connections. The package is signed with the test
key that the group's settings trust, and a signature is required. Everything
Ansible and ndxu-upgrade keep lies in the test's temporary directory. Exits
77 (skipped) where ansible-playbook is missing.

Usage: playbook_test.py NDXU_UPGRADE"""

import base64
import hashlib
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
KEYS = ROOT / "tests/data/keys"
MODEMS = [f"modem-{index}" for index in range(5)]
REFUSED = "modem-1"
# modem-3 runs the package's version from the start, modem-4 a newer one:
# neither is flashed.
PACKAGE_VERSION = "5.1.2"
CURRENT = "modem-3"
NEWER, NEWER_VERSION = "modem-4", "5.2.0"
OLDER_VERSION = "5.0.3"
# The modems the first upgrade flashes: older ones whose password works.
FLASHED = {"modem-0", "modem-2"}
# Its device resets its first two web connections.
FLAKY = "modem-flaky"
VAULT_PASSWORD = "fleet secret"
OWN_PASSWORD = "modem-1 secret"

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
        cls.key = cls.sign(package)
        cls.env = cls.ansible_environment()
        cls.devices = cls.start_simulator("", ["--devices", str(len(MODEMS)), "--consecutive-hosts",
                                               "--restart-after-upload", "1", "--version-after", PACKAGE_VERSION,
                                               "--firmware-version", OLDER_VERSION,
                                               "--for-device", f"{MODEMS.index(CURRENT)}:--firmware-version "
                                               f"{PACKAGE_VERSION}",
                                               "--for-device", f"{MODEMS.index(NEWER)}:--firmware-version "
                                               f"{NEWER_VERSION}"])
        [cls.flaky] = cls.start_simulator("flaky-", ["--host", "127.0.0.9", "--unreachable-first", "2"])
        cls.inventory = cls.write_inventory(package)

    @classmethod
    def sign(cls, package):
        """Signs the package's SHA256SUMS with the packager's test key;
        returns the id of that key."""
        (package / "SHA256SUMS").write_text(f"{hashlib.sha256(cls.image).hexdigest()}  fw512000.bin\n")
        subprocess.run(["/usr/bin/minisign", "-S", "-s", str(KEYS / "packager.key"), "-m", str(package / "SHA256SUMS"),
                        "-t", f"version={PACKAGE_VERSION} fleet test"], check=True, capture_output=True)
        cls.trusted_key = cls.work / "packager.pub"
        shutil.copyfile(KEYS / "packager.pub", cls.trusted_key)
        # The key's id: the 8 bytes after the algorithm's 2, a little-endian number.
        key = base64.b64decode(cls.trusted_key.read_text().splitlines()[1])
        return key[2:10][::-1].hex().upper()

    @classmethod
    def start_simulator(cls, prefix, options):
        """Starts a simulator whose files' names begin with prefix; returns
        its devices."""
        port_file = cls.work / f"{prefix}ports.json"
        simulator = subprocess.Popen(
            ["/usr/bin/python3", str(DEVSIM), "--http-port", "0", "--ftp-port", "0", "--port-file", str(port_file),
             "--password", VAULT_PASSWORD, "--ftp-root", str(cls.work / f"{prefix}devices"),
             "--transcript", str(cls.work / f"{prefix}transcript.jsonl"), "--lifetime", "600", *options],
            stdout=subprocess.DEVNULL)
        cls.addClassCleanup(simulator.wait, 10)
        cls.addClassCleanup(simulator.terminate)
        deadline = time.monotonic() + 20
        while not port_file.exists():
            if time.monotonic() > deadline or simulator.poll() is not None:
                raise RuntimeError("the device simulator did not start")
            time.sleep(0.05)
        ports = json.loads(port_file.read_text())
        return ports.get("devices") or [{"host": "127.0.0.9", **ports}]

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
        flaky = {"ansible_connection": "local", "ndxu_address": cls.flaky["host"],
                 "ndxu_http_port": cls.flaky["http_port"], "ndxu_ftp_port": cls.flaky["ftp_port"],
                 "ndxu_password": VAULT_PASSWORD, "ndxu_package": str(package)}
        (inventory / "hosts.yml").write_text(json.dumps({"modems": {"hosts": hosts},
                                                         "flaky": {"hosts": {FLAKY: flaky}}}))
        (group_vars / "vars.yml").write_text(json.dumps({
            "ansible_connection": "local", "ndxu_password": "{{ vault_ndxu_password }}",
            "ndxu_package": str(package), "ndxu_confirm": 30, "ndxu_expect_version": PACKAGE_VERSION,
            "ndxu_require_signature": True, "ndxu_trusted_keys": [str(cls.trusted_key)]}))
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
            TEMP=str(cls.work / "runner-temp"), NDXU_DRIVE_C=str(cls.work / "drive_c"),
            # No trusted keys but the ones the settings name.
            NDXU_SYSTEM_CONFIG_DIR=str(cls.work / "system-config"), XDG_CONFIG_HOME=str(cls.work / "user-config"))

    def run_play(self, verbosity="-v", check_mode=False, **extra_vars):
        """Runs the play, with check_mode in Ansible's check mode; from -v
        on, each host's result is printed."""
        extra_vars = {"ndxu_upgrade_command": self.upgrade, "ndxu_batch": 2, **extra_vars}
        finished = subprocess.run(
            ["ansible-playbook", "-i", str(self.inventory), "--vault-password-file", str(self.work / "vault-pass"),
             "-e", json.dumps(extra_vars), verbosity, *(["--check"] if check_mode else []), str(PLAYBOOK)],
            env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=240)
        return Play(finished.returncode, finished.stdout)

    def transcripts(self):
        return [[json.loads(line) for line in (self.work / f"transcript.{index}.jsonl").read_text().splitlines()]
                for index in range(len(MODEMS))]

    def flashed_since(self, before):
        """The modems whose devices entered download mode or were sent a file
        since the transcripts() `before`."""
        return {name for name, earlier, now in zip(MODEMS, before, self.transcripts())
                if any(entry.get("event") in ("download-mode", "stored") or entry.get("cmd") == "STOR"
                       for entry in now[len(earlier):])}

    def assert_changed(self, play, changed):
        """The recap names every modem, and shows changed for those of
        `changed` alone."""
        self.assertEqual({name: recap["changed"] for name, recap in play.recap.items()},
                         {name: int(name in changed) for name in MODEMS}, play.output)

    def assert_failures(self, play, results):
        """Exactly the modems of `results` failed, each with its result and
        the run's reason as the message."""
        self.assertEqual({name: play.results[name]["result"] for name in play.failures}, results, play.output)
        for name in results:
            self.assertTrue(play.results[name]["reason"])
            self.assertEqual(play.failures[name], play.results[name]["reason"])
            self.assertEqual(play.recap[name]["failed"], 1)

    def test_check_then_upgrade_twice_in_batches_past_a_refused_password(self):
        # The only test that flashes a modem: the other tests run before or
        # after it alike.
        before = self.transcripts()
        play = self.run_play(check_mode=True, ndxu_max_fail_percentage=50)

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(play.batches, [{"modem-0", "modem-1"}, {"modem-2", "modem-3"}, {NEWER}], play.output)
        self.assert_failures(play, {REFUSED: "password_refused"})
        self.assert_changed(play, FLASHED)
        self.assertEqual({name: (play.results[name]["result"], play.results[name]["version_before"])
                          for name in MODEMS if name != REFUSED},
                         {"modem-0": ("checked", OLDER_VERSION), "modem-2": ("checked", OLDER_VERSION),
                          CURRENT: ("checked", PACKAGE_VERSION), NEWER: ("checked", NEWER_VERSION)})
        self.assertEqual(self.flashed_since(before), set(), "checking flashed a modem")

        # At -vvv Ansible shows the most it would ever show of the modules' arguments.
        before = self.transcripts()
        play = self.run_play("-vvv", ndxu_max_fail_percentage=50)

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(len(play.batches), 3, play.output)
        self.assert_failures(play, {REFUSED: "password_refused", NEWER: "downgrade_refused"})
        self.assert_changed(play, FLASHED)
        self.assertEqual(self.flashed_since(before), FLASHED)
        for index, (name, device) in enumerate(zip(MODEMS, self.devices)):
            image = self.work / f"devices/device-{index}/fw512000.bin"
            if name not in FLASHED:
                self.assertFalse(image.exists(), name)
                continue
            with self.subTest(modem=name):
                result = play.results[name]
                self.assertEqual((result["result"], result["exit"], result["device"], result["version_after"]),
                                 ("completed", 0, device["host"], PACKAGE_VERSION))
                self.assertEqual(result["signed_by"], self.key)
                self.assertEqual(Path(result["log"]).name, f"ndxulog-{name}.txt")
                self.assertEqual(image.read_bytes(), self.image)
        current = play.results[CURRENT]
        self.assertEqual((current["result"], current["exit"]), ("up_to_date", 0))
        for password in (VAULT_PASSWORD, OWN_PASSWORD):
            self.assertFalse(password in play.output, f"Ansible's output shows the password {password!r}")

        # Now every modem that can be upgraded runs the package's version.
        before = self.transcripts()
        play = self.run_play(ndxu_max_fail_percentage=50)

        self.assertEqual(play.returncode, 2, play.output)
        self.assert_failures(play, {REFUSED: "password_refused", NEWER: "downgrade_refused"})
        self.assert_changed(play, set())
        for name in FLASHED | {CURRENT}:
            self.assertEqual(play.results[name]["result"], "up_to_date", name)
        self.assertEqual(self.flashed_since(before), set(), "the second run flashed a modem")

    def test_check_forced_and_downgrading_would_flash_every_modem(self):
        before = self.transcripts()
        play = self.run_play(check_mode=True, ndxu_force=True, ndxu_allow_downgrade=True,
                             ndxu_max_fail_percentage=50)

        self.assertEqual(play.returncode, 2, play.output)
        self.assert_failures(play, {REFUSED: "password_refused"})
        self.assert_changed(play, set(MODEMS) - {REFUSED})
        self.assertEqual(self.flashed_since(before), set(), "checking flashed a modem")

    def test_check_stops_after_a_batch_over_the_threshold(self):
        before = self.transcripts()
        play = self.run_play(ndxu_check=True, ndxu_max_fail_percentage=0)

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(play.batches, [{"modem-0", "modem-1"}], play.output)
        self.assertEqual(set(play.recap), {"modem-0", REFUSED})
        self.assertEqual(play.results["modem-0"]["result"], "checked")
        self.assert_failures(play, {REFUSED: "password_refused"})
        self.assertEqual(self.transcripts()[2:], before[2:], "the second batch reached its devices")

    def test_package_signed_by_no_trusted_key_is_refused(self):
        before = self.transcripts()
        play = self.run_play(ndxu_trusted_keys=[])

        self.assertEqual(play.returncode, 2, play.output)
        self.assertEqual(play.batches, [{"modem-0", "modem-1"}], play.output)
        self.assert_failures(play, {"modem-0": "package_refused", REFUSED: "package_refused"})
        self.assertEqual(self.flashed_since(before), set())

    def test_modem_not_reached_is_run_again(self):
        # Its device resets its first two connections: without retries the
        # first run fails, with one retry the second run's second attempt
        # reaches the modem.
        play = self.run_play(check_mode=True, ndxu_modems=FLAKY, ndxu_retries=0)

        self.assertEqual(play.returncode, 2, play.output)
        self.assert_failures(play, {FLAKY: "device_not_reached"})
        self.assertEqual(play.results[FLAKY]["exit"], 4)

        play = self.run_play(check_mode=True, ndxu_modems=FLAKY, ndxu_retries=1, ndxu_retry_delay=0)

        self.assertEqual(play.returncode, 0, play.output)
        self.assertEqual(play.results[FLAKY]["result"], "checked", play.output)
        self.assertIn(f"FAILED - RETRYING: [{FLAKY}", play.output)
        self.assertEqual(play.recap[FLAKY]["failed"], 0)
        records = [json.loads(line) for line in (self.work / "flaky-transcript.jsonl").read_text().splitlines()]
        self.assertEqual([r.get("event") for r in records[:2]], ["unreachable", "unreachable"])
        self.assertTrue(all(r.get("event") != "unreachable" for r in records[2:]))
        self.assertEqual(sum(r.get("path") == "/enter.htm" for r in records), 2)

    def test_modem_whose_history_cannot_be_used_is_not_touched(self):
        # modem-0's profile history is a link: its backup could not be kept.
        device = self.devices[0]
        history = self.work / "drive_c/varn/ndxu511/history"
        history.mkdir(parents=True, exist_ok=True)
        for directory in (history.parent.parent, history.parent, history):
            directory.chmod(0o700)
        (self.work / "elsewhere").mkdir(exist_ok=True)
        link = history / f"{device['host']}+web{device['http_port']}+ftp{device['ftp_port']}"
        if link.exists():
            # The history the other tests keep comes back afterwards.
            aside = link.with_name(link.name + ".aside")
            link.rename(aside)
            self.addCleanup(aside.rename, link)
        link.symlink_to(self.work / "elsewhere", target_is_directory=True)
        self.addCleanup(link.unlink)
        before = self.transcripts()
        play = self.run_play(check_mode=True, ndxu_max_fail_percentage=100)

        self.assertEqual(play.results["modem-0"]["result"], "input_refused", play.output)
        self.assertEqual(play.results["modem-0"]["exit"], 3)
        self.assertTrue(play.failures["modem-0"].startswith("no backup, no flash: "), play.output)
        self.assertEqual(self.transcripts()[0], before[0], "modem-0 was touched")
        self.assertEqual(list((self.work / "elsewhere").iterdir()), [])


def main():
    if shutil.which("ansible-playbook") is None:
        print("skipped: ansible-playbook is missing (Debian's ansible-core; scripts/install-deps installs it)")
        sys.exit(77)
    PlaybookTest.upgrade = sys.argv.pop(1)
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
