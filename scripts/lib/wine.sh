# Sourced by the Windows scripts. wine_prefix NAME: a fresh, headless Wine prefix in a temporary
# folder /tmp/sctav-NAME.*, removed with its wineserver when the script exits; $work is the folder.
wine_prefix() {
  work=$(mktemp -d "/tmp/sctav-$1.XXXXXX")
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w
}
