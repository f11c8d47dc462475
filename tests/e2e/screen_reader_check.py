# SPDX-License-Identifier: GPL-3.0-or-later
"""The program as a screen reader reads it, driven from the keyboard alone: the welcome text, the
start-day banner, the field for the total and its text, the days of the table, an expense and the
saving banner. Run inside a session bus by screen_reader_check.sh; exits 1 on the first fault."""
import datetime
import os
import subprocess
import sys
import time

import pyatspi

WORK = sys.argv[1]
WEEKDAYS = ["lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"]
MONTHS = ["enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
          "septiembre", "octubre", "noviembre", "diciembre"]
START_DAY = 10
EXPENSE_OFFSET = 9


def start(argv, **kwargs):
    return subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)


def wait_for(what, found, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            value = found()
            if value:
                return value
        except Exception:  # the tree may change while it is read
            pass
        time.sleep(0.1)
    sys.exit(f"FAILED: {what}")


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def surface():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "monedario":
            for frame in children(app):
                for child in children(frame):
                    if child.getRoleName() == "panel":
                        return child
    return None


def shown(role):
    panel = surface()
    return [c for c in children(panel) if c.getRoleName() == role] if panel else []


def named(role, name):
    return wait_for(f"a {role} named {name!r}; there are "
                    f"{[c.name for c in shown(role)]}",
                    lambda: [c for c in shown(role) if c.name == name])[0]


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)


def spoken(amount):
    return f"{amount:.2f}".replace(".", ",") + " €"


def day_name(date):
    return f"{WEEKDAYS[date.weekday()]} {date.day} de {MONTHS[date.month - 1]}"


def main():
    bus = start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = ":" + os.read(read, 16).decode().strip()
    os.environ["DISPLAY"] = display
    manager = start(["openbox"])
    time.sleep(1)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               XDG_RUNTIME_DIR=os.path.join(WORK, "runtime"))
    program = start([os.path.join(WORK, "program", "monedario")], cwd=WORK, env=env)
    try:
        check()
    finally:
        for process in (program, manager, xvfb, bus):
            process.kill()
    print("the screen reader read what the window showed")


def check():
    today = datetime.date.today()
    welcome = wait_for("the welcome text", lambda: shown("label"))[0]
    assert welcome.name.startswith("BIENVENIDO a Monedario Pro!!!."), welcome.name
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Monedario Pro$",
                    "windowactivate", "--sync"], check=True, stdout=subprocess.DEVNULL)
    keys("F10", "Return", *["Right"] * (START_DAY - 1), "Return")
    banner = wait_for("the start-day banner", lambda: shown("notification"))[0]
    assert banner.name.startswith(f"Bien has elegido el día {START_DAY} del mes."), banner.name
    field = named("text", "Total del mes")
    subprocess.run(["xdotool", "type", "--delay", "80", "3100"], check=True)
    wait_for("the total typed in the field",
             lambda: field.queryText().getText(0, -1) == "3100")
    keys("Return")
    start_date = today.replace(day=START_DAY)
    month_days = ((start_date.replace(day=28) + datetime.timedelta(days=4)).replace(day=1)
                  - datetime.timedelta(days=1)).day
    allowance = 3100 / month_days
    table = wait_for("the table of days", lambda: shown("table"))[0]
    cells = lambda: [c.name for c in children(table) if c.getRoleName() == "table cell"]
    first = f"{day_name(start_date)}: quedan {spoken(allowance)}"
    wait_for(f"the first day told as {first!r}", lambda: first in cells())
    keys(*["Right"] * EXPENSE_OFFSET, "space")
    expense_date = start_date + datetime.timedelta(days=EXPENSE_OFFSET)
    field = named("text", f"Gasto del {day_name(expense_date)}")
    subprocess.run(["xdotool", "type", "--delay", "80", "12,5"], check=True)
    wait_for("the expense typed", lambda: field.queryText().getText(0, -1) == "12,5")
    keys("Return")
    told = (f"{day_name(expense_date)}: quedan {spoken(allowance - 12.5)}; "
            f"gastado {spoken(12.5)}")
    wait_for(f"the day told as {told!r}; cells are {cells()}", lambda: told in cells())
    keys("F10", "Return")
    named("notification", "Grabación realizada ...")


if __name__ == "__main__":
    main()
