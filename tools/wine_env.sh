# Wine settings shared by the run and test scripts. Source it, then call
# wine_prefix_prepare <prefix> once per prefix.
#   RAVO_WINE: the command that runs a Windows program (set here).

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# /usr/bin/wine runs the 32-bit loader when wine32 is installed; a kernel
# without 32-bit support refuses it ("Exec format error"). The 64-bit loader
# then runs 64-bit programs only.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  RAVO_WINE=wine
  RAVO_WINE_32BIT=1
else
  RAVO_WINE=/usr/lib/wine/wine64
  export WINELOADER=/usr/lib/wine/wine64
  RAVO_WINE_32BIT=0
fi
export RAVO_WINE RAVO_WINE_32BIT

# wine_reg <prefix> <reg text, UTF-8>: regedit wants UTF-16 with a BOM.
wine_reg() {
  local file="$1/ravo-settings.reg"
  { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n' "$2" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
  WINEPREFIX="$1" "$RAVO_WINE" regedit /S "$(WINEPREFIX="$1" "$RAVO_WINE" winepath -w "$file" 2>/dev/null)"
}

# wine_prefix_prepare <prefix> <rapi.dll 64-bit> [<rapi.dll 32-bit>]
wine_prefix_prepare() {
  local prefix="$1"
  mkdir -p "$prefix"
  prefix="$(cd "$prefix" && pwd)"
  if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX="$prefix" "$RAVO_WINE" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$prefix" wineserver -w
  fi
  # The dialogs name a Japanese Windows font; map it to the IPA fonts. A
  # virtual desktop gives windows a frame and avoids stalls without a window
  # manager.
  wine_reg "$prefix" '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"'
  WINEPREFIX="$prefix" wineserver -w
  # Windows draws the caption buttons with the Marlett font; Debian's Wine
  # ships it (fonts-wine) but looks for it only in the prefix's Fonts folder.
  # Without it the close box shows the letter "r".
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  fi
  cp "$2" "$prefix/drive_c/windows/system32/rapi.dll"
  if [ -n "${3:-}" ] && [ -f "$3" ]; then
    cp "$3" "$prefix/drive_c/windows/syswow64/rapi.dll"
  fi
}
