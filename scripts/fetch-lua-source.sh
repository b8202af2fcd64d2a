#!/usr/bin/env bash
# Fetches Debian 12's lua5.1 source package into DEST (default: build-win32/lua5.1) for the
# Windows build, which has no system Lua to link. apt reads a private sources file and keeps its
# lists and cache under DEST, so the machine's apt configuration and state stay as they were.
# Debian's patches come applied by dpkg-source; the build refuses a tree without the fix for
# the stack overflow in vararg functions.
#
# Leaves DEST/src (the .c files and headers) and DEST/include (the public headers, lua.hpp too).
# Set TUMBLIX_DEBIAN_MIRROR to use another Debian mirror.
set -euo pipefail

dest=${1:-$(cd "$(dirname "$0")/.." && pwd)/build-win32/lua5.1}
mirror=${TUMBLIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

for tool in apt-get dpkg-source; do
  command -v "$tool" >/dev/null || {
    echo "fetch-lua-source: '$tool' is missing (install apt and dpkg-dev)" >&2
    exit 1
  }
done
[[ -r $keyring ]] || { echo "fetch-lua-source: $keyring is missing" >&2; exit 1; }

apt_dir=$dest/apt
work=$dest/unpack
rm -rf "$apt_dir" "$work" "$dest/src" "$dest/include"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$apt_dir/cache/archives/partial" "$work"
echo "deb-src [signed-by=$keyring] $mirror bookworm main" >"$apt_dir/sources.list"

apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  # The unprivileged download user could not write into a private directory under a build tree.
  -o "APT::Sandbox::User=$(id -un)"
  -qq
)
apt-get "${apt_options[@]}" update
(cd "$work" && apt-get "${apt_options[@]}" source lua5.1 >/dev/null)

tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'lua5.1-*' | head -n 1)
[[ -n $tree && -f $tree/src/ldo.c ]] || {
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
rm -rf "$work" "$apt_dir"
echo "fetch-lua-source: $(basename "$tree") ready in $dest" >&2
