#!/bin/bash
# Installs the Debian 12 packages NUBRIX needs to build, run and test.
# Does nothing when they are all present already.
set -e
PACKAGES="cmake make g++ wine wine64 wine64-tools libwine-dev xvfb xauth xdotool x11-apps
imagemagick libopencv-videoio-dev libopencv-imgproc-dev doctest-dev locales-all
fonts-ipafont-gothic procps
g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" != 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
