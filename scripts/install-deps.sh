#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: does nothing (and prints nothing) when all packages are present.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config clang-format
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # Qt 6 (engine events, windows, the wedge's serial port)
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  # USB gauge cables
  libftdi1-dev libusb-1.0-0-dev
  # emulated USB cables and serial ports under the real libusb, libftdi1 and termios code
  umockdev libumockdev-dev
  # X11: keyboard hook, hot keys, keystroke synthesis, end-to-end tests
  libx11-dev libxi-dev libxtst-dev x11-utils x11-xkb-utils xvfb xauth xdotool
  # spreadsheet target through UNO
  libreoffice-dev libreoffice-calc-nogui libreoffice-script-provider-python
  # driving the gauge bench from a shell
  socat
  # the Debian packages: building, checking, icons; the install test runs as a new user
  build-essential debhelper dpkg-dev fakeroot lintian desktop-file-utils appstream qt6-svg-dev
  ccache passwd util-linux procps
  # Wayland end-to-end tests: a headless compositor, a key presser, a native client
  sway wtype foot qt6-wayland
  # the wedge on Wayland: virtual keyboard protocol client, its keymap checked by xkbcommon
  libwayland-dev libxkbcommon-dev
  # the desktop portal's stand-in on a private session bus; GNOME's shortcut settings store
  dbus-daemon python3-dbusmock gnome-settings-daemon-common dconf-cli dconf-gsettings-backend
  libglib2.0-bin
  # KWin headless with the desktop's real portals (RemoteDesktop, GlobalShortcuts)
  kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qtwayland5
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
