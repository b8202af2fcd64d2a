#!/usr/bin/env bash
# Fetches Debian 12's lua5.1 source package into DEST (default: build-win32/lua5.1) for the
# builds with no system Lua to link, Windows and the web (scripts/lib/debian-source.sh: the
# machine's apt configuration and state stay as they were). The build refuses a tree without Debian's fix for
# the stack overflow in vararg functions.
#
# Leaves DEST/src (the .c files and headers) and DEST/include (the public headers, lua.hpp too).
set -euo pipefail

dest=${1:-$(cd "$(dirname "$0")/.." && pwd)/build-win32/lua5.1}
source "$(dirname "$0")/lib/debian-source.sh"

work=$dest/unpack
rm -rf "$work" "$dest/src" "$dest/include"
tree=$(debian_source lua5.1 "$work" "$dest/apt")
[[ -f $tree/src/ldo.c ]] || {
  echo "fetch-lua-source: no unpacked lua5.1 tree under $work" >&2
  exit 1
}
# Debian's vararg fix reserves room for the fixed parameters that a vararg call copies.
grep -q 'luaD_checkstack(L, p->maxstacksize + p->numparams);' "$tree/src/ldo.c" || {
  echo "fetch-lua-source: $tree/src/ldo.c lacks the vararg stack-overflow fix" >&2
  exit 1
}

mv "$tree/src" "$dest/src"
mkdir -p "$dest/include"
cp "$dest/src/lua.h" "$dest/src/luaconf.h" "$dest/src/lualib.h" "$dest/src/lauxlib.h" \
  "$tree/etc/lua.hpp" "$dest/include/"
# Debian's luaconf.h names C module folders by the multiarch triplet, from a header its build
# generates. A static Lua without dlopen never searches those folders: any name will do.
echo '#define DEB_HOST_MULTIARCH "static"' >"$dest/include/lua5.1-deb-multiarch.h"
rm -rf "$work"
echo "fetch-lua-source: $(basename "$tree") ready in $dest" >&2
