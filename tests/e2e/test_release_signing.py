"""The release step (tools/release/make-release) on the files already built:
signed with a throwaway certificate, every executable verifies against its CA,
the uninstaller too as a silent install under Wine writes it; the checksums
hold; the signed saver still reproduces; a wrong password stops the release and
leaves no folder; without a certificate the files are the build's own."""
import glob
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness

ROOT = os.path.abspath(os.path.join(harness.HERE, "..", ".."))
MAKE_RELEASE = os.path.join(ROOT, "tools", "release", "make-release")
REPRODUCE = os.path.join(ROOT, "cmake", "reproduce.cmake")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nightloom"
SYSTEM_SAVER = os.path.join(harness.PREFIX, "drive_c", "windows", "system32", "nightloom.scr")
PASSWORD = "Nachtfalter-7"
EXECUTABLES = ("nightloom.scr", "nightloom-setup.exe")
OPENSSL_CONFIG = """
[req]
distinguished_name = name
[name]
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""


def run(*command, env=None, cwd=None, timeout=300):
    return subprocess.run(command, env=env, cwd=cwd, timeout=timeout, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def make_certificate(folder):
    """A CA and a code-signing certificate it issued, as PKCS#12 with PASSWORD."""
    def openssl(*args):
        result = run("openssl", *args, cwd=folder)
        assert result.returncode == 0, result.stderr
    with open(os.path.join(folder, "openssl.cnf"), "w") as f:
        f.write(OPENSSL_CONFIG)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
            "-days", "2", "-subj", "/CN=Nightloom Test CA", "-config", "openssl.cnf", "-extensions", "ca")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "leaf.csr",
            "-subj", "/CN=Nightloom Test Signer", "-config", "openssl.cnf")
    openssl("x509", "-req", "-in", "leaf.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
            "-out", "leaf.pem", "-days", "1", "-extfile", "openssl.cnf", "-extensions", "leaf")
    with open(os.path.join(folder, "password"), "w") as f:
        f.write(PASSWORD)
    openssl("pkcs12", "-export", "-out", "leaf.pfx", "-inkey", "leaf.key", "-in", "leaf.pem",
            "-certfile", "ca.pem", "-passout", "file:password")
    os.remove(os.path.join(folder, "password"))
    return os.path.join(folder, "leaf.pfx"), os.path.join(folder, "ca.pem")


def release(out, pfx=None, password=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("NIGHTLOOM_SIGN_")}
    if pfx:
        env["NIGHTLOOM_SIGN_PFX"] = pfx
        env["NIGHTLOOM_SIGN_PASSWORD"] = password
    return run(MAKE_RELEASE, harness.WIN_DIR, out, env=env)


def verify(path, ca):
    return run("osslsigncode", "verify", "-CAfile", ca, "-in", path)


class ReleaseCase(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        for tool in ("osslsigncode", "openssl", "makensis"):
            if shutil.which(tool) is None:
                raise AssertionError("%s is missing (./dev setup installs it)" % tool)
        cls.folder = tempfile.mkdtemp(prefix="nightloom-release-")
        cls.pfx, cls.ca = make_certificate(cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)
        super().tearDownClass()

    def dist(self, name):
        path = os.path.join(self.folder, name)
        shutil.rmtree(path, ignore_errors=True)
        self.addCleanup(shutil.rmtree, path, True)
        return path


class SignedRelease(ReleaseCase, harness.SaverTestCase):

    def setUp(self):
        super().setUp()
        self.forget_installation()
        self.addCleanup(self.forget_installation)

    def forget_installation(self):
        if os.path.exists(SYSTEM_SAVER):
            os.remove(SYSTEM_SAVER)
        self.session.reg_delete(UNINSTALL_KEY)

    def installed_uninstaller(self, setup):
        """The uninstaller as a silent install of SETUP writes it."""
        result = self.session.wine(setup, "/S", timeout=120)
        self.assertEqual(result.returncode, 0, "the signed installer failed")
        entry = self.session.reg_query(UNINSTALL_KEY, "UninstallString")
        self.assertIsNotNone(entry, "no uninstall entry")
        path = entry[1].strip('"')
        self.assertRegex(path, r"^[Cc]:\\")
        unix = os.path.join(harness.PREFIX, "drive_c", *path[3:].split("\\"))
        self.assertTrue(os.path.exists(unix), unix)
        copy = os.path.join(self.folder, "Deinstallieren.exe")
        shutil.copyfile(unix, copy)
        self.session.wine(path, "/S", timeout=120)
        deadline = time.monotonic() + 60
        while os.path.exists(SYSTEM_SAVER) and time.monotonic() < deadline:
            time.sleep(0.5)
        return copy

    def test_every_executable_is_signed_and_the_release_checks_out(self):
        dist = self.dist("signed")
        result = release(dist, self.pfx, PASSWORD)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Signed by", result.stdout)
        self.assertNotIn(PASSWORD, result.stdout + result.stderr)

        for name in EXECUTABLES:
            checked = verify(os.path.join(dist, name), self.ca)
            self.assertEqual(checked.returncode, 0, "%s does not verify:\n%s" % (name, checked.stdout))
            self.assertIn("Message digest algorithm  : SHA256", checked.stdout)
        uninstaller = self.installed_uninstaller(os.path.join(dist, "nightloom-setup.exe"))
        checked = verify(uninstaller, self.ca)
        self.assertEqual(checked.returncode, 0, "the uninstaller does not verify:\n" + checked.stdout)

        sums = run("sha256sum", "-c", "SHA256SUMS", cwd=dist)
        self.assertEqual(sums.returncode, 0, sums.stdout + sums.stderr)
        self.assertEqual(sums.stdout.count(": OK"), 3, sums.stdout)
        with open(os.path.join(dist, "RELEASE-NOTES.md"), encoding="utf-8") as f:
            self.assertTrue(f.read().startswith("## [%s]" % harness.project_version()))

        # The saver built from this source, compared with the signed one.
        same = run("cmake", "-D", "REFERENCE=" + os.path.join(dist, "nightloom.scr"), "-D", "REBUILT=" + harness.SCR,
                   "-D", "WORK_DIR=" + os.path.join(self.folder, "reproduce"), "-P", REPRODUCE)
        self.assertEqual(same.returncode, 0, same.stdout + same.stderr)
        self.assertTrue((same.stdout + same.stderr).rstrip().endswith("Same bytes."), same.stderr)


class UnsignedOrRefused(ReleaseCase):

    def test_a_wrong_password_stops_the_release_and_leaves_no_folder(self):
        dist = self.dist("refused")
        result = release(dist, self.pfx, "falsch")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("does not open", result.stderr)
        self.assertNotIn("falsch", result.stdout + result.stderr)
        self.assertFalse(os.path.exists(dist), "a failed release left its folder")
        self.assertEqual(glob.glob(os.path.join(self.folder, ".dist-*")), [], "a half-made release is left")

    def test_without_a_certificate_the_release_holds_the_builds_files_and_says_so(self):
        dist = self.dist("unsigned")
        result = release(dist)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("NOT signed", result.stdout)
        for name in ("nightloom.scr", "nightloom-setup.exe"):
            with open(os.path.join(dist, name), "rb") as released, \
                    open(os.path.join(harness.WIN_DIR, name), "rb") as built:
                self.assertEqual(released.read(), built.read(), name + " differs from the build's")
        sums = run("sha256sum", "-c", "SHA256SUMS", cwd=dist)
        self.assertEqual(sums.returncode, 0, sums.stdout + sums.stderr)


if __name__ == "__main__":
    unittest.main()
