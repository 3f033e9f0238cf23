#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# they are missing. Safe to run again; needs root on a fresh machine.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-x86-64-posix
  wine wine64
  googletest libbenchmark-dev nlohmann-json3-dev rapidjson-dev
  clang libclang-rt-14-dev clang-format
  locales
  nodejs iproute2
)
# Installed without their recommended packages: headless Chromium needs none
# of the desktop services (printing, power, notifications) they bring.
lean_packages=(chromium)

is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done
missing_lean=()
for package in "${lean_packages[@]}"; do
  is_installed "$package" || missing_lean+=("$package")
done

# npm comes with some builds of nodejs and as a package of its own with Debian's.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [ $((${#missing[@]} + ${#missing_lean[@]})) -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_lean[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#missing[@]} -eq 0 ] || apt-get install -y -qq "${missing[@]}" >/dev/null
  [ ${#missing_lean[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${missing_lean[@]}" >/dev/null
fi
