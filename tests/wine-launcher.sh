#!/bin/sh
# Runs a Windows program under Wine, quietly, as the end-to-end tests run
# varnox.exe:  tests/wine-launcher.sh PROGRAM.exe [ARGS...]
# Wine's own diagnostics are off, so that standard error stays the
# program's. $WINEPREFIX chooses the Wine prefix as usual; $VARNOX_WINE
# the Wine loader.
WINEDEBUG=-all
# No .NET or HTML engine prompts while a new prefix is made.
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG WINEDLLOVERRIDES
exec "${VARNOX_WINE:-/usr/lib/wine/wine64}" "$@"
