"""The pieces every real-window case uses: the running program, its windows as the
accessibility tree shows them, the keyboard and mouse of the X display, and screenshots.

Runs inside the private desktop that run_e2e.py sets up (Xvfb, a D-Bus session with the
accessibility bus). Imports pyatspi, so it needs the system Python.
"""

import os
import shutil
import subprocess
import tempfile
import time
import unicodedata

import pyatspi

import glyphs
from processes import kill_group
from xwindow import ask_window_to_close

# Generous: the machine may be busy building. No case asserts on how fast anything is.
TIMEOUT = float(os.environ.get("KELVANE_E2E_TIMEOUT", "20"))
TWIPS_PER_PIXEL = 15


class Failure(AssertionError):
    pass


def wait_for(probe, what, timeout=TIMEOUT, interval=0.05):
    """Polls probe() until it returns something truthy and returns that. `what` says what is
    awaited: a text, or a function that makes one when the wait fails."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except Failure:
            raise
        except Exception as e:  # the tree changes under our feet while windows come and go
            last = e
        if last and not isinstance(last, Exception):
            return last
        if time.monotonic() >= deadline:
            # A callable describes the state as it is now, at the end of the wait.
            raise Failure("timed out after %gs waiting for %s (last seen: %r)"
                          % (timeout, what() if callable(what) else what, last))
        time.sleep(interval)


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_equal(actual, expected, what):
    if actual != expected:
        raise Failure("%s: expected %r, got %r" % (what, expected, actual))


def pixels(twips):
    """Rounded half away from zero, as the program places its controls."""
    return int(twips / TWIPS_PER_PIXEL + 0.5)


def note_process(proc):
    """Tells the suite's runner about a process group to stop if the cases are cut short."""
    path = os.environ.get("KELVANE_E2E_PIDS")
    if path:
        with open(path, "a") as f:
            f.write("%d\n" % proc.pid)


def _runs(text):
    """ASCII stretches whole, every other character on its own."""
    runs = []
    for ch in text:
        if ch.isascii() and runs and runs[-1].isascii():
            runs[-1] += ch
        else:
            runs.append(ch)
    return runs


def has_chinese(text):
    return any(unicodedata.east_asian_width(ch) in ("W", "F") for ch in text)


# --- X display: keyboard, mouse, windows

def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=TIMEOUT)


def xdotool_out(*args):
    done = subprocess.run(["xdotool"] + [str(a) for a in args], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=TIMEOUT)
    return done.stdout.decode("utf-8", "replace")


def screenshot(xid):
    """The window's pixels as they are on screen now."""
    ppm = subprocess.run(["import", "-window", str(xid), "-depth", "8", "ppm:-"], check=True,
                         capture_output=True, timeout=TIMEOUT).stdout
    return glyphs.Image.from_ppm(ppm)


# --- The accessibility tree

def children(acc):
    out = []
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            out.append(child)
    return out


def descendants(acc):
    out = []
    for child in children(acc):
        out.append(child)
        out.extend(descendants(child))
    return out


