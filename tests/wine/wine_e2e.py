#!/usr/bin/env python3
"""End-to-end test of the Windows program on Wine, against our own layer.

Three runs of karvo-parts-changer.exe, each in a fresh copy of the sample car
folder, in one fresh Wine prefix on a private Xvfb display, driven by xdotool
as a player would drive it:

  1. the warning when nothing is chosen, one click in each group, the install;
  2. one snippet file removed: the error box, the window stays open, then closed;
  3. the car file made read-only (attrib +r): the same.

Every run is repeated with the same clicks on our layer (karvo_headless) and the
two must agree: the message boxes (owner, text, caption and flags, read on Wine
from the relay trace of MessageBoxA), the preview pictures pixel for pixel, the
check marks, the exit codes and every file of the folder, which must also equal
what the Linux engine alone produces (install_reference).

Screenshots, surface dumps and Wine's traces of every step are kept in the
output folder. Exit code 77 (skipped) only when the tools cannot be installed.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path
from types import SimpleNamespace

SKIP = 77
TITLE = "Karvo Zelt Omra Lights and Parts Changer"
CAR_FILE = "Karvo_Zelt_Omra.ini"
# One option clicked in each group (button identifiers), a mix of first,
# second and third options.
CHOICE_IDS = [3, 7, 11, 14, 15, 18, 19, 22]
INSTALL_ID = 1
# Clicked while the warning box is open; not one of CHOICE_IDS.
BLOCKED_ID = 2
# The preview rectangles (x, y) of the eight slots, 160 by 300 each.
PREVIEW_PLACES = [(10, 160), (180, 160), (350, 160), (520, 360),
                  (10, 360), (180, 360), (350, 360), (520, 160)]
PREVIEW_SIZE = (160, 300)
# Windows' own default button face; a new Wine prefix uses 245,245,245.
WINDOWS_BUTTON_FACE = "240 240 240"
MB_ICONERROR = 0x10
MB_ICONWARNING = 0x30
MB_ICONINFORMATION = 0x40
NEEDED_PROGRAMS = ["wine", "wineboot", "wineserver", "Xvfb", "xdotool", "xwininfo", "import", "convert"]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout):
    """Polls probe() until it gives a true value, for at most timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.1)


def log(message):
    print(message, flush=True)


# --- pictures ---------------------------------------------------------------

class Image:
    """Packed 8-bit RGB pixels, rows top to bottom."""

    def __init__(self, path):
        ppm = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"],
                             check=True, capture_output=True).stdout
        fields = ppm.split(maxsplit=4)
        check(fields[0] == b"P6" and fields[3] == b"255", f"{path}: not an 8-bit picture")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.rgb = fields[4]

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.rgb[at:at + 3])

    def area(self, rect):
        x, y, w, h = rect
        return b"".join(self.rgb[3 * ((y + row) * self.width + x):3 * ((y + row) * self.width + x + w)]
                        for row in range(h))


def rect_minus(rect, holes):
    """The parts of rect (x, y, w, h) outside every hole, as rectangles."""
    parts = [rect]
    for hx, hy, hw, hh in holes:
        kept = []
        for x, y, w, h in parts:
            left, top, right, bottom = max(x, hx), max(y, hy), min(x + w, hx + hw), min(y + h, hy + hh)
            if left >= right or top >= bottom:
                kept.append((x, y, w, h))
                continue
            if top > y:
                kept.append((x, y, w, top - y))
            if bottom < y + h:
                kept.append((x, bottom, w, y + h - bottom))
            if left > x:
                kept.append((x, top, left - x, bottom - top))
            if right < x + w:
                kept.append((right, top, x + w - right, bottom - top))
        parts = kept
    return parts


def differing_pixels(a, b, rects):
    count = 0
    for rect in rects:
        x, y, w, h = rect
        for row in range(y, y + h):
            for col in range(x, x + w):
                if a.pixel(col, row) != b.pixel(col, row):
                    count += 1
    return count


# --- our layer: the headless program -----------------------------------------

