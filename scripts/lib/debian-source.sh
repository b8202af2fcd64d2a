# shellcheck shell=bash
# Fetches Debian 12 source packages without touching the machine's apt configuration or state:
# apt reads a private sources file and keeps its lists and cache in a folder of the caller's.
# Debian's patches come applied by dpkg-source. Set TUMBLIX_DEBIAN_MIRROR to use another mirror.
# Source this file.

# Unpacks the source package `package` into the empty or missing folder `work`, using `apt_dir`
# for apt's lists and cache, and prints the unpacked tree's path. Fails, saying why, when a tool
# is missing or nothing was unpacked.
debian_source() {
  local package=$1 work=$2 apt_dir=$3 tool tree
  local mirror=${TUMBLIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  for tool in apt-get dpkg-source; do
    command -v "$tool" >/dev/null || {
      echo "debian_source: '$tool' is missing (install apt and dpkg-dev)" >&2
      return 1
    }
  done
  [[ -r $keyring ]] || { echo "debian_source: $keyring is missing" >&2; return 1; }

  rm -rf "$apt_dir"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$apt_dir/cache/archives/partial" "$work"
  echo "deb-src [signed-by=$keyring] $mirror bookworm main" >"$apt_dir/sources.list"
  local apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    # The unprivileged download user could not write into a private directory under a build tree.
    -o "APT::Sandbox::User=$(id -un)"
    -qq
  )
  apt-get "${apt_options[@]}" update || return 1
  (cd "$work" && apt-get "${apt_options[@]}" source "$package" >/dev/null) || return 1
  rm -rf "$apt_dir"
  tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [[ -n $tree ]] || { echo "debian_source: nothing of $package unpacked in $work" >&2; return 1; }
  echo "$tree"
}
