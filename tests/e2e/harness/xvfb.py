"""One Xvfb server per worker, on a display number that the server picks itself."""
import os
import select
import signal
import subprocess


class Xvfb:
    # The virtual desktop has the screen's size (800x600 at 96 DPI), so desktop and root window coincide
    # for screenshots.
    def __init__(self, log_path, size="800x600x24"):
        self.log_path = log_path
        self.size = size
        self.process = None
        self.display = None
        self._read_end = None

    def start(self, timeout=20):
        read_end, write_end = os.pipe()
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_end,), start_new_session=True)
        os.close(write_end)
        # The read end stays open while the server runs: closing it early can end a server that writes late.
        self._read_end = read_end
        number = self._read_display_number(timeout)
        self.display = ":" + number
        return self.display

    def _read_display_number(self, timeout):
        text = b""
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([self._read_end], [], [], timeout)
            if not ready:
                self.stop()
                raise RuntimeError("Xvfb did not report its display within %ss" % timeout)
            chunk = os.read(self._read_end, 64)
            if not chunk:
                self.stop()
                raise RuntimeError("Xvfb ended before reporting its display; see " + self.log_path)
            text += chunk
        return text.decode().strip()

    def stop(self):
        if self.process and self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.kill(self.process.pid, signal.SIGKILL)
                self.process.wait()
        if self._read_end is not None:
            os.close(self._read_end)
            self._read_end = None