class HeadlessControl:
    def __init__(self, line):
        fields = dict(re.findall(r'(\w+)=("(?:[^"\\]|\\.)*"|\S+)', line))
        self.number = int(line.split()[1])
        self.style = int(fields["style"], 16)
        self.rect = tuple(int(v) for v in fields["rect"].split(","))
        self.id = int(fields["id"])
        self.checked = fields["checked"] == "1"

    @property
    def is_option(self):
        return self.style & 0xF == 0x9  # BS_AUTORADIOBUTTON

    def centre(self):
        x, y, w, h = self.rect
        return x + w // 2, y + h // 2


def run_headless(args, folder, commands, name):
    """Runs karvo_headless with a script in folder; returns (exit code, stdout lines)."""
    script = args.out / f"{name}.script"
    script.write_text("\n".join(commands) + "\n")
    result = subprocess.run([str(args.headless), str(script)], cwd=folder,
                            capture_output=True, text=True, timeout=120)
    (args.out / f"{name}.stdout").write_text(result.stdout + result.stderr)
    return result.returncode, result.stdout.splitlines()


def headless_boxes(lines):
    """The message boxes our layer opened: (owner, caption, flags, text as printed)."""
    boxes = []
    for line in lines:
        m = re.fullmatch(r'messagebox owner=(\S+) caption="((?:[^"\\]|\\.)*)" flags=0x([0-9a-fA-F]+) text="(.*)"',
                         line)
        if m:
            boxes.append((m.group(1), m.group(2), int(m.group(3), 16), m.group(4)))
    return boxes


def headless_client_size(lines):
    """The client size from the `window` line."""
    for line in lines:
        m = re.match(r"window .* client=(\d+),(\d+)$", line)
        if m:
            return int(m.group(1)), int(m.group(2))
    raise Failure("our layer printed no window line")


def headless_listings(lines):
    """Every `controls` listing in the output, in order."""
    listings = []
    for line in lines:
        if line.startswith("control 1 "):
            listings.append([])
        if line.startswith("control "):
            listings[-1].append(HeadlessControl(line))
    return listings


# --- Wine -----------------------------------------------------------------

def printed_text(text):
    """A box text spelled as the headless presenter prints it."""
    return text.replace('"', '\\"').replace("\r", "").replace("\n", "\\n")


