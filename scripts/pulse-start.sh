#!/bin/sh
# Starts a private PulseAudio server with a silent null sink as its default
# output, for running the sound tests and the cue benchmark on a machine with
# no sound card, no session bus and no desktop (also as root).
#
# Prints the lines a client shell needs; use it as
#     eval "$(scripts/pulse-start.sh)"
# The same lines are kept in "$TAVRIN_PULSE_DIR/env" for later shells.
# Running it again while the server is up only prints the lines again; the
# line "# started: ..." comes only when this run started the server.
set -eu

dir=${TAVRIN_PULSE_DIR:-/tmp/tavrin-pulse-$(id -u)}
sink=${TAVRIN_PULSE_SINK:-tavrin_null}
socket="$dir/native"

mkdir -p "$dir"
chmod 700 "$dir"

# Everything the server and its clients keep goes into $dir, so that neither
# an existing user's server nor a missing home directory gets in the way.
export PULSE_RUNTIME_PATH="$dir"
export PULSE_STATE_PATH="$dir/state"
export PULSE_CONFIG_PATH="$dir/config"
export PULSE_SERVER="unix:$socket"
export PULSE_COOKIE="$dir/cookie"

print_env() {
    cat >"$dir/env" <<ENV
export PULSE_SERVER=unix:$socket
export PULSE_COOKIE=$dir/cookie
export PULSE_SINK=$sink
export SDL_AUDIODRIVER=pulseaudio
ENV
    cat "$dir/env"
}

if pactl info >/dev/null 2>&1; then
    print_env
    exit 0
fi

command -v pulseaudio >/dev/null 2>&1 || {
    echo "pulse-start.sh: pulseaudio is not installed (Debian: pulseaudio pulseaudio-utils)" >&2
    exit 1
}

# A server that died without cleaning up leaves its pid file and socket.
rm -f "$dir/pid" "$socket"

# -n: no default.pa, so only the modules below are loaded (no hardware
# detection, no suspend-on-idle, no session bus). No exit on idle, so the
# server stays up between test programs.
pulseaudio --daemonize=yes --system=false -n \
    --exit-idle-time=-1 --use-pid-file=yes \
    --log-target=file:"$dir/log" --log-level=notice \
    --disallow-module-loading=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" \
    --load="module-null-sink sink_name=$sink rate=44100 sink_properties=device.description=Tavrin-null" \
    >/dev/null 2>&1 || true

i=0
until pactl info >/dev/null 2>&1; do
    i=$((i + 1))
    if [ "$i" -ge 50 ]; then
        echo "pulse-start.sh: the server did not come up; see $dir/log" >&2
        exit 1
    fi
    sleep 0.1
done
pactl set-default-sink "$sink"

# An idle null sink renders two seconds at a time, and a stream that connects
# meanwhile is first read when that block is over: a program's first cue
# would come up to two seconds late. A silent stream keeps the sink on a
# short period, as a sound card's sink is while anything plays; its latency
# is above the players' own, so that theirs sets the sink's period. Once the
# idle block the sink was in has run out, every new stream is read at once.
if command -v pacat >/dev/null 2>&1; then
    setsid pacat --playback --raw --format=s16le --rate=44100 --channels=1 \
        --latency-msec=50 --device="$sink" --client-name=tavrin-keep-awake \
        </dev/zero >/dev/null 2>&1 &
    echo $! >"$dir/keeper.pid"
    i=0
    until pactl list short sink-inputs 2>/dev/null | grep -q .; do
        i=$((i + 1))
        [ "$i" -ge 100 ] && break
        sleep 0.05
    done
    sleep 2.1
fi
print_env
# Tells a caller that it may stop the server again when done with it.
echo "# started: stop with scripts/pulse-stop.sh"
