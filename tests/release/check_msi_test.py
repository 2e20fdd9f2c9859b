#!/usr/bin/env python3
"""How the installer checks read Wine's 32-bit view of the classes: as Windows keeps it."""
import os
import sys
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_msi import shared_as_windows  # noqa: E402


class SharedAsWindows(unittest.TestCase):
    def test_shared_keys_leave_wow6432node_and_the_redirected_ones_stay(self):
        read = shared_as_windows({
            "wow6432node": {},
            "wow6432node\\*\\shellex\\contextmenuhandlers\\{c}": {},
            "wow6432node\\dunvoro.gotolist": {"": "Tovak"},
            "wow6432node\\clsid\\{c}\\inprocserver32": {"": "32"},
            "wow6432node\\interface\\{i}": {"": "IGotoList"},
            "wow6432node\\media type\\x": {},
            "typelib\\{t}\\1.0\\helpdir": {"": "64"},
            "wow6432node\\typelib\\{t}\\1.0\\helpdir": {"": "32"},
        })
        self.assertEqual({
            "wow6432node": {},
            "*\\shellex\\contextmenuhandlers\\{c}": {},
            "dunvoro.gotolist": {"": "Tovak"},
            "wow6432node\\clsid\\{c}\\inprocserver32": {"": "32"},
            "wow6432node\\interface\\{i}": {"": "IGotoList"},
            "wow6432node\\media type\\x": {},
            "typelib\\{t}\\1.0\\helpdir": {"": "64"},  # the 64-bit view's value wins
        }, read)


if __name__ == "__main__":
    unittest.main()
