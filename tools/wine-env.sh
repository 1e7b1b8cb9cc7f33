# Sourced with the build tree as $1: sets up Wine for that tree's programs.
# Each build tree has its own prefix, of the tree's own width (tools/build.sh
# writes the width into the tree as wine-arch).
hm_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
hm_build=$(cd "$1" && pwd)
export WINEPREFIX=$hm_build/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export ALSA_CONFIG_PATH=$hm_repo/tools/alsa-null.conf
if [ "$(cat "$hm_build/wine-arch" 2>/dev/null)" = win64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    hm_wine=/usr/lib/wine/wine64
else
    export WINEARCH=win32
    hm_wine=wine
fi
