#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
  # The window reads the font configuration on another core while it starts.
  libfontconfig-dev
  qt6-declarative-dev qml6-module-qtquick qml6-module-qtqml qml6-module-qtqml-workerscript
  # Qt's Linguist tools: lupdate and lrelease with their CMake functions.
  qt6-l10n-tools qt6-tools-dev
  python3 curl openssl
  # The extractor for other sites' pages; one test runs it on a local page.
  yt-dlp
  # FFmpeg's libraries remux stream fragments into one file.
  libavformat-dev libavcodec-dev libavutil-dev
  # AES-128 decryption of encrypted stream fragments (libcrypto).
  libssl-dev
  # An X desktop of the tests' own, and programs that copy and click on it;
  # a window manager, a session bus and the X tools that read a window's state.
  xvfb xclip xdotool openbox dbus-daemon x11-utils
  # Validators of the desktop entry and the AppStream metadata, and groff,
  # which checks the manual pages.
  appstream desktop-file-utils groff-base
  # cpack -G DEB works out the package's dependencies with dpkg-shlibdeps;
  # lintian checks the package.
  dpkg-dev file lintian
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${packages[@]}"
