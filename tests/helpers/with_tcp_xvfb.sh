#!/bin/sh
# with_tcp_xvfb.sh WxH COMMAND [ARGS...]
# Runs COMMAND on a fresh Xvfb that it reaches over TCP on localhost, as a remote program would.
n=120
while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -listen tcp -ac -screen 0 "${1}x24" >/dev/null 2>&1 &
server=$!
shift
tries=0
until DISPLAY=localhost:$n xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -gt 200 ]; then
        kill $server
        echo "Xvfb did not start on localhost:$n"
        exit 1
    fi
    sleep 0.1
done
DISPLAY=localhost:$n "$@"
code=$?
kill $server
wait $server 2>/dev/null
exit $code
