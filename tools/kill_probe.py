#!/usr/bin/env python3
"""Kills the suite's programs outright (SIGKILL) at moments drawn at random
while they write their files, and checks what is left on disk: each file the
work writes must afterwards be the old one or the new one, whole.

  tools/kill_probe.py [--rounds N] [--seed S] [--build DIR] [PROBE...]

Probes (all by default):
  scribant-batch  Scribant recognising several pages in its batch window
                  (their project and text files beside the pages)
  scribant-save   Scribant writing a recognised page's project file as it
                  exits, over the project file of an earlier layout
  keyrider-pdf    Keyrider joining the scanner's ten pages into one PDF file
                  (a "/B" start with a job ini, SANE's test device)

Each probe first runs the work to its end to learn the files it writes and how
long it takes, then kills it N times at a random moment of that time. The
seed is printed; --seed repeats a run. Temporary files a killed write leaves
beside its target are listed as litter (they are not the target). Runs the
programs of BUILD/bin (default build/) on the offscreen platform, each probe
in a scratch home of its own. Exits non-zero when a file was found damaged.
The store library's kill test is a ctest case (KillTest in tabellon_tests).
"""
import argparse
import hashlib
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

ID_RECOG_LAYOUT = 32793
ID_RECOG_START = 32794
ID_FILE_SELECT_ALL = 32857
ID_APP_EXIT = 57665


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def snapshot(folder, keep):
    """The files of `folder` (not below) whose name `keep` accepts: name -> digest."""
    out = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and keep(name):
            out[name] = digest(path)
    return out


def wait_for(done, seconds, step=0.05):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if done():
            return True
        time.sleep(step)
    return done()


def cpu_ticks(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except (OSError, IndexError, ValueError):
        return None


def wait_idle(pid, seconds=300, quiet=0.6):
    """Waits until the process has used no processor time for `quiet` seconds (its work is done)."""
    end = time.monotonic() + seconds
    last, still = cpu_ticks(pid), time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.1)
        now = cpu_ticks(pid)
        if now is None:
            return False
        if now != last:
            last, still = now, time.monotonic()
        elif time.monotonic() - still >= quiet:
            return True
    return False


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


