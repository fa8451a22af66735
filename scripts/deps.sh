#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need; does nothing when all are there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev
    zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont-gothic fonts-ipafont-mincho fonts-urw-base35 fonts-crosextra-carlito
    fonts-crosextra-caladea fonts-liberation2 fontconfig
    xvfb xauth python3-numpy python3-pil desktop-file-utils shared-mime-info
    poppler-utils cups cups-client cups-bsd printer-driver-cups-pdf libcups2-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    # Through env: sudo drops the caller's environment.
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
