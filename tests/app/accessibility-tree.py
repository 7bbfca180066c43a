#!/usr/bin/python3
"""Walks the accessibility tree of the running program as a screen reader does.

Usage: accessibility-tree.py PROBE

Starts a private session bus and the accessibility bus on it, runs PROBE (the main
window, see AccessibilityProbe.cpp) on the display of the caller
(xvfb-run) and reads its tree over AT-SPI: the list and its items with their names
and states, the selected item and the filter and sort combo boxes. Exits 0 when all holds, 1 with the faults found, 77 when the
accessibility services or the display are missing.
"""
import os
import subprocess
import sys
import time

SKIP = 77


def start_buses():
    """A private session bus and the accessibility bus on it; the processes to end."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    if not address:
        sys.exit("dbus-daemon gave no address")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    os.environ.pop("AT_SPI_BUS_ADDRESS", None)
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    return [launcher, daemon]


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def role(node):
    return node.getRoleName()


def has(node, state):
    return node.getState().contains(state)


class Tree:
    def __init__(self, pyatspi, pid):
        self.pyatspi = pyatspi
        self.pid = pid
        self.faults = []

    def application(self, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            desktop = self.pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == self.pid and app.childCount > 0:
                    return app
            time.sleep(0.2)
        sys.exit("the program did not appear on the accessibility bus")

    def expect(self, condition, what):
        if not condition:
            self.faults.append(what)

    def nodes(self):
        app = self.application()
        app.clear_cache()
        return list(walk(app))


def check_list(tree, selected_name):
    S = tree.pyatspi
    nodes = tree.nodes()
    lists = [n for n, _ in nodes if role(n) == "list" and n.childCount > 0
             and role(n.getChildAtIndex(0)) == "list item"]
    tree.expect(len(lists) == 1, f"one list with list items, found {len(lists)}")
    if not lists:
        return
    shipments = lists[0]
    tree.expect(has(shipments, S.STATE_FOCUSABLE), "the list is focusable")
    items = [shipments.getChildAtIndex(i) for i in range(shipments.childCount)]
    names = [item.name for item in items]
    tree.expect(len(items) == 3, f"three items, found {names}")
    for name, words in zip(names, (["우산", "하나택배", "INV-우산", "취소"],
                                   ["책 <상>", "둘택배", "INV-책 <상>", "완료"],
                                   ["운동화", "하나택배", "INV-운동화", "2일 경과", "배송중"])):
        tree.expect(all(w in name for w in words) and "<h>" not in name and "&lt;" not in name,
                    f"item named without markup with {words}: {name!r}")
    for item in items:
        tree.expect(has(item, S.STATE_FOCUSABLE) and has(item, S.STATE_SELECTABLE),
                    f"{item.name!r} focusable and selectable")
        tree.expect(item.getIndexInParent() == items.index(item), f"{item.name!r} knows its index")
        actions = item.queryAction()
        offered = {actions.getName(i).lower() for i in range(actions.nActions)}
        tree.expect(offered >= {"press", "showmenu"}, f"{item.name!r} offers press and showMenu: {offered}")
    chosen = [item.name for item in items if has(item, S.STATE_SELECTED)]
    focused = [item.name for item in items if has(item, S.STATE_FOCUSED)]
    expected = [] if selected_name is None else [n for n in names if selected_name in n]
    tree.expect(chosen == expected, f"selected {expected}, found {chosen}")
    tree.expect(focused == expected, f"focused {expected}, found {focused}")

    frames = [n.name for n, _ in nodes if role(n) == "frame"]
    tree.expect(frames == ["Parcelo"], f"the main window is a frame named Parcelo, found {frames}")
    combos = {n.name: n for n, _ in nodes if role(n) == "combo box"}
    for caption in ("모두 표시", "입력일 역순"):
        tree.expect(caption in combos and has(combos[caption], S.STATE_FOCUSABLE),
                    f"a focusable combo box named {caption!r}, found {sorted(combos)}")


def pump(seconds):
    from gi.repository import GLib
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not context.iteration(False):
            time.sleep(0.01)


def heard(tree, kinds, act):
    """The events of `kinds` a screen reader hears while `act` runs: (type, name, detail1)."""
    events = []

    def listener(event):
        try:
            events.append((event.type, event.source.name, event.detail1))
        except Exception:  # the source may be gone
            pass

    for kind in kinds:
        tree.pyatspi.Registry.registerEventListener(listener, kind)
    pump(0.5)
    act()
    pump(1.5)
    for kind in kinds:
        tree.pyatspi.Registry.deregisterEventListener(listener, kind)
    return events


def check_events(tree, act, name):
    """`act` moves the selection to the item named with `name`: a screen reader hears of it."""
    kinds = ("object:state-changed:selected", "object:state-changed:focused", "focus:")
    events = heard(tree, kinds, act)
    for kind in kinds[:2]:
        tree.expect(any(t == kind and name in n and d == 1 for t, n, d in events),
                    f"{kind} for the item {name!r}, heard {events}")


def check_renamed(tree, act, name):
    """`act` changes the selected shipment's state: a screen reader hears its new name."""
    kind = "object:property-change:accessible-name"
    events = heard(tree, (kind,), act)
    tree.expect(any(name in n for _, n, _ in events), f"{kind} for {name!r}, heard {events}")


def check_item_menu(tree, menu_shown):
    """The selected item's showMenu action opens the item menu."""
    items = [n for n, _ in tree.nodes() if role(n) == "list item" and has(n, tree.pyatspi.STATE_SELECTED)]
    if not items:
        return
    actions = items[0].queryAction()
    names = [actions.getName(i).lower() for i in range(actions.nActions)]
    tree.expect(not menu_shown(), "no menu before showMenu")
    tree.expect("showmenu" in names and actions.doAction(names.index("showmenu")), f"showMenu among {names}")
    tree.expect(menu_shown(), "the item menu shows after showMenu")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    if not os.environ.get("DISPLAY") or not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        print("no display or no accessibility bus launcher")
        return SKIP
    helpers = start_buses()
    probe = None
    try:
        try:
            import pyatspi
        except ImportError:
            print("python3-pyatspi is missing")
            return SKIP
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   QT_ACCESSIBILITY="1", LANG="ko_KR.UTF-8")
        probe = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)

        def send(command):
            probe.stdin.write(command + "\n")
            probe.stdin.flush()
            answer = probe.stdout.readline().split()
            if not answer or answer[0] != "ok":
                sys.exit(f"the probe did not answer {command!r}")
            return answer[1:]

        if probe.stdout.readline().strip() != "ready":
            sys.exit("the probe did not start")
        tree = Tree(pyatspi, probe.pid)
        check_list(tree, None)
        send("down")  # Down with nothing selected selects the last item
        check_list(tree, "운동화")
        check_events(tree, lambda: send("up"), "책 <상>")
        check_list(tree, "책 <상>")
        check_item_menu(tree, lambda: send("popup") == ["shown"])
        check_renamed(tree, lambda: send("cancel"), "취소")
        for fault in tree.faults:
            print("FAULT:", fault)
        return 1 if tree.faults else 0
    finally:
        if probe is not None and probe.poll() is None:
            probe.stdin.close()
            try:
                probe.wait(10)
            except subprocess.TimeoutExpired:
                probe.kill()
        for helper in helpers:
            helper.terminate()
            helper.wait(10)


if __name__ == "__main__":
    sys.exit(main())
