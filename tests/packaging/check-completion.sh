#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the bash completion of vtxctl without the bash-completion package: its two helpers are stood in for
# (_init_completion splits the line as bash does, _filedir offers "FILES"), and each case compares what is
# offered for a command line whose last word is being completed.
# Usage: check-completion.sh COMPLETION_FILE
set -u

_init_completion() {
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${words[cword]}
    prev=${words[cword - 1]}
}
_filedir() { COMPREPLY=(FILES); }
complete() { :; }
# shellcheck source=/dev/null
source "$1"

failed=0
expect() {
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _vtxctl
    local offered="${COMPREPLY[*]}"
    if [[ $offered != "$expected" ]]; then
        echo "FAIL: '$line' offers '$offered', expected '$expected'" >&2
        failed=1
    fi
}

vtxctl() { printf '1-1        serial VTX8303-A1  kind 1\n1-4.2      serial VTX8303-B2  in use\n'; }
expect "vtxctl " "--simulate --device --json --trace --help --version list info scan get set dump apply dcp board session wait"
expect "vtxctl --json s" "scan set session"
expect "vtxctl --device " "1-1 VTX8303-A1 1-4.2 VTX8303-B2"
expect "vtxctl --device VTX8303-A1 d" "dump dcp"
expect "vtxctl --simulate d" "dump dcp"
expect "vtxctl --simulate dcp " "get set store sweep"
expect "vtxctl dcp sweep --s" "--step --simulate"
expect "vtxctl dcp set 65 --e" "--eeprom"
expect "vtxctl --simulate board p" "power-cycle"
expect "vtxctl apply " "FILES"
expect "vtxctl dump 0x60 --vtx " "FILES"
[ "$failed" -eq 0 ] && echo "The completion offers what it should."
exit "$failed"
