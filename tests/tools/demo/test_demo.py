#!/usr/bin/python3
"""demo.py names each picture it cannot write with the reason, exits 3 and keeps what it
wrote before it. Usage: test_demo.py BUILD (a build folder with muffins and its art)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

DEMO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../tools/demo/demo.py")


class CannotWrite(unittest.TestCase):
    @unittest.skipUnless(shutil.which("montage"), "ImageMagick is not installed")
    def test_each_picture_on_a_full_device(self):
        # Each picture in turn is a link to /dev/full; what was written before it stays.
        for target, kept in [("demo.gif", "frames/frame-000060.png"),
                             ("contact-sheet.png", "demo.gif"), ("shots/melt.png", "shots/walk.png")]:
            with self.subTest(target), tempfile.TemporaryDirectory() as out:
                os.mkdir(os.path.join(out, "shots"))
                os.symlink("/dev/full", os.path.join(out, target))
                done = subprocess.run([DEMO, "--build", BUILD, "--out", out, "--every", "60",
                                       "--screenshots", os.path.join(out, "shots")],
                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                self.assertEqual((done.returncode, done.stdout, done.stderr), (3, "", "demo: cannot "
                                 "write %s/%s: No space left on device\n" % (out, target)))
                self.assertTrue(os.path.isfile(os.path.join(out, kept)))


if __name__ == "__main__":
    BUILD = sys.argv.pop()
    unittest.main()
