# Sourced by the Wine tests: the test prefix in WINE_DIR, never the user's; no
# Mono or Gecko, no menu entries on the user's desktop, no Wine messages.
: "${GROUP_G_WINE_DIR:?names the wine folder of the build}"
export WINEPREFIX="$GROUP_G_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The locales wine_prefix.sh builds into the test folder.
export LOCPATH="$GROUP_G_WINE_DIR/locales"