def wine_string(quoted):
    """Undoes Wine's trace quoting of a string argument."""
    escapes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    out, i = [], 0
    while i < len(quoted):
        c = quoted[i]
        if c == "\\" and i + 1 < len(quoted):
            nxt = quoted[i + 1]
            if nxt == "x":
                out.append(chr(int(quoted[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append(escapes.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


STRING_ARG = r'[0-9a-fA-F]+ "((?:[^"\\]|\\.)*)"'


class WineRun:
    """One start of the executable in a car folder, with Wine's relay trace of
    the USER calls that show what the program asked the system for."""

    def __init__(self, args, env, folder, name):
        self.args, self.name, self.folder = args, name, folder
        self.trace_path = args.out / f"{name}.wine-trace.txt"
        self.trace = open(self.trace_path, "w")
        run_env = dict(env, WINEDEBUG="+relay")
        earlier = self.xdotool_env(env, "search", "--name", f"^{TITLE}$")
        # A player starts the copy in the car folder when the folder has one.
        exe = folder / args.exe.name if (folder / args.exe.name).exists() else args.exe
        self.process = subprocess.Popen(["wine", str(exe)], cwd=folder, env=run_env,
                                        stdout=self.trace, stderr=self.trace)
        self.env = env
        self.started = time.monotonic()
        self.window = wait_for(f"the window titled {TITLE!r}", self._find_main, 60)
        check(self.window not in earlier, f"{name}: a window of an earlier run is still shown")
        log(f"  {name}: window up after {time.monotonic() - self.started:.1f} s")
        self.shot_number = 0
        self.boxes_answered = 0

    @staticmethod
    def xdotool_env(env, *words):
        return subprocess.run(["xdotool", *words], env=env, capture_output=True, text=True,
                              timeout=30).stdout.split()

    def xdotool(self, *words):
        return self.xdotool_env(self.env, *words)

    def client_size(self):
        """The main window's X window is its client area (Wine leaves the frame
        to the window manager, and Xvfb has none)."""
        geometry = subprocess.run(["xwininfo", "-id", self.window], env=self.env, capture_output=True,
                                  text=True, timeout=30).stdout
        return tuple(int(re.search(rf"{word}: (\d+)", geometry).group(1)) for word in ("Width", "Height"))

    def _find_main(self):
        found = self.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$")
        return found[0] if found else None

    def trace_lines(self):
        """The program's own lines of the trace: Wine's helper processes,
        started with the prefix's first program, write to it too. The thread
        that created the first window is the program's one thread."""
        lines = self.trace_path.read_text(errors="replace").splitlines()
        first = next((line for line in lines if "Call user32.CreateWindowExA(" in line), None)
        if first is None:
            return []
        thread = first.split(":", 1)[0] + ":"
        return [line for line in lines if line.startswith(thread)]

    def main_handle(self):
        """The HWND of the main window: what the outermost CreateWindowExA returned."""
        depth = 0
        for line in self.trace_lines():
            if "Call user32.CreateWindowExA(" in line:
                depth += 1
            elif "Ret  user32.CreateWindowExA()" in line:
                depth -= 1
                if depth == 0:
                    return int(re.search(r"retval=([0-9a-fA-F]+)", line).group(1), 16) & 0xFFFFFFFF
        raise Failure("the trace shows no main window")

    def boxes_called(self):
        """MessageBoxA calls so far: (owner HWND, text, caption, flags)."""
        calls = []
        pattern = re.compile(r"Call user32\.MessageBoxA\(([0-9a-fA-F]+)," + STRING_ARG + "," + STRING_ARG +
                             r",([0-9a-fA-F]+)\)")
        for line in self.trace_lines():
            if "Call user32.MessageBoxA(" not in line:
                continue
            m = pattern.search(line)
            check(m, f"cannot read the MessageBoxA call (text cut short?): {line}")
            calls.append((int(m.group(1), 16) & 0xFFFFFFFF, wine_string(m.group(2)), wine_string(m.group(3)),
                          int(m.group(4), 16) & 0xFFFFFFFF))
        return calls

    def boxes_returned(self):
        return sum("Ret  user32.MessageBoxA()" in line for line in self.trace_lines())

    def main_destroyed(self):
        main = "Call user32.DestroyWindow(%08x)" % self.main_handle()
        return any(main in line for line in self.trace_lines())

    def screenshot(self, label, whole_screen=False):
        """Saves the main window's client area (or the screen) and returns it."""
        self.shot_number += 1
        path = self.args.out / f"{self.name}-{self.shot_number}-{label}.png"
        target = "root" if whole_screen else self.window
        subprocess.run(["import", "-window", target, str(path)], env=self.env, check=True, timeout=30)
        return Image(path)

    def settled_screenshot(self, label, wanted, timeout=20):
        """The first screenshot that equals the one before it (painting is
        over) and for which wanted(shot) holds; the last one on failure."""
        shots = [self.screenshot(label)]

        def next_shot():
            shots.append(self.screenshot(label))
            previous, last = shots[-2:]
            return last if last.rgb == previous.rgb and wanted(last) else None

        try:
            return wait_for(f"the screen {label}", next_shot, timeout)
        except Failure:
            return shots[-1]

    def click(self, x, y):
        self.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def key_to(self, window, keys):
        self.xdotool("windowfocus", window)
        self.xdotool("key", keys)

    def box_window(self):
        """The visible X window of an open message box: the program's other
        top-level window, titled with the empty caption."""
        for window in self.xdotool("search", "--onlyvisible", "--class", self.args.exe.name):
            if window != self.window and self.xdotool("getwindowname", window) == []:
                return window
        return None

    def expect_box(self, expected, label, while_open=lambda: None):
        """Waits for the box the program opens next, compares it with our layer's
        box, screenshots it, calls while_open() and answers it with Enter."""
        self.boxes_answered += 1
        count = self.boxes_answered
        box = wait_for(f"a message box ({label})", self.box_window, 30)
        calls = wait_for("the MessageBoxA call in the trace", lambda: len(self.boxes_called()) >= count and
                         self.boxes_called(), 10)
        check(len(calls) == count, f"{label}: the program opened {len(calls)} boxes, not {count}")
        owner, text, caption, flags = calls[count - 1]
        owner_name = "main" if owner == self.main_handle() else ("none" if owner == 0 else "other")
        seen = (owner_name, caption, flags, printed_text(text))
        check(seen == expected, f"{label}: Wine shows {seen}, our layer {expected}")
        self.screenshot(label, whole_screen=True)
        while_open()
        self.key_to(box, "Return")
        wait_for(f"the box {label} to close", lambda: self.box_window() is None, 10)
        wait_for("MessageBoxA to return", lambda: self.boxes_returned() >= count, 10)
        return text

    def wait_exit(self, timeout=30):
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.name}: the program did not end within {timeout} s")
        self.trace.close()
        return code

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.trace.close()


def start_display(out):
    """Xvfb on a free display number, 24-bit colour."""
    read_end, write_end = os.pipe()
    log_file = open(out / "xvfb.log", "w")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=log_file, stderr=log_file)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    check(number.isdigit(), "Xvfb did not start (see xvfb.log)")
    return xvfb, f":{number}"


def make_prefix(env):
    """A fresh 64-bit Wine prefix with Windows' default button face and the
    relay trace limited to the calls the test reads."""
    quiet = dict(env, WINEDEBUG="-all")
    subprocess.run(["wineboot", "--init"], env=quiet, check=True, capture_output=True, timeout=300)
    settings = [
        ["HKCU\\Control Panel\\Colors", "ButtonFace", WINDOWS_BUTTON_FACE],
        ["HKCU\\Software\\Wine\\Debug", "RelayInclude",
         "user32.CreateWindowExA;user32.MessageBoxA;user32.DestroyWindow"],
    ]
    for key, name, value in settings:
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"], env=quiet,
                       check=True, capture_output=True, timeout=120)
    subprocess.run(["wineserver", "-w"], env=quiet, check=True, timeout=120)


# --- folders --------------------------------------------------------------

def snapshot(folder):
    return {str(p.relative_to(folder)): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def check_same_files(actual, expected, what):
    missing = sorted(set(expected) - set(actual))
    extra = sorted(set(actual) - set(expected))
    changed = sorted(f for f in set(actual) & set(expected) if actual[f] != expected[f])
    check(not (missing or extra or changed),
          f"{what}: missing {missing}, unexpected {extra}, different {changed}")


def fresh_car(work, name, example):
    folder = work / name
    shutil.copytree(example, folder)
    return folder


# --- the test -------------------------------------------------------------

class Layout:
    """Where things are on the main window, from our layer's control listing."""

    def __init__(self, controls):
        check(len(controls) == 26, f"our layer lists {len(controls)} controls, not 26")
        self.by_id = {c.id: c for c in controls if c.id}
        self.options = [c for c in controls if c.is_option]
        # Picture pixels compared: the preview rectangles wherever no control is.
        holes = [c.rect for c in controls]
        self.picture_areas = [part for x, y in PREVIEW_PLACES
                              for part in rect_minus((x, y) + PREVIEW_SIZE, holes)]
        # The first 160 rows of each rectangle that no control covers.
        self.slot_tops = [rect_minus((x, y, PREVIEW_SIZE[0], 160), holes)[0] for x, y in PREVIEW_PLACES]

    def click_point(self, control_id):
        return self.by_id[control_id].centre()

    def mark_area(self, option):
        """The radio button's circle: its left 15 columns, clear of the 5-pixel
        overlap with the option buttons above and below."""
        x, y, _, _ = option.rect
        return (x, y + 5, 15, 20)


def check_marks(shot, start_shot, layout, checked_ids, label):
    """Every checked option shows the same mark, every other one the unchecked
    look of the start, and the two differ."""
    unchecked_look = {start_shot.area(layout.mark_area(o)) for o in layout.options}
    check(len(unchecked_look) == 1, f"{label}: the option buttons did not start alike")
    unchecked_look = unchecked_look.pop()
    marks = {}
    for option in layout.options:
        look = shot.area(layout.mark_area(option))
        if option.id in checked_ids:
            check(look != unchecked_look, f"{label}: option {option.id} shows no check mark")
            marks[option.id] = look
        else:
            check(look == unchecked_look, f"{label}: option {option.id} shows a check mark")
    check(len(set(marks.values())) == 1, f"{label}: the check marks differ from one another")


def layer_first_session(args, work):
    """Our layer's run 1: where the controls are, the boxes, the surface dumps
    and the installed folder, checked against the Linux engine alone."""
    layer = SimpleNamespace(start_dump=args.out / "layer-1-start.bmp", warned_dump=args.out / "layer-1-warned.bmp",
                            chosen_dump=args.out / "layer-1-chosen.bmp")
    folder = fresh_car(work, "layer-1", args.example)
    code, lines = run_headless(args, folder, ["controls", "window", "close"], "layer-0-controls")
    check(code == 0, f"our layer: exit code {code} after a close")
    layer.layout = Layout(headless_listings(lines)[-1])
    layer.client_size = headless_client_size(lines)
    layer.install_at = layer.layout.click_point(INSTALL_ID)
    layer.clicks = ["click %d %d" % layer.layout.click_point(i) for i in CHOICE_IDS]
    # A click on the main window while the warning is open must do nothing:
    # the box disables its owner.
    layer.blocked_option = layer.layout.by_id[BLOCKED_ID]
    install = "click %d %d" % layer.install_at
    script = (["dump %s" % layer.start_dump, install, "click %d %d" % layer.blocked_option.centre(), "answer",
               "controls", "dump %s" % layer.warned_dump] + layer.clicks +
              ["controls", "dump %s" % layer.chosen_dump, install, "answer"])
    code, lines = run_headless(args, folder, script, "layer-1")
    check(code == 0, f"our layer: exit code {code} after the install")
    layer.boxes = headless_boxes(lines)
    check(len(layer.boxes) == 2, f"our layer opened {len(layer.boxes)} boxes, not 2")
    warning, installed = layer.boxes
    check(warning[2] == MB_ICONWARNING and warning[3] == "Choose one all 8 boxes!", f"our layer's warning: {warning}")
    check(installed[2] == MB_ICONINFORMATION and installed[3] == "Parts installed", f"our layer's box: {installed}")
    after_warning, after_clicks = headless_listings(lines)
    check(not any(c.checked for c in after_warning), "our layer took a click while the warning was open")
    check(Image(layer.warned_dump).rgb == Image(layer.start_dump).rgb,
          "our layer's window changed while the warning was open")
    checked_ids = {c.id for c in after_clicks if c.checked}
    check(checked_ids == set(CHOICE_IDS), f"our layer checks {sorted(checked_ids)}")

    reference = fresh_car(work, "reference", args.example)
    result = subprocess.run([str(args.reference), "install", str(reference), *map(str, CHOICE_IDS)],
                            capture_output=True, text=True)
    check(result.returncode == 0, f"the Linux engine did not install: {result.stdout}{result.stderr}")
    layer.installed = snapshot(reference)
    check_same_files(snapshot(folder), layer.installed, "our layer's folder after the install")
    return layer


def wine_first_run(args, env, work, layer):
    """The warning, a click while it is open, one click per group, the install."""
    log("run 1: warning, choices, install")
    layout = layer.layout
    car = fresh_car(work, "wine-1", args.example)
    run = WineRun(args, env, car, "run1")
    try:
        check(run.client_size() == layer.client_size,
              f"client area: {run.client_size()} on Wine, {layer.client_size} on our layer")
        start_layer = Image(layer.start_dump)
        start_shot = run.settled_screenshot(
            "start", lambda s: differing_pixels(s, start_layer, layout.picture_areas) == 0)
        differ = differing_pixels(start_shot, start_layer, layout.picture_areas)
        check(differ == 0, f"{differ} picture pixels differ between Wine and our layer at the start")

        run.click(*layer.install_at)
        blocked = layer.blocked_option
        run.expect_box(layer.boxes[0], "warning", lambda: run.click(*blocked.centre()))
        check_same_files(snapshot(car), snapshot(args.example), "after the warning")
        # The box covered part of the pictures: they are drawn again as they were.
        warned_shot = run.settled_screenshot("warned", lambda s: True)
        check(warned_shot.area(layout.mark_area(blocked)) == start_shot.area(layout.mark_area(blocked)),
              "Wine took a click while the warning was open")
        differ = differing_pixels(warned_shot, start_layer, layout.picture_areas)
        check(differ == 0, f"{differ} picture pixels differ from the start after the warning closed")

        for control_id in CHOICE_IDS:
            run.click(*layout.click_point(control_id))
        chosen_layer = Image(layer.chosen_dump)
        shot = run.settled_screenshot(
            "chosen", lambda s: differing_pixels(s, chosen_layer, layout.picture_areas) == 0)
        differ = differing_pixels(shot, chosen_layer, layout.picture_areas)
        check(differ == 0, f"{differ} picture pixels differ between Wine and our layer after the clicks")
        for slot, area in enumerate(layout.slot_tops, 1):
            check(start_shot.area(area) != shot.area(area), f"the picture of group {slot} did not change")
        check_marks(shot, start_shot, layout, set(CHOICE_IDS), "after the clicks")

        run.click(*layer.install_at)
        run.expect_box(layer.boxes[1], "installed")
        code = run.wait_exit()
        check(code == 0, f"run 1: exit code {code}")
        check(run.main_destroyed(), "run 1: the program ended without destroying its window")
        check_same_files(snapshot(car), layer.installed, "the folder after the install on Wine")
    finally:
        run.kill()


def failed_install_run(args, env, work, layer, number, label, prepare):
    """A failed install: our layer and the Linux engine name the problems, Wine
    shows the same box, the window stays open and nothing changes; a close
    then ends the program with 0."""
    log(f"run {number}: {label}")
    folder = fresh_car(work, f"layer-{number}", args.example)
    prepare(folder, linux=True)
    before = snapshot(folder)
    code, lines = run_headless(args, folder, layer.clicks + ["click %d %d" % layer.install_at, "answer", "close"],
                               f"layer-{number}")
    check(code == 0, f"our layer, run {number}: exit code {code}")
    check_same_files(snapshot(folder), before, f"our layer's folder, run {number}")
    boxes = headless_boxes(lines)
    check(len(boxes) == 1 and boxes[0][2] == MB_ICONERROR, f"our layer, run {number}: boxes {boxes}")
    engine = fresh_car(work, f"reference-{number}", args.example)
    prepare(engine, linux=True)
    result = subprocess.run([str(args.reference), "install", str(engine), *map(str, CHOICE_IDS)],
                            capture_output=True, text=True)
    check(result.returncode == 1 and result.stdout, f"the Linux engine, run {number}: exit code {result.returncode}")
    check(boxes[0][3] == printed_text("Parts not installed:\n" + result.stdout.rstrip("\n")),
          f"our layer's box, run {number}, does not list the engine's problems {result.stdout!r}")

    car = fresh_car(work, f"wine-{number}", args.example)
    prepare(car, linux=False)
    before = snapshot(car)
    run = WineRun(args, env, car, f"run{number}")
    try:
        for control_id in CHOICE_IDS:
            run.click(*layer.layout.click_point(control_id))
        run.click(*layer.install_at)
        run.expect_box(boxes[0], "not-installed")
        check(run.process.poll() is None, f"run {number}: the program ended after the failed install")
        check(not run.main_destroyed(), f"run {number}: the program destroyed the main window")
        check(run.window in run.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$"),
              f"run {number}: the main window is no longer shown")
        run.screenshot("still-open")
        check_same_files(snapshot(car), before, f"run {number}: the folder after the failed install")
        run.key_to(run.window, "alt+F4")
        code = run.wait_exit()
        check(code == 0, f"run {number}: exit code {code} after closing")
        check_same_files(snapshot(car), before, f"run {number}: the folder after closing")
    finally:
        run.kill()


def run_tests(args, env, work):
    layer = layer_first_session(args, work)
    wine_first_run(args, env, work, layer)

    snippet = subprocess.run([str(args.reference), "snippet", str(CHOICE_IDS[2])], capture_output=True, text=True,
                             check=True).stdout.strip().replace("\\", "/")

    def remove_snippet(folder, linux):
        (folder / snippet).unlink()

    def read_only_car(folder, linux):
        if linux:
            (folder / CAR_FILE).chmod(0o444)
            return
        # The Windows read-only attribute, set the Windows way; Wine keeps it
        # as the file's write permission bits.
        subprocess.run(["wine", "attrib", "+r", CAR_FILE], cwd=folder, env=dict(env, WINEDEBUG="-all"),
                       check=True, capture_output=True, timeout=60)
        check((folder / CAR_FILE).stat().st_mode & 0o222 == 0, "attrib +r left the car file writable")

    failed_install_run(args, env, work, layer, 2, "a snippet file missing", remove_snippet)
    failed_install_run(args, env, work, layer, 3, "the car file read-only", read_only_car)


def missing_programs():
    return [p for p in NEEDED_PROGRAMS if shutil.which(p) is None]


def build_windows_program(source):
    """Builds the mingw preset: the executable and the two release zips."""
    for step in (["cmake", "--preset", "mingw"], ["cmake", "--build", "--preset", "mingw"]):
        subprocess.run(step, cwd=source, check=True, stdout=subprocess.DEVNULL)
    build = source / "build" / "mingw"
    return build / "karvo-parts-changer.exe", sorted((build / "dist").glob("*.zip"))


def unpack_release(exe, zips, example, work):
    """Checks the two release zips and unpacks the sample car one; the runs
    use that folder and the executable in it, as a player would."""
    check(len(zips) == 2, f"expected two release zips, found {[z.name for z in zips]}")
    program_zip = next((z for z in zips if z.name.endswith("-windows.zip")), None)
    sample_zip = next((z for z in zips if z.name.endswith("-sample-car.zip")), None)
    check(program_zip and sample_zip, f"release zips misnamed: {[z.name for z in zips]}")
    with zipfile.ZipFile(program_zip) as program:
        check(sorted(program.namelist()) == ["PLAYERS.txt", exe.name], f"{program_zip.name}: {program.namelist()}")
        check(program.read(exe.name) == exe.read_bytes(), f"{program_zip.name}: not the built executable")
        players = program.read("PLAYERS.txt")
        check(b"\r\n" in players and b"\n" not in players.replace(b"\r\n", b""),
              "PLAYERS.txt: not CR LF line ends")
    with zipfile.ZipFile(sample_zip) as sample:
        sample.extractall(work / "release")
    folders = list((work / "release").iterdir())
    check(len(folders) == 1 and folders[0].is_dir(), f"{sample_zip.name}: not one folder")
    expected = dict(snapshot(example), **{exe.name: exe.read_bytes(), "PLAYERS.txt": players})
    check_same_files(snapshot(folders[0]), expected, sample_zip.name)
    return folders[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", type=Path, required=True, help="the source tree")
    parser.add_argument("--exe", type=Path, help="a built karvo-parts-changer.exe (default: build the mingw preset)")
    parser.add_argument("--headless", type=Path, required=True)
    parser.add_argument("--reference", type=Path, required=True)
    parser.add_argument("--out", type=Path, required=True, help="screenshots and traces go here")
    args = parser.parse_args()
    args.example = args.source / "example"

    if missing_programs():
        subprocess.run([str(args.source / "tools" / "install-deps")])
    if missing_programs() or shutil.which("x86_64-w64-mingw32-g++-posix") is None:
        print(f"SKIPPED: Wine, Xvfb, xdotool, ImageMagick or MinGW-w64 missing "
              f"({' '.join(missing_programs())}) and tools/install-deps could not install them")
        return SKIP

    started = time.monotonic()
    shutil.rmtree(args.out, ignore_errors=True)
    args.out.mkdir(parents=True)
    work = Path(tempfile.mkdtemp(prefix="karvo-wine-"))
    xvfb = None
    env = dict(os.environ, WINEPREFIX=str(work / "prefix"), WINEARCH="win64",
               WINEDLLOVERRIDES="mscoree,mshtml=", WINEDEBUG="-all")
    try:
        if args.exe is None:
            exe, zips = build_windows_program(args.source)
            log(f"built the Windows program and its zips in {time.monotonic() - started:.1f} s")
            args.example = unpack_release(exe, zips, args.example, work)
            args.exe = args.example / exe.name
        xvfb, env["DISPLAY"] = start_display(args.out)
        phase = time.monotonic()
        make_prefix(env)
        log(f"Wine prefix ready in {time.monotonic() - phase:.1f} s")
        phase = time.monotonic()
        run_tests(args, env, work)
        log(f"three runs in {time.monotonic() - phase:.1f} s; total {time.monotonic() - started:.1f} s")
        log(f"screenshots and traces: {args.out}")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}\nscreenshots and traces: {args.out}", file=sys.stderr)
        return 1
    finally:
        if xvfb is not None:
            subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
