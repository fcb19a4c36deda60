#!/usr/bin/env bash
# The Debian packages as a user meets them: build them (scripts/build-packages.sh), check
# them (lintian, desktop-file-validate, appstreamcli), install them with apt, then, as a
# user who is not root and has a fresh home folder, start the installed LonvarStd from its
# menu entry on a virtual X server on the gauge bench and request readings with a function
# key: they must reach the text file in that user's folder while nothing under /usr
# changes. The installed Vantro must show its window. Purging must leave no file behind.
# Runs as root (CI) or with sudo. TAVRIX_BUILD_DIR names the build folder that holds the
# gauge bench and the key tool (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TAVRIX_BUILD_DIR:-build/release}
out=$root/build/packages
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

fail() { echo "test-packages: FAILED: $*" >&2; exit 1; }
step() { echo "--- $*"; }

bash scripts/install-deps.sh
cmake --build "$build" --target gaugebench x_key >/dev/null

# --no-build takes the packages already in build/packages.
if [ "${1:-}" != "--no-build" ]; then
    step "building the packages"
    command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
    bash scripts/build-packages.sh "$out" >/dev/null
fi
debs=()
for deb in "$out"/*.deb; do [[ $deb == *-dbgsym_* ]] || debs+=("$deb"); done
[ ${#debs[@]} -eq 3 ] || fail "expected three packages, found: ${debs[*]}"

step "lintian"
lintian --fail-on error,warning --tag-display-limit 0 "${debs[@]}" || fail "lintian"

step "menu entries and metainfo"
unpacked=$(mktemp -d)
work=$(mktemp -d)
user=tavrix-pkgtest
pids=()
# The PIDs started here are those of runuser: the test user's own processes (the bench, a
# LonvarStd that did not end) are ended by owner, or userdel refuses and the next run fails.
end_user() {
    id "$user" >/dev/null 2>&1 || return 0
    $SUDO pkill -KILL -u "$user" 2>/dev/null || true
    for _ in $(seq 50); do pgrep -u "$user" >/dev/null || break; sleep 0.1; done
    $SUDO userdel "$user" 2>/dev/null || true
}
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
    end_user
    $SUDO rm -rf "$unpacked" "$work"
}
trap cleanup EXIT
end_user  # left over from a run that was killed
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$unpacked"; done
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.xml >/dev/null ||
    fail "appstreamcli validate"

step "installing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "${debs[@]}" >/dev/null || fail "apt-get install"
packages=(tavrix vantro tavrix-cable-rules)
dpkg-query -L "${packages[@]}" | sort -u >"$work/files"
snapshot() { find /usr -xdev -printf '%p %y %s %T@ %m\n' 2>/dev/null | sort; }
snapshot >"$work/usr-before"

# A user of the desktop: not root, fresh home, own runtime folder; the bench and the
# virtual display are the only hardware it has.
home=$work/home
$SUDO useradd --home-dir "$home" --create-home --shell /bin/sh "$user"
chmod 755 "$work"
runtime=$work/runtime
mkdir -m 700 "$runtime" && chown "$user" "$runtime"
as_user() {
    $SUDO runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin \
        XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" TAVRIX_BENCH="$runtime/bench.sock" \
        QT_QPA_PLATFORM=xcb "$@"
}
display=""
for n in $(seq 80 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    display=":$n"
    break
done
[ -n "$display" ] || fail "no free display number"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
as_user "$root/$build/tools/gaugebench/gaugebench" --demo --socket "$runtime/bench.sock" \
    >"$work/bench.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$runtime/bench.sock" ] && break; sleep 0.1; done

step "LonvarStd from its menu entry, as $user"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.tavrix.LonvarStd.desktop)
# The first start (an init run) makes the user's folders.
as_user timeout 60 $exec_line I >"$work/init.log" 2>&1 || fail "init run: $(cat "$work/init.log")"
data=$home/.local/share/tavrix
[ -d "$data/DAT" ] && [ -f "$home/.config/tavrix/LonvarStd.INI" ] ||
    fail "the first start made no user folders: $(cd "$home" && find . | head -20)"
# The COM1 gauge answers F3 into a text file named relative to the user's folder; the
# USB gauge writes nothing, so no office is started.
printf '%s\r\n' "[Lumo LU000001]" "MwZielAppl=0" \
    "[COM_1]" "DeviceDescription=Lumo" "DeviceName=Gauge F3" "AnforderType=1" \
    "AnforderTasteKeyb=F3" "MwZielAppl=2" "MwTxtZielFile=DAT/com1.txt" |
    as_user tee "$data/DAT/DEFAULT.TVC" >/dev/null
as_user $exec_line >"$work/lonvarstd.log" 2>&1 &
lonvar=$!
pids+=($lonvar)
sleep 4
# The hook module is found from the program's own location.
pid=$(pgrep -u "$user" -x LonvarStd | head -n 1) || fail "LonvarStd is not running: $(tail -20 "$work/lonvarstd.log")"
grep -q '/tavrix/libTavFxHook.so$' "/proc/$pid/maps" || fail "the keyboard hook module was not loaded"
target=$data/DAT/com1.txt
values() { [ -f "$target" ] && grep -c . "$target" || echo 0; }
for _ in $(seq 20); do
    DISPLAY=$display "$root/$build/tools/testsupport/x_key" F3 || true
    [ "$(values)" -ge 2 ] && break
    sleep 1
done
[ "$(values)" -ge 2 ] || fail "no values in $target; LonvarStd said: $(tail -20 "$work/lonvarstd.log")"
kill -TERM "$pid"
wait "$lonvar" 2>/dev/null || true
echo "values in the user's file: $(tr -d '\r' <"$target" | head -3 | paste -sd' ')"

step "Vantro from its menu entry"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.tavrix.Vantro.desktop)
as_user $exec_line >"$work/vantro.log" 2>&1 &
vantro=$!
pids+=($vantro)
DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Vantro' >/dev/null ||
    fail "Vantro showed no window: $(tail -20 "$work/vantro.log")"
kill -TERM "$(pgrep -u "$user" -x Vantro | head -n 1)" 2>/dev/null || true
wait "$vantro" 2>/dev/null || true

step "nothing under /usr changed"
snapshot >"$work/usr-after"
diff "$work/usr-before" "$work/usr-after" >"$work/usr-diff" ||
    fail "files under /usr changed: $(head -20 "$work/usr-diff")"

step "purging"
$SUDO apt-get purge -y -qq "${packages[@]}" >/dev/null || fail "apt-get purge"
left=()
while read -r file; do
    # Folders the packages share with others (/usr/share/man/man1 ...) stay, of course.
    [ -e "$file" ] && [ ! -d "$file" ] && left+=("$file")
done <"$work/files"
for folder in /usr/share/tavrix /usr/share/vantro /usr/lib/*/tavrix; do
    [ -e "$folder" ] && left+=("$folder")
done
[ ${#left[@]} -eq 0 ] || fail "purge left: ${left[*]}"
echo "test-packages: passed"