def role(acc):
    return acc.getRoleName()


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def extents(acc):
    """Position and size on the screen, in pixels. (Qt answers in screen coordinates even
    when asked for window ones, so windows work out their own offsets.)"""
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def text_of(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


class Window:
    """One top-level window of the program, found by its caption."""

    def __init__(self, program, acc):
        self.program = program
        self.acc = acc
        self.title = acc.name

    def controls(self, kind=None):
        return [c for c in children(self.acc) if kind is None or role(c) == kind]

    def place(self, acc):
        """A control's position and size inside this window, in pixels."""
        x, y, w, h = extents(acc)
        left, top = extents(self.acc)[:2]
        return x - left, y - top, w, h

    def button(self, caption):
        found = [c for c in self.controls("push button") if c.name == caption]
        expect(len(found) == 1, "%s: %d buttons captioned %r" % (self.title, len(found), caption))
        return found[0]

    def control_at(self, kind, left, top):
        """The control of a kind whose top-left corner is at the layout position (twips)."""
        want = (pixels(left), pixels(top))

        def find():
            for c in self.controls(kind):
                if self.place(c)[:2] == want:
                    return c
            return None
        # The tree may be in the middle of an update (a caption being set): look again for a
        # moment before calling the control missing.
        return wait_for(find, lambda: "%s: a %s at (%d, %d) twips; %s are at %s" % (
            self.title, kind, left, top, kind,
            [(self.place(c)[:2], c.name) for c in self.controls(kind)]), timeout=2)

    def radio(self, caption):
        found = [c for c in self.controls("radio button") if c.name == caption]
        expect(len(found) == 1, "%s: %d option buttons captioned %r" % (
            self.title, len(found), caption))
        return found[0]

    def checked(self, acc):
        return acc.getState().contains(pyatspi.STATE_CHECKED)

    def enabled(self, acc):
        return acc.getState().contains(pyatspi.STATE_ENABLED)

    def focused(self, acc):
        return acc.getState().contains(pyatspi.STATE_FOCUSED)

    def label_at(self, left, top):
        return self.control_at("label", left, top)

    def caption_at(self, left, top):
        self.program.expect_running()
        return self.label_at(left, top).name

    def text_box(self, name):
        found = [c for c in self.controls("text") if c.name == name]
        expect(len(found) == 1, "%s: %d text boxes named %r" % (self.title, len(found), name))
        return found[0]

    def wait_caption(self, left, top, expected, timeout=TIMEOUT):
        """Waits until the label at the position reads exactly `expected`."""
        wait_for(lambda: self.caption_at(left, top) == expected,
                 lambda: "%s label at (%d, %d) to read %r, it reads %r" % (
                     self.title, left, top, expected, self.caption_at(left, top)),
                 timeout)

    def press(self, caption):
        """The accessible Press action, as a screen reader or switch user clicks."""
        act = self.button(caption).queryAction()
        names = [act.getName(i) for i in range(act.nActions)]
        expect("Press" in names, "%r has no Press action (%s)" % (caption, names))
        act.doAction(names.index("Press"))

    # X11 side

    def xid(self):
        return self.program.xid(self.title)

    def focus(self):
        """Gives the window the keyboard; there is no window manager to do it."""
        xid = self.xid()
        xdotool("windowraise", xid)
        xdotool("windowfocus", "--sync", xid)
        wait_for(lambda: self.acc.getState().contains(pyatspi.STATE_ACTIVE),
                 "%s to become the active window" % self.title)

    def click(self, acc):
        """A real left click in the middle of a control."""
        x, y, w, h = self.place(acc)
        self.focus()
        xdotool("mousemove", "--window", self.xid(), x + w // 2, y + h // 2)
        xdotool("click", 1)

    def click_into(self, text_box):
        self.click(text_box)
        wait_for(lambda: text_box.getState().contains(pyatspi.STATE_FOCUSED),
                 "%s to take the keyboard focus" % text_box.name)

    def type(self, text):
        """Types on the real keyboard into whatever holds the focus in this window."""
        self.focus()
        xdotool("type", "--delay", 30, "--", text)

    def type_into(self, box, text):
        """Types at the end of the focused text box and waits until the box shows it.

        xdotool types a character the keyboard map lacks (any Chinese one) by mapping it onto
        a spare key for a moment; the next such character reuses that key, so each one is
        waited for before the next goes.
        """
        start = text_of(box)
        done = ""
        for run in _runs(text):
            self.type(run)
            done += run
            want = start + done
            wait_for(lambda: text_of(box) == want, lambda: "%s to hold %r, it holds %r"
                     % (box.name, want, text_of(box)))

    def key(self, *names, refocus=True):
        if refocus:
            self.focus()
        xdotool("key", "--delay", 30, *names)

    def close(self):
        """The title-bar close button."""
        ask_window_to_close(self.xid())

    def wait_hidden(self):
        """Waits until the window is off the screen (hidden or closed)."""
        wait_for(lambda: not self.is_open(), "%s to leave the screen" % self.title)

    def is_open(self):
        try:
            return any(w.name == self.title and showing(w) for w in self.program.windows())
        except Exception:
            return False

    def wait_closed(self):
        wait_for(lambda: not self.is_open(), "%s to close" % self.title)

    # Pixels

    def check_chinese_renders(self, shot_name=None):
        """Screenshots the window and fails when a Chinese caption shows missing glyphs."""
        self.focus()
        xid = self.xid()
        # Drawing settles: two screenshots in a row agree.
        shots = [screenshot(xid)]
        def settled():
            shots.append(screenshot(xid))
            return shots[-1].pixels == shots[-2].pixels
        wait_for(settled, "%s to finish drawing" % self.title)
        shot = shots[-1]
        self.program.save_screenshot(shot_name or self.title, xid)
        checked = 0
        problems = []
        for c in self.controls():
            if role(c) not in ("label", "push button", "radio button") or not showing(c):
                continue
            if not has_chinese(c.name):
                continue
            x, y, w, h = self.place(c)
            # Keep a button's bevel out of the picture; a label draws to its very edge, and an
            # option button's extents hug its text, so take a little room around those, or
            # their glyphs would touch the picture's edge.
            inset = 4 if role(c) == "push button" else -2
            crop = shot.crop(x + inset, y + inset, w - 2 * inset, h - 2 * inset)
            problem = glyphs.verdict(crop)
            checked += 1
            if problem:
                problems.append("%s %r: %s" % (role(c), c.name, problem))
        expect(checked > 0, "%s: no Chinese caption found to check" % self.title)
        expect(not problems, "%s renders Chinese as missing glyphs: %s" % (
            self.title, "; ".join(problems)))


class Program:
    """The built program, copied into a fresh folder of its own and started there."""

    def __init__(self, binary, workdir, screenshots, env_extra=None):
        self.folder = workdir
        self.path = os.path.join(workdir, "kelvane")
        if not os.path.exists(self.path):
            shutil.copy2(binary, self.path)
        self.screenshots = screenshots
        env = dict(os.environ)
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.update(env_extra or {})
        self.log = open(os.path.join(workdir, "kelvane.log"), "ab")
        self.proc = subprocess.Popen([self.path], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=self.log, start_new_session=True)
        note_process(self.proc)
        self.app = wait_for(self._find_app, "the program to appear on the accessibility bus")

    def _find_app(self):
        expect(self.proc.poll() is None,
               "the program exited with %s before showing a window" % self.proc.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == self.proc.pid and app.childCount > 0:
                    return app
            except Exception:
                continue
        return None

    def windows(self):
        return children(self.app)

    def window(self, title, timeout=TIMEOUT):
        """Waits for the shown window with that caption."""
        def find():
            self.expect_running()
            found = [w for w in self.windows() if w.name == title and showing(w)]
            expect(len(found) <= 1, "%d windows captioned %r are shown" % (len(found), title))
            return found[0] if found else None
        return Window(self, wait_for(find, "a shown window captioned %r" % title, timeout))

    def shown_titles(self):
        return sorted(w.name for w in self.windows() if showing(w))

    def visible_xids(self):
        return [int(x) for x in
                xdotool_out("search", "--onlyvisible", "--pid", self.proc.pid, ".*").split()]

    def xid(self, title):
        """The X window of a shown window: its X title is exactly the caption."""
        def find():
            ids = xdotool_out("search", "--onlyvisible", "--pid", self.proc.pid, ".*").split()
            hits = []
            for xid in ids:
                name = xdotool_out("getwindowname", xid).strip()
                if name == title:
                    hits.append(int(xid))
            expect(len(hits) <= 1, "%d X windows titled %r" % (len(hits), title))
            return hits[0] if hits else None
        return wait_for(find, "the X window titled %r" % title)

    def message_box(self):
        """The modal message box that is up: (its texts, its window, a function that presses
        its OK button)."""
        def find():
            self.expect_running()
            for w in self.windows():
                if role(w) in ("alert", "dialog") and showing(w):
                    return w
            return None
        box = wait_for(find, "a message box")
        inside = descendants(box)
        labels = [c for c in inside if role(c) == "label" and c.name]
        ok = [c for c in inside if role(c) == "push button"]
        expect(len(ok) == 1, "the message box has %d buttons, wanted one (OK)" % len(ok))

        def press_ok():
            act = ok[0].queryAction()
            act.doAction([act.getName(i) for i in range(act.nActions)].index("Press"))
            wait_for(lambda: not any(role(w) in ("alert", "dialog") and showing(w)
                                     for w in self.windows()), "the message box to close")
        return [c.name for c in labels], Window(self, box), press_ok

    def running(self):
        return self.proc.poll() is None

    def expect_running(self):
        if not self.running():
            raise Failure("the program has ended (status %s)" % self.proc.returncode)

    def wait_exit(self):
        wait_for(lambda: not self.running(), "the program to end")
        return self.proc.returncode

    def save_screenshot(self, title, xid):
        if not self.screenshots:
            return
        os.makedirs(self.screenshots, exist_ok=True)
        safe = "".join(ch if ch.isalnum() else "_" for ch in title)
        subprocess.run(["import", "-window", str(xid),
                        os.path.join(self.screenshots, safe + ".png")],
                       check=False, timeout=TIMEOUT)

    def stop(self):
        """Ends the program and everything it started, whatever state it is in."""
        kill_group(self.proc, grace=5)
        self.log.close()

    def log_tail(self, lines=15):
        try:
            with open(os.path.join(self.folder, "kelvane.log"), "rb") as f:
                return b"\n".join(f.read().splitlines()[-lines:]).decode("utf-8", "replace")
        except OSError:
            return ""


class Run:
    """What one case gets: a fresh folder, and programs started in it that are stopped when
    the case ends, passed or failed."""

    def __init__(self, binary, screenshots):
        self.binary = binary
        self.screenshots = screenshots
        self.folder = tempfile.mkdtemp(prefix="kelvane-e2e-")
        self.programs = []
        self.helpers = []

    def start(self, env_extra=None):
        """Starts the program (again) from this case's folder and returns it with its main
        window shown."""
        program = Program(self.binary, self.folder, self.screenshots, env_extra)
        self.programs.append(program)
        return program

    def spawn(self, args, env_extra=None):
        """A helper program (a tray host, say), stopped with the case."""
        log = open(os.path.join(self.folder, os.path.basename(args[0]) + ".log"), "ab")
        proc = subprocess.Popen(args, cwd=self.folder, env=dict(os.environ, **(env_extra or {})),
                                stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                start_new_session=True)
        log.close()
        note_process(proc)
        self.helpers.append(proc)
        return proc

    def file(self, name):
        return os.path.join(self.folder, name)

    def finish(self):
        for p in self.programs:
            p.stop()
        for proc in self.helpers:
            kill_group(proc, grace=5)
        shutil.rmtree(self.folder, ignore_errors=True)


# --- Cases

CASES = []


def case(title):
    """Registers a case: a function taking a Run."""
    def register(fn):
        CASES.append((title, fn))
        return fn
    return register
