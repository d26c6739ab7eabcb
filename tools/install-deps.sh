#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that building, running and testing need.
# Only what is missing is installed, so a prepared machine pays nothing.
set -eu
PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
 qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev qt6-tools-dev qt6-qpa-plugins libgl1-mesa-dev
 libcurl4-openssl-dev libssl-dev ca-certificates libxml2-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
 php-cli php-soap curl python3 python3-zeep dbus-daemon libsystemd-dev systemd
 xvfb icewm xdotool imagemagick x11-utils fonts-dejavu-core locales
 dpkg-dev file lintian desktop-file-utils appstream"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
fi
