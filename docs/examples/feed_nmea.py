#!/usr/bin/env python3
"""Feeds an NMEA file to Tavrik over the session bus and prints where it put the vessel.

Usage: feed_nmea.py FILE [--close]
Starts Tavrik through D-Bus activation when it is not running. Lines starting with '#'
(comments of gpsd's captures) are skipped. Prints one line:
    latitude longitude course speed
With --close, ends Tavrik afterwards (CloseGPS).
"""
import asyncio
import re
import sys

from dbus_next.aio import MessageBus

SERVICE, PATH, INTERFACE = "org.tavrik.Tavrik", "/chart", "org.tavrik.chart"


async def main(path, close):
    bus = await MessageBus().connect()
    # Introspecting the name starts Tavrik (tavrik --automation) when nobody serves it.
    node = await bus.introspect(SERVICE, PATH)
    chart = bus.get_proxy_object(SERVICE, PATH, node).get_interface(INTERFACE)
    with open(path, "rb") as f:
        text = f.read().decode("ascii", "replace")
    for line in re.split(r"\r\n|\n|\r", text):
        if line and not line.startswith("#"):
            await chart.set_nmea(line)
    # The receive cycle takes the buffer every half second.
    await asyncio.sleep(1.2)
    values = [await chart.get_latitude(), await chart.get_longitude(),
              await chart.get_course(), await chart.get_speed()]
    print(" ".join(f"{v:.6f}" for v in values))
    if close:
        await chart.call_close_gps()
    bus.disconnect()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    asyncio.run(main(sys.argv[1], "--close" in sys.argv[2:]))
