#!/usr/bin/env bash
# Screenshots of the plug-in's four forms and of a message box as the shipped DLL shows them:
# sctav.exe --via-com runs scenarios/shared_screenshots.sct on the demo data with the plug-in in
# the registered scTAVExt.dll, and saves each of the DLL's own windows when it is up
# (SCTAV_VIA_COM_SHOTS), under Wine on Xvfb. The PNGs land in docs/screenshots/ (or the
# directory given as the first argument).
# Wine draws the window frames itself (no window manager runs); a CJK font (WenQuanYi Micro Hei)
# stands in for the system UI font so that the Chinese texts show.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
./scripts/windows-setup.sh fonts-wqy-microhei
SCTAV_SQLITE_BITS=64 ./scripts/windows-deps.sh sqlite3
cmake --preset mingw64-sim >/dev/null
cmake --build --preset mingw64-sim --target sctav scTAVExt

. scripts/lib/wine.sh
wine_prefix shots
"$(wine_loader 64)" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine_cjk_fonts
mkdir -p "$work/shots" "$out" "$WINEPREFIX/drive_c/sctav"
cp build/mingw64-sim/src/com/scTAVExt.dll "$WINEPREFIX/drive_c/sctav/"
"$(wine_loader 64)" regsvr32 /s 'C:\sctav\scTAVExt.dll'
# Every Wine process of the run must see the X server: none may still run from the set-up.
wineserver -w
shots="Z:$(echo "$work/shots" | tr / '\\')"
SCTAV_VIA_COM_SHOTS="$shots" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$(wine_loader 64)" build/mingw64-sim/sctav.exe --via-com run scenarios/shared_screenshots.sct 2>&1 | tr -d '\r'
python3 tests/windows/bmp_to_png.py "$work"/shots/*.bmp
cp "$work"/shots/*.png "$out/"
ls -la "$out"
