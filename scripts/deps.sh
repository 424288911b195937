#!/bin/sh
# Makes sure the Debian packages the build needs are installed: installs the
# missing ones with apt-get when run as root, otherwise names them and fails.
# Usage: scripts/deps.sh [extra packages...]
set -e
need="cmake g++ make googletest libgtest-dev libbenchmark-dev libnetcdf-dev netcdf-bin
      groff mandoc man-db python3-netcdf4 python3-xarray python3-matplotlib python3-cartopy
      python-cartopy-data $*"
missing=""
for p in $need; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq </dev/null
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing </dev/null
else
    echo "Missing Debian packages:$missing" >&2
    echo "Install them as root:  apt-get install -y$missing" >&2
    exit 1
fi
