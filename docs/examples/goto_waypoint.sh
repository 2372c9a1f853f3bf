#!/bin/sh
# Starts a go-to to waypoint number $1 and prints the go-to values after it has run
# for a few seconds (the go-to computes every two seconds).
set -e
dest="--session --dest org.tavrik.Tavrik --object-path /chart"
gdbus call $dest --method org.tavrik.chart.GotoWaypoint "${1:?waypoint number}" >/dev/null
sleep "${2:-5}"
for p in GotoWP GotoBearingT GotoDistance GotoSteer; do
  printf '%s ' "$p"
  gdbus call $dest --method org.freedesktop.DBus.Properties.Get org.tavrik.chart "$p"
done
