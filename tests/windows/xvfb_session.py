"""The real kalix with its window on an Xvfb display of its own, typed into
with xdotool: starting, waiting (polling with generous bounds), the windows
by title, signals and the files the program leaves.
"""
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

TIMEOUT = 30
START_TIMEOUT = 90  # a start on a loaded machine
PROMPT_TOP = 22  # the first row of the notebook below the menu bar


def tools_missing():
    """The tools a session needs that are not installed."""
    return [tool for tool in ("Xvfb", "xdotool", "xwd") if not shutil.which(tool)]


def poll(check, timeout):
    """The first true value of check(), asked every 50 ms; None after
    `timeout` seconds."""
    end = time.time() + timeout
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.05)
    return None


def layout_of(dump):
    """Of an X window dump in 24 or 32 bits a pixel: width, height, byte
    order, bytes a pixel, bytes a line and the pixels."""
    fields = struct.unpack(">25I", dump[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = (fields[7], fields[11], fields[12],
                                                           fields[19])
    return (width, height, byte_order, bits_per_pixel // 8, bytes_per_line,
            dump[header_size + 12 * ncolors:])


def colours_of(dump):
    """The width, the height and the colour at (x, y) as (red, green, blue)
    of an X window dump."""
    width, height, byte_order, step, bytes_per_line, pixels = layout_of(dump)

    def colour(x, y):
        at = y * bytes_per_line + x * step
        if byte_order == 0:  # least significant byte first: blue, green, red
            return pixels[at + 2], pixels[at + 1], pixels[at]
        return tuple(pixels[at + step - 3:at + step])
    return width, height, colour


def window_dump(env, window):
    """An X window dump of the window, b"" when it is gone."""
    return subprocess.run(["xwd", "-id", window, "-silent"], env=env, capture_output=True,
                          timeout=TIMEOUT).stdout


def count_in_window(env, window, box, wanted):
    """How many pixels of the window within box (left, top, right, bottom)
    have a colour for which wanted(red, green, blue) holds."""
    dump = window_dump(env, window)
    if len(dump) <= 100:
        return 0
    width, height, colour = colours_of(dump)
    left, top, right, bottom = box
    return sum(1 for y in range(top, min(bottom, height)) for x in range(left, min(right, width))
               if wanted(*colour(x, y)))


def prompt_shown(env, window):
    """The notebook window shows its first line below the menu bar: the
    prompt, which the program puts there together with its wait for the
    line (a key typed before it would be dropped)."""
    # Not yet painted, the window is black.
    ink = count_in_window(env, window, (0, PROMPT_TOP, 40, PROMPT_TOP + 40),
                          lambda red, green, blue: red + green + blue < 600)
    return 0 < ink < 40 * 40 / 2


def painted_all_over(env, window):
    """No part of the window waits for its paint: unpainted, a part is
    black, and the notebook's black is no more than its text."""
    dump = window_dump(env, window)
    if len(dump) <= 100:
        return False
    width, height, colour = colours_of(dump)
    samples = [(x, y) for y in range(0, height, 8) for x in range(0, width, 8)]
    black = sum(1 for x, y in samples if sum(colour(x, y)) < 60)
    return black < len(samples) / 20


def selection_shown(env, window):
    """The first line of a dialog's text box shows selected text (on the
    highlight's blue)."""
    return count_in_window(env, window, (14, 14, 300, 40),
                           lambda red, green, blue: blue > 150 and red < 100) > 50


def png_of_xwd(dump):
    """A PNG of an X window dump."""
    width, height, byte_order, step, bytes_per_line, pixels = layout_of(dump)
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        if byte_order == 0:  # least significant byte first: blue, green, red
            red, green, blue = line[2::step], line[1::step], line[0::step]
        else:
            red, green, blue = line[step - 3::step], line[step - 2::step], line[step - 1::step]
        row = bytearray(3 * width)
        row[0::3], row[1::3], row[2::3] = red, green, blue
        rows.append(b"\0" + bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2,
                                                                  0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))


class Failure(Exception):
    pass


class Session:
    """One display and one home folder; kalix started in it as often as a
    test needs. `screen` is the display's size, e.g. "1280x1024"."""

    def __init__(self, kalix, work, screen="1280x1024"):
        self.kalix_path = kalix
        self.work = work
        shutil.rmtree(work, ignore_errors=True)
        self.home = os.path.join(work, "home")
        os.makedirs(self.home)
        self.messages = os.path.join(work, "messages.txt")
        self.kalix = None
        # -noreset: a server that resets when its last client leaves (a
        # program that ended, xdotool between two calls) refuses a start
        # that comes in that moment.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", screen + "x24", "-nolisten", "tcp",
             "-noreset"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        DISPLAY=":" + display, LC_ALL="C.UTF-8")

    # --- files
    @property
    def profile(self):
        return os.path.join(self.home, ".kalix.profile")

    @property
    def registry(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "kalix", "settings")

    @property
    def recovery(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "kalix", "recovery")

    def write(self, name, text, mode="w"):
        path = os.path.join(self.home, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, mode) as file:
            file.write(text)
        return path

    def read(self, path):
        with open(os.path.join(self.home, path), "rb") as file:
            return file.read()

    def settings_in(self, path):
        """The name="value" lines of a profile or settings file."""
        values = {}
        if not os.path.exists(path):
            return values
        for line in self.read(path).decode().splitlines():
            name, _, value = line.partition("=")
            values.setdefault(name, value.strip('"'))
        return values

    def copies(self):
        found = []
        if os.path.isdir(self.recovery):
            for folder in os.listdir(self.recovery):
                path = os.path.join(self.recovery, folder, "copy.kn")
                if os.path.exists(path):
                    found.append(path)
        return found

    # --- the program
    def start(self, *words, cwd=None):
        with open(self.messages, "ab") as messages:
            messages.write(("--- start %s\n" % " ".join(words)).encode())
            messages.flush()
            self.kalix = subprocess.Popen([self.kalix_path, *words], env=self.env,
                                          stdin=subprocess.DEVNULL, cwd=cwd or self.home,
                                          stdout=subprocess.DEVNULL, stderr=messages)
        return self.kalix

    def ended(self, timeout=TIMEOUT):
        """Waits for the program's end: its exit status, None when it runs on."""
        try:
            return self.kalix.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.kalix and self.kalix.poll() is None:
            self.kalix.kill()
            self.kalix.wait()
        self.kalix = None

    def close(self):
        self.stop()
        self.xvfb.terminate()
        self.xvfb.wait()

    # --- the display
    def xdotool(self, *words):
        return subprocess.run(["xdotool", *words], env=self.env, capture_output=True, text=True,
                              timeout=TIMEOUT).stdout.split()

    def window_named(self, pattern):
        found = self.xdotool("search", "--onlyvisible", "--name", pattern)
        return found[-1] if found else None

    def window_closed(self, window):
        """Whether the window is no longer shown (a new one may have its title)."""
        return window not in self.xdotool("search", "--onlyvisible", "--name", ".")

    def window_names(self):
        return [" ".join(self.xdotool("getwindowname", w))
                for w in self.xdotool("search", "--onlyvisible", "--name", ".")]

    def wait_prompt(self, window, timeout=START_TIMEOUT):
        return self.wait_for("the first prompt", lambda: prompt_shown(self.env, window),
                             timeout)

    def wait_window(self, pattern, timeout=TIMEOUT):
        return self.wait_for("a window named " + pattern, lambda: self.window_named(pattern),
                             timeout)

    def geometry(self, window):
        """x, y, width, height of a window as the display has it."""
        out = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True,
                             text=True, timeout=TIMEOUT).stdout
        values = {}
        for line in out.splitlines():
            name, _, value = line.strip().partition(":")
            values[name] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def keys(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", key)

    def type(self, window, text):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", "15", text)

    def type_line(self, window, text):
        self.type(window, text)
        self.xdotool("key", "Return")

    def screenshot(self, name):
        """The display as a PNG in the work folder (None without xwd)."""
        if not shutil.which("xwd"):
            return None
        dump = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                              timeout=TIMEOUT).stdout
        png = os.path.join(self.work, name + ".png")
        with open(png, "wb") as file:
            file.write(png_of_xwd(dump))
        return png

    # --- waiting and failing
    def wait_for(self, what, check, timeout=TIMEOUT):
        return poll(check, timeout) or self.fail("waited in vain for " + what)

    def fail(self, message):
        report = ["FAILED: " + message]
        try:
            report.append("windows: %s" % self.window_names())
            report.append("kalix: %s" % ("none" if self.kalix is None else
                                         "running" if self.kalix.poll() is None else
                                         "ended with %d" % self.kalix.returncode))
            with open(self.messages, "rb") as file:
                report.append("messages: %s" % file.read()[-4000:])
        except Exception as error:  # the report is best effort
            report.append("no more: %s" % error)
        raise Failure("\n".join(report))


def run_cases(cases, kalix, work):
    """Runs each case (a function of a Session) on a display of its own;
    the exit status: 0 all passed, 1 any failed, 77 without the tools."""
    missing = tools_missing()
    if missing:
        print("SKIPPED: not installed: " + ", ".join(missing))
        return 77
    failed = 0
    for case in cases:
        screen = getattr(case, "screen", "1280x1024")
        session = Session(kalix, os.path.join(work, case.__name__), screen)
        try:
            case(session)
            print("ok  ", case.__name__)
        except Failure as failure:
            failed += 1
            print("FAIL", case.__name__)
            print(failure)
        finally:
            session.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit("a module of the window tests")
