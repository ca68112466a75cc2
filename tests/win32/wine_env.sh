# Sourced by the Wine tests: the environment of the test prefix in WINE_DIR
# (the build's wine/ folder), never the user's. No Mono or Gecko is asked
# for, shortcuts made in the prefix are not turned into menu entries of the
# user's desktop, and Wine keeps its messages to itself.
: "${GROUP_G_WINE_DIR:?names the wine folder of the build}"
export WINEPREFIX="$GROUP_G_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The Korean locale for a Korean-locale Wine, built into the test folder
# rather than the system's.
export LOCPATH="$GROUP_G_WINE_DIR/locales"
