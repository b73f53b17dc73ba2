#!/usr/bin/env python3
"""The installer end to end under Wine with real input: it downloads the demo
client from a server of the test's own on 127.0.0.1, installs, registers,
makes shortcuts, starts the client and ends; its copy "卸载.exe" takes the
installation away again. Screenshots of the default installation are kept
beside the test programs."""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
import installation as inst  # noqa: E402
from certificates import make_test_certificates, trust_in_wine_prefix  # noqa: E402
from fault_server import FaultServer  # noqa: E402
from peers import sha256  # noqa: E402
from signing import Publishers  # noqa: E402
from installation import (CLOSE_BUTTON, DEFAULT_FOLDER, DESKTOP_MARK, INSTALL_BUTTON, PANEL_CHEVRON,  # noqa: E402
                          SHORTCUT, START_MENU_MARK, TEXTS, Installer, clean_installation, host_path,
                          link_points_to, profile_folder, registry_values, same_bytes, xdotool)

SETUP = os.environ["TAVRIN_SETUP"]
SEAM_SETUP = os.environ["TAVRIN_SEAM_SETUP"]  # the same program with the test's administrator answers
CLIENT = os.environ["TAVRIN_CLIENT"]
ARTIFACTS = os.environ.get("TAVRIN_ARTIFACTS", tempfile.gettempdir())
LOCALES = {"zh_CN": "zh_CN.UTF-8", "en_US": "en_US.UTF-8"}
# The client closes itself after a while, so no test leaves it running. The
# program is made for a code page 936 system: its uninstall script, run by
# Wine's cmd, names the shortcuts in that code page.
CLIENT_ENV = {"TAVRIN_DEMO_CLIENT_SECONDS": "3", "LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class FlowCase(unittest.TestCase):
    """The peers, the clean prefix and the steps of a user, for the flow tests."""

    @classmethod
    def setUpClass(cls):
        cls.served = tempfile.mkdtemp(prefix="tavrin-served-")
        shutil.copy(CLIENT, os.path.join(cls.served, "tavrin.exe"))
        # What a misconfigured server answers with status 200 at the client's address.
        with open(os.path.join(cls.served, "error-page.exe"), "wb") as f:
            f.write(b"<!DOCTYPE html><html><head><title>Not Found</title></head><body>gone</body></html>\n" * 50)
        cls.server = FaultServer(cls.served).__enter__()
        # About three seconds for the client: the progress shows on the strip.
        cls.slow_url = cls.server.url(f"/slow/{os.path.getsize(CLIENT) // 3}/tavrin.exe")
        cls.url = cls.server.url("/file/tavrin.exe")
        # The same client over HTTPS, from a server of a test authority that
        # is trusted in this run's Wine prefix only.
        cls.certificates = tempfile.mkdtemp(prefix="tavrin-certificates-")
        paths = make_test_certificates(cls.certificates)
        trust_in_wine_prefix(paths["authority"])
        cls.secure_server = FaultServer(cls.served, tls=paths["good"]).__enter__()
        cls.secure_url = cls.secure_server.url("/file/tavrin.exe")

    @classmethod
    def tearDownClass(cls):
        cls.server.__exit__(None, None, None)
        cls.secure_server.__exit__(None, None, None)
        shutil.rmtree(cls.served, ignore_errors=True)
        shutil.rmtree(cls.certificates, ignore_errors=True)

    def setUp(self):
        inst.end_leftover_programs()
        clean_installation()
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.stop()
        inst.end_leftover_programs()
        clean_installation()

    def start(self, setup=None, **options):
        options["env"] = dict(CLIENT_ENV, **(options.get("env") or {}))
        run = Installer(setup or SETUP, **options)
        self.runs.append(run)
        return run

    def install(self, url=None, locale="zh_CN", shots_to=None, prepare=None, digest=None, setup=None, env=None):
        """A default installation from a click on 快速安装; returns the run."""
        run = self.start(setup, url=url or self.url, digest=digest,
                         env=dict({"LANG": LOCALES[locale], "LC_ALL": LOCALES[locale]}, **(env or {})))
        run.wait_for_window()
        if prepare:
            prepare(run)
        run.click(INSTALL_BUTTON)
        self.assertEqual(run.wait_for_end(shots_to=shots_to), 0)
        return run

    def assert_installed(self, folder=DEFAULT_FOLDER, run=None, shortcuts=True):
        files = host_path(folder)
        self.assertTrue(same_bytes(os.path.join(files, "tavrin.exe"), CLIENT))
        self.assertTrue(same_bytes(os.path.join(files, "Uninstall.bat"), os.path.join(TEXTS, "uninstall_script.bat")))
        self.assertTrue(same_bytes(os.path.join(files, "卸载说明.txt"),
                                   os.path.join(TEXTS, "uninstall_instructions.txt")))
        self.assertEqual(os.path.getsize(os.path.join(files, "Uninstall.bat")), 4722)
        self.assertEqual(os.path.getsize(os.path.join(files, "卸载说明.txt")), 403)
        if run:
            self.assertTrue(same_bytes(os.path.join(files, "卸载.exe"), run.path))
        self.wait_for_file(os.path.join(files, "tavrin-started.txt"), "the client was not started")
        values = registry_values()
        self.assertIsNotNone(values, "no registry key")
        client = folder + "\\tavrin.exe"
        self.assertEqual(values["DisplayName"], "Tavrin 端口映射")
        self.assertEqual(values["DisplayVersion"], "2.4.1.0")
        self.assertEqual(values["Publisher"], "tavrin")
        self.assertEqual(values["DisplayIcon"], client)
        self.assertEqual(values["InstallLocation"], folder + "\\")
        self.assertEqual(values["UninstallString"], f'"{folder}\\卸载.exe"')
        self.assertEqual(values["QuietUninstallString"], f'"{folder}\\卸载.exe" /S')
        self.assertEqual((values["NoModify"], values["NoRepair"]), (1, 1))
        # Every file the installation wrote, in KiB rounded up.
        written = sum(os.path.getsize(os.path.join(files, name))
                      for name in ("tavrin.exe", "Uninstall.bat", "卸载说明.txt", "卸载.exe"))
        self.assertEqual(values["EstimatedSize"], (written + 1023) // 1024)
        self.assertEqual(values["InstallDate"], time.strftime("%Y%m%d"))
        self.assertNotIn("\\\\", "".join(v for v in values.values() if isinstance(v, str)))
        for where in ("desktop", "start menu"):
            link = os.path.join(profile_folder(where), SHORTCUT)
            self.assertEqual(os.path.exists(link), shortcuts, link)
            if shortcuts:
                self.assertTrue(link_points_to(link, client), link)

    def wait_for_file(self, path, what, present=True, timeout=20):
        end = time.time() + timeout
        while os.path.exists(path) != present and time.time() < end:
            time.sleep(0.3)
        self.assertEqual(os.path.exists(path), present, what)

    def uninstall_quietly(self, folder=DEFAULT_FOLDER, env=None):
        """"卸载.exe /S" in the folder, as package managers run it; the copy is
        the program with the test's administrator answers."""
        shutil.copy(SEAM_SETUP, os.path.join(host_path(folder), "卸载.exe"))
        run = self.start(name="卸载.exe", folder=host_path(folder), arguments=["/S"], env=env)
        return run.exit_code(120)

    def wait_until_uninstalled(self, folder=DEFAULT_FOLDER):
        """The script runs on after the uninstaller: it ends with a 5-second pause."""
        self.wait_for_file(os.path.join(host_path(folder), "tavrin.exe"), "the client stays", present=False,
                           timeout=60)
        end = time.time() + 30
        while registry_values() is not None and time.time() < end:
            time.sleep(0.5)

    def assert_folder_removed(self, folder):
        """The script deletes the folder it lies in; Wine's cmd keeps the
        running script file itself open, so that one file may stay."""
        files = host_path(folder)
        end = time.time() + 30
        while os.path.exists(files) and set(os.listdir(files)) - {"Uninstall.bat"} and time.time() < end:
            time.sleep(0.5)
        left = sorted(os.listdir(files)) if os.path.exists(files) else []
        self.assertIn(left, ([], ["Uninstall.bat"]), left)

    def install_until_it_fails(self, url, digest=None, setup=None, env=None, settle=10):
        """A click on 快速安装 that ends in the failure notice; returns the run.
        The strip shows from the first notice to the end of the failure's."""
        run = self.start(setup, url=url, digest=digest, env=env)
        run.wait_for_window()
        run.click(INSTALL_BUTTON)
        time.sleep(settle)
        run.wait_for_failure_notice(120)
        return run

    def assert_nothing_installed_and_close(self, run):
        time.sleep(2)
        self.assertIsNone(registry_values())
        files = host_path(DEFAULT_FOLDER)
        for name in ("tavrin.exe", "Uninstall.bat", "卸载.exe", "tavrin-started.txt"):
            self.assertFalse(os.path.exists(os.path.join(files, name)), name)
        run.click(CLOSE_BUTTON)
        self.assertEqual(run.exit_code(30), 0)


class Flow(FlowCase):
    def test_default_installation_in_both_locales(self):
        for locale in LOCALES:
            with self.subTest(locale=locale):
                shots = os.path.join(ARTIFACTS, f"installer_flow_{locale}")
                shutil.rmtree(shots, ignore_errors=True)
                os.makedirs(shots)
                run = self.install(self.slow_url, locale, shots_to=shots)
                self.assert_installed(run=run)
                # Orange progress, red "正在安装文件", green "安装成功，启动软件".
                self.assertEqual([c for c in run.notices if c != "orange"][-2:], ["red", "green"], run.notices)
                self.assertIn("orange", run.notices)
                clean_installation()

    def test_typed_folder_and_no_shortcuts(self):
        folder = "C:\\tavrin-typed"
        shutil.rmtree(host_path(folder), ignore_errors=True)

        def choose(run):
            run.type_folder(folder)
            run.click(DESKTOP_MARK)
            run.click(START_MENU_MARK)
            run.click(PANEL_CHEVRON)

        run = self.install(prepare=choose)
        self.assert_installed(folder, run, shortcuts=False)
        # A folder under a drive root does not take the root's access list,
        # which lets every user write. Wine keeps no list (it maps one to
        # Unix mode bits): what shows is that Everyone has no entry, and on
        # the host that nobody but the owner may write there.
        access = inst.folder_access(folder)
        self.assertTrue(access.startswith("D:"), access)
        self.assertNotIn(";WD)", access)
        self.assertEqual(os.stat(host_path(folder)).st_mode & 0o022, 0)
        shutil.rmtree(host_path(folder), ignore_errors=True)

    def test_a_folder_name_the_uninstall_script_cannot_carry_is_refused(self):
        folder = "C:\\tools&calc"
        shutil.rmtree(host_path(folder), ignore_errors=True)
        asked_before = len(self.server.requests)
        run = self.start(url=self.url)
        run.wait_for_window()
        run.type_folder(folder)
        run.click(PANEL_CHEVRON)
        run.click(INSTALL_BUTTON)
        run.wait_for_failure_notice(60)
        self.assertIn("orange", run.notices)  # 安装目录无效，请选择其他安装目录
        self.assertFalse(os.path.exists(host_path(folder)))
        self.assertEqual(len(self.server.requests), asked_before)
        self.assertIsNone(registry_values())
        self.assertIsNone(run.process.poll())
        run.click(CLOSE_BUTTON)
        self.assertEqual(run.exit_code(30), 0)

    def plant_link(self, folder=DEFAULT_FOLDER):
        """A directory link in the installation to a folder that holds a file:
        Wine shows a Unix symbolic link as a directory reparse point."""
        target = host_path("C:\\link-target")
        shutil.rmtree(target, ignore_errors=True)
        os.makedirs(target)
        kept = os.path.join(target, "keep.txt")
        with open(kept, "w") as f:
            f.write("not the installer's")
        link = os.path.join(host_path(folder), "link")
        os.symlink(target, link)
        self.addCleanup(shutil.rmtree, target, True)
        return kept, link

    def test_no_delete_follows_a_link_in_an_installation(self):
        """Windows removes a directory link as itself (RemoveDirectoryW). Wine
        cannot remove one at all (it looks through it), and its "rd /s"
        follows it: there the link stays, and nothing that would follow it
        runs."""
        self.install()
        kept, link = self.plant_link()
        # With a link that stays, the old installation's script (and its
        # taskkill) is not run: a client still running abandons the removal.
        self.wait_for_file(os.path.join(host_path(DEFAULT_FOLDER), "tavrin-started.txt"), "the client was not started")
        inst.end_leftover_programs()
        run = self.install()  # over the installation with the link
        self.assert_installed(run=run)
        self.assertTrue(os.path.exists(kept), "the removal followed the link")
        self.assertTrue(os.path.lexists(link))

        run = self.start(name="卸载.exe", folder=host_path(DEFAULT_FOLDER))
        run.wait_for_window()
        run.click(INSTALL_BUTTON)  # the uninstall button
        run.wait_for_failure_notice(60)  # 安装目录中有无法删除的链接，已停止卸载
        self.assertIsNone(run.process.poll())
        self.assertTrue(os.path.exists(kept), "the uninstaller followed the link")
        self.assertIsNotNone(registry_values())
        run.click(CLOSE_BUTTON)
        self.assertEqual(run.exit_code(30), 0)

        self.assertEqual(self.uninstall_quietly(), 5)  # the link stays
        time.sleep(3)
        self.assertTrue(os.path.exists(kept), '"卸载.exe /S" followed the link')
        self.assertTrue(os.path.exists(os.path.join(host_path(DEFAULT_FOLDER), "tavrin.exe")))

    def test_someones_files_are_kept_through_install_and_uninstall(self):
        folder = "C:\\somebodys-folder"
        files = host_path(folder)
        shutil.rmtree(files, ignore_errors=True)
        os.makedirs(os.path.join(files, "notes"))
        mine = {"letter.txt": b"dear installer, keep this", os.path.join("notes", "a.txt"): b"mine too"}
        for name, data in mine.items():
            with open(os.path.join(files, name), "wb") as f:
                f.write(data)

        run = self.install(prepare=lambda run: run.type_folder(folder) or run.click(PANEL_CHEVRON))
        self.assert_installed(folder + "\\tavrin", run)
        self.assertEqual(self.uninstall_quietly(folder + "\\tavrin"), 0)
        self.wait_until_uninstalled(folder + "\\tavrin")
        for name, data in mine.items():
            with open(os.path.join(files, name), "rb") as f:
                self.assertEqual(f.read(), data)
        shutil.rmtree(files, ignore_errors=True)

    def test_a_previous_installation_is_replaced(self):
        self.install()
        self.assert_installed()
        started = os.path.join(host_path(DEFAULT_FOLDER), "tavrin-started.txt")
        os.unlink(started)
        stale = os.path.join(host_path(DEFAULT_FOLDER), "from-the-old-version.txt")
        with open(stale, "w") as f:
            f.write("old")
        asked_before = len(self.server.requests)
        run = self.install()
        self.assert_installed(run=run)
        self.assertFalse(os.path.exists(stale))
        # The folder is made again after the removal: the first download
        # succeeds, no restart asks a second time.
        self.assertEqual(len(self.server.requests) - asked_before, 1)

    def test_a_client_that_cannot_be_deleted_abandons_the_installation(self):
        files = host_path(DEFAULT_FOLDER)
        os.makedirs(files, exist_ok=True)
        shutil.copy(CLIENT, os.path.join(files, "tavrin.exe"))
        with open(os.path.join(files, "Uninstall.bat"), "wb") as f:
            f.write(b"exit")
        holder = os.path.join(tempfile.mkdtemp(prefix="tavrin-holder-"), "holder.exe")
        shutil.copy(CLIENT, holder)
        held = subprocess.Popen([inst.WINE, holder, "--hold", DEFAULT_FOLDER + "\\tavrin.exe"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            time.sleep(3)
            requests_before = len(self.server.requests)
            run = self.start(url=self.url)
            run.wait_for_window()
            began = time.time()
            run.click(INSTALL_BUTTON)
            run.wait_until(lambda shot: os.path.exists(os.path.join(files, "卸载.exe")), 60, "no 卸载.exe")
            self.assertGreater(time.time() - began, 8)
            # The folder opens in the file manager (a window named after it).
            end = time.time() + 60
            while not explorer_windows() and time.time() < end:
                time.sleep(0.5)
            self.assertTrue(explorer_windows(), "the folder was not opened")
            for window in explorer_windows():
                subprocess.run(["xdotool", "windowclose", window])
            # The failure notice's ten seconds.
            run.wait_for_failure_notice(120)
            self.assertIsNone(run.process.poll())  # stays open on the progress page
            self.assertEqual(len(self.server.requests), requests_before)  # nothing downloaded
            self.assertTrue(os.path.exists(os.path.join(files, "tavrin.exe")))
            self.assertIsNone(registry_values())
            run.click(CLOSE_BUTTON)
            self.assertEqual(run.exit_code(30), 0)
        finally:
            held.kill()
            held.wait()

    def test_an_unreachable_server_fails_after_one_restart(self):
        run = self.start(url=f"http://127.0.0.1:{free_port()}/tavrin.exe")
        run.wait_for_window()
        began = time.time()
        run.click(INSTALL_BUTTON)
        # Two attempts of about 30 seconds each, then the failure notice.
        time.sleep(50)
        run.wait_for_failure_notice(120)
        self.assertGreater(time.time() - began, 60)
        self.assertIsNone(registry_values())
        self.assertFalse(os.path.exists(os.path.join(host_path(DEFAULT_FOLDER), "tavrin.exe")))
        run.click(CLOSE_BUTTON)
        self.assertEqual(run.exit_code(30), 0)

    def test_a_download_cut_short_is_never_installed(self):
        run = self.install_until_it_fails(self.server.url("/cut/100000/tavrin.exe"))
        cut = [path for path, _ in self.server.requests if path.startswith("/cut/")]
        self.assertGreaterEqual(len(cut), 2)  # the one restart asked again
        self.assert_nothing_installed_and_close(run)

    def test_an_error_page_served_as_the_client_is_never_installed(self):
        run = self.install_until_it_fails(self.server.url("/file/error-page.exe"), settle=0)
        self.assertGreaterEqual(len([p for p, _ in self.server.requests if p == "/file/error-page.exe"]), 2)
        self.assert_nothing_installed_and_close(run)

    def publishers(self):
        """Signing certificates made for this run, their roots trusted in the prefix."""
        if not hasattr(Flow, "signing"):
            Flow.signing = Publishers(tempfile.mkdtemp(prefix="tavrin-publishers-", dir=self.certificates))
        return Flow.signing

    def test_a_client_signed_by_the_publisher_installs_and_no_other_does(self):
        publishers = self.publishers()
        pinned = {"TAVRIN_TEST_CLIENT_SIGNER": publishers.pins["root"]}
        # From any address, also one that "up.ini" names: unsigned is refused.
        run = self.install_until_it_fails(self.url, setup=SEAM_SETUP, env=pinned)
        self.assert_nothing_installed_and_close(run)
        clean_installation()
        # Signed through the publisher's intermediate: installed.
        signed = publishers.sign(CLIENT, os.path.join(self.served, "signed.exe"))
        run = self.install(self.server.url("/file/signed.exe"), setup=SEAM_SETUP, env=pinned)
        self.assertTrue(same_bytes(os.path.join(host_path(DEFAULT_FOLDER), "tavrin.exe"), signed))
        self.wait_for_file(os.path.join(host_path(DEFAULT_FOLDER), "tavrin-started.txt"), "the client was not started")
        self.assertIsNotNone(registry_values())

    def test_over_https_with_the_clients_digest(self):
        asked_before = len(self.secure_server.headers_of("/file/"))
        run = self.install(url=self.secure_url, digest=sha256(CLIENT).upper())
        self.assert_installed(run=run)
        self.assertEqual(len(self.secure_server.headers_of("/file/")) - asked_before, 1)

    def test_a_client_that_does_not_match_its_digest_is_never_run(self):
        asked_before = len(self.secure_server.headers_of("/file/"))
        run = self.install_until_it_fails(self.secure_url, digest="0" * 64)
        # Downloaded whole twice (the one restart), refused twice.
        self.assertEqual(len(self.secure_server.headers_of("/file/")) - asked_before, 2)
        self.assert_nothing_installed_and_close(run)

    def test_the_uninstaller_removes_its_own_installation(self):
        self.install()
        self.assert_installed()
        run = self.start(name="卸载.exe", folder=host_path(DEFAULT_FOLDER))
        run.wait_for_window()
        shot = inst.screenshot(os.path.join(ARTIFACTS, "installer_flow_uninstall_page.png"))
        self.assertFalse(inst.close_to(inst.pixel(shot, *run.at(INSTALL_BUTTON)), inst.SKIN, 2))
        run.click(INSTALL_BUTTON)  # the uninstall button sits where the install button does
        self.assertEqual(run.wait_for_end(timeout=60), 0)
        self.assertIn("orange", run.notices)  # 正在卸载
        self.wait_until_uninstalled()
        self.assert_folder_removed(DEFAULT_FOLDER)
        self.assertIsNone(registry_values())
        for where in ("desktop", "start menu"):
            self.assertFalse(os.path.exists(os.path.join(profile_folder(where), SHORTCUT)), where)

    def test_quiet_uninstall_and_its_refusals(self):
        self.install()
        # Without administrator rights nothing is written and the code says so.
        script = os.path.join(host_path(DEFAULT_FOLDER), "Uninstall.bat")
        os.unlink(script)
        self.assertEqual(self.uninstall_quietly(env={"TAVRIN_TEST_ADMINISTRATOR": "0"}), 1)
        self.assertFalse(os.path.exists(script))
        # A copy in a folder that is not an installation deletes nothing.
        elsewhere = host_path("C:\\not-an-installation")
        os.makedirs(elsewhere, exist_ok=True)
        with open(os.path.join(elsewhere, "keep.txt"), "w") as f:
            f.write("keep")
        self.assertEqual(self.uninstall_quietly("C:\\not-an-installation"), 2)
        self.assertTrue(os.path.exists(os.path.join(elsewhere, "keep.txt")))
        self.assertFalse(os.path.exists(os.path.join(elsewhere, "Uninstall.bat")))
        shutil.rmtree(elsewhere, ignore_errors=True)
        # With them, the script runs unattended and has taken everything
        # away when the uninstaller ends.
        self.assertEqual(self.uninstall_quietly(), 0)
        self.assertFalse(os.path.exists(host_path(DEFAULT_FOLDER)))
        self.assertIsNone(registry_values())

    def test_uninstall_without_administrator_rights_is_refused(self):
        self.install()
        shutil.copy(SEAM_SETUP, os.path.join(host_path(DEFAULT_FOLDER), "卸载.exe"))
        run = self.start(SEAM_SETUP, name="卸载.exe", folder=host_path(DEFAULT_FOLDER),
                         env={"TAVRIN_TEST_ADMINISTRATOR": "0"})
        run.wait_for_window()
        run.click(INSTALL_BUTTON)
        run.wait_for_failure_notice(30)
        self.assertIsNone(run.process.poll())
        self.assertFalse(inst.close_to(inst.pixel(inst.screenshot(), *run.at(INSTALL_BUTTON)), inst.SKIN, 2))
        self.assertIsNotNone(registry_values())

    def test_a_process_without_rights_relaunches_itself(self):
        run = self.start(SEAM_SETUP, env={"TAVRIN_TEST_ELEVATED": "0"})
        # The first process ends at once; the copy it started shows the window.
        self.assertEqual(run.exit_code(60), 0)
        end = time.time() + 60
        while not (window_ids("tavrin-setup.exe") and
                   inst.close_to(inst.pixel(inst.screenshot(), *run.at((600, 30))), inst.SKIN, 2)):
            self.assertLess(time.time(), end, "the relaunched copy shows no window")
            time.sleep(0.5)
        time.sleep(1)
        xdotool("mousemove", *run.at(CLOSE_BUTTON), "click", 1)
        end = time.time() + 30
        while window_ids("tavrin-setup.exe") and time.time() < end:
            time.sleep(0.5)
        self.assertEqual(window_ids("tavrin-setup.exe"), [])

    def test_two_installers_started_together_make_one_window(self):
        folder = tempfile.mkdtemp(prefix="tavrin-installer-")
        both = [self.start(folder=folder, launch=False), self.start(folder=folder, launch=False)]
        began = time.time()
        for run in both:
            run.launch()
        self.assertLess(time.time() - began, 0.05)
        end = time.time() + 60
        while all(run.process.poll() is None for run in both) and time.time() < end:
            time.sleep(0.2)
        ended = [run for run in both if run.process.poll() is not None]
        self.assertEqual(len(ended), 1, "both installers run")
        self.assertEqual(ended[0].process.returncode, 0)
        stays = next(run for run in both if run.process.poll() is None)
        stays.wait_for_window()
        time.sleep(2)
        self.assertIsNone(stays.process.poll())
        stays.click(CLOSE_BUTTON)
        self.assertEqual(stays.exit_code(30), 0)

    def planted_dlls(self, folder):
        """DLLs a web page dropped into `folder`: one for every DLL that the
        program (or a system DLL on its behalf) loads and that is not a
        KnownDLL, each leaving a marker when loaded."""
        os.makedirs(folder, exist_ok=True)
        source = os.environ["TAVRIN_PLANTED_DLLS"]
        for name in os.listdir(source):
            shutil.copy(os.path.join(source, name), os.path.join(folder, name))
        return folder

    def test_no_dll_planted_beside_the_program_is_loaded(self):
        markers = tempfile.mkdtemp(prefix="tavrin-markers-")
        self.addCleanup(shutil.rmtree, markers, True)
        # Wine searches those names as Windows does: the program's folder first.
        names = os.environ["TAVRIN_PLANTED_NAMES"]
        overrides = ";".join(o for o in (os.environ.get("WINEDLLOVERRIDES"), f"{names}=n,b") if o)
        env = {"WINEDLLOVERRIDES": overrides, "TAVRIN_PLANTED_MARKERS": "Z:" + markers.replace("/", "\\")}

        # Wine's own user32.dll imports version.dll (Windows' does not, and
        # its imports come from the system folder): under Wine the planted
        # copy is loaded at every start, before any of the program's code.
        # What shows the program's own use is the client's version as
        # registered (the planted copy's stubs would give none).
        def loaded():
            return sorted(m for m in os.listdir(markers) if not m.startswith("version.dll-"))

        downloads = self.planted_dlls(tempfile.mkdtemp(prefix="tavrin-installer-"))
        run = self.start(folder=downloads, url=self.url, env=env)
        run.wait_for_window()
        run.click(INSTALL_BUTTON)
        self.assertEqual(run.wait_for_end(), 0)
        self.assert_installed(run=run)  # DisplayVersion "2.4.1.0" among them
        self.assertEqual(loaded(), [], "a default installation")

        # The copy without rights starts its elevated twin from the same folder.
        relaunching = self.planted_dlls(tempfile.mkdtemp(prefix="tavrin-installer-"))
        run = self.start(SEAM_SETUP, folder=relaunching, env=dict(env, TAVRIN_TEST_ELEVATED="0"))
        self.assertEqual(run.exit_code(60), 0)
        end = time.time() + 60
        while not window_ids("tavrin-setup.exe"):
            self.assertLess(time.time(), end, "the relaunched copy shows no window")
            time.sleep(0.5)
        time.sleep(3)
        inst.end_leftover_programs()
        self.assertEqual(loaded(), [], "the elevated relaunch")

        self.planted_dlls(host_path(DEFAULT_FOLDER))
        # The copy of version.dll that Wine's user32 loaded into the running
        # uninstaller cannot be deleted while it runs (Wine's "rd /s" was
        # seen to leave other files with it): "/S" says that files stay (6)
        # and puts itself back beside them.
        self.assertEqual(self.uninstall_quietly(env=env), 6)
        left = os.listdir(host_path(DEFAULT_FOLDER))
        self.assertIn("version.dll", left)
        self.assertIn("卸载.exe", left)
        self.assertIsNone(registry_values())
        self.assertEqual(loaded(), [], '"卸载.exe /S"')

    def test_a_second_start_brings_the_first_forward_and_ends(self):
        first = self.start()
        first.wait_for_window()
        second = self.start(folder=first.folder)
        self.assertEqual(second.exit_code(60), 0)
        self.assertIsNone(first.process.poll())
        first.click(CLOSE_BUTTON)
        self.assertEqual(first.exit_code(30), 0)


def explorer_windows():
    found = subprocess.run(["xdotool", "search", "--classname", "explorer.exe"], stdout=subprocess.PIPE)
    names = {w: subprocess.run(["xdotool", "getwindowname", w], stdout=subprocess.PIPE).stdout.decode().strip()
             for w in found.stdout.decode().split()}
    return [w for w, name in names.items() if name and name != "Default IME"]


def window_ids(name):
    found = subprocess.run(["xdotool", "search", "--classname", name], stdout=subprocess.PIPE)
    return found.stdout.split()


if __name__ == "__main__":
    unittest.main(verbosity=2)
