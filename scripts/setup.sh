#!/usr/bin/env bash
# Installs the Debian packages vyx needs to build, test and benchmark, when they are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libssl-dev libcurl4-openssl-dev libsqlite3-dev
  libcli11-dev nlohmann-json3-dev libcpp-httplib-dev libxml2-dev
  libcairo2-dev libpango1.0-dev fonts-dejavu-core poppler-utils
  libsecret-1-dev gnome-keyring dbus-daemon libarchive-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Paquets manquants (${missing[*]}) et pas de sudo : installez-les en root." >&2; exit 1; }
  sudo="sudo"
fi
echo "Installation des paquets : ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
