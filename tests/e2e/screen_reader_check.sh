#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program as a screen reader's user has it (a session bus, the accessibility bus, an X
# display with a window manager) and has screen_reader_check.py use it from the keyboard and read
# it through AT-SPI. Usage: screen_reader_check.sh PROGRAM CHECK.py WORK_FOLDER
set -eu
program="$1"
check="$2"
work="$3"
for tool in dbus-run-session Xvfb openbox xdotool /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 || { echo "Not installed: $tool"; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "Not installed: python3-pyatspi"; exit 77; }
rm -rf "$work"
mkdir -p "$work/program" "$work/runtime"
chmod 700 "$work/runtime"
cp "$program" "$work/program/monedario"
exec dbus-run-session -- /usr/bin/python3 "$check" "$work"
