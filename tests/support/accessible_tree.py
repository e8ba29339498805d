#!/usr/bin/env python3
"""Prints the accessible tree a screen reader reads over AT-SPI, one element a line:
its role, a tab, its name (line breaks shown as \\n). Takes the accessibility bus's
address; asks through gdbus, so it needs nothing beyond GLib's command-line tools."""

import re
import subprocess
import sys


def call(address, dest, path, method, *args):
    return subprocess.run(
        ["gdbus", "call", "--address", address, "--dest", dest, "--object-path", path,
         "--method", method, *args],
        capture_output=True, text=True, timeout=10).stdout.strip()


def walk(address, dest, path, seen, depth=0):
    if (dest, path) in seen or depth > 30:
        return
    seen.add((dest, path))
    role = call(address, dest, path, "org.a11y.atspi.Accessible.GetRoleName")
    role = re.sub(r"^\('(.*)',\)$", r"\1", role)
    name = call(address, dest, path, "org.freedesktop.DBus.Properties.Get",
                "org.a11y.atspi.Accessible", "Name")
    quoted = re.match(r"^\(<'(.*)'>,\)$", name, re.S)
    print(f"{role}\t{quoted.group(1) if quoted else ''}")
    children = call(address, dest, path, "org.a11y.atspi.Accessible.GetChildren")
    # gdbus names the type of the first path only.
    for child in re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", children):
        walk(address, child[0], child[1], seen, depth + 1)


if __name__ == "__main__":
    walk(sys.argv[1], "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", set())
