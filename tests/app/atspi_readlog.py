#!/usr/bin/python3
"""Reads the exchange log of the program with the given process id through AT-SPI, as a
screen reader does, and prints what it found as JSON lines on stdout:
  {"role": ..., "states": [...], "text": ..., "count": ..., "caret": ...}
then {"ready": true} once it listens for insertions, then the insertions into the log
until none has come for half a second, joined as a reader that follows the log joins
them: {"inserted": ..., "position": ..., "pieces": ...}; "position" is the first one's,
and an insertion that does not follow the one before is an error. Exits 1 when the log
is not found in time."""
import json
import sys

import pyatspi
from gi.repository import GLib

LOG_NAME = "Результат обмена"


def say(record):
    print(json.dumps(record), flush=True)


def find_log(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:
            continue
        found = pyatspi.findDescendant(app, lambda node: node is not None and node.name == LOG_NAME
                                       and node.getRoleName() == "text")
        if found is not None:
            return found
    return None


def main():
    pid = int(sys.argv[1])
    deadline = GLib.get_monotonic_time() + 20 * 1000000
    log = None
    while log is None and GLib.get_monotonic_time() < deadline:
        log = find_log(pid)
        if log is None:
            GLib.usleep(200000)
    if log is None:
        say({"error": "no accessible text named " + LOG_NAME})
        return 1
    text = log.queryText()
    states = [pyatspi.stateToString(state) for state in log.getState().getStates()]
    say({"role": log.getRoleName(), "states": states, "text": text.getText(0, -1),
         "count": text.characterCount, "caret": text.caretOffset})

    loop = GLib.MainLoop()
    heard = {"inserted": "", "position": -1, "pieces": 0}
    quiet = []

    def done():
        say(heard)
        loop.quit()
        return False

    def on_insert(event):
        if event.source != log:
            return
        if heard["pieces"] == 0:
            heard["position"] = event.detail1
        elif event.detail1 != heard["position"] + len(heard["inserted"]):
            heard["error"] = "insertion at %d does not follow the one before" % event.detail1
        heard["inserted"] += event.any_data
        heard["pieces"] += 1
        if quiet:
            GLib.source_remove(quiet.pop())
        quiet.append(GLib.timeout_add(500, done))

    pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
    GLib.timeout_add(300, lambda: say({"ready": True}) and False)
    GLib.timeout_add_seconds(20, loop.quit)
    loop.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
