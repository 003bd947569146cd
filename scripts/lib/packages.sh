# Sourced by the set-up scripts. need_packages LABEL PACKAGE...: installs the Debian packages
# that are missing (quietly, with sudo when not root) and says which under LABEL.
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
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq "${need[@]}" >/dev/null
  fi
}
