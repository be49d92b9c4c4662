# Sourced: the environment every Wine process of this project runs with.
# Expects TQ_BUILD (the build folder of the windows-x64 preset).
: "${TQ_BUILD:?TQ_BUILD must name the build folder}"
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
# No menu entries in the Linux user's home; no Mono/Gecko download prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# Code page 936, as on a Simplified Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
# wineboot links the profile folders to $HOME: keep them inside the build folder.
export HOME="$TQ_BUILD/wine/home"
mkdir -p "$HOME"
