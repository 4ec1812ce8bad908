#!/usr/bin/env python3
"""The far end of COM1 for SerialLineTest under Wine: a pseudo-terminal that answers PING with
PONG, MORE with "0123456789" and closes on BYE!. Usage: serial-peer.py <test .exe> [args]"""
import os, select, subprocess, sys, tty

prefix = os.environ["WINEPREFIX"]
master, slave = os.openpty()
tty.setraw(slave)
name = os.ttyname(slave)
os.close(slave)
# Wine's mount manager makes the COM links from this key when it starts, over any made by hand.
subprocess.run(["wine", "reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM1", "/d", name, "/f"],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
link = os.path.join(prefix, "dosdevices", "com1")
if os.path.lexists(link):
    os.remove(link)
os.symlink(name, link)
test = subprocess.Popen(["wine"] + sys.argv[1:])
got = b""
while test.poll() is None and master is not None:
    ready, _, _ = select.select([master], [], [], 0.5)
    if not ready:
        continue
    try:
        got += os.read(master, 64)
    except OSError:
        continue
    for word, answer in ((b"PING", b"PONG"), (b"MORE", b"0123456789")):
        if word in got:
            got = got.replace(word, b"", 1)
            os.write(master, answer)
    if b"BYE!" in got:
        os.close(master)
        master = None
sys.exit(test.wait())
