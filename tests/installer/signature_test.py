#!/usr/bin/env python3
"""The client's signature check as the installer runs it (the probe program
calls the installer's own check), against clients signed per run with
osslsigncode: the pinned publisher's signature, directly or through an
intermediate, passes; no signature, another publisher's and a file changed
after signing are refused."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
from peers import wine, windows_path  # noqa: E402
from signing import Publishers  # noqa: E402

CHECK = os.environ["TAVRIN_SIGNATURE_CHECK"]
CLIENT = os.environ["TAVRIN_CLIENT"]


def check(path, pin=None):
    run = subprocess.run([wine(), CHECK, windows_path(path), *([pin] if pin else [])],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    assert run.returncode == 0, run.stderr.decode("utf-8", "replace")
    return run.stdout.decode().split()


class Signatures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="tavrin-publishers-")
        cls.publishers = Publishers(cls.folder)
        cls.client = os.path.join(cls.folder, "tavrin.exe")
        shutil.copy(CLIENT, cls.client)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def signed(self, signer):
        return self.publishers.sign(self.client, os.path.join(self.folder, f"{signer}.exe"), signer)

    def test_the_publishers_signature_passes_directly_or_through_an_intermediate(self):
        pins = self.publishers.pins
        direct, through = self.signed("direct"), self.signed("through")
        self.assertEqual(check(direct, pins["direct"]), ["signed"])
        self.assertEqual(check(direct, pins["root"]), ["signed"])
        self.assertEqual(check(through, pins["through"]), ["signed"])
        self.assertEqual(check(through, pins["intermediate"]), ["signed"])
        self.assertEqual(check(through, pins["root"]), ["signed"])
        # The chain runs from the signer up to the root.
        self.assertEqual(check(through), [pins["through"], pins["intermediate"], pins["root"]])
        # Signed directly under the root, the intermediate is not in the chain.
        self.assertEqual(check(direct, pins["intermediate"]), ["refused"])

    def test_no_signature_another_publisher_and_a_changed_file_are_refused(self):
        root = self.publishers.pins["root"]
        changed = self.publishers.tampered(self.signed("through"), os.path.join(self.folder, "changed.exe"))
        for what, path in (("unsigned", self.client), ("another publisher", self.signed("someone")),
                           ("changed after signing", changed)):
            with self.subTest(what):
                self.assertEqual(check(path, root), ["refused"])
        self.assertEqual(check(self.client), ["none"])
        self.assertEqual(check(changed), ["none"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