class Probe:
    name = ""

    def __init__(self, bin_folder, rounds, rng):
        self.bin = bin_folder
        self.rounds = rounds
        self.rng = rng
        self.home = tempfile.mkdtemp(prefix="kill-probe-%s." % self.name, dir=os.environ.get("TMPDIR"))
        self.env = dict(os.environ)
        self.env.update({
            "SUITE_HOME": self.home, "SUITE_IPC_DIR": os.path.join(self.home, "ipc"),
            "SUITE_REGISTRY_USER": os.path.join(self.home, "user.db"),
            "SUITE_REGISTRY_MACHINE": os.path.join(self.home, "machine.db"),
            "QT_QPA_PLATFORM": "offscreen", "TMPDIR": os.path.join(self.home, "tmp"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"), "SUITE_LANGID": "0x0804",
        })
        for sub in ("ipc", "tmp", "runtime"):
            os.makedirs(os.path.join(self.home, sub), mode=0o700, exist_ok=True)
        self.damaged = 0

    def start(self, program, *args):
        return subprocess.Popen([os.path.join(self.bin, program), *args], env=self.env, cwd=self.home,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def run(self, program, *args, timeout=120):
        return subprocess.run([os.path.join(self.bin, program), *args], env=self.env, cwd=self.home,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def judge(self, round_no, delay, whole, files, old, new, litter):
        """Each watched file must be as it was before or as the whole run left it."""
        states = set()
        bad = []
        for name in sorted(set(old) | set(new) | set(files)):
            now = files.get(name)
            if now == old.get(name):
                states.add("old")
            elif now == new.get(name):
                states.add("new")
            else:
                bad.append(name)
        self.damaged += len(bad)
        state = "damaged: " + ", ".join(bad) if bad else "+".join(sorted(states)) or "nothing"
        extra = " litter: %s" % ", ".join(litter) if litter else ""
        print("  round %2d killed at %6.0f ms of %6.0f ms: %s%s" % (round_no, delay * 1000, whole * 1000, state, extra))
        sys.stdout.flush()

    def cleanup(self):
        shutil.rmtree(self.home, ignore_errors=True)


class ScribantProbe(Probe):
    """Scribant in the probe's home, driven by its menu commands."""

    def command(self, *ids, timeout=600):
        return self.run("scribant_command", "--wait", str(timeout), *[str(i) for i in ids], timeout=timeout + 10)

    def start_scribant(self, page):
        program = self.start("Scribant", page)
        if not wait_for(lambda: self.run("scribant_command", "--probe") == 0, 60, 0.2):
            kill_group(program)
            raise RuntimeError("Scribant did not come up")
        return program

    def kill_during(self, program, ident, delay, timeout=600):
        """Sends the command (its sender waits as a user would) and kills the program `delay` seconds later."""
        sender = subprocess.Popen([os.path.join(self.bin, "scribant_command"), "--wait", str(timeout), str(ident)],
                                  env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(delay)
        kill_group(program)
        sender.kill()
        sender.wait()

    def pages_folder(self):
        return os.path.join(self.home, "pages")

    def watched(self, name):
        return not name.lower().endswith(".tif")

    def litter(self):
        return sorted(n for n in os.listdir(self.pages_folder()) if ".~" in n or n.endswith(".part"))

    def files(self):
        return snapshot(self.pages_folder(), lambda n: self.watched(n) and ".~" not in n and not n.endswith(".part"))


class ScribantBatch(ScribantProbe):
    name = "scribant-batch"
    pages = 10

    def prepare(self):
        folder = self.pages_folder()
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for i in range(1, self.pages + 1):
            shutil.copy(os.path.join(TOP, "tools", "sample", "page.tif"), os.path.join(folder, "p%d.tif" % i))

    def launch(self):
        """Scribant with every page listed and selected; the running program."""
        folder = self.pages_folder()
        program = self.start_scribant(os.path.join(folder, "p1.tif"))
        for i in range(2, self.pages + 1):
            self.run("Scribant", os.path.join(folder, "p%d.tif" % i), timeout=60)
        time.sleep(2)
        self.command(ID_FILE_SELECT_ALL)
        return program

    def done(self):
        return all(os.path.exists(os.path.join(self.pages_folder(), "p%d.tif.TXT" % i))
                   for i in range(1, self.pages + 1))

    def probe(self):
        self.prepare()
        old = self.files()
        program = self.launch()
        started = time.monotonic()
        sender = subprocess.Popen([os.path.join(self.bin, "scribant_command"), "--wait", "600", str(ID_RECOG_START)],
                                  env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finished = wait_for(self.done, 600, 0.02)
        whole = time.monotonic() - started
        time.sleep(1)
        kill_group(program)
        sender.kill()
        sender.wait()
        if not finished:
            print("  the batch did not write every page's files in 600 s")
            self.damaged += 1
            return
        new = self.files()
        print("  a whole batch of %d pages: %.1f s, %d files" % (self.pages, whole, len(new)))
        for round_no in range(1, self.rounds + 1):
            self.prepare()
            program = self.launch()
            delay = self.rng.uniform(0, whole * 1.1)
            self.kill_during(program, ID_RECOG_START, delay)
            self.judge(round_no, delay, whole, self.files(), old, new, self.litter())


class ScribantSave(ScribantProbe):
    name = "scribant-save"

    def page(self):
        return os.path.join(self.pages_folder(), "page.tif")

    def exit_when_free(self, program):
        """Asks the program to exit until it does (a running recognition refuses it): the seconds until
        the exit was taken and the seconds the exit took."""
        started = time.monotonic()
        while time.monotonic() - started < 300:
            sent = time.monotonic()
            self.command(ID_APP_EXIT, timeout=60)
            if wait_for(lambda: program.poll() is not None, 0.5, 0.002):
                return sent - started, time.monotonic() - sent
        kill_group(program)
        raise RuntimeError("Scribant did not exit in 300 s")

    def probe(self):
        os.makedirs(self.pages_folder())
        shutil.copy(os.path.join(TOP, "tools", "sample", "page.tif"), self.page())
        # The old files: the page's layout, saved as Scribant exits.
        program = self.start_scribant(self.page())
        self.command(ID_RECOG_LAYOUT)
        self.exit_when_free(program)
        old = self.files()
        saved = {n: open(os.path.join(self.pages_folder(), n), "rb").read() for n in old}
        if not old:
            print("  Scribant wrote no project file for the layout")
            self.damaged += 1
            return

        def restore():
            for n in self.files():
                os.remove(os.path.join(self.pages_folder(), n))
            for n in self.litter():
                os.remove(os.path.join(self.pages_folder(), n))
            for n, data in saved.items():
                with open(os.path.join(self.pages_folder(), n), "wb") as f:
                    f.write(data)

        # The new files: the page recognised, saved as Scribant exits.
        program = self.start_scribant(self.page())
        self.command(ID_RECOG_START)
        reading, whole = self.exit_when_free(program)
        new = self.files()
        print("  recognition %.1f s, then an exit of %.0f ms writes %s" % (reading, whole * 1000, ", ".join(sorted(new))))
        for round_no in range(1, self.rounds + 1):
            restore()
            program = self.start_scribant(self.page())
            self.command(ID_RECOG_START)
            time.sleep(min(reading, 1.0))
            wait_idle(program.pid)
            # The files are written first; the rest of the exit takes the process down.
            delay = self.rng.uniform(0, whole * 0.35)
            self.kill_during(program, ID_APP_EXIT, delay, timeout=60)
            self.judge(round_no, delay, whole, self.files(), old, new, self.litter())


class KeyriderPdf(Probe):
    name = "keyrider-pdf"

    def prepare_scanner(self):
        folder = os.path.join(self.home, "sane")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "dll.conf"), "w") as f:
            f.write("test\n")
        replaced = {"enable-test-options": "enable-test-options true",
                    "test-picture": 'test-picture "Color pattern"',
                    "number_of_devices": "number_of_devices 1"}
        lines = []
        with open("/etc/sane.d/test.conf") as f:
            for line in f.read().splitlines():
                key = line.split(" ", 1)[0]
                lines.append(replaced.get(key, line))
        with open(os.path.join(folder, "test.conf"), "w") as f:
            f.write("\n".join(lines) + "\n")
        self.env["SANE_CONFIG_DIR"] = folder

    def output_folder(self):
        return os.path.join(self.home, "pdfs")

    def files(self):
        """The earlier job's file by its digest; the job's own PDF (its name holds the time) as "new PDF"
        when it is a whole ten-page file."""
        out = {}
        for name, sha in snapshot(self.output_folder(), lambda n: ".~" not in n).items():
            if name == "Image00.pdf":
                out[name] = sha
            elif self.pages_of(os.path.join(self.output_folder(), name)) == 10:
                out["new PDF"] = "whole"
            else:
                out[name] = "not a whole ten-page PDF"
        return out

    def litter(self):
        out = [n for n in os.listdir(self.output_folder()) if ".~" in n]
        tmp = self.env["TMPDIR"]
        out += ["tmp/" + n for n in os.listdir(tmp)]
        return sorted(out)

    def pages_of(self, path):
        result = subprocess.run(["pdfinfo", path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        for line in result.stdout.splitlines():
            if line.startswith("Pages:"):
                return int(line.split()[1])
        return -1

    def prepare(self):
        folder = self.output_folder()
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        tmp = self.env["TMPDIR"]
        for n in os.listdir(tmp):
            path = os.path.join(tmp, n)
            shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
        # A file of an earlier job under the name the job would take first.
        with open(os.path.join(folder, "Image00.pdf"), "wb") as f:
            f.write(self.old_pdf)

    def probe(self):
        self.prepare_scanner()
        if self.run("KeyriderSetup", self.bin + "/", timeout=60) != 0:
            raise RuntimeError("KeyriderSetup failed")
        ini = os.path.join(self.home, "job.ini")
        with open(ini, "w") as f:
            f.write("[Summary]\n1=PDF\n[1]\nSource=4\nMode=1\nDate And Time=0\n[1\\ADF]\nResolution=75\n"
                    "[1\\Gray]\nFormat=6\nPDF Single File=1\n[1\\Folder]\n1=%s\n" % self.output_folder())
        with open(os.path.join(TOP, "tools", "sample", "page.tif"), "rb") as f:
            self.old_pdf = b"%PDF-1.4 an earlier job's file " + hashlib.sha1(f.read()).hexdigest().encode()
        self.prepare()
        old = self.files()

        started = time.monotonic()
        program = self.start("Keyrider", "/B", "1", ini)
        finished = wait_for(lambda: "new PDF" in self.files(), 180, 0.005)
        whole = time.monotonic() - started
        time.sleep(0.5)
        kill_group(program)
        if not finished:
            print("  the job wrote no ten-page PDF file in 180 s")
            self.damaged += 1
            return
        new = self.files()
        print("  a whole job: %.1f s, files %s" % (whole, ", ".join(sorted(new))))
        for round_no in range(1, self.rounds + 1):
            self.prepare()
            # The join is the job's last step: most kills fall in its second half.
            delay = self.rng.uniform(whole * 0.3, whole * 1.1)
            program = self.start("Keyrider", "/B", "1", ini)
            time.sleep(delay)
            kill_group(program)
            self.judge(round_no, delay, whole, self.files(), old, new, self.litter())


PROBES = {p.name: p for p in (ScribantBatch, ScribantSave, KeyriderPdf)}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=8)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--build", default=os.path.join(TOP, "build"))
    parser.add_argument("--keep", action="store_true", help="keep the scratch homes")
    parser.add_argument("probes", nargs="*", default=[])
    args = parser.parse_args()
    for name in args.probes:
        if name not in PROBES:
            parser.error("no probe %s (%s)" % (name, ", ".join(PROBES)))
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 31)
    print("kill probe seed %d" % seed)
    rng = random.Random(seed)
    bin_folder = os.path.join(os.path.abspath(args.build), "bin")
    damaged = 0
    for name in args.probes or list(PROBES):
        probe = PROBES[name](bin_folder, args.rounds, rng)
        print("%s (home %s)" % (name, probe.home))
        try:
            probe.probe()
        except (RuntimeError, subprocess.TimeoutExpired) as e:
            print("  could not run: %s" % e)
            probe.damaged += 1
        damaged += probe.damaged
        if not args.keep:
            probe.cleanup()
    print("damaged files: %d" % damaged)
    return 1 if damaged else 0


if __name__ == "__main__":
    sys.exit(main())
