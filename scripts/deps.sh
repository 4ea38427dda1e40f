#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when some are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  zlib1g-dev libsqlite3-dev libcpp-httplib-dev libxlsxwriter-dev nlohmann-json3-dev
  # The service's HTTP transport (Boost.Beast on Asio, header-only).
  libboost-dev
  qt6-base-dev qt6-charts-dev libgl-dev
  # Qt Charts needs Qt OpenGL's CMake files; without XKB's Qt's configure reports it missing.
  libqt6opengl6-dev libxkbcommon-dev
  # Qt's own dialogs and menus in the program's language.
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth python3 python3-openpyxl xdg-utils
  # The package and its test: cpack's dependency computation, the entry and metadata checks, the icons.
  dpkg-dev file desktop-file-utils appstream librsvg2-bin
  # The deployment test runs the shipped nginx site (its own prefix, never the system's nginx).
  nginx-light
  # Update signatures: libsodium verifies them, minisign makes them (and the tests' fixtures);
  # openssl makes the TLS test's own CA.
  libsodium-dev minisign openssl
  # A Russian locale, so the tests can run number reading under a decimal comma as a player's desktop does.
  locales
  # The browser page: the core built by Debian's emscripten (its JavaScript tools need acorn), and
  # Debian's Chromium for the page's checks (driven by playwright-core from the page's lock file).
  emscripten node-acorn chromium
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Generated once; a machine that cannot generate it still builds, and the locale test says it skipped.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || echo "Note: the ru_RU.UTF-8 locale could not be generated."
fi

# The page is built with vite from npm packages pinned in web/package-lock.json; vite 7 needs node 20.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "deps.sh: node 20 and npm are needed for the browser page, and are not installed" >&2
  exit 1
fi
if [ "$(node -p 'process.versions.node.split(".")[0]')" -lt 20 ]; then
  echo "deps.sh: node $(node --version) is too old for the browser page's build (20 or later)" >&2
  exit 1
fi
