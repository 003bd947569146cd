# Sourced by the set-up scripts. need_packages LABEL PACKAGE...: installs the Debian packages
# that are missing (quietly, with sudo when not root) and says which under LABEL.
# need_architecture LABEL ARCH: adds a foreign dpkg architecture when it is not there yet, so
# that the next need_packages can install ARCH packages (PACKAGE:ARCH).
_sudo() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}
_apt_updated=0
need_architecture() {
  local label=$1 arch=$2
  if [ "$(dpkg --print-architecture)" != "$arch" ] &&
    ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    echo "$label: adding the $arch architecture"
    _sudo dpkg --add-architecture "$arch"
    _apt_updated=0
  fi
}
need_packages() {
  local label=$1 pkg
  shift
  local need=()
  for pkg in "$@"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
  done
  if [ ${#need[@]} -gt 0 ]; then
    echo "$label: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [ "$_apt_updated" = 0 ]; then
      # A mirror caught mid-sync fails one index; try again, then go on with the lists there are.
      local try
      for try in 1 2 3; do
        _sudo apt-get update -qq && break
        echo "$label: apt-get update failed (try $try of 3)"
        sleep $((try * 5))
      done
      _apt_updated=1
    fi
    if ! _sudo apt-get install -y -qq "${need[@]}" >/dev/null; then
      # When a mirror serves a stale index of one architecture of the security suite, the
      # packages of that architecture lag behind the other's and multi-arch libraries cannot
      # agree on a version; the release's own suite has both at one version.
      local release
      release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
      [ -n "$release" ] || return 1
      echo "$label: retrying with the packages of $release itself"
      _sudo apt-get install -y -qq -t "$release" "${need[@]}" >/dev/null
    fi
  fi
}
