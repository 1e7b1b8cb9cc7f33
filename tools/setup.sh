#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as root.
# Idempotent: every step is skipped when its result is already there.
set -euo pipefail

# Dependency sources live outside the repository, shared by every checkout.
deps=${HOLLOWMERE_DEPS:-/var/cache/hollowmere/deps}

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 mingw-w64-tools cmake ninja-build make dpkg-dev
          wine wine32:i386 xvfb xauth imagemagick googletest xdotool ccache
          gstreamer1.0-plugins-base gstreamer1.0-plugins-good)

# What 32-bit Wine loads at run time but only recommends, so the tests in the
# 32-bit tree find it: OpenGL with Mesa's software renderer under Direct3D 9
# (the rest of the GL stack comes with libgl1), the X extensions of Wine's
# display driver, and the GStreamer plugins with which Wine's DirectShow
# opens and decodes the videos and the music (the good ones bring the base).
packages+=(libgl1:i386 libgl1-mesa-dri:i386 libxcomposite1:i386 libxcursor1:i386 libxi6:i386
           libxinerama1:i386 libxrandr2:i386 gstreamer1.0-plugins-good:i386)

apt_updated=no
apt_update() {
    if [ "$apt_updated" = no ]; then
        apt-get update -qq
        apt_updated=yes
    fi
}

ensure_i386() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        apt_updated=no
    fi
}

ensure_deb_src() {
    local list=/etc/apt/sources.list.d/hollowmere-src.sources
    if [ ! -f "$list" ]; then
        cat > "$list" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        apt_updated=no
    fi
}

# Whether a package is installed: a plain name means the machine's own
# architecture (or an architecture-independent package), "name:arch" that
# architecture. dpkg -s cannot answer this once a package is installed for
# two architectures: it calls the plain name ambiguous.
installed() {
    local name=${1%%:*} arch instances
    if [[ $1 == *:* ]]; then
        arch=${1#*:}
    else
        arch=$(dpkg --print-architecture)
    fi
    instances=$(dpkg-query -W -f='${Architecture} ${db:Status-Abbrev}\n' "$name" 2>/dev/null) || return 1
    grep -Eq "^($arch|all) ii" <<< "$instances"
}

ensure_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        installed "$p" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        apt_update
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# Lua and TinyXML come as Debian source packages, unpacked into the dependency folder.
ensure_source() {
    local package=$1 link=$2
    if [ ! -d "$deps/$link" ]; then
        apt_update
        mkdir -p "$deps"
        (cd "$deps" && apt-get source -qq "$package" >/dev/null)
        local dir
        dir=$(find "$deps" -maxdepth 1 -type d -name "$package-*" | head -n 1)
        ln -sfn "$(basename "$dir")" "$deps/$link"
    fi
}

ensure_i386
ensure_deb_src
ensure_packages
ensure_source lua5.1 lua
ensure_source tinyxml tinyxml
