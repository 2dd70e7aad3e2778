"""Headless Chromium for the web checks, driven over the DevTools protocol through a pipe
(--remote-debugging-pipe): no sockets, no downloads, only Debian's chromium and the
standard library. Also a quiet static server for a site folder on 127.0.0.1.

    with Browser() as browser:
        with browser.new_page() as page:
            page.navigate("http://127.0.0.1:PORT/index.html?trace")
            page.wait_for("the first frame", lambda: page.evaluate("tolvoStats.firstFrame"), 20)

Every wait is bounded; the browser is stopped by its own process id.
"""

import base64
import fcntl
import functools
import http.server
import json
import os
import shutil
import tempfile
import threading
import time

from .session import Closing, Failure, Process, wait_for

def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name, path=os.environ.get("PATH", "") + os.pathsep + "/usr/bin")
        if path:
            return path
    raise Failure("no chromium (tools/deps.sh web installs it)")


def cpu_throttle():
    """How many times slower TOLVO_WEB_CPU_THROTTLE asks pages to run (1: not slowed)."""
    return max(1.0, float(os.environ.get("TOLVO_WEB_CPU_THROTTLE") or 1))


class Site(Closing):
    """A folder served on 127.0.0.1 at a free port (or the one given: the same site
    again after its server stopped), in a thread, without request logs."""

    def __init__(self, folder, port=0):
        class Quiet(http.server.SimpleHTTPRequestHandler):
            extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                                  **{".wasm": "application/wasm", ".js": "text/javascript"})

            def log_message(self, *args):
                pass

        handler = functools.partial(Quiet, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.port = self.server.server_address[1]
        self.url = "http://127.0.0.1:%d/" % self.port
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Browser(Closing):
    """One headless Chromium with a throw-away profile."""

    def __init__(self, extra_args=()):
        self.profile = tempfile.mkdtemp(prefix="tolvo-chromium-")
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        # The browser's ends moved above 9, so that placing them at 3 and 4 cannot close
        # one with the other.
        to_browser_read = self._moved_up(to_browser_read)
        from_browser_write = self._moved_up(from_browser_write)
        args = [
            find_chromium(), "--headless=new", "--remote-debugging-pipe",
            "--user-data-dir=" + self.profile, "--no-first-run", "--no-default-browser-check",
            "--disable-extensions", "--disable-background-networking", "--disable-sync",
            "--disable-component-update", "--disable-default-apps", "--mute-audio",
            "--no-sandbox", "--disable-dev-shm-usage", "--hide-scrollbars",
            # WebGL on the processor (SwiftShader): there is no GPU here.
            "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
            # The page's timers and frames as in a tab in front of the player.
            "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
            "--disable-backgrounding-occluded-windows",
            "--window-size=1280,800",
        ] + list(extra_args) + ["about:blank"]
        # The protocol's pipe is the browser's descriptors 3 (in) and 4 (out).
        shell = 'exec "$0" "$@" 3<&%d 4>&%d %d<&- %d>&-' % (
            to_browser_read, from_browser_write, to_browser_read, from_browser_write)
        self.process = Process(["/bin/bash", "-c", shell] + args,
                               log=os.path.join(self.profile, "chromium.log"),
                               pass_fds=(to_browser_read, from_browser_write))
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.next_id = 0
        self.lock = threading.Lock()
        self.replies = {}
        self.replied = threading.Condition(self.lock)
        self.listeners = []
        self.closed = False
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.send("Browser.getVersion", timeout=30)

    @staticmethod
    def _moved_up(fd):
        high = fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10)
        os.close(fd)
        return high

    def _read(self):
        buffer = b""
        while True:
            try:
                chunk = os.read(self.from_browser, 1 << 20)
            except OSError:
                chunk = b""
            if not chunk:
                with self.lock:
                    self.closed = True
                    self.replied.notify_all()
                return
            buffer += chunk
            while b"\0" in buffer:
                raw, buffer = buffer.split(b"\0", 1)
                message = json.loads(raw.decode("utf-8"))
                if "id" in message:
                    with self.lock:
                        self.replies[message["id"]] = message
                        self.replied.notify_all()
                else:
                    for listener in list(self.listeners):
                        listener(message)

    def send(self, method, params=None, session=None, timeout=30):
        with self.lock:
            self.next_id += 1
            number = self.next_id
        message = {"id": number, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode("utf-8") + b"\0")
        deadline = time.monotonic() + timeout
        with self.lock:
            while number not in self.replies:
                left = deadline - time.monotonic()
                if self.closed:
                    raise Failure("chromium went away during %s" % method)
                if left <= 0:
                    raise Failure("chromium did not answer %s within %ds" % (method, timeout))
                self.replied.wait(left)
            reply = self.replies.pop(number)
        if "error" in reply:
            raise Failure("%s: %s" % (method, reply["error"].get("message")))
        return reply.get("result", {})

    def new_page(self):
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})
        return Page(self, session["sessionId"])

    def close(self):
        """Asked to close, then stopped by its own process group."""
        if self.process.poll() is None:
            try:
                self.send("Browser.close", timeout=5)
                self.process.wait(10)
            except Failure:
                pass
        self.process.stop()
        for fd in (self.to_browser, self.from_browser):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)


