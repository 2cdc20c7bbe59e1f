#!/usr/bin/env bash
# Runs a command with a sound server of its own whose one device plays into nothing, as on a
# computer with a sound card: with-null-sink.sh COMMAND... Exits 77 (skipped) without pulseaudio.
set -u
command -v pulseaudio >/dev/null || exit 77
dir=$(mktemp -d)
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
  --load="module-null-sink sink_name=nowhere" \
  --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" 2>"$dir/log" &
server=$!
for _ in $(seq 50); do [ -S "$dir/native" ] && break; sleep 0.1; done
if [ ! -S "$dir/native" ]; then
  cat "$dir/log" >&2
  kill "$server" 2>/dev/null
  rm -rf "$dir"
  exit 77
fi
PULSE_SERVER="unix:$dir/native" QUILLON_NULL_SINK=1 "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $status
