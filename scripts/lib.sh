# Shared by the scripts: install missing Debian packages.
# shellcheck shell=bash

# as_root CMD...: runs CMD as root, through sudo unless already root.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# need_packages PKG... : installs those that are not installed yet. A
# package of the i386 architecture (wine32:i386) brings that architecture in
# first on an amd64 machine.
need_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [[ " ${missing[*]}" == *:i386* ]] && [ "$(dpkg --print-architecture)" = amd64 ] &&
        ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    # sudo passes no environment on, hence env.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