class Page(Closing):
    """One tab: its console lines, network transfer, script evaluation and real input."""

    def __init__(self, browser, session):
        self.browser = browser
        self.session = session
        self.console = []     # (type, text) in the order the page wrote them
        self.errors = []      # uncaught exceptions
        self.transferred = {}  # request id -> (url, bytes over the wire)
        self.urls = {}
        self.lock = threading.Lock()
        browser.listeners.append(self._event)
        for domain in ("Runtime", "Page", "Network"):
            self.send(domain + ".enable")
        self.send("Network.setCacheDisabled", {"cacheDisabled": True})
        self.send("Emulation.setFocusEmulationEnabled", {"enabled": True})
        # A slower machine on request (TOLVO_WEB_CPU_THROTTLE=4: a quarter of this CPU), to
        # show that the checks hold where the figures are worse.
        self.throttle = cpu_throttle()
        if self.throttle > 1:
            self.send("Emulation.setCPUThrottlingRate", {"rate": self.throttle})

    def _event(self, message):
        if message.get("sessionId") != self.session:
            return
        method, params = message.get("method"), message.get("params", {})
        with self.lock:
            if method == "Runtime.consoleAPICalled":
                text = " ".join(str(arg.get("value", arg.get("description", "")))
                                for arg in params.get("args", []))
                self.console.append((params.get("type"), text))
            elif method == "Runtime.exceptionThrown":
                details = params.get("exceptionDetails", {})
                self.errors.append(details.get("exception", {}).get("description")
                                   or details.get("text"))
            elif method == "Network.requestWillBeSent":
                self.urls[params["requestId"]] = params["request"]["url"]
            elif method == "Network.loadingFinished":
                request = params["requestId"]
                self.transferred[request] = (self.urls.get(request, "?"),
                                             params.get("encodedDataLength", 0))

    def send(self, method, params=None, timeout=30):
        return self.browser.send(method, params, self.session, timeout)

    def navigate(self, url):
        with self.lock:
            self.console, self.errors, self.transferred, self.urls = [], [], {}, {}
        self.send("Page.navigate", {"url": url})

    def evaluate(self, expression, timeout=30):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout)
        if "exceptionDetails" in result:
            raise Failure("page: %s: %s" % (expression, result["exceptionDetails"].get("text")))
        return result.get("result", {}).get("value")

    def lines(self, kind="log"):
        with self.lock:
            return [text for type_, text in self.console if type_ == kind]

    def key(self, code, key, virtual_key, down, text=None, modifiers=0):
        """A real key event, as the browser gets it from the keyboard (modifiers: 1 Alt)."""
        params = {"type": ("keyDown" if text else "rawKeyDown") if down else "keyUp",
                  "code": code, "key": key, "windowsVirtualKeyCode": virtual_key,
                  "nativeVirtualKeyCode": virtual_key, "modifiers": modifiers}
        if text and down:
            params["text"] = text
        self.send("Input.dispatchKeyEvent", params)

    def click(self, selector):
        """A real click in the middle of the element, as the mouse makes it."""
        box = self.evaluate("(function(r) { return [r.left + r.width / 2, r.top + r.height / 2]; })"
                            "(document.querySelector(%s).getBoundingClientRect())"
                            % json.dumps(selector))
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1],
                                                   "button": "left", "clickCount": 1})

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as stream:
            stream.write(base64.b64decode(data))

    def wait_for(self, what, condition, timeout, interval=0.1):
        """wait_for that fails as soon as the page throws. A throttled page is given as
        many times longer as it is slowed."""
        return wait_for(what, condition, timeout * self.throttle, interval, guard=self._threw)

    def wait_js(self, what, expression, timeout, interval=0.1):
        return self.wait_for(what, lambda: self.evaluate(expression), timeout, interval)

    def _threw(self, what):
        if self.errors:
            raise Failure("while waiting for %s, the page threw: %s" % (what, self.errors[0]))

    def close(self):
        try:
            self.send("Page.close")
        except Failure:
            pass
